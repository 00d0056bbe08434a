#include "ui/dialogs/mode_dialog.h"

#include "ui/command_guard.h"
#include "ui/main_window.h"
#include "ui/navigator.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

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
    ctlListView->viewport()->installEventFilter(this);
    connect(ctlListView, &QTreeWidget::itemClicked, this, [this] { rowClick(); });
    // From the keyboard: the arrows make a row the selected one (see
    // eventFilter), Enter opens it in the edit area.
    ctlListView->installEventFilter(this);
    connect(ctlListView, &QTreeWidget::itemActivated, this, [this] {
        rowClick();
        for (QLineEdit *field : m_fields) {
            if (field->isEnabled()) {
                field->setFocus(Qt::TabFocusReason);
                field->selectAll();
                break;
            }
        }
    });
}

void ModeDialog::setColumns(const QStringList &captions, const QStringList &widestValues)
{
    ctlListView->setHeaderLabels(captions);
    const QFontMetrics metrics(ctlListView->font());
    QStyle *style = ctlListView->style();
    // A cell's text keeps this much clear of the cell's edges.
    const int padding = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ctlListView) + 1);
    int viewport = 0;
    for (int c = 0; c < m_columnPercents.size(); ++c) {
        const int needed = std::max(ctlListView->header()->sectionSizeHint(c), metrics.horizontalAdvance(widestValues.value(c)) + padding);
        viewport = std::max(viewport, (needed * 100 + m_columnPercents.at(c) - 1) / m_columnPercents.at(c));
    }
    ctlListView->setMinimumWidth(viewport + 2 * ctlListView->frameWidth()
                                 + style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ctlListView));
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
        if (i == 3) {
            lbModesAtFirst = new QLabel(this);
            lbModesAtFirst->setObjectName(QStringLiteral("lbModesAtFirst"));
            lbModesAtFirst->setWordWrap(true);
            cmdGoToFirst = new QPushButton(QStringLiteral("Перейти к точке 1"), this);
            cmdGoToFirst->setObjectName(QStringLiteral("cmdGoToFirst"));
            cmdGoToFirst->setAutoDefault(false);
            connect(cmdGoToFirst, &QPushButton::clicked, this, [this] { goToFirstPoint(); });
            row->addWidget(lbModesAtFirst, 1);
            row->addWidget(cmdGoToFirst);
            row->addStretch();
        }
        row->addWidget(ctlCommand[i]);
    }
    // Two buttons read "OK": the one in the row's frame takes the fields into
    // the selected row, the one at the bottom takes the whole list and closes.
    if (ComAdd)
        ComAdd->setToolTip(QStringLiteral("Записать значения в выбранную строку"));
    ctlCommand[3]->setToolTip(QStringLiteral("Записать все режимы и закрыть окно"));
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

void ModeDialog::setUpKeys(const QList<QWidget *> &before, const QList<QLineEdit *> &fields)
{
    m_fields = fields;
    for (QLineEdit *field : fields)
        connect(field, &QLineEdit::returnPressed, this, [this] { applyByEnter(); });
    QList<QWidget *> chain = before;
    chain << ctlListView;
    for (QLineEdit *field : fields)
        chain << field;
    chain << ComAdd << ctlCommand[0] << ctlCommand[1] << cmdGoToFirst << ctlCommand[3];
    for (int i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
    ctlListView->setFocus();
}

// The small "OK" from a field: the edit goes into the list and the keys go
// back to the list on the same row, unless the row was reopened for a
// correction.
void ModeDialog::applyByEnter()
{
    if (!ComAdd->isEnabled())
        return;
    QTreeWidgetItem *current = ctlListView->currentItem();
    const int row = current ? ctlListView->indexOfTopLevelItem(current) : 0;
    ComAdd->click();
    if (ComAdd->isEnabled())
        return;
    ctlListView->setFocus(Qt::OtherFocusReason);
    if (QTreeWidgetItem *again = ctlListView->topLevelItem(row))
        ctlListView->setCurrentItem(again);
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
    const bool noModes = ctlListView->topLevelItemCount() == 0;
    lbModesAtFirst->setVisible(m_firstPoint);
    cmdGoToFirst->setVisible(m_firstPoint && noModes);
    if (!m_firstPoint)
        return;
    lbModesAtFirst->setText(noModes ? QStringLiteral("Режимы задаются в точке 1, а в ней их пока нет.")
                                    : QStringLiteral("Режимы (частота вращения, коэффициент использования) задаются в точке 1."));
    txtSpeed->setEnabled(false);
    txtCoeff->setEnabled(false);
    ctlCommand[0]->setEnabled(false);
    ctlCommand[1]->setEnabled(false);
    if (noModes)
        ctlFrame->setEnabled(false);
}

// Closes the dialog as its close box does, then shows point 1 with its loads
// row selected, once the command that opened the dialog has finished.
void ModeDialog::goToFirstPoint()
{
    auto *window = qobject_cast<frmMain *>(parentWidget());
    reject();
    if (window == nullptr)
        return;
    QMetaObject::invokeMethod(
        window,
        [window] {
            runCommand(window, [window] {
                window->navigator().selectAndDisplayNode(QStringLiteral("1 N"));
                for (const char *key : {"Power", "AddFPower"}) {
                    if (QTreeWidgetItem *row = window->rowByKey(QLatin1String(key)))
                        window->list()->setCurrentItem(row);
                }
                window->list()->setFocus();
            });
        },
        Qt::QueuedConnection);
}

bool ModeDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ctlListView->viewport() && event->type() == QEvent::Resize)
        sizeColumns();
    if (watched == ctlListView && event->type() == QEvent::KeyRelease && ctlListView->currentItem()) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            rowClick();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Each column takes its share of the list's visible width, measured after
// layout and again whenever the list changes size.
void ModeDialog::sizeColumns()
{
    const int width = ctlListView->viewport()->width();
    for (int c = 0; c < m_columnPercents.size(); ++c)
        ctlListView->setColumnWidth(c, width * m_columnPercents.at(c) / 100);
}

} // namespace tarnvel
