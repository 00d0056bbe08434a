#include "analysis/bearing_selection.h"

#include "store/database.h"
#include "store/numbers.h"

#include <QHash>
#include <QMap>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace tarnvel {

namespace {

constexpr int kFreeForcePoint = 2;

double numberOf(const QVariant &value) { return value.isNull() ? 0.0 : value.toDouble(); }

struct ModeLoad
{
    double Fx = 0;
    double Fy = 0;
    double Fz = 0;
};

struct PointModes
{
    PointForce position; // x, y, z only
    QMap<int, ModeLoad> modes; // by RezNumber
};

// Sets the projection of a per-mode row: ids first, first + 1, first + 2 are
// Fx, Fy, Fz (8, 9, 10 for mesh forces, 5, 6, 7 for free-force loads).
void assignLoad(ModeLoad &load, int id, double value, int first)
{
    if (id == first)
        load.Fx = value;
    else if (id == first + 1)
        load.Fy = value;
    else if (id == first + 2)
        load.Fz = value;
}

void assignPosition(PointForce &point, int id, double value)
{
    if (id == 5)
        point.x = value;
    else if (id == 6)
        point.y = value;
    else if (id == 7)
        point.z = value;
}

// Y0 of single-row angular-contact ball bearings by contact angle, X0 = 0.5
// for all of them (ISO 76, values for ball bearings).
struct AngleY0
{
    double alpha;
    double Y0;
};
constexpr AngleY0 kAngularY0[] = {
    { 5, 0.52 },
    { 10, 0.50 },
    { 15, 0.46 },
    { 20, 0.42 },
    { 25, 0.38 },
    { 30, 0.33 },
    { 35, 0.29 },
    { 40, 0.26 },
    { 45, 0.22 },
};

bool positive(double value) { return value > 0 && std::isfinite(value); }

} // namespace

std::optional<QVector<ForceArrays>> modeForceArrays(Database &db)
{
    struct PointRow
    {
        qint64 id;
        int number;
        int group;
    };
    QVector<PointRow> points;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT PointID, PointNumber, GroupID FROM Points"), true);
    for (; !rs.isAfterLast(); rs.next())
        points.append({ rs.value(0).toLongLong(), rs.value(1).toInt(), rs.value(2).toInt() });
    std::stable_sort(
        points.begin(), points.end(), [](const PointRow &a, const PointRow &b) { return a.number < b.number; });

    // Each table is read once for all points, each point's rows in the order
    // a question about that point alone would give them.
    QHash<qint64, PointModes> byPoint; // free-force points
    Recordset positions = db.openRecordset(QStringLiteral(
        "SELECT PointParameters.PointID, PointParameters.ParameterID, PointParameters.ParValue FROM PointParameters, Points "
        "WHERE PointParameters.PointID = Points.PointID AND Points.GroupID = 2 AND PointParameters.ParameterID > 4 AND "
        "PointParameters.ParameterID < 8 ORDER BY PointParameters.PointID, PointParameters.ParameterID, PointParameters.rowid"));
    for (; !positions.isAfterLast(); positions.next())
        assignPosition(byPoint[positions.value(0).toLongLong()].position, positions.value(1).toInt(), numberOf(positions.value(2)));
    Recordset loads = db.openRecordset(
        QStringLiteral("SELECT Powers.PointID, Powers.PowerID, Powers.Power, Powers.RezNumber FROM Powers, Points WHERE "
                       "Powers.PointID = Points.PointID AND Points.GroupID = 2 AND Powers.RezNumber > 0 ORDER BY "
                       "Powers.PointID, Powers.RezNumber, Powers.rowid"));
    for (; !loads.isAfterLast(); loads.next())
        assignLoad(byPoint[loads.value(0).toLongLong()].modes[loads.value(3).toInt()], loads.value(1).toInt(),
            numberOf(loads.value(2)), 5);
    QHash<qint64, PointModes> gearByPoint;
    QSet<qint64> computed; // points with their equivalent (RezNumber -1) rows
    Recordset forces = db.openRecordset(
        QStringLiteral("SELECT PointID, ParameterID, ParameterValue, RezNumber FROM PointForses WHERE RezNumber = -1 OR "
                       "(RezNumber > 0 AND ParameterID > 7 AND ParameterID < 11) ORDER BY PointID, RezNumber, rowid"));
    for (; !forces.isAfterLast(); forces.next()) {
        const qint64 point = forces.value(0).toLongLong();
        const int rez = forces.value(3).toInt();
        if (rez == -1) {
            computed.insert(point);
            assignPosition(gearByPoint[point].position, forces.value(1).toInt(), numberOf(forces.value(2)));
        } else {
            assignLoad(gearByPoint[point].modes[rez], forces.value(1).toInt(), numberOf(forces.value(2)), 8);
        }
    }

    QVector<PointModes> gathered;
    int modeCount = 0;
    for (const PointRow &point : points) {
        const bool freeForce = point.group == kFreeForcePoint;
        if (!freeForce && !computed.contains(point.id))
            return std::nullopt; // the gear's forces are not computed
        const PointModes p = (freeForce ? byPoint : gearByPoint).value(point.id);
        if (!p.modes.isEmpty())
            modeCount = std::max(modeCount, p.modes.lastKey());
        gathered.append(p);
    }

    QVector<ForceArrays> modes(modeCount);
    for (int m = 0; m < modeCount; ++m) {
        for (const PointModes &p : gathered) {
            PointForce force = p.position;
            const ModeLoad load = p.modes.value(m + 1);
            force.Fx = load.Fx;
            force.Fy = load.Fy;
            force.Fz = load.Fz;
            modes[m].append(force);
        }
    }
    return modes;
}

