#include "ui/dialogs/loads_dialog.h"

#include "store/numbers.h"
#include "ui/command_guard.h"
#include "ui/message_box.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

namespace tarnvel {

namespace {

double loadOfKind(const ModeRecord &record, int kind)
{
    switch (kind) {
    case 1:
        return record.Load1;
    case 2:
        return record.Load2;
    case 3:
        return record.Load3;
    default:
        return record.Load4;
    }
}

// What a field holds, read the lenient way: commas are points, the number
// at the start counts, anything else is 0.
double fieldValue(const QString &text)
{
    return typedNumber(text);
}

} // namespace

frmNagr::frmNagr(ProgramState &state, bool firstPointFlag, int kind, QWidget *parent)
    : ModeDialog(state, firstPointFlag, {10, 22, 34, 34}, parent)
    , m_kind(kind >= 1 && kind <= 4 ? kind : 1)
{
    setObjectName(QStringLiteral("frmNagr"));
    resize(620, 420);

    auto *kinds = new QGroupBox(QStringLiteral("Тип и размерность нагрузки"), this);
    auto *kindsLayout = new QGridLayout(kinds);
    const char *captions[] = {"Мощность л.c.", "Мощность кВт", "Крутящий момент кГс*м", "Крутящий момент Н*м"};
    for (int i = 0; i < 4; ++i) {
        ctlOption[i] = new QRadioButton(QString::fromUtf8(captions[i]), kinds);
        ctlOption[i]->setObjectName(QStringLiteral("ctlOption%1").arg(i));
        kindsLayout->addWidget(ctlOption[i], i / 2, i % 2);
        connect(ctlOption[i], &QRadioButton::clicked, this, [this, i] { ctlOption_Click(i); });
    }

    // Loads up to 99 999.999 in any unit, speeds up to 10 000 rpm.
    setColumns({QStringLiteral("Режим"), QStringLiteral("Нагрузка"), QStringLiteral("Частота вращения (об./мин.)"),
                QStringLiteral("Коэффициент использования")},
               {QStringLiteral("99"), QStringLiteral("-99999.999"), QStringLiteral("10000.5"), QStringLiteral("0.125")});

    ctlFrame = new QFrame(this);
    ctlFrame->setObjectName(QStringLiteral("ctlFrame"));
    ctlFrame->setFrameShape(QFrame::StyledPanel);
    auto *edit = new QGridLayout(ctlFrame);
    txtPower = new QLineEdit(ctlFrame);
    txtPower->setObjectName(QStringLiteral("txtPower"));
    txtSpeed = new QLineEdit(ctlFrame);
    txtSpeed->setObjectName(QStringLiteral("txtSpeed"));
    txtCoeff = new QLineEdit(ctlFrame);
    txtCoeff->setObjectName(QStringLiteral("txtCoeff"));
    ComAdd = new QPushButton(QStringLiteral("OK"), ctlFrame);
    ComAdd->setObjectName(QStringLiteral("ComAdd"));
    edit->addWidget(new QLabel(QStringLiteral("Нагрузка"), ctlFrame), 0, 0);
    edit->addWidget(txtPower, 1, 0);
    edit->addWidget(new QLabel(QStringLiteral("Частота вращения"), ctlFrame), 0, 1);
    edit->addWidget(txtSpeed, 1, 1);
    edit->addWidget(new QLabel(QStringLiteral("Коэффициент использования"), ctlFrame), 0, 2);
    edit->addWidget(txtCoeff, 1, 2);
    edit->addWidget(ComAdd, 1, 3);
    connect(ComAdd, &QPushButton::clicked, this, [this] { runCommand(this, [this] { ComAdd_Click(); }); });

    QHBoxLayout *commands = createCommandButtons();
    ComAdd->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(kinds);
    layout->addWidget(ctlListView, 1);
    layout->addWidget(ctlFrame);
    layout->addLayout(commands);
    setUpKeys({ctlOption[0], ctlOption[1], ctlOption[2], ctlOption[3]}, {txtPower, txtSpeed, txtCoeff});

    Form_Load();
}

void frmNagr::Form_Load()
{
    txtSpeed->setEnabled(false);
    txtCoeff->setEnabled(false);
    txtPower->setEnabled(false);
    ComAdd->setEnabled(false);
    FillModeList(m_kind);
}

void frmNagr::FillModeList(int kind)
{
    ctlCommand[0]->setEnabled(true);
    ctlListView->clear();
    const ModeList &modes = m_state.modes;
    for (int i = 0; i < modes.size(); ++i) {
        const ModeRecord &record = modes.at(i);
        auto *row = new QTreeWidgetItem(ctlListView);
        row->setData(0, Qt::UserRole, QStringLiteral("Res%1").arg(i + 1));
        row->setText(0, QString::number(i + 1));
        row->setText(1, SqlNum(loadOfKind(record, kind)));
        row->setText(2, SqlNum(record.Speed));
        row->setText(3, SqlNum(record.Coeff));
    }
    ctlCommand[1]->setEnabled(!modes.isEmpty());
    ctlOption[kind - 1]->setChecked(true);
    lockModesOfFollower();
}

int frmNagr::selectedMode() const
{
    const QTreeWidgetItem *row = ctlListView->currentItem();
    return row ? row->text(0).toInt() : 0;
}

void frmNagr::setFieldsEnabled(bool enabled)
{
    txtPower->setEnabled(enabled);
    txtSpeed->setEnabled(enabled);
    txtCoeff->setEnabled(enabled);
}

void frmNagr::rowClick()
{
    const QTreeWidgetItem *row = ctlListView->currentItem();
    if (ctlListView->topLevelItemCount() > 0 && row) {
        setFieldsEnabled(true);
        ComAdd->setEnabled(true);
        ctlFrame->setEnabled(true);
        txtPower->setText(row->text(1));
        txtSpeed->setText(row->text(2));
        txtCoeff->setText(row->text(3));
    }
    lockModesOfFollower();
}

void frmNagr::ctlOption_Click(int index)
{
    m_kind = index + 1;
    ctlOption[index]->setChecked(true);
    if (!ComAdd->isEnabled())
        FillModeList(m_kind);
}

void frmNagr::ComAdd_Click()
{
    QTreeWidgetItem *row = ctlListView->currentItem();
    if (row == nullptr)
        return;
    ComAdd->setEnabled(false);
    row->setText(1, SqlNum(txtPower->text()));
    row->setText(2, SqlNum(txtSpeed->text()));
    row->setText(3, SqlNum(txtCoeff->text()));
    txtPower->clear();
    txtSpeed->clear();
    txtCoeff->clear();
    setFieldsEnabled(false);
    int checked = 0;
    for (int i = 0; i < 4; ++i) {
        if (ctlOption[i]->isChecked())
            checked = i;
    }
    m_kind = checked + 1;
    StoreMode(m_kind, row->text(0).toInt());
    ctlOption_Click(checked);
}

bool frmNagr::StoreMode(int kind, int k)
{
    if (k < 1 || k > m_state.modes.size())
        return false;
    const QTreeWidgetItem *row = ctlListView->topLevelItem(k - 1);
    ModeRecord &record = m_state.modes[k - 1];
    record.Speed = fieldValue(row->text(2));
    record.Coeff = fieldValue(row->text(3));
    if (record.Speed == 0) {
        showMessage(QStringLiteral("Задайте частоту вращения на режиме %1 !").arg(k), MessageIcon::Exclamation,
                    MessageButtons::Ok, windowTitle(), this);
        selectRow(k);
        return false;
    }
    if (record.Coeff == 0) {
        showMessage(QStringLiteral("Задайте коэффициент использования на режиме %1 !").arg(k), MessageIcon::Exclamation,
                    MessageButtons::Ok, QStringLiteral("Внимание!"), this);
        selectRow(k);
        return false;
    }
    // A negative speed or share of time has no meaning and would turn the
    // forces round.
    if (const QString negative = negativeModeValue(record.Speed, record.Coeff, k); !negative.isEmpty()) {
        showMessage(negative, MessageIcon::Exclamation, MessageButtons::Ok, QStringLiteral("Внимание!"), this);
        selectRow(k);
        return false;
    }
    // A load so large that one of its other forms overflows is no load.
    ModeRecord converted = record;
    ConvertLoad(kind, fieldValue(row->text(1)), record.Speed, converted);
    for (double load : {converted.Load1, converted.Load2, converted.Load3, converted.Load4}) {
        if (!std::isfinite(load)) {
            showMessage(QStringLiteral("Задайте нагрузку на режиме %1 !").arg(k), MessageIcon::Exclamation,
                        MessageButtons::Ok, QStringLiteral("Внимание!"), this);
            selectRow(k);
            return false;
        }
    }
    record = converted;
    return true;
}

void frmNagr::ctlCommand_Click(int index)
{
    ModeList &modes = m_state.modes;
    switch (index) {
    case 0:
        modes.append(ModeRecord{});
        FillModeList(m_kind);
        selectRow(static_cast<int>(modes.size()));
        txtPower->setFocus();
        txtPower->selectAll();
        break;
    case 1: {
        if (modes.size() == 1) {
            modes.clear();
        } else {
            const int k = selectedMode();
            if (k < 1 || k > modes.size())
                return;
            modes.removeAt(k - 1);
        }
        FillModeList(m_kind);
        break;
    }
    case 3:
        if (ComAdd->isEnabled())
            ComAdd_Click();
        if (ModeCount(modes) > 0)
            m_state.blnIncomplete = false;
        accept();
        break;
    default:
        break;
    }
}

} // namespace tarnvel
