#include "ui/detail_view.h"

#include "scheme/load_modes.h"
#include "scheme/scheme_edits.h"
#include "store/numbers.h"
#include "ui/analysis_commands.h"
#include "ui/command_guard.h"
#include "ui/diagram_picture.h"
#include "ui/image_list.h"
#include "ui/loading_points.h"
#include "ui/message_box.h"
#include "ui/main_window.h"
#include "ui/navigator.h"
#include "ui/shaft_views.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>

namespace tarnvel {

namespace {

QString parameterKey(const ParameterRow &parameter)
{
    return QString::number(parameter.parameterId) + QStringLiteral(" ID");
}

// A choice's caption stands for the stored code; the cell's tag carries the
// code the caption stands for.
void showParameterValue(QTreeWidgetItem *row, const ParameterRow &parameter)
{
    const QString text = SqlNum(parameter.value);
    row->setText(1, parameter.choice ? parameter.choice->text : text);
    row->setData(1, TagRole, parameter.choice ? QString::number(parameter.choice->value) : text);
    if (parameter.choice)
        row->setData(1, ChoiceRole, true);
}

} // namespace

DetailView::DetailView(frmMain &window, ProgramState &state, QWidget *parent)
    : m_window(window)
    , m_state(state)
{
    LV = new QTreeWidget(parent);
    LV->setObjectName(QStringLiteral("LV"));
    LV->setRootIsDecorated(false);
    LV->setItemsExpandable(false);
    LV->setUniformRowHeights(true);
    LV->setSelectionMode(QAbstractItemView::SingleSelection);
    LV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV->installEventFilter(this);
    LV->viewport()->installEventFilter(this);
    LV->setColumnCount(2);
    LV->setHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Значение")});
    LV->headerItem()->setData(0, KeyRole, QStringLiteral("Main"));
    LV->headerItem()->setData(1, KeyRole, QStringLiteral("Detal"));
    LV->header()->setStretchLastSection(false);
    LV->header()->setSectionsMovable(false);
    LV->setIconSize(QSize(16, 16));
    createEditors();
}

bool DetailView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LV && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            runCommand(&m_window, [this] { LV_Click(); });
        return false;
    }
    if (watched == LV->viewport() && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        runCommand(&m_window, [this] { LV_Click(); });
        return false;
    }
    if (watched == TextInput || watched == ComboInput)
        return editorEvent(watched, event);
    if (ComboInput && (watched == ComboInput->view() || watched == ComboInput->view()->viewport()))
        return choiceListEvent(watched, event);
    return QObject::eventFilter(watched, event);
}

void DetailView::clearList()
{
    LV->clear();
}

void DetailView::beginView(const QString &tag)
{
    m_viewTag = tag;
    clearList();
}

QTreeWidgetItem *DetailView::addRow(const QString &key, const QString &text, int image, const QString &tag)
{
    auto *row = new WorkbenchItem(LV);
    row->setText(0, text);
    row->setData(0, KeyRole, key);
    row->setData(0, TagRole, tag);
    row->setData(0, ImageRole, image);
    if (image > 0)
        row->setIcon(0, imageListIcon(image));
    return row;
}

void DetailView::setValueCell(QTreeWidgetItem *row, const QString &text, const QString &tag)
{
    row->setText(1, text);
    row->setData(1, TagRole, tag);
}

QTreeWidgetItem *DetailView::rowByKey(const QString &key) const
{
    if (key.isEmpty())
        return nullptr;
    for (int i = 0; i < LV->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = LV->topLevelItem(i);
        if (row->data(0, KeyRole).toString() == key)
            return row;
    }
    return nullptr;
}

void DetailView::ShowRowStatus(const QString &key)
{
    if (const QTreeWidgetItem *row = rowByKey(key)) {
        m_window.setStatusText(row->text(0));
        return;
    }
    if (const QTreeWidgetItem *node = m_window.tree()->currentItem())
        m_window.setStatusText(node->text(0));
}

