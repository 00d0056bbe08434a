#include "analysis/calculation.h"

#include "scheme/free_force.h"
#include "scheme/scheme_edits.h"
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
std::optional<MissingInput> meshMissing(const SchemeInputs &in, const PointResult &point, const MeshOutcome &outcome)
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
        missing.message = QStringLiteral("Задайте ") + in.caption(outcome.parameterId);
        missing.rowKey = QStringLiteral("%1 ID").arg(outcome.parameterId);
        missing.editor = InputEditor::InlineEditor;
        return missing;
    case MeshStatus::LoadsOutOfRange:
        missing.kind = MissingKind::LoadsOutOfRange;
        missing.message = QStringLiteral("Нагрузки точки «%1» слишком велики: силы в зацеплении не вычисляются. "
                                         "Проверьте нагрузки и режимы точки.")
                              .arg(point.caption);
        missing.rowKey = QStringLiteral("Power");
        missing.editor = InputEditor::LoadsDialog;
        return missing;
    case MeshStatus::InconsistentGearData:
        missing.kind = MissingKind::InconsistentGear;
        missing.message = QStringLiteral("Данные зацепления точки «%1» несовместимы: при них зацепление невозможно.")
                              .arg(point.caption);
        if (outcome.parameterId != 0) {
            missing.message
                += QStringLiteral("\nПроверьте параметр «%1».").arg(in.caption(outcome.parameterId));
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
            rows.insert({ rez, id }, value);
    }
    if (!m.modes.isEmpty()) {
        const std::pair<int, double> values[]
            = { { 5, m.x }, { 6, m.y }, { 7, m.z }, { 46, m.FxEq }, { 47, m.FyEq }, { 48, m.FzEq } };
        for (const auto &[id, value] : values)
            rows.insert({ -1, id }, value);
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

// The equivalents stored with each free force (8, 9, 10), as written.
QHash<qint64, QVector<std::pair<int, QVariant>>> storedEquivalents(Database &db)
{
    QHash<qint64, QVector<std::pair<int, QVariant>>> stored;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT PointID, ParameterID, ParValue FROM PointParameters WHERE "
                                                   "ParameterID > 7 AND ParameterID < 11 ORDER BY PointID, ParameterID, rowid"));
    for (; !rs.isAfterLast(); rs.next())
        stored[rs.value(0).toLongLong()].append({ rs.value(1).toInt(), rs.value(2) });
    return stored;
}

