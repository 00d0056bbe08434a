// Loading points: adding one of the three kinds with its parameter rows, and
// deleting one with everything that hangs on it. Points stay numbered 1..n.

#include "ui/main_window.h"

#include "scheme/scheme_edits.h"
#include "store/database.h"

#include <QTreeWidget>

namespace tarnvel {

namespace {

const char *groupCaption(int group)
{
    switch (group) {
    case 2:
        return "Произвольная сила";
    case 3:
        return "Цилиндрическое зацепление";
    default:
        return "Коническое зацепление";
    }
}

} // namespace

void frmMain::mnuAddFree_Click()
{
    addPoint(2);
}

void frmMain::mnuAddCill_Click()
{
    addPoint(3);
}

void frmMain::mnuAddCon_Click()
{
    addPoint(4);
}

void frmMain::addPoint(int group)
{
    selectAndDisplayNode(QStringLiteral("Points"));
    const int number = LV->topLevelItemCount();
    const QString n = QString::number(number);
    const QString key = n + QStringLiteral(" N");
    const QString caption = pointCaption(n, QString::fromUtf8(groupCaption(group)));
    Database &db = m_state.database();

    QString pointId;
    try {
        pointId = QString::number(addSchemePoint(db, number, group));
    } catch (const StoreError &) {
        // Nothing of the point was kept: show the scheme as the store has it.
        selectAndDisplayNode(QStringLiteral("Points"));
        throw;
    }
    LV->setCurrentItem(addRow(key, caption, 4, pointId));
    TV->setCurrentItem(addNode(key, caption, nodeByKey(QStringLiteral("Points")), pointId));
    LV_Click();
}

void frmMain::mnuEditDelete_Click()
{
    QString pointId;
    if (const QTreeWidgetItem *node = TV->currentItem(); node && node->data(0, KeyRole).toString().contains(QLatin1String(" N")))
        pointId = node->data(0, TagRole).toString();
    else if (const QTreeWidgetItem *row = LV->currentItem(); row && row->data(0, KeyRole).toString().contains(QLatin1String(" N")))
        pointId = row->data(0, TagRole).toString();
    if (pointId.isEmpty())
        return;

    deleteSchemePoint(m_state.database(), pointId.toLongLong());
    QTreeWidgetItem *points = nodeByKey(QStringLiteral("Points"));
    while (points->childCount() > 0)
        delete points->takeChild(0);
    selectAndDisplayNode(QStringLiteral("Points"));
}

} // namespace tarnvel
