// Loading points: adding one of the three kinds with its parameter rows, and
// deleting one with everything that hangs on it. Points stay numbered 1..n.

#include "ui/main_window.h"

#include "store/numbers.h"

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

    try {
        Database::Transaction transaction(db);
        if (number == 1) {
            // Leftovers of an earlier scheme go with the first new point.
            db.execute(QStringLiteral("DELETE FROM PointParameters"));
            db.execute(QStringLiteral("DELETE FROM Points"));
            db.execute(QStringLiteral("DELETE FROM Powers"));
        }
        QTreeWidgetItem *row = addRow(key, caption, 4);
        db.execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (%1, %2)").arg(n).arg(group));

        // The one connection reads its own insert at once: no waiting, and
        // nothing else may run while the transaction is open.
        QString pointId;
        Recordset rs = db.openRecordset(QStringLiteral("SELECT PointID FROM Points WHERE PointNumber = ") + n);
        if (!rs.isBeforeFirst())
            pointId = QString::number(rs.field(QStringLiteral("PointID")).toLongLong());
        if (pointId.isEmpty())
            throw StoreError(QStringLiteral("Точка %1 не была добавлена в базу данных.").arg(n));

        row->setData(0, TagRole, pointId);
        LV->setCurrentItem(row);
        TV->setCurrentItem(addNode(key, caption, nodeByKey(QStringLiteral("Points")), pointId));

        if (group == 3) {
            db.execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID) SELECT Points.PointID, `Parameters`.ParameterID "
                                      "FROM `Parameters`, Points WHERE (`Parameters`.GroupID = 3) AND (Points.PointNumber = %1)")
                           .arg(n));
        } else {
            db.execute(QStringLiteral("INSERT INTO PointParameters(PointID, ParameterID) SELECT Points.PointID, `Parameters`.ParameterID "
                                      "FROM `Parameters`, Points WHERE (`Parameters`.GroupID = %1) AND (Points.PointNumber = %2)")
                           .arg(group)
                           .arg(n));
        }
        if (group != 2) {
            // Every choice starts at its first entry.
            Recordset enumerated = db.openRecordset(
                QStringLiteral("SELECT DefaultParameters.ParameterID FROM PointParameters, DefaultParameters WHERE "
                               "PointParameters.ParameterID = DefaultParameters.ParameterID AND (PointParameters.PointID = %1)")
                    .arg(pointId));
            for (; !enumerated.isAfterLast(); enumerated.next()) {
                db.execute(QStringLiteral("UPDATE PointParameters SET ParValue = 1 WHERE (ParameterID = %1) AND (PointParameters.PointID = %2)")
                               .arg(enumerated.field(QStringLiteral("ParameterID")).toLongLong())
                               .arg(pointId));
            }
        }
        transaction.commit();
    } catch (const StoreError &) {
        // Nothing of the point was kept: show the scheme as the store has it.
        selectAndDisplayNode(QStringLiteral("Points"));
        throw;
    }
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

    Database &db = m_state.database();
    {
        Database::Transaction transaction(db);
        for (const char *table : {"Points", "PointParameters", "Powers", "PointForses"})
            db.execute(QStringLiteral("DELETE FROM %1 WHERE (PointID = %2)").arg(QLatin1String(table), pointId));
        Recordset rest = db.openRecordset(QStringLiteral("SELECT PointID, PointNumber FROM Points ORDER BY Points.PointNumber"));
        for (int k = 1; !rest.isAfterLast(); rest.next(), ++k) {
            db.execute(QStringLiteral("UPDATE Points SET PointNumber = %1 WHERE PointID = %2")
                           .arg(k)
                           .arg(rest.field(QStringLiteral("PointID")).toLongLong()));
        }
        transaction.commit();
    }
    QTreeWidgetItem *points = nodeByKey(QStringLiteral("Points"));
    while (points->childCount() > 0)
        delete points->takeChild(0);
    selectAndDisplayNode(QStringLiteral("Points"));
}

} // namespace tarnvel
