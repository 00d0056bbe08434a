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

std::optional<StaticLoads> largestModeReactions(const QVector<Reactions> &modes)
{
    if (modes.isEmpty())
        return std::nullopt;
    StaticLoads loads;
    for (const Reactions &r : modes) {
        loads.R1 = std::max(loads.R1, r.R1);
        loads.R2 = std::max(loads.R2, r.R2);
        loads.Ra = std::max(loads.Ra, std::fabs(r.Ra));
    }
    return loads;
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
        a.unlimited = factors.status == BearingLifeStatus::Computed && factors.unlimited;
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
        if (!assessments.at(i).unlimited && (!Lh || *Lh < requiredLh))
            continue;
        if (!best || candidates.at(i).C < candidates.at(*best).C)
            best = i;
    }
    return best;
}

namespace {

// The text of a single-precision value as it goes into a statement: the
// seven digits a float carries, so that 1.2 is stored as 1.2.
QString singleText(float value)
{
    if (value == 0.0f)
        value = 0.0f;
    return SqlNum(QString::asprintf("%.7G", static_cast<double>(value)));
}

} // namespace

void writeBearingSettings(Database &db, const BearingSettings &s)
{
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM BearRep WHERE Side = %1").arg(s.side));
    db.execute(QStringLiteral("INSERT INTO BearRep (Side, BearingID, Kb, Kt, RollRing, Radial, Osev) VALUES (%1, %2, %3, "
                              "%4, %5, %6, %7)")
                   .arg(s.side)
                   .arg(s.bearingId)
                   .arg(singleText(s.Kb), singleText(s.Kt))
                   .arg(s.ringIndex)
                   .arg(s.takesRadial ? 1 : 0)
                   .arg(s.takesAxial ? 1 : 0));
    transaction.commit();
}

void writeRequiredLife(Database &db, int side, std::optional<double> hours)
{
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM RequiredLife WHERE Side = %1").arg(side));
    if (hours && std::isfinite(*hours))
        db.execute(QStringLiteral("INSERT INTO RequiredLife (Side, Lh) VALUES (%1, %2)").arg(side).arg(SqlNum(*hours)));
    transaction.commit();
}

QVector<BearingType> bearingTypes(Database &db)
{
    QVector<BearingType> types;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT TipID, Tip FROM BearingsTip"));
    for (; !rs.isAfterLast(); rs.next())
        types.append({ rs.value(0).toInt(), rs.value(1).toString() });
    return types;
}

QVector<CatalogueBearing> cataloguedBearings(Database &db, int typeId)
{
    QVector<CatalogueBearing> bearings;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT BearingID, `Number`, di, de, b, C, C0, Alfa, Tkah FROM Bearings WHERE TipID = %1 ORDER BY C")
            .arg(typeId));
    for (; !rs.isAfterLast(); rs.next()) {
        bearings.append({ rs.value(0).toLongLong(), rs.value(1).toString(), rs.value(2), rs.value(3), rs.value(4),
            rs.value(5), rs.value(6), rs.value(7), rs.value(8) });
    }
    return bearings;
}

QString bearingTypeCaption(Database &db, qint64 bearingId)
{
    const Recordset rs = db.openRecordset(
        QStringLiteral("SELECT Tip FROM BearingsTip, Bearings WHERE Bearings.BearingID = %1 AND BearingsTip.TipID = Bearings.TipID")
            .arg(bearingId));
    return rs.isBeforeFirst() ? QString() : rs.value(0).toString();
}

namespace {

// A size or rating typed for the catalogue, as the store keeps it; a text
// that is no finite number ("inf", "nan", words) leaves the field empty
// rather than reaching the statement.
QVariant catalogueNumber(const QString &text)
{
    bool ok = false;
    const double value = SqlNum(text.trimmed()).toDouble(&ok);
    return ok && std::isfinite(value) ? QVariant(storedNumber(value)) : QVariant();
}

} // namespace

void addBearing(Database &db, const NewBearing &b)
{
    db.execute(QStringLiteral("INSERT INTO Bearings (`Number`, di, de, b, C, C0, Alfa, TipID) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
               {b.number, catalogueNumber(b.di), catalogueNumber(b.de), catalogueNumber(b.b), catalogueNumber(b.C),
                catalogueNumber(b.C0), catalogueNumber(b.alpha), b.typeId});
}

void deleteBearing(Database &db, qint64 bearingId)
{
    db.execute(QStringLiteral("DELETE FROM Bearings WHERE BearingID = %1").arg(bearingId));
}

} // namespace tarnvel