void storeFreeForce(Database &db, const QVector<std::pair<int, QVariant>> &equivalents, const PointResult &point)
{
    const double fresh[] = { point.force.Fx, point.force.Fy, point.force.Fz };
    bool same = equivalents.size() == 3;
    for (int axis = 0; same && axis < 3; ++axis) {
        const auto &[id, value] = equivalents.at(axis);
        same = id == 8 + axis && !value.isNull() && value.toDouble() == fresh[axis];
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

MissingInput reactionsNotFinite(const SchemeInputs &in, double L)
{
    // A distance so small that 1/L overflows is the input at fault; otherwise
    // the loads are out of range.
    if (!std::isfinite(1.0 / L)) {
        return generalInput(MissingKind::ReactionsNotFinite,
            QStringLiteral("Реакции опор не вычисляются: при расстоянии между опорами %1 мм они бесконечны. "
                           "Проверьте параметр «%2».")
                .arg(SqlNum(L), in.caption(2)),
            2);
    }
    MissingInput missing;
    missing.kind = MissingKind::ReactionsNotFinite;
    missing.message = QStringLiteral("Реакции опор не вычисляются: нагрузки точек слишком велики. Проверьте нагрузки и режимы точек.");
    missing.nodeKey = QStringLiteral("Points");
    return missing;
}

} // namespace

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

namespace {

// A free force acts at its coordinates (5, 6, 7) with the equivalent of its
// projections over the modes. A point without modes keeps the equivalents
// it carries (8, 9, 10), as a scenario may bring them.
void freeForce(const PointInputs &in, PointResult &point)
{
    QHash<int, double> parameters;
    for (const StoredParameter &row : in.parameters)
        parameters.insert(row.id, orZero(row.value));
    PointForce &f = point.force;
    f.x = parameters.value(5);
    f.y = parameters.value(6);
    f.z = parameters.value(7);
    if (in.modes.isEmpty()) {
        f.Fx = parameters.value(8);
        f.Fy = parameters.value(9);
        f.Fz = parameters.value(10);
        return;
    }
    QVector<ModeSpeed> speeds;
    std::array<QVector<double>, 3> loads;
    for (const ModeCells &mode : in.modes) {
        speeds.append({ mode.speed.toDouble(), mode.coeff.toDouble() });
        PointForce modeForce { f.x, f.y, f.z, 0, 0, 0 };
        double *projections[] = { &modeForce.Fx, &modeForce.Fy, &modeForce.Fz };
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const double load = mode.loads[5 + axis].toDouble();
            loads.at(axis).append(load);
            *projections[axis] = load;
        }
        point.modeForces.append(modeForce);
    }
    const QVector<double> weights = modeWeights(speeds);
    f.Fx = asStored(freeForceEquivalent(loads[0], weights));
    f.Fy = asStored(freeForceEquivalent(loads[1], weights));
    f.Fz = asStored(freeForceEquivalent(loads[2], weights));
}

// The mesh forces of a gear point, its force entry as stored, or what it lacks.
void gearForces(const SchemeInputs &in, const PointInputs &input, PointResult &point)
{
    point.eqSpeed = input.mesh.eqSpeed;
    const MeshOutcome outcome = ComputeMeshForces(input.mesh);
    if (outcome.status != MeshStatus::Ok) {
        point.missing = meshMissing(in, point, outcome);
        return;
    }
    // Every later stage (the reactions, the tables, the report) takes the
    // forces as the store keeps them.
    MeshForces &m = point.mesh;
    m = outcome.forces;
    for (ModeForces &mode : m.modes) {
        for (double *value : { &mode.Ft, &mode.Fr, &mode.Fa, &mode.Fx, &mode.Fy, &mode.Fz })
            *value = asStored(*value);
    }
    for (double *value : { &m.x, &m.y, &m.z, &m.FxEq, &m.FyEq, &m.FzEq })
        *value = asStored(*value);
    point.force = PointForce { m.x, m.y, m.z, m.FxEq, m.FyEq, m.FzEq };
    for (const ModeForces &mode : m.modes)
        point.modeForces.append({ m.x, m.y, m.z, mode.Fx, mode.Fy, mode.Fz });
}

Reactions stored(const Reactions &r)
{
    return { asStored(r.R1x), asStored(r.R1y), asStored(r.R1), asStored(r.R2x), asStored(r.R2y), asStored(r.R2),
        asStored(r.Ra) };
}

// Each mode's reactions from that mode's own forces; a point without a force
// in a mode adds none to it.
QVector<Reactions> modeReactions(const QVector<PointResult> &points, double L)
{
    qsizetype modes = 0;
    for (const PointResult &point : points)
        modes = std::max(modes, point.modeForces.size());
    QVector<Reactions> reactions;
    for (qsizetype m = 0; m < modes; ++m) {
        ForceArrays forces;
        for (const PointResult &point : points) {
            PointForce force = point.force;
            force.Fx = force.Fy = force.Fz = 0;
            forces.append(m < point.modeForces.size() ? point.modeForces.at(m) : force);
        }
        reactions.append(*CalcReakz(forces, L));
    }
    return reactions;
}

double reactionValue(const Reactions &r, int parameterId)
{
    const double values[] = { r.R1x, r.R1y, r.R1, r.R2x, r.R2y, r.R2, r.Ra };
    return parameterId >= 39 && parameterId <= 45 ? values[parameterId - 39] : 0.0;
}

std::optional<double> storedValue(const std::optional<double> &value)
{
    return value && std::isfinite(*value) ? std::optional<double>(asStored(*value)) : std::nullopt;
}

std::optional<double> columnValue(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}

ResultRow numberRow(const QString &key, const QString &caption, std::optional<double> value, bool rounded)
{
    return ResultRow { key, caption, QString(), { value }, rounded };
}

ResultRow heading(const QString &caption) { return ResultRow { QString(), caption, QString(), {}, false }; }

// The support's table as the workbench shows it; the report takes its rows
// by key.
QVector<ResultRow> supportRows(const SupportInputs &in, const SupportResult &support, const Calculation &calc)
{
    const BearingFactors &f = support.result.factors;
    const double R = support.settings.side == 0 ? calc.reactions.R1 : calc.reactions.R2;
    // Kv as the table stores it: the rotation coefficient in single precision.
    const double V = leadingNumber(SqlNum(QString::asprintf("%.7G", static_cast<double>(support.result.loadCase.V))));
    const std::optional<StaticSafety> &safety = support.staticSafety;
    return {
        ResultRow { QStringLiteral("BNum"), QStringLiteral("Подшипник"), in.number, {}, false },
        ResultRow { QStringLiteral("BTip"), QStringLiteral("Тип"), in.typeCaption, {}, false },
        ResultRow { QStringLiteral("BSize"), QStringLiteral("Размер D x d x b, мм"), QString(),
            { columnValue(in.de), columnValue(in.di), columnValue(in.b) }, false },
        numberRow(QStringLiteral("BC"), QStringLiteral("Динамическая грузоподъёмность, Н"), columnValue(in.C), false),
        numberRow(QStringLiteral("BC0"), QStringLiteral("Статическая грузоподъёмность, Н"), columnValue(in.C0), false),
        numberRow(QStringLiteral("BAlfa"), QStringLiteral("Угол контакта номинальный, град."), columnValue(in.alpha), false),
        heading(QStringLiteral("Коэффициенты:")),
        numberRow(QStringLiteral("BKb"), QStringLiteral("            Безопасности  Кб"), columnValue(in.Kb), false),
        numberRow(QStringLiteral("BKk"), QStringLiteral("            Качества      Ккач"), columnValue(in.quality), false),
        numberRow(QStringLiteral("BKt"), QStringLiteral("            Температурный Kt"), columnValue(in.Kt), false),
        numberRow(QStringLiteral("BV"), QStringLiteral("            Вращения      V"), V, false),
        numberRow(QStringLiteral("Be"), QStringLiteral("                          e"), storedValue(f.e), true),
        numberRow(QStringLiteral("BX"), QStringLiteral("                          X"), storedValue(f.X), true),
        numberRow(QStringLiteral("BY"), QStringLiteral("                          Y"), storedValue(f.Y), true),
        heading(QStringLiteral("Силы эквивалентные, ") + calc.unit + QStringLiteral(" :")),
        numberRow(QStringLiteral("BFr"), QStringLiteral("            Радиальная Fr"), R * in.radial.toDouble(), true),
        numberRow(QStringLiteral("BFa"), QStringLiteral("            Осевая     F\u0430"),
            std::fabs(calc.reactions.Ra) * in.axial.toDouble(), true),
        numberRow(QStringLiteral("BPr"), QStringLiteral("            Расчётная  Pr"), storedValue(f.Pr), true),
        numberRow(QStringLiteral("Bn"), QStringLiteral("Частота вращения (эквивалентная), об./мин."), calc.eqSpeed, false),
        f.unlimited ? ResultRow { QStringLiteral("BLh"), QStringLiteral("Долговечность, час."), unlimitedLife(), {}, false }
                    : numberRow(QStringLiteral("BLh"), QStringLiteral("Долговечность, час."), storedValue(f.Lh), true),
        numberRow(QStringLiteral("BP0"), QStringLiteral("Статическая эквивалентная нагрузка P0, ") + calc.unit.trimmed(),
            safety ? std::optional<double>(safety->P0) : std::nullopt, true),
        numberRow(QStringLiteral("Bs0"), QStringLiteral("Запас статической грузоподъёмности s0"),
            safety ? std::optional<double>(safety->s0) : std::nullopt, true),
    };
}

void computeSupports(const SchemeInputs &in, Calculation &calc)
{
    calc.eqSpeed = equivalentSpeed(in.shaftModes);
    for (int side = 0; side < 2; ++side) {
        const SupportInputs &support = in.supports.at(static_cast<std::size_t>(side));
        SupportResult &result = calc.supports.at(static_cast<std::size_t>(side));
        if (!support.settings)
            continue;
        BearingInput input;
        input.settings = *support.settings;
        input.radialReaction = side == 0 ? calc.reactions.R1 : calc.reactions.R2;
        input.axialReaction = calc.reactions.Ra;
        input.modes = in.shaftModes;
        input.forceUnit = in.forceUnit();
        result.chosen = true;
        result.settings = *support.settings;
        result.result = bearingLife(input);
        if (calc.staticLoads)
            result.staticSafety = supportStaticSafety(result.settings, *calc.staticLoads, input.forceUnit);
        if (support.shown)
            result.rows = supportRows(support, result, calc);
    }
    calc.supportsComputed = true;
}

// The diagram axis: its length U and the place P of the left support on it,
// both in whole millimetres.
struct DiagramAxis
{
    int U = 0;
    double P = 0;
};

// Parameter 53 is the user's axis and is taken with the user's 54 as they are.
// While 53 is not set the axis is sized here and kept as 53 (and P as 54 when
// it moves): it spans the supports and every load, and a load overhung beyond
// a support gets a twentieth of the whole length as room beyond it, so that an
// overhung pinion lies on the diagram with its mark and its labels rather than
// clamped to an end. A span without overhangs keeps the rounded L as its axis.
std::optional<DiagramAxis> diagramAxis(const SchemeInputs &in, double L, const ForceArrays &forces, Calculation &calc)
{
    constexpr int kLongestAxis = 32767;
    const auto valid = [](double U) { return U >= 1 && U <= kLongestAxis; };
    const double storedShift = in.commonValue(54);
    const int stored = in.hasCommon(53) ? wholeNumber(in.commonValue(53)) : 0;
    if (stored != 0)
        return valid(stored) ? std::optional<DiagramAxis>({ stored, storedShift }) : std::nullopt;

    const int span = wholeNumber(L);
    if (!valid(span))
        return std::nullopt;
    double lo = 0, hi = L;
    for (const PointForce &f : forces) {
        lo = std::min(lo, f.z);
        hi = std::max(hi, f.z);
    }
    DiagramAxis axis { span, storedShift };
    if (lo < 0 || hi > L) {
        const double margin = std::max(1.0, std::ceil((hi - lo) / 20.0));
        const double P = std::max(storedShift, lo < 0 ? std::ceil(margin - lo) : 0.0);
        const double U = std::ceil(P + hi + (hi > L ? margin : 0.0));
        // An axis too long to be kept falls back to the span, loads beyond it clamped.
        if (valid(U) && std::isfinite(P)) {
            axis = { static_cast<int>(U), P };
            if (P != storedShift)
                calc.axisShiftToStore = P;
        }
    }
    calc.axisToStore = axis.U;
    return axis;
}

} // namespace

