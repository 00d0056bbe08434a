// The navigator tree: the sections of the calculation and one node per
// loading point. Showing a node is how every part of the program moves the
// user: select the node, then run TV_Click.

#include "ui/main_window.h"

#include "scheme/scheme_edits.h"
#include "ui/diagram_picture.h"

#include <QAction>
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
};

} // namespace

QTreeWidgetItem *frmMain::addNode(const QString &key, const QString &caption, QTreeWidgetItem *parent,
                                  const QString &tag)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TV);
    item->setText(0, caption);
    item->setData(0, KeyRole, key);
    item->setData(0, TagRole, tag);
    return item;
}

QTreeWidgetItem *frmMain::nodeByKey(const QString &key) const
{
    for (QTreeWidgetItemIterator it(TV); *it; ++it) {
        if ((*it)->data(0, KeyRole).toString() == key)
            return *it;
    }
    return nullptr;
}

void frmMain::buildTree()
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

void frmMain::addPointNodes()
{
    QTreeWidgetItem *points = nodeByKey(QStringLiteral("Points"));
    for (const SchemePoint &point : schemePoints(m_state.database())) {
        const QString number = QString::number(point.number);
        addNode(number + QStringLiteral(" N"), pointCaption(number, point.kind), points, QString::number(point.pointId));
    }
}

void frmMain::selectAndDisplayNode(const QString &key)
{
    if (QTreeWidgetItem *node = nodeByKey(key); node && node != TV->currentItem())
        TV->setCurrentItem(node);
    TV_Click();
}

void frmMain::TV_Click()
{
    QTreeWidgetItem *node = TV->currentItem();
    setEditCommandsEnabled(false, false);
    ctPicture->hide();
    if (node == nullptr)
        return;
    setStatusText(node->text(0));

    const QString key = node->data(0, KeyRole).toString();
    const int children = node->childCount();

    if (key == QLatin1String("Points")) {
        while (node->childCount() > 0)
            delete node->takeChild(0);
        addPointNodes();
        m_state.strViewKey = key;
        LV_Click();
        return;
    }
    if (key == QLatin1String("XOZ") || key == QLatin1String("YOZ") || key == QLatin1String("SUM")) {
        epur_Click(key == QLatin1String("XOZ") ? 1 : key == QLatin1String("YOZ") ? 2 : 3);
        return;
    }
    if (children == 0) {
        m_state.strViewKey = key;
        LV_Click();
        return;
    }

    struct Child
    {
        QString key, caption, tag;
    };
    QList<Child> list;
    for (int i = 0; i < children; ++i) {
        const QTreeWidgetItem *child = node->child(i);
        list.append({child->data(0, KeyRole).toString(), child->text(0), child->data(0, TagRole).toString()});
    }
    m_viewTag = key;
    clearList();
    for (const Child &child : list)
        addRow(child.key, child.caption, 4, child.tag);

    if (key == QLatin1String("Bearings")) {
        exReac();
        if (isEditorOpen() || m_state.blnIncomplete) {
            unsetCursor();
            return;
        }
    }
    DetalView(false);
}

void frmMain::ShowRowStatus(const QString &key)
{
    if (const QTreeWidgetItem *row = rowByKey(key)) {
        setStatusText(row->text(0));
        return;
    }
    if (const QTreeWidgetItem *node = TV->currentItem())
        setStatusText(node->text(0));
}

} // namespace tarnvel
