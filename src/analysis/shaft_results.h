#pragma once

// The check of the shaft itself as part of the calculation: each mode's
// loads and reactions laid along the shaft, checked by checkShaftMode, then
// the worst mode of each quantity picked and named, and the rows the views,
// the report and the batch print.

#include "analysis/shaft_check.h"
#include "analysis/shaft_inputs.h"

#include <QString>
#include <QVector>

#include <optional>

namespace tarnvel {

struct Calculation;
struct ResultRow;
struct SchemeInputs;

// A step thinner than the loads need: its diameter (for a hollow step, the
// solid diameter of the same section modulus) against the largest required.
struct ThinStep
{
    int segment = 0; // index of the step
    double diameter = 0; // mm
    double required = 0; // mm
    double position = 0; // where the most is required, mm from the left end
    int mode = 0;
};

// A value checked against its allowed one, in its worst mode.
struct ShaftLimitCheck
{
    QString caption; // "Угол поворота в левой опоре θ"
    double value = 0;
    double allowed = 0;
    int mode = 0; // 1-based
    double position = 0; // mm from the left end
    bool exceeded() const { return value > allowed; }
};

struct ShaftCheckResult
{
    // The reactions and the axis are there: torque, M_eq and d are computed.
    bool computed = false;
    // With steps: what lies off the shaft, as the user is told; then
    // nothing that needs the steps is computed.
    std::optional<QString> offShaft;
    bool hasGeometry = false; // steps given and every support and point on them
    bool hasSteel = false;
    double length = 0; // the shaft, mm
    QVector<ShaftSegment> segments;
    std::optional<ShaftSteel> steel;
    double requiredSafety = 1.5;
    QString modeCaption; // "режим %1", or the equivalent load when the shaft has no modes
    QVector<ShaftModeCheck> modes; // mode i + 1 at index i

    // The worst mode of each diagram (1-based) and its extreme.
    int torqueMode = 0;
    double largestTorque = 0; // |T|, force unit × mm
    double largestTorqueAt = 0;
    double torqueResidual = 0; // of the mode with the largest one
    bool torqueUnbalanced = false;
    int residualMode = 0;
    int diameterMode = 0;
    double largestEquivalentMoment = 0;
    double largestEquivalentMomentAt = 0;
    double largestRequiredDiameter = 0;
    double largestRequiredDiameterAt = 0;
    QVector<ThinStep> thinSteps;

    int strengthMode = 0; // the mode of the smallest safety
    QVector<std::pair<ShaftStrengthPoint, int>> segmentMinimum; // each step's smallest over the modes, with its mode
    ShaftStrengthPoint minimum;

    int deflectionMode = 0; // the mode of the largest deflection
    double largestDeflection = 0;
    double largestDeflectionAt = 0;
    QVector<ShaftLimitCheck> slopes; // at the left and the right support
    QVector<ShaftLimitCheck> deflections; // under each gear point, in point order

    QString modeName(int mode) const; // "режим 2"
};

// The check from the calculation's own forces and reactions; P is the left
// support's place on the axis and U the axis length (mm).
ShaftCheckResult checkShaft(const SchemeInputs &in, const Calculation &calc, double P, int U);

// The rows of the strength and the stiffness views, as the report prints them too.
QVector<ResultRow> shaftStrengthRows(const ShaftCheckResult &shaft, const QString &unit);
QVector<ResultRow> shaftStiffnessRows(const ShaftCheckResult &shaft);

} // namespace tarnvel
