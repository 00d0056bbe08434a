#pragma once

// The check of the shaft itself, mode by mode: the torque it carries, the
// equivalent moment and the diameter it needs, and, once its steps and steel
// are known, its static safety and its stiffness (deflection and slope with
// the bearings as simple supports).
//
// Everything works on one mode's diagram entries as PointMoments leaves them:
// sorted by position on the diagram axis (mm from the shaft's left end), the
// loads with their point of action (x, y) and forces, the supports with their
// reactions, and the bending moments just left and right of each. Between two
// neighbouring entries the bending moment is linear; between neighbouring
// entries and steps the section is constant too, so every piece below has a
// closed form and nothing is integrated numerically.
//
// Units: positions and diameters in mm; forces in the scenario's force unit
// (newtonsPerUnit converts them for stresses and deflections); moments and
// torques in force unit × mm; stresses and E in MPa; slopes in radians.

#include "analysis/moment_diagram.h"

#include <QString>
#include <QVector>

#include <array>
#include <optional>

namespace tarnvel {

// One step of the shaft, from the left end in order.
struct ShaftSegment
{
    double length = 0; // mm
    double outer = 0; // outer diameter D, mm
    double bore = 0; // diameter d of a central bore, mm; 0 for a solid step
    bool operator==(const ShaftSegment &) const = default;
};

// A shaft steel as the catalogue holds it.
struct ShaftSteel
{
    qint64 id = 0;
    QString grade; // "45", "40Х" …
    QString treatment; // "нормализация", "улучшение", "цементация" …
    double blankDiameter = 0; // the largest blank the properties hold for, mm; 0: any
    QString hardness; // as the handbook gives it: "HB 200", "HRC 56…63"
    double sigmaB = 0; // σв, ultimate strength
    double sigmaT = 0; // σт, yield strength
    double tauT = 0; // τт, yield strength in shear
    double sigmaM1 = 0; // σ-1, endurance limit in bending
    double tauM1 = 0; // τ-1, endurance limit in torsion
    double psiTau = 0; // ψτ, sensitivity to the mean stress of the cycle
    double E = 0; // modulus of elasticity
    QString source; // the published table the row comes from
    bool operator==(const ShaftSteel &) const = default;
};

// The section of a step: its second moment of area, section moduli and area.
struct ShaftSection
{
    double I = 0; // mm^4, π(D⁴ − d⁴)/64
    double W = 0; // mm^3, π(D⁴ − d⁴)/(32 D)
    double Wk = 0; // mm^3, polar: 2 W
    double A = 0; // mm^2, π(D² − d²)/4
    bool operator==(const ShaftSection &) const = default;
};

ShaftSection shaftSection(const ShaftSegment &segment);

// The length of the shaft: its steps end to end, mm.
double shaftLength(const QVector<ShaftSegment> &segments);

// Everything of one mode the check takes besides the entries.
struct ShaftSetup
{
    QVector<ShaftSegment> segments; // empty: no geometry
    std::optional<ShaftSteel> steel;
    double leftSupport = 0; // positions of the bearings on the axis, mm
    double rightSupport = 0;
    double axialReaction = 0; // Ra, force unit
    int axialSupport = 0; // the support Ra acts at: 0 left, 1 right
    double newtonsPerUnit = 1; // 1 for newtons, 9.80665 for kilogram-force
    double peakFactor = 2.0; // Kп
    double allowedBending = 55; // [σ], MPa, for the required diameter
    int U = 0; // axis length, mm: the curves are sampled at 0 … U
};

// A function along the shaft that may jump at its breakpoints: its values
// just left and right of each breakpoint (sorted positions), and one sample
// per millimetre of the axis (index 0 … U) for drawing. A PlaneDiagram holds
// the same and is what the plotting code draws. Sample k is the exact value at
// k mm (right of a breakpoint standing there, left of the last one); samples
// outside the breakpoints' range stay 0.
using ShaftCurve = PlaneDiagram;

// One plane of the bent shaft: the deflection v(z) and slope v'(z), exact
// cubic and quadratic pieces between breakpoints.
struct BeamPiece
{
    double from = 0;
    double to = 0;
    // v(z) = c0 + c1 t + c2 t² + c3 t³ with t = z − from; v' its derivative.
    double c0 = 0, c1 = 0, c2 = 0, c3 = 0;
};

struct BeamPlane
{
    QVector<BeamPiece> pieces; // contiguous, covering the whole shaft
    // At z mm from the left end; 0 off the shaft, where there is nothing to bend.
    double deflection(double z) const; // mm
    double slope(double z) const; // rad
};

struct ShaftStrengthPoint
{
    double safety = 0; // Sт; +∞ where the section carries nothing
    double position = 0; // mm from the left end
    int segment = 0; // index of the step
    double sigma = 0; // σ there, peak bending plus axial, MPa
    double tau = 0; // τ there, peak torsion, MPa
};

struct ShaftModeCheck
{
    ShaftCurve torque; // T, force unit × mm, summed from the left end
    double torqueResidual = 0; // T beyond the last entry, force unit × mm
    ShaftCurve equivalentMoment; // √(M² + 0.75 T²), force unit × mm
    ShaftCurve requiredDiameter; // ∛(M_eq / (0.1 [σ])), mm (M_eq in N·mm); empty for [σ] ≤ 0
    ShaftCurve axialForce; // N(z) from the loads and the axial reaction, force unit

    // Geometry and a steel with σт and τт: the smallest static safety on each
    // step and overall (the leftmost of equal ones).
    bool strengthComputed = false;
    QVector<ShaftStrengthPoint> segmentMinimum;
    ShaftStrengthPoint minimum;

    // Geometry, E and both bearings on the shaft: the bent shaft in the XOZ
    // (from the X forces) and YOZ planes. The curves end with the shaft.
    bool stiffnessComputed = false;
    BeamPlane bendX;
    BeamPlane bendY;
    ShaftCurve deflection; // √(vx² + vy²), mm
    ShaftCurve slope; // √(vx'² + vy'²), rad
    ShaftCurve deflectionX; // vx, vy: signed, along +X and +Y, mm
    ShaftCurve deflectionY;
    ShaftCurve slopeX; // vx', vy', rad
    ShaftCurve slopeY;
    double largestDeflection = 0;
    double largestDeflectionAt = 0;
};

// The check of one mode. entries must be sorted with their moments set
// (PointMoments); every entry lies on the shaft when there is a geometry.
// A geometry counts when every step has a length ≥ 0, D > 0 and 0 ≤ d < D, and
// the shaft is longer than 0. The curves' breakpoints are the entries (those at
// one position as one), the step ends and the bearings.
ShaftModeCheck checkShaftMode(const QVector<DiagramEntry> &entries, const ShaftSetup &setup);

} // namespace tarnvel
