#include "analysis/calculation.h"

#include "scheme/free_force.h"
#include "store/database.h"
#include "store/numbers.h"

#include <QHash>
#include <QMap>

#include <cmath>
#include <limits>

namespace tarnvel {

namespace {

constexpr int kFreeForce = 2;

bool isGear(int group) { return group == 3 || group == 4; }

// Every later stage (and the report) works on what the store holds.
double asStored(double value) { return storedNumber(value); }

double orZero(const QVariant &value) { return value.isNull() ? 0.0 : value.toDouble(); }

QString parameterCaption(Database &db, int parameterId)
{
    const Recordset rs
        = db.openRecordset(QStringLiteral("SELECT Parameter FROM `Parameters` WHERE ParameterID = %1").arg(parameterId));
    return rs.isBeforeFirst() ? QStringLiteral("%1 ID").arg(parameterId) : rs.field(QStringLiteral("Parameter")).toString();
}

QString pointNodeCaption(Database &db, const PointResult &point)
{
    const Recordset rs
        = db.openRecordset(QStringLiteral("SELECT `Group` FROM Groups WHERE GroupID = %1").arg(point.group));
    const QString group = rs.isBeforeFirst() ? QString() : rs.field(QStringLiteral("Group")).toString();
    return QStringLiteral("Точка %1 (%2)").arg(point.number).arg(group);
}

MissingInput generalInput(MissingKind kind, const QString &message, int parameterId)
{
    MissingInput missing;
    missing.kind = kind;
    missing.message = message;
    missing.nodeKey = QStringLiteral("Common");
    missing.rowKey = QStringLiteral("%1 ID").arg(parameterId);
    missing.editor = InputEditor::InlineEditor;
    missing.parameterId = parameterId;
    return missing;
}

// The question a stopped mesh force run puts to the user.
std::optional<MissingInput> meshMissing(Database &db, const PointResult &point, const MeshOutcome &outcome)
{
    MissingInput missing;
    missing.pointNumber = point.number;
    missing.pointId = point.pointId;
    missing.nodeKey = QStringLiteral("%1 N").arg(point.number);
    missing.parameterId = outcome.parameterId;
    switch (outcome.status) {
    case MeshStatus::Ok:
    case MeshStatus::NotAGearPoint:
        return std::nullopt;
    case MeshStatus::BadForceUnit:
        return generalInput(MissingKind::ForceUnit, QStringLiteral("Задайте единицу силы..."), 4);
    case MeshStatus::NoDirection:
        return generalInput(MissingKind::Direction, QStringLiteral("Задайте направление вращения..."), 38);
    case MeshStatus::NoModes:
    case MeshStatus::ZeroSpeedSum: {
        const bool noModes = outcome.status == MeshStatus::NoModes;
        missing.kind = noModes ? MissingKind::Loads : MissingKind::Speed;
        missing.message = noModes ? QStringLiteral("Задайте нагрузки и режимы...") : QStringLiteral("Задайте частоту вращения...");
        missing.rowKey = QStringLiteral("Power");
        missing.editor = InputEditor::LoadsDialog;
        return missing;
    }
    case MeshStatus::ZeroParameter:
        missing.kind = MissingKind::GearDatum;
        missing.message = QStringLiteral("Задайте ") + parameterCaption(db, outcome.parameterId);
        missing.rowKey = QStringLiteral("%1 ID").arg(outcome.parameterId);
        missing.editor = InputEditor::InlineEditor;
        return missing;
    case MeshStatus::LoadsOutOfRange:
        missing.kind = MissingKind::LoadsOutOfRange;
        missing.message = QStringLiteral("Нагрузки точки «%1» слишком велики: силы в зацеплении не вычисляются. "
                                         "Проверьте нагрузки и режимы точки.")
                              .arg(pointNodeCaption(db, point));
        missing.rowKey = QStringLiteral("Power");
        missing.editor = InputEditor::LoadsDialog;
        return missing;
    case MeshStatus::InconsistentGearData:
        missing.kind = MissingKind::InconsistentGear;
        missing.message = QStringLiteral("Данные зацепления точки «%1» несовместимы: при них зацепление невозможно.")
                              .arg(pointNodeCaption(db, point));
        if (outcome.parameterId != 0) {
            missing.message
                += QStringLiteral("\nПроверьте параметр «%1».").arg(parameterCaption(db, outcome.parameterId));
            missing.rowKey = QStringLiteral("%1 ID").arg(outcome.parameterId);
            missing.editor = InputEditor::InlineEditor;
        }
        return missing;
    }
    return std::nullopt;
}

MissingInput noPoints()
{
    MissingInput missing;
    missing.kind = MissingKind::NoPoints;
    missing.message = QStringLiteral("Добавьте, как минимум, одну точку в схему нагружения...");
    missing.nodeKey = QStringLiteral("Points");
    return missing;
}

QVector<PointResult> readPoints(Database &db)
{
    QVector<PointResult> points;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT PointID, PointNumber, GroupID FROM Points ORDER BY PointNumber"));
    for (; !rs.isAfterLast(); rs.next()) {
        PointResult point;
        point.pointId = rs.field(QStringLiteral("PointID")).toLongLong();
        point.number = rs.field(QStringLiteral("PointNumber")).toInt();
        point.group = rs.field(QStringLiteral("GroupID")).toInt();
        points.append(point);
    }
    return points;
}

// What the calculation reads of the points, each table read once for all of
// them: the per-point statements cost far more than the arithmetic.
struct StoredPoints
{
    explicit StoredPoints(Database &db)
        : mesh(db)
        , freeForceModes(groupModeLoads(db, kFreeForce))
    {
        Recordset rs = db.openRecordset(QStringLiteral(
            "SELECT PointParameters.PointID, PointParameters.ParameterID, PointParameters.ParValue FROM PointParameters, "
            "Points WHERE PointParameters.PointID = Points.PointID AND Points.GroupID = 2 ORDER BY "
            "PointParameters.PointID, PointParameters.ParameterID, PointParameters.rowid"));
        for (; !rs.isAfterLast(); rs.next())
            freeForceParameters[rs.value(0).toLongLong()].append({ rs.value(1).toInt(), rs.value(2) });
    }

