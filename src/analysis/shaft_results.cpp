#include "analysis/shaft_results.h"

#include "analysis/calculation.h"
#include "analysis/scheme_inputs.h"
#include "store/numbers.h"

#include <cmath>
#include <limits>

namespace tarnvel {

namespace {

constexpr double kNewtonsPerKilogramForce = 9.80665;

QString number(double value, int decimals) { return SqlNum(roundHalfEven(value, decimals)); }

// A position on the shaft as the rows name it.
QString at(double position) { return QStringLiteral("z = %1 мм").arg(number(position, 1)); }

// Every support and loading point must lie on the steps; the first one off
// them is named.
std::optional<QString> offShaft(const Calculation &calc, double P, double length)
{
    const double slack = 1e-9 * std::max(length, 1.0);
    const auto off = [&](double position) { return position < -slack || position > length + slack; };
    const auto message = [&](const QString &what, double position) {
        return QStringLiteral("%1 лежит вне вала: %2, а длина вала по ступеням %3 мм. Исправьте ступени вала или "
                              "положение на оси.")
            .arg(what, at(position), number(length, 3));
    };
    if (off(P))
        return message(QStringLiteral("Левая опора"), P);
    if (off(P + calc.L))
        return message(QStringLiteral("Правая опора"), P + calc.L);
    for (const PointResult &point : calc.points) {
        if (off(P + point.force.z))
            return message(point.caption, P + point.force.z);
    }
    return std::nullopt;
}

// The support the axial reaction acts at: the one whose bearing takes axial
// load, the left one when both or neither do.
int axialSupport(const SchemeInputs &in)
{
    const auto takesAxial = [&](int side) {
        const std::optional<BearingSettings> &settings = in.supports.at(static_cast<std::size_t>(side)).settings;
        return settings && settings->takesAxial;
    };
    return !takesAxial(0) && takesAxial(1) ? 1 : 0;
}

// The largest magnitude of a curve at its breakpoints (both sides), where
// every extreme of a piecewise linear or convex function lies.
std::pair<double, double> largest(const ShaftCurve &curve)
{
    double value = 0, position = 0;
    for (qsizetype i = 0; i < curve.position.size(); ++i) {
        for (double v : { curve.left.value(i), curve.right.value(i) }) {
            if (std::fabs(v) > value) {
                value = std::fabs(v);
                position = curve.position.at(i);
            }
        }
    }
    return { value, position };
}

// A hollow step carries bending like a solid one of the same section modulus.
double solidEquivalent(const ShaftSegment &s)
{
    return s.bore > 0 ? std::cbrt((std::pow(s.outer, 4) - std::pow(s.bore, 4)) / s.outer) : s.outer;
}

void findThinSteps(ShaftCheckResult &r)
{
    double start = 0;
    for (qsizetype k = 0; k < r.segments.size(); ++k) {
        const ShaftSegment &segment = r.segments.at(k);
        const double end = start + segment.length;
        ThinStep worst { static_cast<int>(k), solidEquivalent(segment), 0, start, 0 };
        for (qsizetype m = 0; m < r.modes.size(); ++m) {
            const ShaftCurve &d = r.modes.at(m).requiredDiameter;
            for (qsizetype i = 0; i < d.position.size(); ++i) {
                const double z = d.position.at(i);
                if (z < start || z > end)
                    continue;
                // The value just left of the step's start belongs to the step before.
                const double value = z == start ? d.right.at(i) : z == end ? d.left.at(i)
                                                                          : std::max(d.left.at(i), d.right.at(i));
                if (value > worst.required)
                    worst = { worst.segment, worst.diameter, value, z, static_cast<int>(m) + 1 };
            }
        }
        if (worst.required > worst.diameter)
            r.thinSteps.append(worst);
        start = end;
    }
}

void pickStrength(ShaftCheckResult &r)
{
    r.minimum.safety = std::numeric_limits<double>::infinity();
    r.segmentMinimum.fill({ ShaftStrengthPoint { std::numeric_limits<double>::infinity(), 0, 0 }, 0 },
        r.segments.size());
    for (qsizetype m = 0; m < r.modes.size(); ++m) {
        const ShaftModeCheck &check = r.modes.at(m);
        if (!check.strengthComputed)
            continue;
        for (qsizetype k = 0; k < check.segmentMinimum.size() && k < r.segmentMinimum.size(); ++k) {
            if (check.segmentMinimum.at(k).safety < r.segmentMinimum.at(k).first.safety)
                r.segmentMinimum[k] = { check.segmentMinimum.at(k), static_cast<int>(m) + 1 };
        }
        if (check.minimum.safety < r.minimum.safety || r.strengthMode == 0) {
            r.minimum = check.minimum;
            r.strengthMode = static_cast<int>(m) + 1;
        }
    }
}

void pickStiffness(ShaftCheckResult &r, const SchemeInputs &in, const Calculation &calc, double P)
{
    for (int side = 0; side < 2; ++side) {
        const std::optional<BearingSettings> &bearing = in.supports.at(static_cast<std::size_t>(side)).settings;
        const int id = side == 0 ? shaftSetting::slopeLeft : shaftSetting::slopeRight;
        ShaftLimitCheck check;
        check.caption = side == 0 ? QStringLiteral("Угол поворота в левой опоре θ")
                                  : QStringLiteral("Угол поворота в правой опоре θ");
        check.allowed = in.shaft.isSet(id) ? in.shaft.setting(id) : defaultAllowedSlope(bearing ? bearing->typeCode : 0);
        check.position = side == 0 ? P : P + calc.L;
        r.slopes.append(check);
    }
    for (const PointResult &point : calc.points) {
        if (point.group != 3 && point.group != 4)
            continue;
        const PointInputs *input = in.point(point.pointId);
        const double module = !input ? 0.0
            : point.group == 3       ? input->mesh.cylindrical.module
                                     : input->mesh.conical.module;
        const double share = in.shaft.setting(point.group == 3 ? shaftSetting::deflectionSpur
                                                                : shaftSetting::deflectionBevel);
        ShaftLimitCheck check;
        check.caption = QStringLiteral("Прогиб под точкой %1 f").arg(point.number);
        check.allowed = share * module;
        check.position = P + point.force.z;
        r.deflections.append(check);
    }
    for (qsizetype m = 0; m < r.modes.size(); ++m) {
        const ShaftModeCheck &check = r.modes.at(m);
        if (!check.stiffnessComputed)
            continue;
        const int mode = static_cast<int>(m) + 1;
        if (check.largestDeflection > r.largestDeflection || r.deflectionMode == 0) {
            r.largestDeflection = check.largestDeflection;
            r.largestDeflectionAt = check.largestDeflectionAt;
            r.deflectionMode = mode;
        }
        for (ShaftLimitCheck &slope : r.slopes) {
            const double value = std::hypot(check.bendX.slope(slope.position), check.bendY.slope(slope.position));
            if (value > slope.value || slope.mode == 0)
                slope.value = value, slope.mode = mode;
        }
        for (ShaftLimitCheck &deflection : r.deflections) {
            const double value
                = std::hypot(check.bendX.deflection(deflection.position), check.bendY.deflection(deflection.position));
            if (value > deflection.value || deflection.mode == 0)
                deflection.value = value, deflection.mode = mode;
        }
    }
}

} // namespace

QString ShaftCheckResult::modeName(int mode) const
{
    return modeCaption.contains(QLatin1String("%1")) ? modeCaption.arg(mode) : modeCaption;
}

ShaftCheckResult checkShaft(const SchemeInputs &in, const Calculation &calc, double P, int U)
{
    ShaftCheckResult r;
    if (!calc.reactionsComputed)
        return r;
    r.segments = in.shaft.segments;
    r.length = in.shaft.length();
    r.steel = in.shaft.steel;
    r.requiredSafety = in.shaft.setting(shaftSetting::requiredSafety);
    if (!r.segments.isEmpty())
        r.offShaft = offShaft(calc, P, r.length);
    r.hasGeometry = !r.segments.isEmpty() && !r.offShaft;
    r.hasSteel = r.steel.has_value();

    ShaftSetup setup;
    if (r.hasGeometry)
        setup.segments = r.segments;
    setup.steel = r.steel;
    setup.leftSupport = P;
    setup.rightSupport = P + calc.L;
    setup.axialSupport = axialSupport(in);
    setup.newtonsPerUnit = in.forceUnit() == 2 ? kNewtonsPerKilogramForce : 1.0;
    setup.peakFactor = in.shaft.setting(shaftSetting::peakFactor);
    setup.allowedBending = in.shaft.setting(shaftSetting::allowedBending);
    setup.U = U;

    // Each mode's own forces; a point without a force in a mode adds none to
    // it, as in the mode reactions. A shaft without modes is checked under
    // its equivalent loads.
    const qsizetype modes = calc.modeReactions.size();
    r.modeCaption = modes > 0 ? QStringLiteral("режим %1") : QStringLiteral("эквивалентная нагрузка");
    for (qsizetype m = 0; m < std::max<qsizetype>(modes, 1); ++m) {
        ForceArrays forces;
        for (const PointResult &point : calc.points) {
            PointForce force = point.force;
            if (modes > 0) {
                force.Fx = force.Fy = force.Fz = 0;
                if (m < point.modeForces.size())
                    force = point.modeForces.at(m);
            }
            forces.append(force);
        }
        const Reactions &reactions = modes > 0 ? calc.modeReactions.at(m) : calc.reactions;
        QVector<DiagramEntry> entries = diagramPointList(forces, reactions, calc.L, P, U);
        PointMoments(entries);
        setup.axialReaction = reactions.Ra;
        r.modes.append(checkShaftMode(entries, setup));
    }
    r.computed = true;

    for (qsizetype m = 0; m < r.modes.size(); ++m) {
        const ShaftModeCheck &check = r.modes.at(m);
        const int mode = static_cast<int>(m) + 1;
        if (const auto [torque, z] = largest(check.torque); torque > r.largestTorque || r.torqueMode == 0) {
            r.largestTorque = torque;
            r.largestTorqueAt = z;
            r.torqueMode = mode;
        }
        if (std::fabs(check.torqueResidual) > std::fabs(r.torqueResidual) || r.residualMode == 0) {
            r.torqueResidual = check.torqueResidual;
            r.residualMode = mode;
        }
        if (const auto [moment, z] = largest(check.equivalentMoment); moment > r.largestEquivalentMoment
            || r.diameterMode == 0) {
            r.largestEquivalentMoment = moment;
            r.largestEquivalentMomentAt = z;
            r.largestRequiredDiameter = largest(check.requiredDiameter).first;
            r.largestRequiredDiameterAt = z;
            r.diameterMode = mode;
        }
    }
    // The torques balance when what is left beyond the last load is no more
    // than the rounding of the stored forces (15 digits) could leave.
    double applied = 0;
    for (const DiagramEntry &e : diagramPointList(calc.forces, calc.reactions, calc.L, P, U))
        applied += std::fabs(e.x * e.Fy) + std::fabs(e.y * e.Fx);
    r.torqueUnbalanced = std::fabs(r.torqueResidual) > 1e-9 * std::max(applied, r.largestTorque);
    if (r.hasGeometry) {
        findThinSteps(r);
        if (r.hasSteel) {
            pickStrength(r);
            pickStiffness(r, in, calc, P);
        }
    }
    return r;
}

namespace {

ResultRow valueRow(const QString &caption, double value, int decimals, const QString &remark = {}, bool exceeded = false)
{
    ResultRow row;
    row.caption = caption;
    row.numbers = { value };
    row.rounded = true;
    row.decimals = decimals;
    row.remark = remark;
    row.exceeded = exceeded;
    return row;
}

ResultRow textRow(const QString &caption, const QString &text, bool exceeded = false)
{
    ResultRow row;
    row.caption = caption;
    row.text = text;
    row.exceeded = exceeded;
    return row;
}

QString where(const ShaftCheckResult &r, int mode, double position)
{
    return QStringLiteral("%1, %2").arg(r.modeName(mode), at(position));
}

} // namespace

QVector<ResultRow> shaftStrengthRows(const ShaftCheckResult &r, const QString &unit)
{
    QVector<ResultRow> rows;
    if (!r.computed)
        return rows;
    const QString moment = unit + QStringLiteral("*м");
    rows << valueRow(QStringLiteral("Наибольший крутящий момент T, %1").arg(moment), r.largestTorque / 1000, 3,
        where(r, r.torqueMode, r.largestTorqueAt));
    if (r.torqueUnbalanced)
        rows << valueRow(QStringLiteral("Невязка крутящих моментов, %1").arg(moment), r.torqueResidual / 1000, 3,
            QStringLiteral("%1: моменты на валу не уравновешены").arg(r.modeName(r.residualMode)), true);
    rows << valueRow(QStringLiteral("Наибольший эквивалентный момент Mэкв, %1").arg(moment),
        r.largestEquivalentMoment / 1000, 3, where(r, r.diameterMode, r.largestEquivalentMomentAt));
    rows << valueRow(QStringLiteral("Требуемый диаметр d, мм"), r.largestRequiredDiameter, 2,
        where(r, r.diameterMode, r.largestRequiredDiameterAt));
    if (r.offShaft) {
        rows << textRow(QStringLiteral("Ступени вала"), *r.offShaft, true);
        return rows;
    }
    if (!r.hasGeometry) {
        rows << textRow(QStringLiteral("Ступени вала"),
            QStringLiteral("не заданы: запас прочности и жёсткость не вычисляются"));
        return rows;
    }
    for (const ThinStep &step : r.thinSteps) {
        rows << valueRow(QStringLiteral("Ступень %1 тоньше требуемого, нужно d, мм").arg(step.segment + 1),
            step.required, 2,
            QStringLiteral("D = %1 мм; %2").arg(number(step.diameter, 2), where(r, step.mode, step.position)), true);
    }
    if (!r.hasSteel) {
        rows << textRow(QStringLiteral("Сталь вала"), QStringLiteral("не выбрана: запас прочности и жёсткость не вычисляются"));
        return rows;
    }
    rows << textRow(QStringLiteral("Сталь вала"),
        QStringLiteral("%1 (%2), σт = %3 МПа, τт = %4 МПа")
            .arg(r.steel->grade, r.steel->treatment, number(r.steel->sigmaT, 1), number(r.steel->tauT, 1)));
    const auto safetyRow = [&](const QString &caption, const ShaftStrengthPoint &point, int mode) {
        if (!std::isfinite(point.safety))
            return textRow(caption, QStringLiteral("не ограничен (сечение не нагружено)"));
        const bool low = point.safety < r.requiredSafety;
        QString remark = where(r, mode, point.position);
        if (low)
            remark += QStringLiteral("; меньше [Sт] = %1").arg(number(r.requiredSafety, 2));
        return valueRow(caption, point.safety, 2, remark, low);
    };
    for (qsizetype k = 0; k < r.segmentMinimum.size(); ++k) {
        const auto &[point, mode] = r.segmentMinimum.at(k);
        rows << safetyRow(QStringLiteral("Ступень %1: наименьший запас Sт").arg(k + 1), point, mode);
    }
    rows << safetyRow(QStringLiteral("Наименьший запас статической прочности Sт"), r.minimum, r.strengthMode);
    return rows;
}

QVector<ResultRow> shaftStiffnessRows(const ShaftCheckResult &r)
{
    QVector<ResultRow> rows;
    if (!r.computed)
        return rows;
    if (r.offShaft) {
        rows << textRow(QStringLiteral("Ступени вала"), *r.offShaft, true);
        return rows;
    }
    if (!r.hasGeometry || !r.hasSteel) {
        rows << textRow(QStringLiteral("Жёсткость"),
            !r.hasGeometry ? QStringLiteral("не вычисляется: ступени вала не заданы")
                           : QStringLiteral("не вычисляется: сталь вала (модуль упругости) не выбрана"));
        return rows;
    }
    const auto checkRow = [&](const ShaftLimitCheck &check, const QString &unit, int decimals) {
        QString remark = QStringLiteral("допускается %1; %2").arg(number(check.allowed, decimals + 1), r.modeName(check.mode));
        if (check.exceeded())
            remark += QStringLiteral("; больше допускаемого");
        return valueRow(QStringLiteral("%1, %2").arg(check.caption, unit), check.value, decimals, remark, check.exceeded());
    };
    for (const ShaftLimitCheck &slope : r.slopes)
        rows << checkRow(slope, QStringLiteral("рад"), 6);
    for (const ShaftLimitCheck &deflection : r.deflections)
        rows << checkRow(deflection, QStringLiteral("мм"), 4);
    rows << valueRow(QStringLiteral("Наибольший прогиб f, мм"), r.largestDeflection, 4,
        where(r, r.deflectionMode, r.largestDeflectionAt));
    return rows;
}

} // namespace tarnvel
