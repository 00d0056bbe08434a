#include "ui/dialogs/bearings_dialog.h"

#include "analysis/bearing_life.h"
#include "analysis/calculation.h"
#include "scheme/value_ranges.h"
#include "store/numbers.h"
#include "ui/command_guard.h"
#include "ui/message_box.h"

#include <QApplication>
#include <QBrush>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace tarnvel {

namespace {

enum BearingRole { BearingKeyRole = Qt::UserRole, BearingTagRole };

// Is the text a number and nothing else (a decimal comma allowed)? An
// infinity or "nan" is no size or rating of a bearing.
bool isNumber(const QString &text)
{
    bool ok = false;
    const double value = SqlNum(text.trimmed()).toDouble(&ok);
    return ok && std::isfinite(value);
}

// The required life typed by the user, hours (a decimal comma allowed); 0 for none.
double requiredHours(const QString &text)
{
    return leadingNumber(SqlNum(text.trimmed()));
}

// A life or safety as the list shows it; an empty cell when it cannot be computed.
QString assessedText(const std::optional<double> &value)
{
    return value ? SqlNum(roundHalfEven(*value, 3)) : QString();
}

} // namespace

frmBearings::frmBearings(ProgramState &state, int side, qint64 bearingId, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
    , m_side(side)
    , m_bearingId(bearingId)
{
    setObjectName(QStringLiteral("frmBearings"));
    setWindowTitle(QStringLiteral("Подшипник"));
    resize(980, 460); // wide enough for the life and safety columns
    auto guarded = [this](void (frmBearings::*command)()) {
        return [this, command] { runCommand(this, [this, command] { (this->*command)(); }); };
    };

    // Catalogue page.
    frCatalog = new QFrame(this);
    frCatalog->setObjectName(QStringLiteral("frCatalog"));
    ctlBT = new QComboBox(frCatalog);
    ctlBT->setObjectName(QStringLiteral("ctlBT"));
    LV = new QTreeWidget(frCatalog);
    LV->setObjectName(QStringLiteral("LV"));
    LV->setRootIsDecorated(false);
    LV->setColumnCount(6);
    LV->setHeaderLabels({QStringLiteral("Подшипник"), QStringLiteral("d"), QStringLiteral("D"), QStringLiteral("b"),
                         QStringLiteral("C (H)"), QStringLiteral("Угол контакта")});
    LV->header()->setStretchLastSection(false);
    // What each candidate would do on this support.
    LV->setColumnCount(8);
    LV->headerItem()->setText(6, QStringLiteral("Lh, ч"));
    LV->headerItem()->setText(7, QStringLiteral("s0"));
    txtLh = new QLineEdit(frCatalog);
    txtLh->setObjectName(QStringLiteral("txtLh"));
    cmdPick = new QPushButton(QStringLiteral("Подобрать"), frCatalog);
    cmdPick->setObjectName(QStringLiteral("cmdPick"));
    LV->viewport()->installEventFilter(this);
    cmdAdd = new QPushButton(QStringLiteral("< Добавить"), frCatalog);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdDel = new QPushButton(QStringLiteral("> Удалить"), frCatalog);
    cmdDel->setObjectName(QStringLiteral("cmdDel"));
    auto *catalogLayout = new QVBoxLayout(frCatalog);
    catalogLayout->setContentsMargins(0, 0, 0, 0);
    catalogLayout->addWidget(ctlBT);
    catalogLayout->addWidget(LV, 1);
    auto *requiredLife = new QHBoxLayout;
    requiredLife->addWidget(new QLabel(QStringLiteral("Требуемая долговечность, ч"), frCatalog));
    requiredLife->addWidget(txtLh);
    requiredLife->addWidget(cmdPick);
    catalogLayout->addLayout(requiredLife);
    auto *catalogButtons = new QHBoxLayout;
    catalogButtons->addWidget(cmdAdd);
    catalogButtons->addWidget(cmdDel);
    catalogButtons->addStretch();
    catalogLayout->addLayout(catalogButtons);

    // New-bearing page.
    frNewBear = new QFrame(this);
    frNewBear->setObjectName(QStringLiteral("frNewBear"));
    auto line = [this](const QString &name) {
        auto *edit = new QLineEdit(frNewBear);
        edit->setObjectName(name);
        return edit;
    };
    txtNewBear = line(QStringLiteral("txtNewBear"));
    for (int i = 0; i < 3; ++i)
        txtGab[i] = line(QStringLiteral("txtGab%1").arg(i));
    txtC = line(QStringLiteral("txtC"));
    txtC0 = line(QStringLiteral("txtC0"));
    txtAlfa = line(QStringLiteral("txtAlfa"));
    cmdAddNew = new QPushButton(QStringLiteral("OK"), frNewBear);
    cmdAddNew->setObjectName(QStringLiteral("cmdAddNew"));
    cmdCanselNew = new QPushButton(QStringLiteral("Отменить"), frNewBear);
    cmdCanselNew->setObjectName(QStringLiteral("cmdCanselNew"));
    auto *newLayout = new QFormLayout(frNewBear);
    newLayout->addRow(QStringLiteral("Подшипник"), txtNewBear);
    auto *size = new QHBoxLayout;
    for (QLineEdit *box : txtGab)
        size->addWidget(box);
    newLayout->addRow(QStringLiteral("Размер d x D x b"), size);
    newLayout->addRow(QStringLiteral("Динамическая грузоподъёмность, Н"), txtC);
    newLayout->addRow(QStringLiteral("Статическая грузоподъёмность, Н"), txtC0);
    lblAlfa = new QLabel(QStringLiteral("Угол контакта номинальный, град."), frNewBear);
    newLayout->addRow(lblAlfa, txtAlfa);
    auto *newButtons = new QHBoxLayout;
    newButtons->addStretch();
    newButtons->addWidget(cmdAddNew);
    newButtons->addWidget(cmdCanselNew);
    newLayout->addRow(newButtons);

    // The two pages take turns in the same place.
    auto *pages = new QWidget(this);
    auto *pageLayout = new QVBoxLayout(pages);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(frCatalog);
    pageLayout->addWidget(frNewBear);

    // Settings of the support.
    frRollRing = new QGroupBox(QStringLiteral("Вращается:"), this);
    frRollRing->setObjectName(QStringLiteral("frRollRing"));
    auto *ringLayout = new QVBoxLayout(frRollRing);
    const char *rings[] = {"Внутреннее кольцо", "Внешнее кольцо", "Внешнее и внутреннее кольцо"};
    for (int i = 0; i < 3; ++i) {
        ctlRing[i] = new QRadioButton(QString::fromUtf8(rings[i]), frRollRing);
        ctlRing[i]->setObjectName(QStringLiteral("ctlRing%1").arg(i));
        ringLayout->addWidget(ctlRing[i]);
        connect(ctlRing[i], &QRadioButton::clicked, this, [this, i] { ctlRing_Click(i); });
    }
    ctlOsN[1] = new QCheckBox(QStringLiteral("Воспринимает радиальную нагрузку"), this);
    ctlOsN[1]->setObjectName(QStringLiteral("ctlOsN1"));
    ctlOsN[0] = new QCheckBox(QStringLiteral("Воспринимает осевую нагрузку"), this);
    ctlOsN[0]->setObjectName(QStringLiteral("ctlOsN0"));

    auto *coefficients = new QGroupBox(QStringLiteral("Коэффициенты:"), this);
    auto *coefficientLayout = new QFormLayout(coefficients);
    txtKb = new QLineEdit(coefficients);
    txtKb->setObjectName(QStringLiteral("txtKb"));
    txtKk = new QLineEdit(coefficients);
    txtKk->setObjectName(QStringLiteral("txtKk"));
    txtKt = new QLineEdit(coefficients);
    txtKt->setObjectName(QStringLiteral("txtKt"));
    coefficientLayout->addRow(QStringLiteral("Безопасности"), txtKb);
    coefficientLayout->addRow(QStringLiteral("Качества"), txtKk);
    coefficientLayout->addRow(QStringLiteral("Температурный"), txtKt);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAutoDefault(false);

    auto *settings = new QVBoxLayout;
    settings->addWidget(frRollRing);
    settings->addWidget(ctlOsN[1]);
    settings->addWidget(ctlOsN[0]);
    settings->addWidget(coefficients);
    settings->addStretch();
    settings->addWidget(cmdOK);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(pages, 3);
    layout->addLayout(settings, 2);

    connect(ctlBT, &QComboBox::currentTextChanged, this, guarded(&frmBearings::ctlBT_Click));
    // Selecting a bearing reads the store: a failure must stop at the guard,
    // not run through Qt's signal dispatch.
    connect(LV, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (current)
            runCommand(this, [this] { itemSelected(); });
    });
    connect(cmdAdd, &QPushButton::clicked, this, guarded(&frmBearings::cmdAdd_Click));
    connect(cmdDel, &QPushButton::clicked, this, guarded(&frmBearings::cmdDel_Click));
    connect(cmdAddNew, &QPushButton::clicked, this, guarded(&frmBearings::cmdAddNew_Click));
    connect(cmdCanselNew, &QPushButton::clicked, this, guarded(&frmBearings::cmdCanselNew_Click));
    connect(cmdOK, &QPushButton::clicked, this, guarded(&frmBearings::cmdOK_Click));
    connect(cmdPick, &QPushButton::clicked, this, guarded(&frmBearings::cmdPick_Click));
    for (QLineEdit *box : {txtKb, txtKk, txtKt, txtLh})
        connect(box, &QLineEdit::textChanged, this, [this] { showLives(); });
    connect(txtKk, &QLineEdit::textEdited, this, [this] { m_qualityTyped = true; });
    // Enter in the required life picks the bearing; it does not close the dialog.
    txtLh->installEventFilter(this);
    for (QCheckBox *box : ctlOsN)
        connect(box, &QCheckBox::toggled, this, [this] { showLives(); });
    for (QRadioButton *option : ctlRing)
        connect(option, &QRadioButton::clicked, this, [this] { showLives(); });

    readLoads();
    if (const std::optional<double> required = m_stored.requiredLife)
        txtLh->setText(SqlNum(*required));

    // Keys: Enter confirms the page in front ("OK" of the support, or of the
    // new bearing), Esc closes the dialog without a change; the arrows in
    // the list choose the bearing.
    cmdOK->setDefault(true);
    for (QLineEdit *box : frNewBear->findChildren<QLineEdit *>())
        connect(box, &QLineEdit::returnPressed, cmdAddNew, &QPushButton::click);
    LV->setFocus();

    frNewBear->hide();
    Form_Load();
}

