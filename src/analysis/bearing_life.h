#pragma once

#include "scheme/load_modes.h"

#include <QVector>

#include <array>
#include <optional>

namespace tarnvel {

// Bearing type codes (BearingsTip.TipID) the life computation knows.
namespace bearingType {
constexpr int radialRoller = 1; // takes no axial load, p = 10/3
constexpr int radialBall = 2; // factors from Fa/C0, p = 3
constexpr int angularBall = 3; // factors from the contact angle, p = 3
} // namespace bearingType

// Which ring turns relative to the load (BearRep.RollRing).
namespace rollRing {
constexpr int inner = 0;
constexpr int outer = 1;
constexpr int both = 2;
} // namespace rollRing

// What the bearing dialog holds for one support.
struct BearingSettings
{
    int side = 0; // 0 left support, 1 right support
    qint64 bearingId = 0; // Bearings.BearingID
    int typeCode = 0; // Bearings.TipID
    double C = 0; // dynamic load rating, N (as catalogued)
    double C0 = 0; // static load rating, N (as catalogued)
    double alpha = 0; // nominal contact angle, degrees
    int ringIndex = rollRing::inner;
    bool takesRadial = true;
    bool takesAxial = true;
    // The three coefficients are kept in single precision, as the dialog
    // reads them; they enter the arithmetic widened (1.2 as 1.2000000476837158).
    float Kk = 1; // quality
    float Kb = 1; // safety
    float Kt = 1; // temperature
    bool operator==(const BearingSettings &) const = default;
};

struct BearingInput
{
    BearingSettings settings;
    double radialReaction = 0; // R1 (left) or R2 (right)
    double axialReaction = 0; // Ra; its size goes to every support that takes axial load
    QVector<ModeSpeed> modes;
    int forceUnit = 1; // general parameter 4: 2 means kilogram-force
    bool operator==(const BearingInput &) const = default;
};

enum class BearingLifeStatus {
    Computed,
    UnknownType, // type code other than 1, 2, 3: nothing computed
    UnlistedAngle, // angular-contact bearing with an angle the tables lack
    InvalidRating, // C ≤ 0, or C0 ≤ 0 where Fa/C0 is needed
    NonPositiveCoefficient, // Kb or Kt ≤ 0 (no Pr, no life) or Kk ≤ 0 (no life)
    NoSpeed, // equivalent speed ≤ 0: no life
};

// The inputs and results of CalcBearing proper.
struct BearingLoadCase
{
    int typeCode = 0;
    double n = 0; // rpm
    double Fa = 0; // axial load taken by the bearing
    double Fr = 0; // radial load taken by the bearing
    float V = 1; // rotation coefficient
    float Kb = 1;
    float Kt = 1;
    float Kk = 1;
    double C = 0; // in the force unit of the loads
    double C0 = 0;
    double alpha = 0;
    bool operator==(const BearingLoadCase &) const = default;
};

// A quantity that could not be computed is empty (and is stored as NULL).
struct BearingFactors
{
    BearingLifeStatus status = BearingLifeStatus::Computed;
    std::optional<double> e;
    std::optional<double> X;
    std::optional<double> Y;
    std::optional<double> Pr; // equivalent dynamic load
    std::optional<double> Lh; // rated life, hours
    // Nothing loads the bearing (Pr = 0): it does not wear out, and Lh stays
    // empty rather than any number of hours.
    bool unlimited = false;
    bool operator==(const BearingFactors &) const = default;
};

struct BearingResult
{
    BearingLoadCase loadCase; // V, n, Fr, Fa and ratings as used
    BearingFactors factors;
    bool operator==(const BearingResult &) const = default;
};

// Piecewise-linear look-up in a nine-point table (xs ascending), held at the
// end values outside the table.
double TableInterp(const std::array<double, 9> &xs, const std::array<double, 9> &ys, double x);

// Equivalent dynamic load Pr = (V·X·Fr + Y·Fa)·Kb·Kt and life
// Lh = (Kk·C/Pr)^p · 10⁶/(60·n), with X, Y and e by bearing type and, for
// angular-contact bearings, contact angle. A radial load of 0 stands in as
// 10⁻⁸ so that the load ratio Fa/(V·Fr) is defined; a bearing that carries
// no load at all has an unlimited life.
BearingFactors CalcBearing(const BearingLoadCase &loadCase);

// The whole support computation: speed and rotation coefficient from the
// rotating ring (both rings turning doubles the relative speed), loads from the
// reactions and the support's flags, ratings in the force unit, then CalcBearing.
BearingResult bearingLife(const BearingInput &input);

// A coefficient as the bearing computation takes it, in single precision; a
// value beyond that range is no coefficient at all (0). A decimal comma is a
// point, as in every other field.
float bearingCoefficient(const QString &text);

} // namespace tarnvel