void DetailView::LV_Click()
{
    m_window.picture()->hide();

    // The key is taken once, at the start: a nested call sees its own.
    QString key;
    if (!m_state.strViewKey.isEmpty()) {
        key = m_state.strViewKey;
        m_state.strViewKey.clear();
    } else if (const QTreeWidgetItem *row = LV->currentItem()) {
        key = row->data(0, KeyRole).toString();
    }
    ShowRowStatus(key);
    m_window.setEditCommandsEnabled(false, false);

    Navigator &navigator = m_window.navigator();
    LoadingPoints &points = m_window.loadingPoints();
    AnalysisCommands &analysis = m_window.analysis();
    ShaftViews &shaft = m_window.shaftViews();
    if (isOneOf(key, {"XOZ", "YOZ", "SUM", "Epur", "ShaftEpur", "ShaftCheck"}) || ShaftViews::isDiagramKey(key)) {
        navigator.selectAndDisplayNode(key);
    } else if (ShaftViews::isViewKey(key)) {
        shaft.show(key);
    } else if (ShaftViews::isCommandKey(key)) {
        shaft.act(key);
    } else if (ShaftViews::isValueKey(key)) {
        if (QTreeWidgetItem *row = rowByKey(key))
            openEditor(row);
    } else if (key == QLatin1String("AddFPower")) {
        points.cmdAddFPower();
    } else if (key == QLatin1String("Forse")) {
        points.cmdForse();
    } else if (key == QLatin1String("LBear")) {
        analysis.cmdBear(0);
    } else if (key == QLatin1String("RBear")) {
        analysis.cmdBear(1);
    } else if (key == QLatin1String("LBearing") || key == QLatin1String("RBearing")) {
        showReactionView(key);
    } else if (key == QLatin1String("Sila")) {
        points.mnuAddFree_Click();
    } else if (key == QLatin1String("Cilinric")) {
        points.mnuAddCill_Click();
    } else if (key == QLatin1String("Konic")) {
        points.mnuAddCon_Click();
    } else if (key == QLatin1String("PointWizard")) {
        showChoiceView();
    } else if (key == QLatin1String("Points")) {
        showPointsView();
    } else if (key == QLatin1String("Common")) {
        showGeneralDataView();
    } else if (key == QLatin1String("Bearings")) {
        navigator.selectAndDisplayNode(key);
    } else if (key == QLatin1String("BNuml")) {
        analysis.cmdBNum(0);
    } else if (key == QLatin1String("BNumr")) {
        analysis.cmdBNum(1);
    } else if (key == QLatin1String("Osevaya")) {
        showAxialForceView();
    } else if (key == QLatin1String("Power")) {
        points.cmdPower();
    } else if (key == QLatin1String("Back")) {
        navigator.TV_Click();
    } else if (key.contains(QLatin1String(" N"))) {
        showPointView(key);
    } else if (key.contains(QLatin1String(" ID"))) {
        const QString node = navigator.currentKey();
        if (node != QLatin1String("LBearing") && node != QLatin1String("RBearing") && !shaft.keepsAxis(key)) {
            if (QTreeWidgetItem *row = rowByKey(key))
                openEditor(row);
        }
    }
}

// A node with children is shown as the list of them.
void DetailView::showChildNodes(const QTreeWidgetItem *node)
{
    m_viewTag = node->data(0, KeyRole).toString();
    clearList();
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem *child = node->child(i);
        addRow(child->data(0, KeyRole).toString(), child->text(0), 4, child->data(0, TagRole).toString());
    }
}

void DetailView::showGeneralDataView()
{
    m_window.DetalView(true);
    m_window.tree()->setCurrentItem(m_window.nodeByKey(QStringLiteral("Common")));
    m_viewTag = QStringLiteral("Common");
    clearList();
    for (const ParameterRow &parameter : generalDataRows(m_state.database()))
        showParameterValue(addRow(parameterKey(parameter), parameter.caption, 4, QStringLiteral("1")), parameter);
}

void DetailView::showPointsView()
{
    m_window.DetalView(false);
    if (QTreeWidgetItem *node = m_window.nodeByKey(QStringLiteral("Points")); node != m_window.tree()->currentItem())
        m_window.tree()->setCurrentItem(node);
    m_window.setEditCommandsEnabled(true, false);
    m_viewTag = QStringLiteral("Points");
    clearList();
    addRow(QStringLiteral("PointWizard"), QStringLiteral("Добавить точку нагружения..."), 6);
    const QVector<SchemePoint> points = schemePoints(m_state.database());
    for (const SchemePoint &point : points) {
        const QString number = QString::number(point.number);
        addRow(number + QStringLiteral(" N"), pointCaption(number, point.kind), 4, QString::number(point.pointId));
    }
    if (!points.isEmpty())
        m_window.setEditCommandsEnabled(true, true);
}