bool frmBearings::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtLh && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runCommand(this, [this] { cmdPick_Click(); });
            return true;
        }
    }
    if (watched == LV->viewport() && event->type() == QEvent::Resize)
        sizeColumns();
    return QDialog::eventFilter(watched, event);
}

// The designation and angle columns are as wide as their captions and a long
// designation need; the size and rating columns share the rest of the list's
// visible width. The list is never so narrow that a size up to 9999 mm or a
// rating up to 999 000 N would not show whole.
void frmBearings::designColumns()
{
    const QFontMetrics metrics(LV->font());
    QStyle *style = LV->style();
    const int padding = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, LV) + 1);
    QHeaderView *header = LV->header();
    m_designedWidth = std::max({header->sectionSizeHint(0), header->sectionSizeHint(5),
                                metrics.horizontalAdvance(QStringLiteral("7000108Ш")) + padding});
    int shared = metrics.horizontalAdvance(QStringLiteral("999000")) + padding;
    for (int c = 1; c <= 4; ++c)
        shared = std::max(shared, header->sectionSizeHint(c));
    LV->setMinimumWidth(2 * m_designedWidth + 4 * (shared + 5) + 3 + 2 * LV->frameWidth()
                        + style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, LV) + assessedColumnsWidth());
}

void frmBearings::sizeColumns()
{
    LV->setColumnWidth(0, m_designedWidth);
    LV->setColumnWidth(5, m_designedWidth);
    const int assessed = assessedColumnsWidth();
    const int width = std::max(20, (LV->viewport()->width() - 2 * m_designedWidth - assessed) / 4 - 5);
    for (int c = 1; c <= 4; ++c)
        LV->setColumnWidth(c, width);
}

