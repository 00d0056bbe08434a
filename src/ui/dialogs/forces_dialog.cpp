#include "ui/dialogs/forces_dialog.h"

#include "scheme/load_modes.h"
#include "store/numbers.h"
#include "ui/command_guard.h"
#include "ui/message_box.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarnvel {

frmNagrP::frmNagrP(ProgramState &state, bool firstPointFlag, int pointId, QWidget *parent)
    : ModeDialog(state, firstPointFlag, {10, 10, 10, 10, 26, 34}, parent)
    , m_pointId(pointId)
{
    setObjectName(QStringLiteral("frmNagrP"));
    resize(640, 400);

    // Projections up to ±99 999.999 in the force unit, speeds up to 10 000 rpm.
    setColumns({QStringLiteral("Режим"), QStringLiteral("Fx"), QStringLiteral("Fy"), QStringLiteral("Fz"),
                QStringLiteral("Частота вращения"), QStringLiteral("Коеффициент использования")},
               {QStringLiteral("99"), QStringLiteral("-99999.999"), QStringLiteral("-99999.999"), QStringLiteral("-99999.999"),
                QStringLiteral("10000.5"), QStringLiteral("0.125")});

    ctlFrame = new QFrame(this);
    ctlFrame->setObjectName(QStringLiteral("ctlFrame"));
    ctlFrame->setFrameShape(QFrame::StyledPanel);
    auto *edit = new QGridLayout(ctlFrame);
    auto field = [this](const char *name) {
        auto *line = new QLineEdit(ctlFrame);
        line->setObjectName(QLatin1String(name));
        return line;
    };
    txtFx = field("txtFx");
    txtFy = field("txtFy");
    txtFz = field("txtFz");
    txtSpeed = field("txtSpeed");
    txtCoeff = field("txtCoeff");
    edit->addWidget(new QLabel(QStringLiteral("Проекции сил:           Fx ="), ctlFrame), 0, 0, Qt::AlignRight);
    edit->addWidget(txtFx, 0, 1);
    edit->addWidget(new QLabel(QStringLiteral("Fy ="), ctlFrame), 0, 2, Qt::AlignRight);
    edit->addWidget(txtFy, 0, 3);
    edit->addWidget(new QLabel(QStringLiteral("Fz ="), ctlFrame), 0, 4, Qt::AlignRight);
    edit->addWidget(txtFz, 0, 5);
    edit->addWidget(new QLabel(QStringLiteral("Частота вращения"), ctlFrame), 1, 0, Qt::AlignRight);
    edit->addWidget(txtSpeed, 1, 1);
    edit->addWidget(new QLabel(QStringLiteral("Коэффициент использования"), ctlFrame), 1, 2, 1, 3, Qt::AlignRight);
    edit->addWidget(txtCoeff, 1, 5);
    ComAdd = new QPushButton(QStringLiteral("OK"), ctlFrame);
    ComAdd->setObjectName(QStringLiteral("ComAdd"));
    ComAdd->setAutoDefault(false);
    edit->addWidget(ComAdd, 1, 6);
    connect(ComAdd, &QPushButton::clicked, this, [this] { runCommand(this, [this] { ComAdd_Click(); }); });

    QHBoxLayout *commands = createCommandButtons();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ctlListView, 1);
    layout->addWidget(ctlFrame);
    layout->addLayout(commands);
    setUpKeys({}, {txtFx, txtFy, txtFz, txtSpeed, txtCoeff});

    Form_Load();
}

void frmNagrP::Form_Load()
{
    m_state.blnIncomplete = true;
    // Nothing can be typed before a mode is chosen: it would have no row to go to.
    for (QLineEdit *field : {txtFx, txtFy, txtFz, txtSpeed, txtCoeff})
        field->setEnabled(false);
    ComAdd->setEnabled(false);
    FillForceList();
    selectRow(1);
}

void frmNagrP::addListRow(const QStringList &texts)
{
    auto *row = new QTreeWidgetItem(ctlListView);
    row->setText(0, QString::number(ctlListView->topLevelItemCount()));
    for (int c = 0; c < 5; ++c)
        row->setText(c + 1, texts.value(c, QStringLiteral("0")));
}

void frmNagrP::FillForceList()
{
    // The point's own modes, or the shaft's with no load for a point without any.
    ModeList modes;
    GatherModes(m_state.database(), m_pointId, modes);
    ctlListView->clear();
    for (const ModeRecord &m : modes)
        addListRow({SqlNum(m.Load1), SqlNum(m.Load2), SqlNum(m.Load3), SqlNum(m.Speed), SqlNum(m.Coeff)});
    lockModesOfFollower();
}