std::optional<StaticLoads> largestModeReactions(const QVector<ForceArrays> &modes, double L)
{
    if (modes.isEmpty())
        return std::nullopt;
    StaticLoads loads;
    for (const ForceArrays &forces : modes) {
        const std::optional<Reactions> r = CalcReakz(forces, L);
        if (!r)
            return std::nullopt;
        loads.R1 = std::max(loads.R1, r->R1);
        loads.R2 = std::max(loads.R2, r->R2);
        loads.Ra = std::max(loads.Ra, std::fabs(r->Ra));
    }
    return loads;
}

std::optional<StaticLoads> readStaticLoads(Database &db)
{
    const std::optional<QVector<ForceArrays>> modes = modeForceArrays(db);
    if (!modes)
        return std::nullopt;
    return largestModeReactions(*modes, commonParameter(db, 2));
}

std::optional<StaticFactors> staticFactors(int typeCode, double alpha)
{
    switch (typeCode) {
    case bearingType::radialRoller:
        return StaticFactors { 1, 0 };
    case bearingType::radialBall:
        return StaticFactors { 0.6, 0.5 };
    case bearingType::angularBall:
        for (std::size_t i = 0; i < std::size(kAngularY0); ++i) {
            const AngleY0 &at = kAngularY0[i];
            if (alpha == at.alpha)
                return StaticFactors { 0.5, at.Y0 };
            if (i + 1 < std::size(kAngularY0) && alpha > at.alpha && alpha < kAngularY0[i + 1].alpha) {
                const AngleY0 &next = kAngularY0[i + 1];
                return StaticFactors { 0.5, at.Y0 + (alpha - at.alpha) * (next.Y0 - at.Y0) / (next.alpha - at.alpha) };
            }
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<StaticSafety> staticSafety(int typeCode, double alpha, double C0, double Fr, double Fa)
{
    const std::optional<StaticFactors> factors = staticFactors(typeCode, alpha);
    if (!factors || !positive(C0))
        return std::nullopt;
    const double P0 = std::max(factors->X0 * Fr + factors->Y0 * Fa, Fr);
    if (!positive(P0))
        return std::nullopt;
    return StaticSafety { P0, C0 / P0 };
}

std::optional<StaticSafety> supportStaticSafety(
    const BearingSettings &settings, const StaticLoads &loads, int forceUnit)
{
    const double Fr = settings.takesRadial ? (settings.side == 0 ? loads.R1 : loads.R2) : 0.0;
    const double Fa = settings.takesAxial ? loads.Ra : 0.0;
    const double scale = forceUnit == 2 ? 10.0 : 1.0;
    return staticSafety(settings.typeCode, settings.alpha, settings.C0 / scale, Fr, Fa);
}

QVector<CandidateAssessment> assessCandidates(
    const BearingInput &base, const std::optional<StaticLoads> &loads, const QVector<BearingCandidate> &candidates)
{
    QVector<CandidateAssessment> assessments;
    assessments.reserve(candidates.size());
    BearingInput input = base;
    for (const BearingCandidate &candidate : candidates) {
        input.settings.bearingId = candidate.bearingId;
        input.settings.C = candidate.C;
        input.settings.C0 = candidate.C0;
        input.settings.alpha = candidate.alpha;
        const BearingFactors factors = bearingLife(input).factors;
        CandidateAssessment a;
        if (factors.status == BearingLifeStatus::Computed && factors.Lh && std::isfinite(*factors.Lh))
            a.Lh = factors.Lh;
        if (loads) {
            if (const std::optional<StaticSafety> safety = supportStaticSafety(input.settings, *loads, base.forceUnit))
                a.s0 = safety->s0;
        }
        assessments.append(a);
    }
    return assessments;
}

std::optional<qsizetype> pickByLife(
    const QVector<BearingCandidate> &candidates, const QVector<CandidateAssessment> &assessments, double requiredLh)
{
    std::optional<qsizetype> best;
    for (qsizetype i = 0; i < candidates.size() && i < assessments.size(); ++i) {
        const std::optional<double> &Lh = assessments.at(i).Lh;
        if (!Lh || *Lh < requiredLh)
            continue;
        if (!best || candidates.at(i).C < candidates.at(*best).C)
            best = i;
    }
    return best;
}

namespace {

// The static check of the bearing stored for a side; the loads are read (by
// loads()) only when the side has a bearing.
template <typename ReadLoads>
std::optional<StaticSafety> staticSafetyOfStored(Database &db, int side, ReadLoads loads)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT Bearings.C0, Bearings.Alfa, Bearings.TipID, BearRep.Radial, BearRep.Osev FROM Bearings, "
                       "BearRep WHERE BearRep.Side = %1 AND Bearings.BearingID = BearRep.BearingID")
            .arg(side));
    if (rs.isBeforeFirst())
        return std::nullopt;
    const std::optional<StaticLoads> largest = loads();
    if (!largest)
        return std::nullopt;
    BearingSettings settings;
    settings.side = side;
    settings.typeCode = rs.field(QStringLiteral("TipID")).toInt();
    settings.C0 = numberOf(rs.field(QStringLiteral("C0")));
    settings.alpha = numberOf(rs.field(QStringLiteral("Alfa")));
    settings.takesRadial = rs.field(QStringLiteral("Radial")).toInt() != 0;
    settings.takesAxial = rs.field(QStringLiteral("Osev")).toInt() != 0;
    return supportStaticSafety(settings, *largest, wholeNumber(commonParameter(db, 4)) == 2 ? 2 : 1);
}

QVector<StaticSafetyRow> safetyRows(const std::optional<StaticSafety> &safety, const QString &forceUnit)
{
    return {
        { QStringLiteral("BP0"), QStringLiteral("Статическая эквивалентная нагрузка P0, ") + forceUnit.trimmed(),
            safety ? std::optional<double>(safety->P0) : std::nullopt },
        { QStringLiteral("Bs0"), QStringLiteral("Запас статической грузоподъёмности s0"),
            safety ? std::optional<double>(safety->s0) : std::nullopt },
    };
}

} // namespace