// The life and safety columns as wide as their longest likely values.
int frmBearings::assessedColumnsWidth()
{
    const QFontMetrics metrics(LV->font());
    const int life = metrics.horizontalAdvance(QStringLiteral("99999999.999")) + 12;
    const int safety = metrics.horizontalAdvance(QStringLiteral("999.999")) + 12;
    LV->setColumnWidth(6, life);
    LV->setColumnWidth(7, safety);
    return life + safety;
}

void frmBearings::Form_Load()
{
    designColumns();
    sizeColumns();
    ctlBT->blockSignals(true);
    m_types = bearingTypes(m_state.database());
    for (const BearingType &type : std::as_const(m_types))
        ctlBT->addItem(type.caption);

    if (m_bearingId != 0) {
        const QString type = bearingTypeCaption(m_state.database(), m_bearingId);
        if (!type.isEmpty())
            ctlBT->setCurrentText(type);
        ctlBT->blockSignals(false);
        const qint64 wanted = m_bearingId;
        ctlBT_Click();
        selectBearing(wanted);
    } else {
        ctlBT->setCurrentIndex(std::min(1, ctlBT->count() - 1));
        ctlBT->blockSignals(false);
        ctlBT_Click();
    }
    if (LV->currentItem())
        itemSelected();
}

void frmBearings::selectBearing(qint64 bearingId)
{
    const QString key = QStringLiteral("%1 ID").arg(bearingId);
    for (int i = 0; i < LV->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = LV->topLevelItem(i);
        if (row->data(0, BearingKeyRole).toString() == key) {
            LV->setCurrentItem(row);
            LV->scrollToItem(row);
            return;
        }
    }
}

