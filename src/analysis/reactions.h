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

// Statics of the shaft as a beam on two supports L mm apart (left at z = 0),
// both planes at once. An axial force acting off the axis (x or y ≠ 0) adds a
// bending moment Fz·x (Fz·y) that the supports take as a radial couple.
// No result for a support distance of 0, which leaves the beam undefined.
std::optional<Reactions> CalcReakz(const ForceArrays &forces, double L);

// Replaces the rows of Reakz by the seven reactions, all or nothing.
void writeReakz(Database &db, const Reactions &reactions);

// The seven stored reactions; nothing when Reakz does not hold all of them.
std::optional<Reactions> readReakz(Database &db);


} // namespace tarnvel
