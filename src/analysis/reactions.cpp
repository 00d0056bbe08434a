#include "analysis/reactions.h"

#include "store/database.h"
#include "store/numbers.h"

#include <algorithm>
#include <cmath>

namespace tarnvel {

namespace {

constexpr int kFreeForcePoint = 2;

struct PointRow
{
    qint64 id = 0;
    int number = 0;
    int group = 0;
};

double numberOf(const QVariant &value) { return value.isNull() ? 0.0 : value.toDouble(); }

// Stores one parameter row into the point's force entry; the force ids differ
// between free-force points (8, 9, 10) and gear points (46, 47, 48).
void assign(PointForce &point, int parameterId, double value, int fxId)
{
    if (parameterId == 5)
        point.x = value;
    else if (parameterId == 6)
        point.y = value;
    else if (parameterId == 7)
        point.z = value;
    else if (parameterId == fxId)
        point.Fx = value;
    else if (parameterId == fxId + 1)
        point.Fy = value;
    else if (parameterId == fxId + 2)
        point.Fz = value;
}

} // namespace

double commonParameter(Database &db, int parameterId)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = %1").arg(parameterId));
    if (rs.isBeforeFirst())
        return 0.0;
    return numberOf(rs.field(QStringLiteral("ParamValue")));
}

ForceGathering GetForseMassive(Database &db)
{
    ForceGathering result;

    QVector<PointRow> points;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM Points"), true);
    for (; !rs.isAfterLast(); rs.next()) {
        points.append({ rs.field(QStringLiteral("PointID")).toLongLong(),
            rs.field(QStringLiteral("PointNumber")).toInt(), rs.field(QStringLiteral("GroupID")).toInt() });
    }
    // The row order of a table is not the order of the points; the arrays must
    // follow the point numbers.
    std::stable_sort(
        points.begin(), points.end(), [](const PointRow &a, const PointRow &b) { return a.number < b.number; });

    if (points.isEmpty()) {
        // Without points no force or reaction can stand; drop the stale ones.
        Database::Transaction transaction(db);
        db.execute(QStringLiteral("DELETE FROM PointForses"));
        db.execute(QStringLiteral("DELETE FROM Reakz"));
        transaction.commit();
        result.status = ForceGatheringStatus::NoPoints;
        return result;
    }

    for (const PointRow &point : points) {
        PointForce force;
        if (point.group == kFreeForcePoint) {
            Recordset values = db.openRecordset(
                QStringLiteral("SELECT ParameterID, ParValue FROM PointParameters WHERE PointID = %1").arg(point.id));
            for (; !values.isAfterLast(); values.next())
                assign(force, values.field(QStringLiteral("ParameterID")).toInt(),
                    numberOf(values.field(QStringLiteral("ParValue"))), 8);
        } else {
            Recordset values = db.openRecordset(QStringLiteral(
                "SELECT ParameterID, ParameterValue FROM PointForses WHERE RezNumber = -1 AND PointID = %1")
                                                    .arg(point.id));
            if (values.isBeforeFirst()) {
                result.status = ForceGatheringStatus::ForcesNotComputed;
                result.pointNumber = point.number;
                result.pointId = point.id;
                result.forces.clear();
                return result;
            }
            for (; !values.isAfterLast(); values.next())
                assign(force, values.field(QStringLiteral("ParameterID")).toInt(),
                    numberOf(values.field(QStringLiteral("ParameterValue"))), 46);
        }
        result.forces.append(force);
    }
    return result;
}

std::optional<Reactions> CalcReakz(const ForceArrays &forces, double L)
{
    if (L == 0.0 || !std::isfinite(L))
        return std::nullopt;

    // Moment balance about each support: S about the right one, T about the
    // left one; M is the couple of the off-axis axial forces.
    double Sx = 0, Sy = 0, Tx = 0, Ty = 0, Mx = 0, My = 0, A = 0;
    for (const PointForce &f : forces) {
        Sx += (L - f.z) * f.Fx;
        Sy += (L - f.z) * f.Fy;
        Tx += f.z * f.Fx;
        Ty += f.z * f.Fy;
        Mx += f.x * f.Fz;
        My += f.y * f.Fz;
        A += f.Fz;
    }

    const double k = -1.0 / L;
    Reactions r;
    r.R1x = k * (Sx + Mx);
    r.R1y = k * (Sy + My);
    r.R2x = k * (Tx - Mx);
    r.R2y = k * (Ty - My);
    r.R1 = std::sqrt(r.R1y * r.R1y + r.R1x * r.R1x);
    r.R2 = std::sqrt(r.R2y * r.R2y + r.R2x * r.R2x);
    r.Ra = -A;
    return r;
}

void writeReakz(Database &db, const Reactions &r)
{
    // Reakz holds either no rows or all seven: a half-written set would be
    // taken for valid reactions by the diagrams and the bearings.
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM Reakz"));
    const std::pair<int, double> rows[]
        = { { 39, r.R1x }, { 40, r.R1y }, { 41, r.R1 }, { 42, r.R2x }, { 43, r.R2y }, { 44, r.R2 }, { 45, r.Ra } };
    for (const auto &[id, value] : rows)
        db.execute(
            QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (%1, %2)").arg(id).arg(SqlNum(value)));
    transaction.commit();
}

std::optional<Reactions> readReakz(Database &db)
{
    double values[7] = {};
    for (int id = 39; id <= 45; ++id) {
        Recordset rs = db.openRecordset(QStringLiteral("SELECT ParamValue FROM Reakz WHERE ParameterID = %1").arg(id));
        if (rs.isBeforeFirst())
            return std::nullopt;
        values[id - 39] = numberOf(rs.field(QStringLiteral("ParamValue")));
    }
    return Reactions { values[0], values[1], values[2], values[3], values[4], values[5], values[6] };
}

ReactionOutcome computeReactions(Database &db)
{
    ReactionOutcome outcome;
    const double L = commonParameter(db, 2);
    if (L == 0.0 || !std::isfinite(L)) {
        outcome.status = ReactionStatus::SupportDistanceMissing;
        return outcome;
    }

    const ForceGathering gathered = GetForseMassive(db);
    switch (gathered.status) {
    case ForceGatheringStatus::NoPoints:
        outcome.status = ReactionStatus::NoPoints;
        return outcome;
    case ForceGatheringStatus::ForcesNotComputed:
        outcome.status = ReactionStatus::ForcesNotComputed;
        outcome.pointNumber = gathered.pointNumber;
        outcome.pointId = gathered.pointId;
        return outcome;
    case ForceGatheringStatus::Gathered:
        break;
    }

    outcome.reactions = *CalcReakz(gathered.forces, L);
    writeReakz(db, outcome.reactions);
    return outcome;
}

} // namespace tarnvel
