// Loading points: adding one of the three kinds with its parameter rows, and
// deleting one with everything that hangs on it. Points stay numbered 1..n.

#include "ui/loading_points.h"

#include "scheme/scheme_edits.h"
#include "store/database.h"
#include "ui/detail_view.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/navigator.h"

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

LoadingPoints::LoadingPoints(frmMain &window, ProgramState &state)
    : m_window(window)
    , m_state(state)
{
}

void LoadingPoints::mnuAddFree_Click()
{
    addPoint(2);
}

void LoadingPoints::mnuAddCill_Click()
{
    addPoint(3);
}

void LoadingPoints::mnuAddCon_Click()
{
    addPoint(4);
}

void LoadingPoints::addPoint(int group)
{
    Navigator &navigator = m_window.navigator();
    DetailView &detail = m_window.detail();
    navigator.selectAndDisplayNode(QStringLiteral("Points"));
    const int number = detail.list()->topLevelItemCount();
    const QString n = QString::number(number);
    const QString key = n + QStringLiteral(" N");
    const QString caption = pointCaption(n, QString::fromUtf8(groupCaption(group)));
    Database &db = m_state.database();

    QString pointId;
    try {
        pointId = QString::number(addSchemePoint(db, number, group));
    } catch (const StoreError &) {
        // Nothing of the point was kept: show the scheme as the store has it.
        navigator.selectAndDisplayNode(QStringLiteral("Points"));
        throw;
    }
    detail.list()->setCurrentItem(detail.addRow(key, caption, 4, pointId));
    QTreeWidgetItem *points = navigator.nodeByKey(QStringLiteral("Points"));
    navigator.tree()->setCurrentItem(navigator.addNode(key, caption, points, pointId));
    detail.LV_Click();
}

void LoadingPoints::mnuEditDelete_Click()
{
    const QTreeWidgetItem *point = nullptr;
    if (const QTreeWidgetItem *node = m_window.tree()->currentItem(); node && node->data(0, KeyRole).toString().contains(QLatin1String(" N")))
        point = node;
    else if (const QTreeWidgetItem *row = m_window.list()->currentItem(); row && row->data(0, KeyRole).toString().contains(QLatin1String(" N")))
        point = row;
    const QString pointId = point ? point->data(0, TagRole).toString() : QString();
    if (pointId.isEmpty())
        return;

    // The point goes with its loads and modes, and the store is their only copy.
    QString named = point->text(0);
    if (named.startsWith(QStringLiteral("Точка ")))
        named = named.mid(6);
    if (showMessage(QStringLiteral("Удалить точку %1?").arg(named), MessageIcon::Question, MessageButtons::YesNo,
                    m_window.windowTitle(), &m_window)
        != MessageAnswer::Yes)
        return;

    deleteSchemePoint(m_state.database(), pointId.toLongLong());
    m_window.navigator().clearPointNodes();
    m_window.navigator().selectAndDisplayNode(QStringLiteral("Points"));
}

} // namespace tarnvel
