#include "scheme/scheme_edits.h"

#include "store/database.h"
#include "store/numbers.h"

#include <QHash>

#include <algorithm>

namespace tarnvel {

namespace {

double storedValue(const QVariant &value) { return value.isNull() ? 0.0 : value.toDouble(); }

// Every enumerated parameter's entries, by ParameterID, in code order: one
// read serves a whole view.
QHash<int, QVector<ParameterChoice>> allChoices(Database &db)
{
    QHash<int, QVector<ParameterChoice>> choices;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT ParameterID, DefaultValue, DefaultText FROM "
                                                   "DefaultParameters ORDER BY ParameterID, DefaultValue, rowid"));
    for (; !rs.isAfterLast(); rs.next()) {
        choices[static_cast<int>(rs.value(0).toLongLong())].append(
            { rs.value(1).toLongLong(), rs.value(2).toString() });
    }
    return choices;
}

// The value is matched as the store's statements carry it, to 15 digits.
std::optional<ParameterChoice> choiceOf(const QVector<ParameterChoice> &choices, double value)
{
    const double code = value == 0 ? 1.0 : storedNumber(value);
    for (const ParameterChoice &choice : choices) {
        if (static_cast<double>(choice.value) == code)
            return choice;
    }
    return std::nullopt;
}

void attachChoices(Database &db, QVector<ParameterRow> &rows)
{
    const QHash<int, QVector<ParameterChoice>> choices = allChoices(db);
    for (ParameterRow &row : rows)
        row.choice = choiceOf(choices.value(row.parameterId), row.value);
}

ParameterRow captionRow(const Recordset &rs)
{
    ParameterRow row;
    row.caption = rs.field(QStringLiteral("Parameter")).toString();
    row.parameterId = static_cast<int>(rs.field(QStringLiteral("ParameterID")).toLongLong());
    return row;
}

} // namespace

QVector<SchemePoint> schemePoints(Database &db)
{
    QVector<SchemePoint> points;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT Groups.`Group`, Points.PointID, Points.PointNumber FROM Points, Groups "
                       "WHERE Points.GroupID = Groups.GroupID ORDER BY Points.PointNumber"));
    for (; !rs.isAfterLast(); rs.next()) {
        points.append({ rs.field(QStringLiteral("PointID")).toLongLong(),
            rs.field(QStringLiteral("PointNumber")).toLongLong(), rs.field(QStringLiteral("Group")).toString() });
    }
    return points;
}

QVector<ParameterChoice> parameterChoices(Database &db, int parameterId)
{
    QVector<ParameterChoice> choices;
    Recordset rs = db.openRecordset(QStringLiteral(
        "SELECT DefaultValue, DefaultText FROM DefaultParameters WHERE ParameterID = %1 ORDER BY DefaultValue")
                                        .arg(parameterId));
    for (; !rs.isAfterLast(); rs.next())
        choices.append({ rs.value(0).toLongLong(), rs.value(1).toString() });
    return choices;
}

QVector<ParameterRow> generalDataRows(Database &db)
{
    QVector<ParameterRow> rows;
    Recordset parameters = db.openRecordset(
        QStringLiteral("SELECT Parameter, ParameterID FROM `Parameters` WHERE GroupID = 1 ORDER BY ParameterID"));
    for (; !parameters.isAfterLast(); parameters.next())
        rows.append(captionRow(parameters));

    // A parameter stored twice counts with its first row.
    QVector<std::pair<double, double>> stored;
    Recordset values
        = db.openRecordset(QStringLiteral("SELECT ParameterID, ParamValue FROM CommonParameters ORDER BY rowid"));
    for (; !values.isAfterLast(); values.next())
        stored.append({ values.value(0).toDouble(), storedValue(values.value(1)) });
    for (ParameterRow &row : rows) {
        const auto found = std::find_if(
            stored.cbegin(), stored.cend(), [&row](const auto &value) { return value.first == row.parameterId; });
        if (found != stored.cend())
            row.value = found->second;
    }
    attachChoices(db, rows);
    return rows;
}