void frmBearings::ctlBT_Click()
{
    for (const BearingType &type : std::as_const(m_types)) {
        if (type.caption == ctlBT->currentText()) {
            m_tipId = type.id;
            break;
        }
    }
    fillList();
}

void frmBearings::fillList()
{
    LV->blockSignals(true);
    LV->clear();
    m_candidates.clear();
    for (const CatalogueBearing &bearing : cataloguedBearings(m_state.database(), m_tipId)) {
        auto *row = new QTreeWidgetItem(LV);
        row->setText(0, bearing.number);
        row->setData(0, BearingKeyRole, QStringLiteral("%1 ID").arg(bearing.id));
        row->setData(0, BearingTagRole, catalogueText(bearing.quality));
        row->setText(1, catalogueText(bearing.di));
        row->setText(2, catalogueText(bearing.de));
        row->setText(3, catalogueText(bearing.b));
        row->setText(4, catalogueText(bearing.C));
        row->setData(4, BearingTagRole, catalogueText(bearing.C0));
        row->setText(5, catalogueText(bearing.alpha));
        m_candidates.append({bearing.id, leadingNumber(row->text(4)), leadingNumber(row->data(4, BearingTagRole).toString()),
                             leadingNumber(row->text(5))});
    }
    LV->blockSignals(false);
    // Without a bearing of the type there is nothing to compute.
    cmdOK->setEnabled(LV->topLevelItemCount() > 0 && frNewBear->isHidden());
    cmdDel->setEnabled(LV->topLevelItemCount() > 0);
    if (QTreeWidgetItem *first = LV->topLevelItem(0)) {
        LV->setCurrentItem(first);
        itemSelected();
    } else {
        m_bearingId = 0;
    }
}

