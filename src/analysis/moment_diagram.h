#pragma once

#include "analysis/reactions.h"

#include <QString>
#include <QVector>

namespace tarnvel {

// One entry of the diagram point list: a loading point, a support or one of
// the two marks at the ends of the diagram axis. Positions are on the diagram
// axis (mm from its start); moments in force unit × mm, "L" just left and "R"
// just right of the entry, so that an off-axis axial force shows as a jump.
struct DiagramEntry
{
    double position = 0;
    double x = 0;
    double y = 0;
    double Fx = 0;
    double Fy = 0;
    double Fz = 0;
    double MxL = 0;
    double MxR = 0;
    double MyL = 0;
    double MyR = 0;
    double MsL = 0;
    double MsR = 0;
    bool operator==(const DiagramEntry &) const = default;
};

// Everything the plot of one plane needs. The entries are those of the point
// list with positions clamped to the axis 0 … U; curve holds one moment per
// millimetre of the axis (index 0 … U), the value just right of an entry at
// the entry's own millimetre.
struct PlaneDiagram
{
    QVector<double> left;
    QVector<double> right;
    QVector<double> position;
    QVector<double> step;
    QVector<double> curve;
    int U = 0;
    bool operator==(const PlaneDiagram &) const = default;
};

enum class DiagramPlane { XOZ = 1, YOZ = 2, Sum = 3 };

struct MomentDiagrams
{
    int U = 0;
    QVector<DiagramEntry> entries; // sorted, at their true positions
    PlaneDiagram xoz; // Mx, from the X forces
    PlaneDiagram yoz; // My, from the Y forces
    PlaneDiagram sum; // Ms, the resultant
    const PlaneDiagram &plane(DiagramPlane which) const;
    bool operator==(const MomentDiagrams &) const = default;
};

// The unsorted point list: start mark at 0, the loads at z + P, the left
// support at P, the right support at P + L, the end mark at U.
QVector<DiagramEntry> diagramPointList(
    const ForceArrays &forces, const Reactions &reactions, double L, double P, int U);

// Sorts the list by position (stable) and computes the moments
// left and right of every entry by summing the loads to its left. Entries at
// the same position merge: the last of them carries the combined jump, the
// right moments of the others are 0.
void PointMoments(QVector<DiagramEntry> &entries);

// One moment per millimetre (index 0 … U) along straight lines from the value
// right of each entry to the value left of the next one. Millimetres outside
// the entries' range stay 0.
QVector<double> SampleEpur(
    const QVector<double> &left, const QVector<double> &right, const QVector<double> &position, int U);

// The drawable form of one plane: the curve sampled at the true positions,
// then the entries beyond the axis moved to its nearest end with the curve's
// value there.
PlaneDiagram planeDiagram(
    const QVector<double> &left, const QVector<double> &right, const QVector<double> &position, int U);

// The whole construction from the gathered forces and the four radial
// reactions: L is the support distance, P the position of the left support on
// the axis and U the axis length (≥ 1), all in mm.
MomentDiagrams BuildEpur(const ForceArrays &forces, const Reactions &reactions, double L, double P, int U);

// Extremes of an array; 0 for an empty one.
double ArrayMax(const QVector<double> &values);
double ArrayMin(const QVector<double> &values);
double ArrayMaxAbs(const QVector<double> &values);

} // namespace tarnvel
