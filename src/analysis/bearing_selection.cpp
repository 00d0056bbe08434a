#include "analysis/bearing_selection.h"

#include "store/database.h"
#include "store/numbers.h"

#include <QMap>

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
        points.append({ rs.field(QStringLiteral("PointID")).toLongLong(),
            rs.field(QStringLiteral("PointNumber")).toInt(), rs.field(QStringLiteral("GroupID")).toInt() });
    std::stable_sort(
        points.begin(), points.end(), [](const PointRow &a, const PointRow &b) { return a.number < b.number; });

    QVector<PointModes> gathered;
    int modeCount = 0;
    for (const PointRow &point : points) {
        PointModes p;
        if (point.group == kFreeForcePoint) {
            Recordset position = db.openRecordset(
                QStringLiteral("SELECT ParameterID, ParValue FROM PointParameters WHERE PointID = %1").arg(point.id));
            for (; !position.isAfterLast(); position.next())
                assignPosition(p.position, position.field(QStringLiteral("ParameterID")).toInt(),
                    numberOf(position.field(QStringLiteral("ParValue"))));
            Recordset loads = db.openRecordset(
                QStringLiteral("SELECT PowerID, Power, RezNumber FROM Powers WHERE PointID = %1").arg(point.id));
            for (; !loads.isAfterLast(); loads.next()) {
                const int rez = loads.field(QStringLiteral("RezNumber")).toInt();
                if (rez < 1)
                    continue;
                assignLoad(p.modes[rez], loads.field(QStringLiteral("PowerID")).toInt(),
                    numberOf(loads.field(QStringLiteral("Power"))), 5);
            }
        } else {
            Recordset forces = db.openRecordset(
                QStringLiteral("SELECT ParameterID, ParameterValue, RezNumber FROM PointForses WHERE PointID = %1")
                    .arg(point.id));
            bool equivalent = false;
            for (; !forces.isAfterLast(); forces.next()) {
                const int rez = forces.field(QStringLiteral("RezNumber")).toInt();
                const int id = forces.field(QStringLiteral("ParameterID")).toInt();
                const double value = numberOf(forces.field(QStringLiteral("ParameterValue")));
                if (rez == -1) {
                    equivalent = true;
                    assignPosition(p.position, id, value);
                } else if (rez >= 1) {
                    assignLoad(p.modes[rez], id, value, 8);
                }
            }
            if (!equivalent)
                return std::nullopt;
        }
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

std::optional<StaticSafety> storedStaticSafety(Database &db, int side)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT Bearings.C0, Bearings.Alfa, Bearings.TipID, BearRep.Radial, BearRep.Osev FROM Bearings, "
                       "BearRep WHERE BearRep.Side = %1 AND Bearings.BearingID = BearRep.BearingID")
            .arg(side));
    if (rs.isBeforeFirst())
        return std::nullopt;
    const std::optional<StaticLoads> loads = readStaticLoads(db);
    if (!loads)
        return std::nullopt;
    BearingSettings settings;
    settings.side = side;
    settings.typeCode = rs.field(QStringLiteral("TipID")).toInt();
    settings.C0 = numberOf(rs.field(QStringLiteral("C0")));
    settings.alpha = numberOf(rs.field(QStringLiteral("Alfa")));
    settings.takesRadial = rs.field(QStringLiteral("Radial")).toInt() != 0;
    settings.takesAxial = rs.field(QStringLiteral("Osev")).toInt() != 0;
    return supportStaticSafety(settings, *loads, wholeNumber(commonParameter(db, 4)) == 2 ? 2 : 1);
}

QVector<StaticSafetyRow> staticSafetyRows(Database &db, int side, const QString &forceUnit)
{
    const std::optional<StaticSafety> safety = storedStaticSafety(db, side);
    return {
        { QStringLiteral("BP0"), QStringLiteral("Статическая эквивалентная нагрузка P0, ") + forceUnit.trimmed(),
            safety ? std::optional<double>(safety->P0) : std::nullopt },
        { QStringLiteral("Bs0"), QStringLiteral("Запас статической грузоподъёмности s0"),
            safety ? std::optional<double>(safety->s0) : std::nullopt },
    };
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