    MeshInputReader mesh;
    // Free-force points: their parameter rows in ParameterID order, and their modes.
    QHash<qint64, QVector<std::pair<int, QVariant>>> freeForceParameters;
    QHash<qint64, ModeLoads> freeForceModes;
};

// A free force acts at its coordinates (5, 6, 7) with the equivalent of its
// projections over the modes. A point without modes keeps the equivalents
// it carries (8, 9, 10), as a scenario may bring them.
void freeForce(const StoredPoints &stored, PointResult &point)
{
    QHash<int, double> parameters;
    for (const auto &[id, value] : stored.freeForceParameters.value(point.pointId))
        parameters.insert(id, orZero(value));
    PointForce &f = point.force;
    f.x = parameters.value(5);
    f.y = parameters.value(6);
    f.z = parameters.value(7);

    const ModeLoads modes = stored.freeForceModes.value(point.pointId);
    if (modes.speeds.isEmpty()) {
        f.Fx = parameters.value(8);
        f.Fy = parameters.value(9);
        f.Fz = parameters.value(10);
        return;
    }
    const QVector<double> weights = modeWeights(modes.speeds);
    f.Fx = asStored(freeForceEquivalent(modes.loads.value(5), weights));
    f.Fy = asStored(freeForceEquivalent(modes.loads.value(6), weights));
    f.Fz = asStored(freeForceEquivalent(modes.loads.value(7), weights));
}

// The mesh forces of a gear point; its force entry as GetForseMassive reads it.
std::optional<MissingInput> gearForces(
    Database &db, const MeshInputReader &reader, PointResult &point, double *eqSpeed = nullptr)
{
    const MeshPointInputs inputs = reader.read(static_cast<int>(point.pointId), point.group);
    if (eqSpeed)
        *eqSpeed = inputs.eqSpeed;
    const MeshOutcome outcome = ComputeMeshForces(inputs);
    if (outcome.status != MeshStatus::Ok)
        return meshMissing(db, point, outcome);
    point.mesh = outcome.forces;
    const MeshForces &m = point.mesh;
    point.force = PointForce { asStored(m.x), asStored(m.y), asStored(m.z), asStored(m.FxEq), asStored(m.FyEq),
        asStored(m.FzEq) };
    return std::nullopt;
}

// ---------------------------------------------------------------- storing

using ForceRows = QMap<std::pair<int, int>, double>; // (RezNumber, ParameterID) → value

ForceRows rowsOf(const MeshForces &m)
{
    ForceRows rows;
    for (qsizetype i = 0; i < m.modes.size(); ++i) {
        const ModeForces &f = m.modes.at(i);
        const int rez = static_cast<int>(i) + 1;
        const std::pair<int, double> values[]
            = { { 35, f.Ft }, { 36, f.Fr }, { 37, f.Fa }, { 8, f.Fx }, { 9, f.Fy }, { 10, f.Fz } };
        for (const auto &[id, value] : values)
            rows.insert({ rez, id }, asStored(value));
    }
    if (!m.modes.isEmpty()) {
        const std::pair<int, double> values[]
            = { { 5, m.x }, { 6, m.y }, { 7, m.z }, { 46, m.FxEq }, { 47, m.FyEq }, { 48, m.FzEq } };
        for (const auto &[id, value] : values)
            rows.insert({ -1, id }, asStored(value));
    }
    return rows;
}

QHash<qint64, ForceRows> storedForces(Database &db)
{
    QHash<qint64, ForceRows> stored;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT PointID, ParameterID, ParameterValue, RezNumber FROM PointForses"), true);
    for (; !rs.isAfterLast(); rs.next()) {
        const QVariant value = rs.field(QStringLiteral("ParameterValue"));
        stored[rs.field(QStringLiteral("PointID")).toLongLong()].insert(
            { rs.field(QStringLiteral("RezNumber")).toInt(), rs.field(QStringLiteral("ParameterID")).toInt() },
            value.isNull() ? std::numeric_limits<double>::quiet_NaN() : value.toDouble());
    }
    return stored;
}

// Only what differs from the store is written: showing a view again writes nothing.
void storeForces(Database &db, const QVector<PointResult> &computed)
{
    QHash<qint64, ForceRows> stored = storedForces(db);
    for (const PointResult &point : computed) {
        const ForceRows fresh = rowsOf(point.mesh);
        if (stored.value(point.pointId) != fresh)
            StoreMeshForces(db, static_cast<int>(point.pointId), point.mesh);
        stored.remove(point.pointId);
    }
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        db.execute(QStringLiteral("DELETE FROM PointForses WHERE PointID = %1").arg(it.key()));
}

void storeFreeForce(Database &db, const StoredPoints &stored, const PointResult &point)
{
    const double fresh[] = { point.force.Fx, point.force.Fy, point.force.Fz };
    // The stored equivalents, as read before anything was written.
    QVector<QVariant> equivalents;
    QVector<int> ids;
    for (const auto &[id, value] : stored.freeForceParameters.value(point.pointId)) {
        if (id > 7 && id < 11) {
            ids.append(id);
            equivalents.append(value);
        }
    }
    bool same = ids.size() == 3;
    for (int axis = 0; same && axis < 3; ++axis) {
        const QVariant &value = equivalents.at(axis);
        same = ids.at(axis) == 8 + axis && !value.isNull() && value.toDouble() == fresh[axis];
    }
    if (same)
        return;
    db.execute(QStringLiteral("DELETE FROM PointParameters WHERE ParameterID > 7 AND ParameterID < 11 AND PointID = %1")
                   .arg(point.pointId));
    for (int axis = 0; axis < 3; ++axis)
        db.execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES (?, ?, ?)"),
            { point.pointId, 8 + axis, std::isfinite(fresh[axis]) ? QVariant(storedNumber(fresh[axis])) : QVariant() });
}

void storeReactions(Database &db, const std::optional<Reactions> &reactions)
{
    if (!reactions) {
        db.execute(QStringLiteral("DELETE FROM Reakz"));
        return;
    }
    const std::optional<Reactions> stored = readReakz(db);
    const Reactions &r = *reactions;
    const Reactions rounded { asStored(r.R1x), asStored(r.R1y), asStored(r.R1), asStored(r.R2x), asStored(r.R2y),
        asStored(r.R2), asStored(r.Ra) };
    const Recordset count = db.openRecordset(QStringLiteral("SELECT COUNT(*) AS Rows FROM Reakz"));
    if (!stored || *stored != rounded || count.field(QStringLiteral("Rows")).toInt() != 7)
        writeReakz(db, r);
}

QString resultText(const std::optional<double> &value)
{
    return value && std::isfinite(*value) ? SqlNum(*value) : QStringLiteral("NULL");
}

// The result columns of a support's BearRep row; its settings stay.
void storeSupport(Database &db, int side, const SupportResult *support)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT Pr, Lh, e, X, Y FROM BearRep WHERE Side = %1").arg(side));
    if (rs.isBeforeFirst())
        return;
    const BearingFactors none;
    const BearingFactors &f = support ? support->result.factors : none;
    const std::pair<const char *, const std::optional<double> *> columns[]
        = { { "Pr", &f.Pr }, { "Lh", &f.Lh }, { "e", &f.e }, { "X", &f.X }, { "Y", &f.Y } };
    bool same = true;
    for (const auto &[column, value] : columns) {
        const QVariant stored = rs.field(QLatin1String(column));
        const QString fresh = resultText(*value);
        same = same
            && (fresh == QLatin1String("NULL") ? stored.isNull() : !stored.isNull() && stored.toDouble() == fresh.toDouble());
    }
    if (same && !support)
        return;
    if (support) {
        // Kv follows the rotating ring; the dialog stored it with the choice.
        const QString kv = SqlNum(QString::asprintf("%.7G", static_cast<double>(support->result.loadCase.V)));
        const Recordset v = db.openRecordset(QStringLiteral("SELECT Kv FROM BearRep WHERE Side = %1").arg(side));
        if (same && !v.field(QStringLiteral("Kv")).isNull() && v.field(QStringLiteral("Kv")).toDouble() == kv.toDouble())
            return;
        db.execute(QStringLiteral("UPDATE BearRep SET Pr = %1, Lh = %2, e = %3, X = %4, Y = %5, Kv = %6 WHERE Side = %7")
                       .arg(resultText(f.Pr), resultText(f.Lh), resultText(f.e), resultText(f.X), resultText(f.Y), kv)
                       .arg(side));
        return;
    }
    db.execute(QStringLiteral("UPDATE BearRep SET Pr = NULL, Lh = NULL, e = NULL, X = NULL, Y = NULL WHERE Side = %1").arg(side));
}

