#pragma once

#include <QVector>

#include <optional>

namespace tarnvel {

class Database;

// The equivalent force of one loading point (over all load modes) and where
// it acts: z along the shaft from the left support, x and y across it, in mm.
// Forces are in the force unit of general parameter 4.
struct PointForce
{
    double x = 0;
    double y = 0;
    double z = 0;
    double Fx = 0;
    double Fy = 0;
    double Fz = 0;
    bool operator==(const PointForce &) const = default;
};

// One entry per loading point, in the order of the point numbers.
using ForceArrays = QVector<PointForce>;

// The seven support reactions as they are kept in Reakz (ParameterID 39 … 45).
// They are the forces the supports exert on the shaft, so they balance the
// applied loads: R1x + R2x = −ΣFx, R1y + R2y = −ΣFy, Ra = −ΣFz.
struct Reactions
{
    double R1x = 0; // 39, left support along X
    double R1y = 0; // 40, left support along Y
    double R1 = 0; // 41, left support, radial resultant
    double R2x = 0; // 42, right support along X
    double R2y = 0; // 43, right support along Y
    double R2 = 0; // 44, right support, radial resultant
    double Ra = 0; // 45, axial
    bool operator==(const Reactions &) const = default;
};

enum class ForceGatheringStatus {
    Gathered,
    // The scheme has no loading point; PointForses and Reakz have been emptied.
    // The user is to add a point.
    NoPoints,
    // A gear-mesh point has no equivalent forces yet; its mesh force command
    // has to run before the forces can be gathered again.
    ForcesNotComputed,
};

struct ForceGathering
{
    ForceGatheringStatus status = ForceGatheringStatus::Gathered;
    ForceArrays forces; // complete only when status is Gathered
    int pointNumber = 0; // the point whose forces are missing (ForcesNotComputed)
    qint64 pointId = 0;
};

// Gathers the equivalent force of every loading point from the store: free-force
// points from their parameters 5…10, gear-mesh points from their equivalent
// PointForses rows (RezNumber -1, parameters 5, 6, 7, 46, 47, 48). A quantity
// without a row, or with an empty value, counts as 0. Stops at the first
// gear-mesh point whose forces have not been computed.
ForceGathering GetForseMassive(Database &db);

// Statics of the shaft as a beam on two supports L mm apart (left at z = 0),
// both planes at once. An axial force acting off the axis (x or y ≠ 0) adds a
// bending moment Fz·x (Fz·y) that the supports take as a radial couple.
// No result for a support distance of 0, which leaves the beam undefined.
std::optional<Reactions> CalcReakz(const ForceArrays &forces, double L);

// Replaces the rows of Reakz by the seven reactions, all or nothing.
void writeReakz(Database &db, const Reactions &reactions);

// The seven stored reactions; nothing when Reakz does not hold all of them.
std::optional<Reactions> readReakz(Database &db);

// General parameter id as a number; a missing row or an empty value reads as 0.
double commonParameter(Database &db, int parameterId);

enum class ReactionStatus {
    Computed,
    SupportDistanceMissing, // general parameter 2 is missing or 0
    NoPoints, // as ForceGatheringStatus::NoPoints
    ForcesNotComputed, // as ForceGatheringStatus::ForcesNotComputed
};

struct ReactionOutcome
{
    ReactionStatus status = ReactionStatus::Computed;
    Reactions reactions; // valid when Computed
    int pointNumber = 0; // for ForcesNotComputed
    qint64 pointId = 0;
};

// What showing the supports node does to the store: reads L, gathers the
// forces, computes the reactions and rewrites Reakz. When an input is missing
// nothing is written (except the emptying that NoPoints implies) and the status
// names the input, so that the caller can ask for it.
ReactionOutcome computeReactions(Database &db);

} // namespace tarnvel
