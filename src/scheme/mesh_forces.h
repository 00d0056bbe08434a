#pragma once

#include "scheme/load_modes.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <QVector>

#include <optional>

namespace tarnvel {

class Database;

// Angles are typed in degrees; π is the decimal literal 3.14159265358979 so
// that every stored force comes out the same on every machine and compiler.
double DegToRad(double degrees);
// inv θ = tan θ − θ, the involute function of the tooth profile.
double Involute(double theta);
// The angle θ with inv θ = value, by Newton's method from just below 90°.
// Empty when the iteration does not settle (a non-positive or huge involute
// value, that is gear data that cannot mesh).
std::optional<double> InverseInvolute(double value);

// Per-mode arrays are indexed from 0: entry i belongs to mode i + 1. Torques
// are in N·m when the force unit is newtons, in kgf·m when it is kgf; the
// forces then come out in that unit. Weights are the modes' shares of
// revolutions, Speed·Coeff / Σ Speed·Coeff.
struct CylindricalMeshInput
{
    double module = 0; // normal module m, mm
    int teeth1 = 0; // z1, the gear on this shaft
    int teeth2 = 0; // z2, the mating gear
    double pressureAngle = 0; // normal pressure angle α, degrees
    double helixAngle = 0; // β, degrees
    double shift1 = 0; // profile shift coefficient x1
    double shift2 = 0; // profile shift coefficient x2
    double positionAngle = 0; // φ, degrees from +X towards +Y
    int role = 0; // gear role code, 1 or 2
    int hand = 0; // tooth hand code, 1 or 2
    int direction = 0; // shaft's direction of rotation, 1 or 2
    QVector<double> torques;
    QVector<double> weights;
    double z = 0; // axial position of the mesh, mm
    bool operator==(const CylindricalMeshInput &) const = default;
};

struct ConicalMeshInput
{
    double module = 0; // outer module me, mm
    int teeth1 = 0; // z1, the gear on this shaft
    int teeth2 = 0; // z2, the mating gear
    double shaftAngle = 0; // Σ between the gear axes, degrees
    double spiralAngle = 0; // mean spiral angle β, degrees (0: straight teeth)
    double pressureAngle = 0; // α, degrees
    double faceWidth = 0; // b, mm
    double positionAngle = 0; // φ, degrees from +X towards +Y
    int role = 0; // gear role code, 1 or 2
    int hand = 0; // spiral hand code, 1 or 2
    int orientation = 0; // cone orientation code, 1 or 2
    int direction = 0; // shaft's direction of rotation, 1 or 2
    QVector<double> torques;
    QVector<double> weights;
    double z = 0; // axial position of the mesh, mm
    bool operator==(const ConicalMeshInput &) const = default;
};

// Mesh forces of one mode: circumferential, radial and axial, and their
// projections on the shaft frame.
struct ModeForces
{
    double Ft = 0;
    double Fr = 0;
    double Fa = 0;
    double Fx = 0;
    double Fy = 0;
    double Fz = 0;
    bool operator==(const ModeForces &) const = default;
};

struct MeshForces
{
    QVector<ModeForces> modes; // mode i + 1 at index i
    double x = 0; // mesh point across the shaft, mm
    double y = 0;
    double z = 0; // mesh position along the shaft, mm
    // Equivalent projections over all modes (exponent 10/3), signed like the
    // last mode's projection.
    double FxEq = 0;
    double FyEq = 0;
    double FzEq = 0;
    bool operator==(const MeshForces &) const = default;
};

// Why a mesh force run stopped. The caller turns it into the message and
// moves the user to the input concerned.
enum class MeshStatus {
    Ok,
    BadForceUnit, // general parameter 4 is neither 1 (N) nor 2 (kgf)
    NoModes, // the point has no torque rows of the force unit's kind
    ZeroSpeedSum, // Σ Speed·Coeff over the modes is 0
    NoDirection, // general parameter 38 has no value
    ZeroParameter, // a required gear datum is 0; parameterId says which
    // The geometry has no solution: no working pressure angle, a 180° shaft
    // angle, a 90° helix, a face reaching the cone apex …
    InconsistentGearData,
    // The geometry is sound but the torques or the modes' speeds and
    // coefficients drive the forces beyond the range of numbers.
    LoadsOutOfRange,
    NotAGearPoint, // the point is neither a cylindrical nor a conical mesh
};

struct MeshOutcome
{
    MeshStatus status = MeshStatus::Ok;
    // ZeroParameter: the ParameterID to ask for. InconsistentGearData: the
    // gear datum at fault when one can be named, otherwise 0. BadForceUnit
    // and NoDirection name the general parameter (4, 38).
    int parameterId = 0;
    MeshForces forces; // valid only with status Ok
    bool operator==(const MeshOutcome &) const = default;
};

MeshOutcome CylindricalMeshForces(const CylindricalMeshInput &input);
MeshOutcome ConicalMeshForces(const ConicalMeshInput &input);

// Replaces the point's rows in PointForses by the result, whose values are
// already as the store keeps them (15 significant digits): per mode Ft, Fr,
// Fa, Fx, Fy, Fz (35, 36, 37, 8, 9, 10), then x, y, z and the equivalents
// (5, 6, 7, 46, 47, 48) with RezNumber -1. Without modes the point is left
// with no rows at all.
void StoreMeshForces(Database &db, int pointId, const MeshForces &forces);

// Everything the mesh force command reads before it computes: the torque
// kind, the modes with their weights, the direction of rotation and the gear
// data of the point, as the point's view shows them (choices by the leading
// number of their caption).
struct MeshPointInputs
{
    MeshStatus status = MeshStatus::Ok;
    int parameterId = 0; // as in MeshOutcome
    int groupId = 0; // 3 cylindrical, 4 conical
    int powerId = 4; // torque rows used: 4 N·m, 3 kgf·m
    // Σ Speed·Coeff, the equivalent speed ; meaningful once the
    // modes were read.
    double eqSpeed = 0;
    CylindricalMeshInput cylindrical; // filled for group 3
    ConicalMeshInput conical; // filled for group 4
    bool operator==(const MeshPointInputs &) const = default;
};

// The gear data of the points as the mesh computation takes them: the torque
// rows of the force unit's kind, the modes with their weights, the direction
// of rotation and the gear data of each point as its view shows them
// (choices by the leading number of their caption).
class MeshInputReader
{
public:
    struct TorqueRow
    {
        double torque = 0;
        ModeSpeed speed;
    };
    struct Stored
    {
        std::optional<double> unit; // general parameter 4
        std::optional<double> rotation; // general parameter 38
        QHash<int, QVector<TorqueRow>> torques; // by point: the force unit's torque rows in mode order
        QHash<int, QHash<int, double>> values; // by point: gear data by ParameterID, as stored
        QMap<std::pair<int, double>, QString> choices; // (ParameterID, value) → caption
    };
    explicit MeshInputReader(Stored stored);
    MeshPointInputs read(int pointId, int groupId) const;

    // The torque kind (PowerID) the force unit reads: 4 N·m for newtons (or
    // no unit), 3 kgf·m for kilogram-force; none for any other unit.
    static std::optional<int> torqueKind(const std::optional<double> &unit);

private:
    Stored m;
};

// Computes the mesh of the inputs' kind; a stopped read passes through.
MeshOutcome ComputeMeshForces(const MeshPointInputs &inputs);

} // namespace tarnvel
