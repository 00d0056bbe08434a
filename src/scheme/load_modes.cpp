#include "scheme/load_modes.h"

#include "store/database.h"
#include "store/numbers.h"

#include <algorithm>
#include <cmath>

namespace tarnvel {

namespace {

// Horsepower from torque and speed: N = M·n / 716.2 with M in kgf·m, and the
// same with 7025.922 for M in N·m; 1.36 hp make a kilowatt.
constexpr double kKgfMetreHp = 716.2;
constexpr double kNewtonMetreHp = 7025.922;
constexpr double kHpPerKw = 1.36;

QString wholeText(const QVariant &value) { return QString::number(wholeNumber(value.toDouble())); }

// Equal as keys of GROUP BY: nulls together, numbers by value.
bool sameKey(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    const auto number = [](const QVariant &v) { return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double; };
    if (number(a) && number(b))
        return a.toDouble() == b.toDouble();
    return a == b;
}

} // namespace

void ConvertLoad(int kind, double value, double speed, ModeRecord &record)
{
    const double n = speed;
    const double p = value;
    switch (kind) {
    case 1:
        record.Load1 = p;
        record.Load2 = p / kHpPerKw;
        record.Load3 = p * kKgfMetreHp / n;
        record.Load4 = p * kNewtonMetreHp / n;
        break;
    case 2: {
        const double h = p * kHpPerKw;
        record.Load1 = h;
        record.Load2 = p;
        record.Load3 = h * kKgfMetreHp / n;
        record.Load4 = h * kNewtonMetreHp / n;
        break;
    }
    case 3: {
        const double h = p * n / kKgfMetreHp;
        record.Load1 = h;
        record.Load2 = h / kHpPerKw;
        record.Load3 = p;
        record.Load4 = h * kNewtonMetreHp / n;
        break;
    }
    case 4: {
        const double h = p * n / kNewtonMetreHp;
        record.Load1 = h;
        record.Load2 = h / kHpPerKw;
        record.Load3 = h * kKgfMetreHp / n;
        record.Load4 = p;
        break;
    }
    default:
        break;
    }
}

void SyncModes(Database &db, int pointId)
{
    const Recordset reference
        = db.openRecordset(QStringLiteral("SELECT PointID, GroupID FROM Points WHERE PointNumber = 1"));
    if (reference.isBeforeFirst())
        return;
    // The reference's modes as its load dialog lists them. Where its own rows
    // give a mode two speeds or coefficients, the mode is listed and counted
    // twice, and the points that have it keep the later entry's values.
    const QVector<ModeCells> modes
        = pointModeCells(db, wholeNumber(reference.field(QStringLiteral("PointID")).toDouble()));
    if (modes.isEmpty())
        return;

    const QString target = QString::number(pointId);
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM Powers WHERE RezNumber > ") + QString::number(modes.size()));
    for (const ModeCells &mode : modes) {
        const QString rez = wholeText(mode.rez);
        const QString speed = SqlNum(mode.speed.toDouble());
        const QString coeff = SqlNum(mode.coeff.toDouble());
        const Recordset own = db.openRecordset(QStringLiteral("SELECT * FROM Powers WHERE PointID = ") + target
            + QStringLiteral(" AND RezNumber = ") + rez);
        if (!own.isBeforeFirst()) {
            // Speed and coefficient belong to the mode: every point follows.
            db.execute(
                QStringLiteral("UPDATE Powers SET Speed = ") + speed + QStringLiteral(" WHERE RezNumber = ") + rez);
            db.execute(
                QStringLiteral("UPDATE Powers SET Coeff = ") + coeff + QStringLiteral(" WHERE RezNumber = ") + rez);
        } else {
            for (const char *kind : { ", 1, 1, ", ", 2, 1, ", ", 3, 1, ", ", 4, 1, " }) {
                db.execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, "
                                          "RezNumber) VALUES (")
                    + target + QStringLiteral(", 0, ") + speed + QStringLiteral(", ") + coeff + QLatin1String(kind)
                    + rez + QStringLiteral(")"));
            }
        }
    }
    transaction.commit();
}