void frmBearings::readLoads()
{
    // The loads of the current inputs; without reactions (an input is
    // missing) the columns stay empty and the workbench asks for the input.
    const Calculation &calculation = m_state.calculate();
    m_stored = m_state.inputs().supports.at(static_cast<std::size_t>(m_side));
    m_loads.reset();
    if (calculation.reactionsComputed) {
        BearingInput loads;
        loads.settings.side = m_side;
        loads.radialReaction = m_side == 0 ? calculation.reactions.R1 : calculation.reactions.R2;
        loads.axialReaction = calculation.reactions.Ra;
        loads.modes = m_state.inputs().shaftModes;
        loads.forceUnit = m_state.inputs().forceUnit();
        m_loads = loads;
    }
    m_staticLoads = calculation.staticLoads;
}

BearingSettings frmBearings::currentSettings(const QTreeWidgetItem *row) const
{
    BearingSettings settings;
    settings.side = m_side;
    settings.typeCode = m_tipId;
    if (row != nullptr) {
        settings.bearingId = m_bearingId;
        settings.C = leadingNumber(row->text(4));
        settings.C0 = leadingNumber(row->data(4, BearingTagRole).toString());
        settings.alpha = leadingNumber(row->text(5));
    }
    settings.ringIndex = wholeNumber(leadingNumber(frRollRing->property("tag").toString()));
    settings.takesRadial = ctlOsN[1]->isChecked();
    settings.takesAxial = ctlOsN[0]->isChecked();
    settings.Kk = bearingCoefficient(txtKk->text());
    settings.Kb = bearingCoefficient(txtKb->text());
    settings.Kt = bearingCoefficient(txtKt->text());
    return settings;
}

void frmBearings::showLives()
{
    if (m_settling)
        return;
    m_assessments.clear();
    if (m_loads) {
        BearingInput base = *m_loads;
        base.settings = currentSettings(nullptr);
        m_assessments = assessCandidates(base, m_staticLoads, m_candidates);
    }
    const double required = requiredHours(txtLh->text());
    // Rows that reach the required life stand out in green.
    const QBrush meets(QColor(198, 239, 206));
    for (int i = 0; i < LV->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = LV->topLevelItem(i);
        const CandidateAssessment a = m_assessments.value(i);
        row->setText(6, a.unlimited ? unlimitedLife() : assessedText(a.Lh));
        row->setText(7, assessedText(a.s0));
        const bool reached = required > 0 && (a.unlimited || (a.Lh && *a.Lh >= required));
        for (int c = 0; c < LV->columnCount(); ++c)
            row->setBackground(c, reached ? meets : QBrush());
    }
}

void frmBearings::cmdPick_Click()
{
    const double required = requiredHours(txtLh->text());
    if (!(required > 0)) {
        showMessage(QStringLiteral("Задайте требуемую долговечность подшипника, ч."), MessageIcon::Exclamation,
                    MessageButtons::Ok, QStringLiteral("Внимание!"), this);
        txtLh->setFocus();
        return;
    }
    showLives();
    const std::optional<qsizetype> pick = pickByLife(m_candidates, m_assessments, required);
    if (!pick) {
        showMessage(QStringLiteral("Ни один подшипник типа «%1» не обеспечивает долговечность %2 ч.")
                        .arg(ctlBT->currentText(), SqlNum(required)),
                    MessageIcon::Exclamation, MessageButtons::Ok, QStringLiteral("Внимание!"), this);
        return;
    }
    QTreeWidgetItem *row = LV->topLevelItem(static_cast<int>(*pick));
    LV->setCurrentItem(row);
    LV->scrollToItem(row);
}