struct Reached
{
    QVector<PointResult> gears; // gear points whose forces were computed
    QVector<PointResult> freeForces;
    std::optional<Reactions> reactions;
    bool supports = false;
};

void store(Database &db, const StoredPoints *stored, const Reached &reached, const Calculation &results)
{
    Database::Transaction transaction(db);
    storeForces(db, reached.gears);
    for (const PointResult &point : reached.freeForces)
        storeFreeForce(db, *stored, point);
    storeReactions(db, reached.reactions);
    for (int side = 0; side < 2; ++side) {
        const SupportResult &support = results.supports.at(static_cast<std::size_t>(side));
        storeSupport(db, side, reached.supports && support.chosen ? &support : nullptr);
    }
    transaction.commit();
}

bool finiteReactions(const Reactions &r)
{
    for (double v : { r.R1x, r.R1y, r.R1, r.R2x, r.R2y, r.R2, r.Ra })
        if (!std::isfinite(v))
            return false;
    return true;
}

MissingInput supportDistanceMissing()
{
    MissingInput missing = generalInput(MissingKind::SupportDistance, QStringLiteral("Задайте расстояние между опорами..."), 2);
    return missing;
}

MissingInput reactionsNotFinite(Database &db, double L)
{
    // A distance so small that 1/L overflows is the input at fault; otherwise
    // the loads are out of range.
    if (!std::isfinite(1.0 / L)) {
        return generalInput(MissingKind::ReactionsNotFinite,
            QStringLiteral("Реакции опор не вычисляются: при расстоянии между опорами %1 мм они бесконечны. "
                           "Проверьте параметр «%2».")
                .arg(SqlNum(L), parameterCaption(db, 2)),
            2);
    }
    MissingInput missing;
    missing.kind = MissingKind::ReactionsNotFinite;
    missing.message = QStringLiteral("Реакции опор не вычисляются: нагрузки точек слишком велики. Проверьте нагрузки и режимы точек.");
    missing.nodeKey = QStringLiteral("Points");
    return missing;
}

} // namespace