int GatherModes(Database &db, int pointId, ModeList &modes)
{
    const QString point = QString::number(pointId);
    const Recordset group = db.openRecordset(QStringLiteral("SELECT GroupID FROM Points WHERE PointID = ") + point);
    const bool freeForce
        = !group.isBeforeFirst() && wholeNumber(group.field(QStringLiteral("GroupID")).toDouble()) == 2;

    const QVector<ModeCells> own = pointModeCells(db, pointId);
    if (!own.isEmpty()) {
        modes = modeRecords(own, freeForce);
        if (freeForce)
            return 5;
        const Recordset kind
            = db.openRecordset(QStringLiteral("SELECT PowerNumber FROM Powers WHERE PointID = ") + point);
        return wholeNumber(kind.field(QStringLiteral("PowerNumber")).toDouble());
    }

    // A point without loads yet starts from the shaft's modes, loads at zero:
    // one per mode number and coefficient, at the speed of the mode's row
    // written first. With no modes anywhere the point starts with an empty
    // list, not with whatever another point or an unconfirmed dialog left in it.
    modes.clear();
    QVariant lastRez;
    QVariant lastCoeff;
    for (Recordset shaft = db.openRecordset(
             QStringLiteral("SELECT RezNumber, Coeff, Speed FROM Powers ORDER BY RezNumber, Coeff, rowid"));
         !shaft.isAfterLast(); shaft.next()) {
        if (!modes.isEmpty() && sameKey(shaft.value(0), lastRez) && sameKey(shaft.value(1), lastCoeff))
            continue;
        lastRez = shaft.value(0);
        lastCoeff = shaft.value(1);
        ModeRecord record;
        record.Speed = shaft.value(2).toDouble();
        record.Coeff = shaft.value(1).toDouble();
        modes.append(record);
    }
    return 1;
}

double equivalentSpeed(const QVector<ModeSpeed> &modes)
{
    double n = 0;
    for (const ModeSpeed &m : modes)
        n += m.speed * m.coeff;
    return n;
}

QVector<double> modeWeights(const QVector<ModeSpeed> &modes)
{
    const double sum = equivalentSpeed(modes);
    QVector<double> weights;
    for (const ModeSpeed &m : modes)
        weights.append(sum != 0 ? m.speed * m.coeff / sum : 0.0);
    return weights;
}

QHash<qint64, QVector<ModeCells>> modeCellsOf(Recordset rs)
{
    QHash<qint64, QVector<ModeCells>> result;
    QVector<ModeCells> *point = nullptr;
    QVariant lastPoint;
    for (; !rs.isAfterLast(); rs.next()) {
        const bool samePoint = point != nullptr && sameKey(rs.value(0), lastPoint);
        if (!samePoint || !sameKey(rs.value(1), point->last().rez) || !sameKey(rs.value(2), point->last().speed)
            || !sameKey(rs.value(3), point->last().coeff)) {
            if (!samePoint) {
                point = &result[rs.value(0).toLongLong()];
                lastPoint = rs.value(0);
            }
            point->append(ModeCells { rs.value(2), rs.value(3), {}, 0, rs.value(1) });
        }
        const QVariant &kind = rs.value(4);
        const double k = kind.toDouble();
        if (!kind.isNull() && k >= 1 && k <= 7 && k == std::floor(k)) {
            ModeCells &mode = point->last();
            const auto bit = static_cast<quint8>(1u << static_cast<unsigned>(k));
            if (!(mode.kinds & bit)) {
                mode.kinds |= bit;
                mode.loads[static_cast<std::size_t>(k)] = rs.value(5);
            }
        }
    }
    return result;
}

QVector<ModeCells> pointModeCells(Database &db, qint64 pointId)
{
    return modeCellsOf(db.openRecordset(QStringLiteral("SELECT PointID, RezNumber, Speed, Coeff, PowerID, Power FROM "
                                                         "Powers WHERE PointID = %1 ORDER BY RezNumber, Speed, Coeff, rowid")
                                              .arg(pointId)))
        .value(pointId);
}

ModeList modeRecords(const QVector<ModeCells> &cells, bool freeForce)
{
    ModeList modes;
    // A kind the mode has no row or no value of reads as no load.
    const std::size_t first = freeForce ? 5 : 1;
    for (const ModeCells &mode : cells) {
        ModeRecord record;
        record.Load1 = mode.loads[first].toDouble();
        record.Load2 = mode.loads[first + 1].toDouble();
        record.Load3 = mode.loads[first + 2].toDouble();
        if (!freeForce)
            record.Load4 = mode.loads[4].toDouble();
        record.Speed = mode.speed.toDouble();
        record.Coeff = mode.coeff.toDouble();
        modes.append(record);
    }
    return modes;
}

