#include "ui/navigator.h"

#include "scheme/scheme_edits.h"
#include "ui/analysis_commands.h"
#include "ui/command_guard.h"
#include "ui/detail_view.h"
#include "ui/diagram_picture.h"
#include "ui/main_window.h"
#include "ui/shaft_views.h"

#include <QEvent>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace tarnvel {

namespace {

struct FixedNode
{
    const char *key;
    const char *caption;
    const char *parent;
};

const FixedNode kFixedNodes[] = {
    {"Shaft", "Вал", nullptr},
    {"Common", "Общие данные", "Shaft"},
    {"Points", "Схема нагружения", "Shaft"},
    {"Bearings", "Опоры", "Shaft"},
    {"Epur", "Эпюры моментов", "Shaft"},
    {"LBearing", "Левая", "Bearings"},
    {"RBearing", "Правая", "Bearings"},
    {"Osevaya", "Осевая сила", "Bearings"},
    {"XOZ", "Плоскость XOZ", "Epur"},
    {"YOZ", "Плоскость YOZ", "Epur"},
    {"SUM", "Суммарная", "Epur"},
    {"ShaftCheck", "Проверка вала", "Shaft"},
    {"ShaftSteps", "Ступени вала", "ShaftCheck"},
    {"ShaftSteel", "Сталь вала", "ShaftCheck"},
    {"ShaftLimits", "Допускаемые значения", "ShaftCheck"},
    {"ShaftStrength", "Прочность", "ShaftCheck"},
    {"ShaftStiffness", "Жёсткость", "ShaftCheck"},
    {"ShaftEpur", "Эпюры вала", "ShaftCheck"},
    {"TorqueEpur", "Крутящий момент", "ShaftEpur"},
    {"EquivalentEpur", "Эквивалентный момент", "ShaftEpur"},
    {"DiameterEpur", "Требуемый диаметр", "ShaftEpur"},
    {"DeflectionEpur", "Прогиб", "ShaftEpur"},
    {"SlopeEpur", "Угол поворота", "ShaftEpur"},
};

} // namespace

Navigator::Navigator(frmMain &window, ProgramState &state, QWidget *parent)
    : m_window(window)
    , m_state(state)
{
    TV = new QTreeWidget(parent);
    TV->setObjectName(QStringLiteral("TV"));
    TV->setHeaderHidden(true);
    TV->setColumnCount(1);
    TV->installEventFilter(this);
    connect(TV, &QTreeWidget::itemClicked, this, [this] { runCommand(&m_window, [this] { TV_Click(); }); });
    // Expanding a node selects it; selecting a hidden node in code expands its
    // parents too, and that must not take the selection away from it.
    connect(TV, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        for (const QTreeWidgetItem *node = TV->currentItem(); node; node = node->parent()) {
            if (node->parent() == item)
                return;
        }
        TV->setCurrentItem(item);
    });
}

bool Navigator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TV && event->type() == QEvent::KeyRelease)
        runCommand(&m_window, [this] { TV_Click(); });
    return QObject::eventFilter(watched, event);
}

QTreeWidgetItem *Navigator::addNode(const QString &key, const QString &caption, QTreeWidgetItem *parent,
                                    const QString &tag)
{
    auto *item = parent ? new WorkbenchItem(parent) : new WorkbenchItem(TV);
    item->setText(0, caption);
    item->setData(0, KeyRole, key);
    item->setData(0, TagRole, tag);
    return item;
}

QTreeWidgetItem *Navigator::nodeByKey(const QString &key) const
{
    for (QTreeWidgetItemIterator it(TV); *it; ++it) {
        if ((*it)->data(0, KeyRole).toString() == key)
            return *it;
    }
    return nullptr;
}

QString Navigator::currentKey() const
{
    const QTreeWidgetItem *node = TV->currentItem();
    return node ? node->data(0, KeyRole).toString() : QString();
}

void Navigator::buildTree()
{
    for (const FixedNode &node : kFixedNodes) {
        QTreeWidgetItem *parent = node.parent ? nodeByKey(QString::fromUtf8(node.parent)) : nullptr;
        addNode(QString::fromUtf8(node.key), QString::fromUtf8(node.caption), parent);
    }
    QTreeWidgetItem *root = nodeByKey(QStringLiteral("Shaft"));
    root->setExpanded(true);
    TV->setCurrentItem(root);
    addPointNodes();
    TV_Click();
}

void Navigator::addPointNodes()
{
    QTreeWidgetItem *points = nodeByKey(QStringLiteral("Points"));
    for (const SchemePoint &point : schemePoints(m_state.database())) {
        const QString number = QString::number(point.number);
        addNode(number + QStringLiteral(" N"), pointCaption(number, point.kind), points, QString::number(point.pointId));
    }
}

void Navigator::clearPointNodes()
{
    QTreeWidgetItem *points = nodeByKey(QStringLiteral("Points"));
    while (points->childCount() > 0)
        delete points->takeChild(0);
}

void Navigator::selectAndDisplayNode(const QString &key)
{
    if (QTreeWidgetItem *node = nodeByKey(key); node && node != TV->currentItem())
        TV->setCurrentItem(node);
    TV_Click();
}

void Navigator::TV_Click()
{
    QTreeWidgetItem *node = TV->currentItem();
    m_window.setEditCommandsEnabled(false, false);
    m_window.picture()->hide();
    if (node == nullptr)
        return;
    m_window.setStatusText(node->text(0));

    const QString key = node->data(0, KeyRole).toString();
    DetailView &detail = m_window.detail();

    if (key == QLatin1String("Points")) {
        clearPointNodes();
        addPointNodes();
        m_state.strViewKey = key;
        detail.LV_Click();
        return;
    }
    if (key == QLatin1String("XOZ") || key == QLatin1String("YOZ") || key == QLatin1String("SUM")) {
        m_window.analysis().epur_Click(key == QLatin1String("XOZ") ? 1 : key == QLatin1String("YOZ") ? 2 : 3);
        return;
    }
    if (ShaftViews::isDiagramKey(key)) {
        m_window.shaftViews().showDiagram(key);
        return;
    }
    if (node->childCount() == 0) {
        m_state.strViewKey = key;
        detail.LV_Click();
        return;
    }

    detail.showChildNodes(node);
    if (key == QLatin1String("Bearings")) {
        m_window.analysis().exReac();
        if (detail.isEditorOpen() || m_state.blnIncomplete) {
            m_window.unsetCursor();
            return;
        }
    }
    m_window.DetalView(false);
}

} // namespace tarnvel
