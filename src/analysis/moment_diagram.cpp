#include "analysis/moment_diagram.h"

#include "store/database.h"
#include "store/numbers.h"

#include <algorithm>
#include <cmath>

namespace tarnvel {

namespace {

constexpr int kLongestAxis = 32767; // mm

void recomputeSteps(const QVector<double> &position, QVector<double> &step)
{
    step.resize(position.size());
    for (qsizetype i = 0; i < position.size(); ++i)
        step[i] = i == 0 ? 0.0 : position[i] - position[i - 1];
}

} // namespace

const PlaneDiagram &MomentDiagrams::plane(DiagramPlane which) const
{
    switch (which) {
    case DiagramPlane::XOZ:
        return xoz;
    case DiagramPlane::YOZ:
        return yoz;
    case DiagramPlane::Sum:
        break;
    }
    return sum;
}

QVector<DiagramEntry> diagramPointList(const ForceArrays &forces, const Reactions &reactions, double L, double P, int U)
{
    QVector<DiagramEntry> entries;
    entries.append(DiagramEntry {}); // start of the axis
    for (const PointForce &f : forces) {
        DiagramEntry e;
        e.position = f.z + P;
        e.x = f.x;
        e.y = f.y;
        e.Fx = f.Fx;
        e.Fy = f.Fy;
        e.Fz = f.Fz;
        entries.append(e);
    }
    // The supports act on the axis and take no axial force in bending.
    DiagramEntry left;
    left.position = P;
    left.Fx = reactions.R1x;
    left.Fy = reactions.R1y;
    entries.append(left);
    DiagramEntry right;
    right.position = P + L;
    right.Fx = reactions.R2x;
    right.Fy = reactions.R2y;
    entries.append(right);
    DiagramEntry end;
    end.position = U;
    entries.append(end);
    return entries;
}

void PointMoments(QVector<DiagramEntry> &entries)
{
    std::stable_sort(entries.begin(), entries.end(),
        [](const DiagramEntry &a, const DiagramEntry &b) { return a.position < b.position; });
    if (entries.isEmpty())
        return;

    DiagramEntry &first = entries[0];
    first.MxL = first.MyL = 0;
    first.MxR = first.Fz * first.x;
    first.MyR = first.Fz * first.y;

    for (qsizetype i = 1; i < entries.size(); ++i) {
        DiagramEntry &e = entries[i];
        DiagramEntry &previous = entries[i - 1];
        if (e.position == previous.position) {
            // Coinciding entries act as one: the last one carries the sum of
            // their jumps (previous.MxR already holds the jumps before it).
            e.MxL = previous.MxL;
            e.MyL = previous.MyL;
            e.MxR = previous.MxR + e.Fz * e.x;
            e.MyR = previous.MyR + e.Fz * e.y;
            previous.MxR = 0;
            previous.MyR = 0;
        } else {
            // Bending moment from everything to the left: each force times its
            // lever arm, plus the couple of each off-axis axial force.
            double mx = 0, my = 0;
            for (qsizetype j = 0; j < i; ++j) {
                const DiagramEntry &load = entries[j];
                const double arm = e.position - load.position;
                mx += load.Fx * arm + load.x * load.Fz;
                my += load.Fy * arm + load.y * load.Fz;
            }
            e.MxL = mx;
            e.MyL = my;
            e.MxR = mx + e.Fz * e.x;
            e.MyR = my + e.Fz * e.y;
        }
    }

    for (DiagramEntry &e : entries) {
        e.MsL = std::sqrt(e.MxL * e.MxL + e.MyL * e.MyL);
        e.MsR = std::sqrt(e.MxR * e.MxR + e.MyR * e.MyR);
    }
}

QVector<double> SampleEpur(
    const QVector<double> &left, const QVector<double> &right, const QVector<double> &position, int U)
{
    QVector<double> samples(std::max(U, -1) + 1, 0.0);
    const qsizetype count = std::min({ left.size(), right.size(), position.size() });
    for (qsizetype j = 0; j + 1 < count; ++j) {
        const double from = position[j];
        const double to = position[j + 1];
        if (to == from || !std::isfinite(from) || !std::isfinite(to))
            continue;
        const double slope = (left[j + 1] - right[j]) / (to - from);
        // Each segment is laid from the whole millimetre at or before its start,
        // so that the entry's own millimetre shows the value right of it.
        const double origin = std::floor(from);
        const double last = roundHalfEven(to);
        const double lo = std::max(origin, 0.0);
        const double hi = std::min(last, static_cast<double>(U));
        for (double k = lo; k <= hi; k += 1.0)
            samples[static_cast<qsizetype>(k)] = right[j] + slope * (k - origin);
    }
    return samples;
}

PlaneDiagram planeDiagram(
    const QVector<double> &left, const QVector<double> &right, const QVector<double> &position, int U)
{
    PlaneDiagram plane;
    plane.U = U;
    plane.left = left;
    plane.right = right;
    plane.position = position;
    plane.curve = SampleEpur(left, right, position, U);
    if (!plane.curve.isEmpty()) {
        for (qsizetype i = 0; i < plane.position.size(); ++i) {
            if (plane.position[i] < 0) {
                plane.position[i] = 0;
                plane.right[i] = plane.curve.first();
            } else if (plane.position[i] > U) {
                plane.position[i] = U;
                plane.left[i] = plane.curve.last();
            }
        }
    }
    recomputeSteps(plane.position, plane.step);
    return plane;
}

MomentDiagrams BuildEpur(const ForceArrays &forces, const Reactions &reactions, double L, double P, int U)
{
    MomentDiagrams diagrams;
    diagrams.U = U;
    diagrams.entries = diagramPointList(forces, reactions, L, P, U);
    PointMoments(diagrams.entries);

    const qsizetype k = diagrams.entries.size();
    QVector<double> position(k), mxL(k), mxR(k), myL(k), myR(k), msL(k), msR(k);
    for (qsizetype i = 0; i < k; ++i) {
        const DiagramEntry &e = diagrams.entries[i];
        position[i] = e.position;
        mxL[i] = e.MxL;
        mxR[i] = e.MxR;
        myL[i] = e.MyL;
        myR[i] = e.MyR;
        msL[i] = e.MsL;
        msR[i] = e.MsR;
    }
    // Every plane is sampled at the true positions; only the drawable copy of
    // each plane is clamped to the axis. The resultant between two entries is
    // drawn as the straight line between their resultants.
    diagrams.xoz = planeDiagram(mxL, mxR, position, U);
    diagrams.yoz = planeDiagram(myL, myR, position, U);
    diagrams.sum = planeDiagram(msL, msR, position, U);
    return diagrams;
}

// The first of equal extremes wins, and a NaN first value stays, as in a
// plain scan with a strict comparison.
double ArrayMax(const QVector<double> &values) { return values.isEmpty() ? 0 : std::ranges::max(values); }

double ArrayMin(const QVector<double> &values) { return values.isEmpty() ? 0 : std::ranges::min(values); }

double ArrayMaxAbs(const QVector<double> &values)
{
    const auto magnitude = [](double v) { return std::fabs(v); };
    return values.isEmpty() ? 0 : magnitude(std::ranges::max(values, std::ranges::less {}, magnitude));
}

} // namespace tarnvel