namespace {

void insertLoads(Database &db, qint64 pointId, int rez, const ModeRecord &mode, int kind)
{
    const bool freeForce = kind == 5;
    const double loads[] = { mode.Load1, mode.Load2, mode.Load3, mode.Load4 };
    for (int k = 0; k < (freeForce ? 3 : 4); ++k) {
        db.execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) "
                                  "VALUES (%1, %2, %3, %4, %5, %6, %7)")
                       .arg(pointId)
                       .arg(SqlNum(loads[k]), SqlNum(mode.Speed), SqlNum(mode.Coeff))
                       .arg(freeForce ? 5 + k : 1 + k)
                       .arg(freeForce ? 1 : kind)
                       .arg(rez));
    }
}

} // namespace

void writePointModes(Database &db, qint64 pointId, const ModeList &modes, int kind)
{
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM Powers WHERE PointID = %1").arg(pointId));
    for (int i = 1; i <= ModeCount(modes); ++i)
        insertLoads(db, pointId, i, modes.at(i - 1), kind);
    // A free force without modes has no force: its equivalents go with them.
    if (kind == 5 && modes.isEmpty())
        db.execute(QStringLiteral("DELETE FROM PointParameters WHERE ParameterID > 7 AND ParameterID < 11 AND PointID = %1").arg(pointId));

    const Recordset reference = db.openRecordset(QStringLiteral("SELECT PointNumber FROM Points WHERE PointID = %1").arg(pointId));
    if (!reference.isBeforeFirst() && reference.field(QStringLiteral("PointNumber")).toInt() == 1 && ModeCount(modes) > 0) {
        db.execute(QStringLiteral("DELETE FROM Powers WHERE RezNumber > %1").arg(ModeCount(modes)));
        Recordset others = db.openRecordset(QStringLiteral(
            "SELECT Powers.PointID, Points.GroupID, Max(Powers.RezNumber) AS Modes, Max(Powers.PowerNumber) AS Kind "
            "FROM Powers, Points WHERE Powers.PointID = Points.PointID GROUP BY Powers.PointID, Points.GroupID"));
        for (; !others.isAfterLast(); others.next()) {
            const qint64 other = others.field(QStringLiteral("PointID")).toLongLong();
            if (other == pointId)
                continue;
            const bool freeForce = others.field(QStringLiteral("GroupID")).toInt() == 2;
            const int otherKind = freeForce ? 5 : std::clamp(others.field(QStringLiteral("Kind")).toInt(), 1, 4);
            for (int i = others.field(QStringLiteral("Modes")).toInt() + 1; i <= ModeCount(modes); ++i) {
                ModeRecord zero;
                zero.Speed = modes.at(i - 1).Speed;
                zero.Coeff = modes.at(i - 1).Coeff;
                insertLoads(db, other, i, zero, otherKind);
            }
        }
        for (int i = 1; i <= ModeCount(modes); ++i) {
            db.execute(QStringLiteral("UPDATE Powers SET Speed = %1, Coeff = %2 WHERE RezNumber = %3")
                           .arg(SqlNum(modes.at(i - 1).Speed), SqlNum(modes.at(i - 1).Coeff))
                           .arg(i));
        }
    }
    transaction.commit();
}

int ModeCount(const ModeList &modes) { return static_cast<int>(modes.size()); }

bool hasForceLoads(Database &db)
{
    return !db.openRecordset(QStringLiteral("SELECT 1 FROM Powers WHERE PowerID BETWEEN 5 AND 7 AND Power <> 0 LIMIT 1"))
                .isAfterLast();
}

void convertForceLoads(Database &db, int from, int to)
{
    // One kilogram-force is standard gravity times a kilogram: 9.80665 N.
    constexpr double kNewtonsPerKgf = 9.80665;
    const auto newtonsPer = [](int unit) { return unit == 2 ? kNewtonsPerKgf : 1.0; };
    const double factor = newtonsPer(from) / newtonsPer(to);
    if (factor == 1.0)
        return;
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("UPDATE Powers SET Power = Power * ? WHERE PowerID BETWEEN 5 AND 7"), { factor });
    transaction.commit();
}

} // namespace tarnvel
