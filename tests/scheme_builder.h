#pragma once

// Puts a loading scheme into a store the way the input dialogs and the mesh
// force command leave it, for tests at any level.

#include "store/database.h"

#include <initializer_list>
#include <utility>

namespace tarnvel::test {

using ParameterValues = std::initializer_list<std::pair<int, double>>;

class SchemeBuilder
{
public:
    virtual ~SchemeBuilder() = default;

    // Replaces a general parameter (2 span L, 4 force unit, 38 direction, 53 axis, 54 shift).
    void setCommon(int id, double value);
    // A point of a group (2 free force, 3 cylindrical, 4 conical) with parameter rows.
    qint64 addPoint(int number, int group, ParameterValues parameters = {});
    // A free force: its place (5, 6, 7) and equivalent projections (8, 9, 10).
    qint64 addFreeForce(int number, double x, double y, double z, double Fx, double Fy, double Fz);
    // Spur gears m 3, z 20/40, α 20°, pinion driving, at φ = 0 and the given z.
    qint64 addSpurGear(int number, double z);
    // One mode of a point: loads by kind (PowerID), entered in kind powerNumber.
    void addPowers(qint64 point, int rez, double speed, double coeff, ParameterValues loads, int powerNumber = 4);
    // The equivalent rows (RezNumber −1) the mesh force command writes for a gear point.
    void addEquivalentForces(qint64 point, double x, double y, double z, double Fx, double Fy, double Fz);

protected:
    virtual Database &schemeStore() = 0;
};

} // namespace tarnvel::test
