#pragma once

#include <QVector>

namespace tarnvel {

// One operating mode of the working list that the load dialogs edit. For a
// gear point Load1..Load4 hold the same load as power in hp, power in kW,
// torque in kgf·m and torque in N·m; for a free-force point Fx, Fy, Fz and 0.
struct ModeRecord
{
    double Load1 = 0;
    double Load2 = 0;
    double Load3 = 0;
    double Load4 = 0;
    double Speed = 0; // rpm
    double Coeff = 0; // share of the working time
    bool operator==(const ModeRecord &) const = default;
};

using ModeList = QVector<ModeRecord>;

} // namespace tarnvel