QString ResultRow::valueText() const
{
    QStringList texts;
    for (const std::optional<double> &value : numbers)
        texts << (!value ? QString() : SqlNum(rounded ? roundHalfEven(*value, decimals) : *value));
    QString text = numbers.isEmpty() ? this->text : texts.join(QStringLiteral(" x "));
    if (!remark.isEmpty())
        text += QStringLiteral("   (%1)").arg(remark);
    return text;
}

const PointResult *Calculation::point(qint64 pointId) const
{
    for (const PointResult &p : points) {
        if (p.pointId == pointId)
            return &p;
    }
    return nullptr;
}

QVector<ResultRow> meshForceRows(const ModeForces &forces, int mode)
{
    return {
        numberRow(QString(), QStringLiteral("   Окружная   Ft(%1)").arg(mode), forces.Ft, true),
        numberRow(QString(), QStringLiteral("   Радиальная Fr(%1)").arg(mode), forces.Fr, true),
        numberRow(QString(), QStringLiteral("   Осевая     Fa(%1)").arg(mode), forces.Fa, true),
    };
}

Calculation calculate(const SchemeInputs &in, const CalculationRequest &request)
{
    Calculation calc;
    calc.unit = in.unitCaption;
    auto missing = [&calc](MissingInput input) {
        if (!calc.missing)
            calc.missing = std::move(input);
    };
    if (in.points.isEmpty()) {
        missing(noPoints());
        return calc;
    }
    calc.L = in.commonValue(2);
    const bool distanceMissing = calc.L == 0.0 || !std::isfinite(calc.L);
    if (request.supportDistanceFirst && distanceMissing)
        missing(supportDistanceMissing());

    for (const PointInputs &input : in.points) {
        PointResult point;
        point.pointId = input.pointId;
        point.number = input.number;
        point.group = input.group;
        point.caption = pointCaption(QString::number(input.number), input.groupCaption);
        if (point.group == kFreeForce) {
            freeForce(input, point);
        } else if (isGear(point.group)) {
            gearForces(in, input, point);
            if (point.missing)
                missing(*point.missing);
        }
        calc.forces.append(point.force);
        calc.points.append(point);
    }
    if (distanceMissing)
        missing(supportDistanceMissing());
    if (calc.missing)
        return calc;

    const Reactions exact = *CalcReakz(calc.forces, calc.L);
    if (!finiteReactions(exact)) {
        missing(reactionsNotFinite(in, calc.L));
        return calc;
    }
    calc.reactions = stored(exact);
    calc.reactionsComputed = true;
    for (int group = 7; group <= 9; ++group) {
        for (const auto &[id, caption] : in.groupCaptions(group))
            calc.reactionRows.at(static_cast<std::size_t>(group - 7))
                .append(numberRow(caption, caption, reactionValue(calc.reactions, id), true));
    }
    calc.modeReactions = modeReactions(calc.points, calc.L);
    calc.staticLoads = largestModeReactions(calc.modeReactions);
    computeSupports(in, calc);

    if (request.diagrams) {
        const std::optional<DiagramAxis> axis = diagramAxis(in, calc.L, calc.forces, calc);
        if (!axis) {
            missing(generalInput(MissingKind::AxisLength,
                QStringLiteral("Длина оси эпюры моментов должна быть от 1 до 32767 мм. Задайте длину оси эпюры моментов..."),
                53));
            return calc;
        }
        calc.diagrams = BuildEpur(calc.forces, calc.reactions, calc.L, axis->P, axis->U);
        calc.shaft = checkShaft(in, calc, axis->P, axis->U);
    }
    return calc;
}

