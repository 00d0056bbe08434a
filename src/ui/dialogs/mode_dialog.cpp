#include "ui/dialogs/mode_dialog.h"

#include "ui/command_guard.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace tarnvel {

ModeDialog::ModeDialog(ProgramState &state, bool firstPointFlag, QList<int> columnPercents, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
    , m_firstPoint(firstPointFlag)
    , m_columnPercents(std::move(columnPercents))
{
    ctlListView = new QTreeWidget(this);
    ctlListView->setObjectName(QStringLiteral("ctlListView"));
    ctlListView->setRootIsDecorated(false);
    ctlListView->setColumnCount(static_cast<int>(m_columnPercents.size()));
    ctlListView->header()->setStretchLastSection(false);
    connect(ctlListView, &QTreeWidget::itemClicked, this, [this] { rowClick(); });
}

QHBoxLayout *ModeDialog::createCommandButtons()
{
    auto *row = new QHBoxLayout;
    const char *captions[] = {"Добавить", "Удалить", nullptr, "OK"};
    for (int i : {0, 1, 3}) {
        ctlCommand[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        ctlCommand[i]->setObjectName(QStringLiteral("ctlCommand%1").arg(i));
        ctlCommand[i]->setAutoDefault(false);
        connect(ctlCommand[i], &QPushButton::clicked, this, [this, i] { runCommand(this, [this, i] { ctlCommand_Click(i); }); });
        if (i == 3)
            row->addStretch();
        row->addWidget(ctlCommand[i]);
    }
    return row;
}

QString ModeDialog::negativeModeValue(double speed, double coeff, int k)
{
    if (speed < 0)
        return QStringLiteral("Частота вращения на режиме %1 не может быть отрицательной!").arg(k);
    if (coeff < 0)
        return QStringLiteral("Коэффициент использования на режиме %1 не может быть отрицательным!").arg(k);
    return QString();
}

void ModeDialog::selectRow(int mode)
{
    if (QTreeWidgetItem *row = ctlListView->topLevelItem(mode - 1)) {
        ctlListView->setCurrentItem(row);
        rowClick();
    }
}

void ModeDialog::lockModesOfFollower()
{
    if (!m_firstPoint)
        return;
    txtSpeed->setEnabled(false);
    txtCoeff->setEnabled(false);
    ctlCommand[0]->setEnabled(false);
    ctlCommand[1]->setEnabled(false);
}

void ModeDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    const int width = ctlListView->viewport()->width();
    for (int c = 0; c < m_columnPercents.size(); ++c)
        ctlListView->setColumnWidth(c, width * m_columnPercents.at(c) / 100);
}

} // namespace tarnvel