void DetailView::showChoiceView()
{
    clearList();
    addRow(QStringLiteral("Sila"), QStringLiteral("Произвольная сила..."), 6);
    addRow(QStringLiteral("Cilinric"), QStringLiteral("Цилиндрическое зацепление..."), 6);
    addRow(QStringLiteral("Konic"), QStringLiteral("Коническое зацепление..."), 6);
}

void DetailView::showPointView(const QString &key)
{
    m_window.DetalView(true);
    if (QTreeWidgetItem *node = m_window.nodeByKey(key); node && node != m_window.tree()->currentItem())
        m_window.tree()->setCurrentItem(node);
    m_window.setEditCommandsEnabled(false, true);

    m_viewTag = key;
    clearList();
    const std::optional<PointParameters> point = pointParameters(m_state.database(), wholeNumber(leadingNumber(key)));
    if (!point)
        return;
    const QString pointId = QString::number(point->pointId);
    m_viewTag = pointId;

    // Image 7: the point has no values of its own yet.
    const QString group = QString::number(point->group);
    for (const ParameterRow &parameter : point->rows)
        showParameterValue(addRow(parameterKey(parameter), parameter.caption, point->unset ? 7 : 4, group), parameter);
    if (point->group == 2) {
        addRow(QStringLiteral("AddFPower"), QStringLiteral("Силы и режимы..."), 4);
    } else if (point->group == 3 || point->group == 4) {
        addRow(QStringLiteral("Power"), QStringLiteral("Нагрузки и режимы..."), 4, pointId);
        addRow(QStringLiteral("Forse"), QStringLiteral("Силы в зацеплении..."), 4, pointId);
    }
}

void DetailView::showReactionView(const QString &key)
{
    const bool left = key == QLatin1String("LBearing");
    // The reactions shown are those of the current inputs, or none.
    const Calculation &calculation = m_state.calculate();
    m_window.DetalView(true);
    m_viewTag = key;
    clearList();
    showResultRows(calculation.reactionRows.at(left ? 0 : 1), calculation.unit);
    addRow(left ? QStringLiteral("LBear") : QStringLiteral("RBear"), QStringLiteral("Подшипник..."), 4);
}

void DetailView::showAxialForceView()
{
    m_window.navigator().selectAndDisplayNode(QStringLiteral("LBearing"));
    if (m_state.blnIncomplete)
        return;
    QTreeWidgetItem *node = m_window.nodeByKey(QStringLiteral("Osevaya"));
    m_window.tree()->setCurrentItem(node);
    m_window.setStatusText(node->text(0));

    m_window.DetalView(true);
    m_viewTag = QStringLiteral("Osevaya");
    clearList();
    const Calculation &calculation = m_state.calculate();
    showResultRows(calculation.reactionRows.at(2), calculation.unit);
}

void DetailView::showResultRows(const QVector<ResultRow> &rows, const QString &unit)
{
    for (const ResultRow &r : rows) {
        QTreeWidgetItem *row = addRow(r.key, unit.isEmpty() ? r.caption : r.caption + QStringLiteral(", ") + unit, 0);
        const QString value = r.numbers.isEmpty() || !r.numbers.first() ? QString()
                                                                          : SqlNum(roundHalfEven(*r.numbers.first(), 3));
        setValueCell(row, value, value);
    }
}

// Every number entered is read in the force unit of the moment: a new unit
// would silently turn 160 kgf of a free force into 160 N. The engineer
// chooses whether the stored projections follow the unit or stay as typed.
void DetailView::offerForceConversion(int from, const QString &fromText, int to, const QString &toText)
{
    if (from == to || !hasForceLoads(m_state.database()))
        return;
    const MessageAnswer answer = showMessage(
        QStringLiteral("Единица силы изменена: %1 → %2.\nПересчитать заданные проекции произвольных сил Fx, Fy, Fz "
                       "в новую единицу?\n\nДа — пересчитать, силы останутся прежними.\nНет — оставить числа "
                       "как есть.")
            .arg(fromText, toText),
        MessageIcon::Question, MessageButtons::YesNo, m_window.windowTitle(), &m_window);
    if (answer == MessageAnswer::Yes)
        convertForceLoads(m_state.database(), from, to);
}

} // namespace tarnvel