std::optional<PointParameters> pointParameters(Database &db, int number)
{
    const QString n = QString::number(number);
    const Recordset point
        = db.openRecordset(QStringLiteral("SELECT PointID, GroupID FROM Points WHERE PointNumber = ") + n);
    if (point.isBeforeFirst())
        return std::nullopt;
    PointParameters p;
    p.pointId = point.field(QStringLiteral("PointID")).toLongLong();
    p.group = static_cast<int>(point.field(QStringLiteral("GroupID")).toLongLong());

    const bool freeForce = p.group == 2;
    Recordset rs = db.openRecordset(
        QStringLiteral(
            "SELECT `Parameters`.Parameter, `Parameters`.ParameterID, PointParameters.ParValue FROM Points, "
            "PointParameters, `Parameters` WHERE Points.PointID = PointParameters.PointID AND Points.GroupID = "
            "`Parameters`.GroupID AND PointParameters.ParameterID = `Parameters`.ParameterID AND "
            "Points.PointNumber = ")
        + n + (freeForce ? QStringLiteral(" AND `Parameters`.ParameterID < 8") : QString())
        + QStringLiteral(" ORDER BY `Parameters`.ParameterID"));
    for (; !rs.isAfterLast(); rs.next()) {
        ParameterRow row = captionRow(rs);
        row.value = storedValue(rs.field(QStringLiteral("ParValue")));
        p.rows.append(row);
    }
    if (p.rows.isEmpty() && !freeForce) {
        p.unset = true;
        Recordset catalogue = db.openRecordset(
            QStringLiteral("SELECT Parameter, ParameterID FROM `Parameters` WHERE GroupID = %1 ORDER BY ParameterID")
                .arg(p.group));
        for (; !catalogue.isAfterLast(); catalogue.next())
            p.rows.append(captionRow(catalogue));
    }
    attachChoices(db, p.rows);
    return p;
}

void rewriteGeneralData(Database &db, const QVector<ParameterValue> &values)
{
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM CommonParameters"));
    for (const ParameterValue &v : values) {
        db.execute(QStringLiteral("INSERT INTO CommonParameters (ParamValue, ParameterID) VALUES (?, ?)"),
            { v.value, v.parameterId });
    }
    transaction.commit();
}

void rewritePointParameters(Database &db, qint64 pointId, const QVector<ParameterValue> &values)
{
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM PointParameters WHERE PointID = ?"), { pointId });
    for (const ParameterValue &v : values) {
        db.execute(QStringLiteral("INSERT INTO PointParameters (ParValue, ParameterID, PointID) VALUES (?, ?, ?)"),
            { v.value, v.parameterId, pointId });
    }
    transaction.commit();
}

qint64 addSchemePoint(Database &db, int number, int group)
{
    Database::Transaction transaction(db);
    if (number == 1) {
        for (const char *table : { "PointParameters", "Points", "Powers" })
            db.execute(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
    }
    db.execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (?, ?)"), { number, group });
    const qint64 pointId = db.lastInsertId();
    db.execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID) "
                              "SELECT ?, ParameterID FROM `Parameters` WHERE GroupID = ? ORDER BY ParameterID"),
        { pointId, group });
    db.execute(QStringLiteral("UPDATE PointParameters SET ParValue = 1 WHERE PointID = ? "
                              "AND ParameterID IN (SELECT ParameterID FROM DefaultParameters)"),
        { pointId });
    transaction.commit();
    return pointId;
}

void deleteSchemePoint(Database &db, qint64 pointId)
{
    Database::Transaction transaction(db);
    for (const char *table : { "Points", "PointParameters", "Powers", "PointForses" })
        db.execute(QStringLiteral("DELETE FROM %1 WHERE PointID = ?").arg(QLatin1String(table)), { pointId });
    Recordset rest = db.openRecordset(QStringLiteral("SELECT PointID FROM Points ORDER BY PointNumber"));
    for (qint64 k = 1; !rest.isAfterLast(); rest.next(), ++k)
        db.execute(QStringLiteral("UPDATE Points SET PointNumber = ? WHERE PointID = ?"), { k, rest.value(0) });
    transaction.commit();
}

bool schemeHasInput(Database &db)
{
    // An unset general value is stored as nothing or as 0.
    const Recordset found = db.openRecordset(QStringLiteral(
        "SELECT 1 WHERE EXISTS (SELECT 1 FROM CommonParameters WHERE ParamValue <> 0) "
        "OR EXISTS (SELECT 1 FROM Points) OR EXISTS (SELECT 1 FROM Powers) "
        "OR EXISTS (SELECT 1 FROM BearRep WHERE BearingID IS NOT NULL) OR EXISTS (SELECT 1 FROM RequiredLife) "
        "OR EXISTS (SELECT 1 FROM ShaftSegments) OR EXISTS (SELECT 1 FROM ShaftSettings)"));
    return !found.isAfterLast();
}

} // namespace tarnvel