float bearingCoefficient(const QString &text)
{
    const double value = leadingNumber(SqlNum(text)); // a decimal comma is a point, as in every other field
    return std::fabs(value) <= std::numeric_limits<float>::max() ? static_cast<float>(value) : 0.0f;
}

QString bearingLifeProblem(const BearingFactors &factors, double alpha)
{
    switch (factors.status) {
    case BearingLifeStatus::Computed:
        return QString();
    case BearingLifeStatus::UnknownType:
        return QStringLiteral("Долговечность не рассчитана: для этого типа подшипника нет метода расчёта.");
    case BearingLifeStatus::UnlistedAngle:
        return QStringLiteral("Долговечность не рассчитана: для угла контакта %1 град. нет коэффициентов X и Y.").arg(SqlNum(alpha));
    case BearingLifeStatus::InvalidRating:
        return QStringLiteral("Долговечность не рассчитана: грузоподъёмность подшипника должна быть больше нуля.");
    case BearingLifeStatus::NonPositiveCoefficient:
        return QStringLiteral("Долговечность не рассчитана: коэффициенты безопасности, качества и температурный должны быть больше нуля.");
    case BearingLifeStatus::NoSpeed:
        return QStringLiteral("Долговечность не рассчитана: эквивалентная частота вращения равна нулю. Задайте частоты вращения и коэффициенты использования режимов.");
    }
    return QString();
}