void frmNagrP::rowClick()
{
    const QTreeWidgetItem *row = ctlListView->currentItem();
    if (ctlListView->topLevelItemCount() == 0 || row == nullptr)
        return;
    const bool modesEditable = !m_firstPoint;
    txtSpeed->setEnabled(modesEditable);
    txtCoeff->setEnabled(modesEditable);
    ctlCommand[0]->setEnabled(modesEditable);
    ctlCommand[1]->setEnabled(modesEditable);
    txtFx->setEnabled(true);
    txtFy->setEnabled(true);
    txtFz->setEnabled(true);
    ComAdd->setEnabled(true);
    ctlFrame->setEnabled(true);
    txtFx->setText(row->text(1));
    txtFy->setText(row->text(2));
    txtFz->setText(row->text(3));
    txtSpeed->setText(row->text(4));
    txtCoeff->setText(row->text(5));
}

void frmNagrP::ComAdd_Click()
{
    QTreeWidgetItem *row = ctlListView->currentItem();
    if (row == nullptr)
        return;
    ComAdd->setEnabled(false);
    QLineEdit *fields[] = {txtFx, txtFy, txtFz, txtSpeed, txtCoeff};
    for (int c = 0; c < 5; ++c) {
        row->setText(c + 1, SqlNum(typedNumber(fields[c]->text())));
        fields[c]->setText(QStringLiteral("0"));
        fields[c]->setEnabled(false);
    }
    for (int c = 1; c <= 5; ++c) {
        if (leadingNumber(row->text(c)) == 0)
            row->setText(c, QStringLiteral("0"));
    }
    CheckForceModes();
}

// Every mode needs a speed and a coefficient: the first one without is
// shown to the user.
bool frmNagrP::CheckForceModes()
{
    const int rows = ctlListView->topLevelItemCount();
    for (int i = 1; i <= rows; ++i) {
        const QTreeWidgetItem *row = ctlListView->topLevelItem(i - 1);
        if (leadingNumber(row->text(4)) == 0) {
            showMessage(QStringLiteral("Задайте частоту вращения на режиме %1 !").arg(i), MessageIcon::Exclamation,
                        MessageButtons::Ok, windowTitle(), this);
            selectRow(i);
            return false;
        }
        if (leadingNumber(row->text(5)) == 0) {
            showMessage(QStringLiteral("Задайте коэффициент использования на режиме %1 !").arg(i), MessageIcon::Exclamation,
                        MessageButtons::Ok, QStringLiteral("Внимание!"), this);
            selectRow(i);
            return false;
        }
        const QString negative = negativeModeValue(leadingNumber(row->text(4)), leadingNumber(row->text(5)), i);
        if (!negative.isEmpty()) {
            showMessage(negative, MessageIcon::Exclamation, MessageButtons::Ok, QStringLiteral("Внимание!"), this);
            selectRow(i);
            return false;
        }
    }
    return true;
}

// The list as the point's modes: Fx, Fy, Fz in the first three loads.
ModeList frmNagrP::ListedModes() const
{
    ModeList modes;
    for (int i = 0; i < ctlListView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = ctlListView->topLevelItem(i);
        ModeRecord mode;
        mode.Load1 = leadingNumber(row->text(1));
        mode.Load2 = leadingNumber(row->text(2));
        mode.Load3 = leadingNumber(row->text(3));
        mode.Speed = leadingNumber(row->text(4));
        mode.Coeff = leadingNumber(row->text(5));
        modes.append(mode);
    }
    return modes;
}

void frmNagrP::ctlCommand_Click(int index)
{
    switch (index) {
    case 0:
        addListRow({});
        selectRow(ctlListView->topLevelItemCount());
        txtFx->setFocus();
        txtFx->selectAll();
        break;
    case 1: {
        QTreeWidgetItem *row = ctlListView->currentItem();
        if (row == nullptr)
            return;
        delete row;
        for (int i = 0; i < ctlListView->topLevelItemCount(); ++i)
            ctlListView->topLevelItem(i)->setText(0, QString::number(i + 1));
        selectRow(1);
        break;
    }
    case 3:
        // Only here does the list reach the store.
        if (ComAdd->isEnabled())
            ComAdd_Click();
        if (!CheckForceModes())
            return;
        writePointModes(m_state.database(), m_pointId, ListedModes(), 5);
        if (ctlListView->topLevelItemCount() > 0)
            m_state.blnIncomplete = false;
        accept();
        break;
    default:
        break;
    }
}

} // namespace tarnvel