SupportSettings supportSettings(const SupportInputs &stored, int typeCode, const QVariant &quality)
{
    SupportSettings settings;
    const QString catalogued = catalogueText(quality);
    settings.quality = catalogued.isEmpty() ? QStringLiteral("1") : catalogued;
    if (typeCode == bearingType::radialRoller) {
        settings.takesRadial = true;
        settings.takesAxial = false;
        settings.loadsLocked = true;
    } else if (stored.stored) {
        settings.takesAxial = stored.axial.toInt() != 0;
        settings.takesRadial = stored.radial.toInt() != 0;
        if (!settings.takesAxial && !settings.takesRadial)
            settings.takesRadial = true;
    }
    if (stored.stored) {
        settings.Kt = stored.Kt.toDouble();
        settings.Kb = stored.Kb.toDouble();
        settings.ring = stored.ring;
    }
    return settings;
}

void applyBearingChoice(ProgramState &state, const BearingChoice &choice, QWidget *parent)
{
    Database &db = state.database();
    {
        Database::Transaction transaction(db);
        writeRequiredLife(db, choice.settings.side, choice.requiredLife);
        writeBearingSettings(db, choice.settings);
        transaction.commit();
    }
    const Calculation &calculation = state.calculate();
    const SupportResult &support = calculation.supports.at(static_cast<std::size_t>(choice.settings.side));
    const QString problem = bearingLifeProblem(support.result.factors, choice.settings.alpha);
    if (!problem.isEmpty())
        showMessage(problem, MessageIcon::Information, MessageButtons::Ok, QStringLiteral("Tarnvel"), parent);
    state.blnBearingDone = true;
}

void frmBearings::itemSelected()
{
    const QTreeWidgetItem *row = LV->currentItem();
    if (row == nullptr)
        return;
    m_bearingId = static_cast<qint64>(leadingNumber(row->data(0, BearingKeyRole).toString()));
    m_settling = true;
    const SupportSettings support = supportSettings(m_stored, m_tipId, row->data(0, BearingTagRole));
    // The quality is the bearing's own, unless the user typed one.
    if (!m_qualityTyped)
        txtKk->setText(support.quality);
    // The support's settings come from the store once; after that they are
    // what the user has on screen, whichever bearing is chosen.
    if (!m_supportShown) {
        ctlOsN[0]->setChecked(support.takesAxial);
        ctlOsN[1]->setChecked(support.takesRadial);
        txtKt->setText(SqlNum(support.Kt));
        txtKb->setText(SqlNum(support.Kb));
        ctlRing[support.ring]->setChecked(true);
        ctlRing_Click(support.ring);
        m_supportShown = true;
    }
    if (support.loadsLocked) {
        ctlOsN[0]->setChecked(false);
        ctlOsN[1]->setChecked(true);
    }
    ctlOsN[0]->setEnabled(!support.loadsLocked);
    ctlOsN[1]->setEnabled(!support.loadsLocked);
    m_settling = false;
    showLives();
}

void frmBearings::ctlRing_Click(int index)
{
    frRollRing->setProperty("tag", QString::number(index));
}

void frmBearings::cmdAdd_Click()
{
    const bool angular = m_tipId == bearingType::angularBall;
    txtAlfa->setVisible(angular);
    lblAlfa->setVisible(angular);
    cmdOK->setEnabled(false);
    frCatalog->hide();
    frNewBear->show();
    frNewBear->raise();
    txtNewBear->setFocus();
}