std::optional<StaticSafety> storedStaticSafety(Database &db, int side)
{
    return staticSafetyOfStored(db, side, [&db] { return readStaticLoads(db); });
}

std::optional<StaticSafety> storedStaticSafety(Database &db, int side, const std::optional<StaticLoads> &loads)
{
    return staticSafetyOfStored(db, side, [&loads] { return loads; });
}

QVector<StaticSafetyRow> staticSafetyRows(Database &db, int side, const QString &forceUnit)
{
    return safetyRows(storedStaticSafety(db, side), forceUnit);
}

QVector<StaticSafetyRow> staticSafetyRows(
    Database &db, int side, const QString &forceUnit, const std::optional<StaticLoads> &loads)
{
    return safetyRows(storedStaticSafety(db, side, loads), forceUnit);
}

std::optional<double> readRequiredLife(Database &db, int side)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT Lh FROM RequiredLife WHERE Side = %1").arg(side));
    if (rs.isBeforeFirst() || rs.field(QStringLiteral("Lh")).isNull())
        return std::nullopt;
    return rs.field(QStringLiteral("Lh")).toDouble();
}

void writeRequiredLife(Database &db, int side, std::optional<double> hours)
{
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM RequiredLife WHERE Side = %1").arg(side));
    if (hours && std::isfinite(*hours))
        db.execute(QStringLiteral("INSERT INTO RequiredLife (Side, Lh) VALUES (%1, %2)").arg(side).arg(SqlNum(*hours)));
    transaction.commit();
}

} // namespace tarnvel