QString catalogueText(const QVariant &value) { return value.isNull() ? QString() : SqlNum(value.toDouble()); }

std::optional<BearingSettings> storedBearingSettings(Database &db, int side)
{
    Recordset rep = db.openRecordset(
        QStringLiteral("SELECT BearingID, Kb, Kt, RollRing, Radial, Osev FROM BearRep WHERE Side = %1").arg(side));
    if (rep.isBeforeFirst())
        return std::nullopt;
    const qint64 bearingId = rep.field(QStringLiteral("BearingID")).toLongLong();
    if (bearingId == 0)
        return std::nullopt;
    Recordset bearing = db.openRecordset(
        QStringLiteral("SELECT C, C0, Alfa, Tkah, TipID FROM Bearings WHERE BearingID = %1").arg(bearingId));
    if (bearing.isBeforeFirst())
        return std::nullopt;
    BearingSettings s;
    s.side = side;
    s.bearingId = bearingId;
    s.typeCode = bearing.field(QStringLiteral("TipID")).toInt();
    // The values go the way the dialog's texts would take them.
    s.C = leadingNumber(catalogueText(bearing.field(QStringLiteral("C"))));
    s.C0 = leadingNumber(catalogueText(bearing.field(QStringLiteral("C0"))));
    s.alpha = leadingNumber(catalogueText(bearing.field(QStringLiteral("Alfa"))));
    const QString quality = catalogueText(bearing.field(QStringLiteral("Tkah")));
    s.Kk = bearingCoefficient(quality.isEmpty() ? QStringLiteral("1") : quality);
    s.Kb = bearingCoefficient(SqlNum(rep.field(QStringLiteral("Kb")).toDouble()));
    s.Kt = bearingCoefficient(SqlNum(rep.field(QStringLiteral("Kt")).toDouble()));
    s.ringIndex = std::clamp(rep.field(QStringLiteral("RollRing")).toInt(), 0, 2);
    if (s.typeCode == bearingType::radialRoller) {
        s.takesRadial = true;
        s.takesAxial = false;
    } else {
        s.takesAxial = rep.field(QStringLiteral("Osev")).toInt() != 0;
        s.takesRadial = rep.field(QStringLiteral("Radial")).toInt() != 0;
        if (!s.takesAxial && !s.takesRadial)
            s.takesRadial = true;
    }
    return s;
}