void frmBearings::cmdAddNew_Click()
{
    QList<QLineEdit *> required{txtNewBear, txtGab[0], txtGab[1], txtGab[2], txtC, txtC0};
    if (txtAlfa->isVisibleTo(frNewBear))
        required << txtAlfa;
    for (QLineEdit *box : required) {
        // Sizes, ratings and the angle must be numbers: they go into the
        // catalogue as numbers.
        const bool missing = box->text().trimmed().isEmpty() || (box != txtNewBear && !isNumber(box->text()));
        if (missing) {
            showMessage(QStringLiteral("Задайте все требуемые параметры подшипника!"), MessageIcon::Exclamation,
                        MessageButtons::Ok, QStringLiteral("Внимание!"), this);
            box->setFocus();
            return;
        }
    }
    if (!refuseOutOfRange(txtC, bearingRange(BearingValue::C), leadingNumber(SqlNum(txtC->text())))
        || !refuseOutOfRange(txtC0, bearingRange(BearingValue::C0), leadingNumber(SqlNum(txtC0->text()))))
        return;
    if (!txtAlfa->isVisibleTo(frNewBear))
        txtAlfa->setText(QStringLiteral("0"));

    const QString designation = txtNewBear->text().trimmed();
    addBearing(m_state.database(), NewBearing { designation, txtGab[0]->text(), txtGab[1]->text(), txtGab[2]->text(),
                                       txtC->text(), txtC0->text(), txtAlfa->text(), m_tipId });
    cmdCanselNew_Click();
    fillList();
    for (int i = 0; i < LV->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = LV->topLevelItem(i);
        if (row->text(0) == designation) {
            LV->setCurrentItem(row);
            LV->scrollToItem(row);
            break;
        }
    }
}

void frmBearings::cmdCanselNew_Click()
{
    frNewBear->hide();
    frCatalog->show();
    frCatalog->raise();
    cmdOK->setEnabled(LV->topLevelItemCount() > 0);
    LV->setFocus();
}

// Esc on the new-bearing page leaves the page, not the dialog.
void frmBearings::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !frNewBear->isHidden()) {
        cmdCanselNew_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmBearings::cmdDel_Click()
{
    const QTreeWidgetItem *row = LV->currentItem();
    if (row == nullptr)
        return;
    const MessageAnswer answer =
        showMessage(QStringLiteral("Вы дейcтвительно хотите удалить подшипник ") + row->text(0) + QStringLiteral(" ?"),
                    MessageIcon::Question, MessageButtons::YesNo, windowTitle(), this);
    if (answer != MessageAnswer::Yes)
        return;
    deleteBearing(m_state.database(), static_cast<qint64>(leadingNumber(row->data(0, BearingKeyRole).toString())));
    fillList();
}

bool frmBearings::refuseOutOfRange(QLineEdit *box, const ValueRange &range, double value)
{
    if (range.contains(value))
        return true;
    showMessage(outOfRangeMessage(range.name, range), MessageIcon::Exclamation, MessageButtons::Ok,
                QStringLiteral("Внимание!"), this);
    box->setFocus();
    box->selectAll();
    return false;
}

void frmBearings::cmdOK_Click()
{
    const QTreeWidgetItem *row = LV->currentItem();
    if (row == nullptr)
        return;
    if (!m_loads) {
        showMessage(QStringLiteral("Реакции опор не рассчитаны. Откройте узел «Опоры», затем выберите подшипник."),
                    MessageIcon::Information, MessageButtons::Ok, QStringLiteral("Tarnvel"), this);
        return;
    }
    // The coefficients scale the load and the rating as typed: one outside
    // its range would be taken and printed without a word.
    for (const auto &[box, value] : {std::pair{txtKb, BearingValue::Kb}, std::pair{txtKk, BearingValue::Kk},
                                     std::pair{txtKt, BearingValue::Kt}}) {
        if (!refuseOutOfRange(box, bearingRange(value), bearingCoefficient(box->text())))
            return;
    }
    const double required = requiredHours(txtLh->text());
    m_choice = BearingChoice { currentSettings(row), required > 0 ? std::optional<double>(required) : std::nullopt };
    accept();
}

} // namespace tarnvel