void storeResults(Database &db, const Calculation &calc)
{
    Database::Transaction transaction(db);
    QVector<PointResult> gears;
    for (const PointResult &point : calc.points) {
        if (isGear(point.group) && !point.missing)
            gears.append(point);
    }
    storeForces(db, gears);
    const QHash<qint64, QVector<std::pair<int, QVariant>>> equivalents = storedEquivalents(db);
    for (const PointResult &point : calc.points) {
        if (point.group == kFreeForce)
            storeFreeForce(db, equivalents.value(point.pointId), point);
    }
    storeReactions(db, calc.reactionsComputed ? std::optional<Reactions>(calc.reactions) : std::nullopt);
    for (int side = 0; side < 2; ++side) {
        const SupportResult &support = calc.supports.at(static_cast<std::size_t>(side));
        storeSupport(db, side, calc.supportsComputed && support.chosen ? &support : nullptr);
    }
    const auto keepCommon = [&db](int id, double value) {
        const Recordset kept = db.openRecordset(QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = %1").arg(id));
        if (kept.isBeforeFirst())
            db.execute(QStringLiteral("INSERT INTO CommonParameters (ParamValue, ParameterID) VALUES (%1, %2)").arg(SqlNum(value)).arg(id));
        else
            db.execute(QStringLiteral("UPDATE CommonParameters SET ParamValue = %1 WHERE ParameterID = %2").arg(SqlNum(value)).arg(id));
    };
    if (calc.axisToStore != 0)
        keepCommon(53, calc.axisToStore);
    if (calc.axisShiftToStore)
        keepCommon(54, *calc.axisShiftToStore);
    transaction.commit();
}

Calculation runCalculation(Database &db, const CalculationRequest &request)
{
    Calculation calc = calculate(readScheme(db), request);
    storeResults(db, calc);
    return calc;
}
} // namespace tarnvel