PointForcesOutcome runPointForces(Database &db, qint64 pointId)
{
    PointForcesOutcome outcome;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT PointID, PointNumber, GroupID FROM Points WHERE PointID = %1").arg(pointId));
    if (rs.isBeforeFirst())
        return outcome;
    PointResult &point = outcome.point;
    point.pointId = pointId;
    point.number = rs.field(QStringLiteral("PointNumber")).toInt();
    point.group = rs.field(QStringLiteral("GroupID")).toInt();
    if (!isGear(point.group))
        return outcome;
    outcome.missing = gearForces(db, MeshInputReader(db, static_cast<int>(pointId)), point, &outcome.eqSpeed);
    Database::Transaction transaction(db);
    if (outcome.missing) {
        db.execute(QStringLiteral("DELETE FROM PointForses WHERE PointID = %1").arg(pointId));
    } else {
        QHash<qint64, ForceRows> stored = storedForces(db);
        if (stored.value(pointId) != rowsOf(point.mesh))
            StoreMeshForces(db, static_cast<int>(pointId), point.mesh);
    }
    transaction.commit();
    return outcome;
}

CalculationOutcome runCalculation(Database &db, const CalculationRequest &request)
{
    CalculationOutcome outcome;
    Calculation &results = outcome.results;
    Reached reached;
    results.unit = forceUnitCaption(db);

    std::optional<StoredPoints> stored;
    auto stop = [&](MissingInput missing) {
        outcome.missing = std::move(missing);
        store(db, stored ? &*stored : nullptr, reached, results);
        return outcome;
    };

    results.points = readPoints(db);
    if (results.points.isEmpty())
        return stop(noPoints());

    results.L = commonParameter(db, 2);
    const bool distanceMissing = results.L == 0.0 || !std::isfinite(results.L);
    if (request.supportDistanceFirst && distanceMissing)
        return stop(supportDistanceMissing());

    stored.emplace(db);
    for (PointResult &point : results.points) {
        if (point.group == kFreeForce) {
            freeForce(*stored, point);
            reached.freeForces.append(point);
        } else if (isGear(point.group)) {
            if (std::optional<MissingInput> missing = gearForces(db, stored->mesh, point))
                return stop(*missing);
            reached.gears.append(point);
        }
        results.forces.append(point.force);
    }
    if (distanceMissing)
        return stop(supportDistanceMissing());

    const Reactions exact = *CalcReakz(results.forces, results.L);
    if (!finiteReactions(exact))
        return stop(reactionsNotFinite(db, results.L));
    results.reactions = Reactions { asStored(exact.R1x), asStored(exact.R1y), asStored(exact.R1), asStored(exact.R2x),
        asStored(exact.R2y), asStored(exact.R2), asStored(exact.Ra) };
    reached.reactions = exact;

    const QVector<ModeSpeed> modes = readModeSpeeds(db);
    results.eqSpeed = equivalentSpeed(modes);
    const int forceUnit = wholeNumber(commonParameter(db, 4)) == 2 ? 2 : 1;
    for (int side = 0; side < 2; ++side) {
        SupportResult &support = results.supports.at(static_cast<std::size_t>(side));
        const std::optional<BearingSettings> settings = storedBearingSettings(db, side);
        if (!settings)
            continue;
        BearingInput input;
        input.settings = *settings;
        input.radialReaction = side == 0 ? results.reactions.R1 : results.reactions.R2;
        input.axialReaction = results.reactions.Ra;
        input.modes = modes;
        input.forceUnit = forceUnit;
        support.chosen = true;
        support.settings = *settings;
        support.result = bearingLife(input);
    }
    reached.supports = true;
    store(db, &*stored, reached, results);

    if (request.diagrams) {
        const DiagramRequest diagram = prepareEpur(db, results.forces);
        if (diagram.status == DiagramStatus::AxisLengthInvalid) {
            outcome.missing = generalInput(MissingKind::AxisLength,
                QStringLiteral("Длина оси эпюры моментов должна быть от 1 до 32767 мм. Задайте длину оси эпюры моментов..."),
                53);
            return outcome;
        }
        if (diagram.status == DiagramStatus::Ready)
            results.diagrams = diagram.diagrams;
    }
    return outcome;
}

} // namespace tarnvel
