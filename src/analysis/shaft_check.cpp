#include "analysis/shaft_check.h"

#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace tarnvel {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// One breakpoint of the mode along the shaft: an entry (coinciding entries
// act as one), a step boundary or a bearing. Just left and right of it: the
// bending moments in both planes, the torque T and the axial force N.
struct Knot
{
    double z = 0;
    double mxL = 0, mxR = 0, myL = 0, myR = 0; // force unit × mm
    double torqueJump = 0; // Σ (x Fy − y Fx) of the entries here
    double axialJump = 0; // Σ Fz of the entries here, and Ra at its bearing
    double tL = 0, tR = 0, nL = 0, nR = 0;
};

// What acts on the section at one position, in the force unit.
struct SectionLoad
{
    double mx = 0, my = 0, t = 0, n = 0;
    double bending() const { return std::hypot(mx, my); }
};

SectionLoad leftOf(const Knot &k) { return { k.mxL, k.myL, k.tL, k.nL }; }

// Between two knots the moments run straight from the right value of one to
// the left value of the next; T and N stay as they are right of the first.
SectionLoad within(const Knot &from, const Knot &to, double z)
{
    const double share = (z - from.z) / (to.z - from.z);
    return { from.mxR + (to.mxL - from.mxR) * share, from.myR + (to.myL - from.myR) * share, from.tR, from.nR };
}

SectionLoad rightOf(const Knot &k) { return { k.mxR, k.myR, k.tR, k.nR }; }

// A breakpoint where no entry is. Left of all entries nothing bends the shaft;
// right of them the loads are balanced by the reactions (ΣF = 0), so the
// moment keeps the last value, the one the moment balance makes 0.
void insertKnot(QVector<Knot> &knots, double z)
{
    const auto at = std::ranges::lower_bound(knots, z, {}, &Knot::z);
    if (at != knots.end() && at->z == z)
        return;
    Knot k;
    k.z = z;
    if (at == knots.end() && !knots.isEmpty()) {
        k.mxL = k.mxR = knots.last().mxR;
        k.myL = k.myR = knots.last().myR;
    } else if (at != knots.begin() && at != knots.end()) {
        const SectionLoad inside = within(*(at - 1), *at, z);
        k.mxL = k.mxR = inside.mx;
        k.myL = k.myR = inside.my;
    }
    knots.insert(at, k);
}

QVector<Knot> modeKnots(const QVector<DiagramEntry> &entries, const ShaftSetup &setup)
{
    QVector<Knot> knots;
    knots.reserve(entries.size() + setup.segments.size() + 3);
    for (qsizetype i = 0; i < entries.size();) {
        Knot k;
        k.z = entries[i].position;
        k.mxL = entries[i].MxL;
        k.myL = entries[i].MyL;
        qsizetype j = i;
        for (; j < entries.size() && entries[j].position == k.z; ++j) {
            const DiagramEntry &e = entries[j];
            // The torque of a force about the shaft axis at its point of action.
            k.torqueJump += e.x * e.Fy - e.y * e.Fx;
            k.axialJump += e.Fz;
        }
        // PointMoments leaves the combined jump of coinciding entries on the last.
        k.mxR = entries[j - 1].MxR;
        k.myR = entries[j - 1].MyR;
        knots.append(k);
        i = j;
    }
    if (!setup.segments.isEmpty()) {
        double z = 0;
        insertKnot(knots, z);
        for (const ShaftSegment &s : setup.segments)
            insertKnot(knots, z += s.length);
    }
    insertKnot(knots, setup.leftSupport);
    insertKnot(knots, setup.rightSupport);
    const double axialAt = setup.axialSupport == 0 ? setup.leftSupport : setup.rightSupport;
    std::ranges::lower_bound(knots, axialAt, {}, &Knot::z)->axialJump += setup.axialReaction;

    double t = 0, n = 0;
    for (Knot &k : knots) {
        k.tL = t;
        k.nL = n;
        k.tR = t += k.torqueJump;
        k.nR = n += k.axialJump;
    }
    return knots;
}

void recomputeSteps(ShaftCurve &c)
{
    c.step.resize(c.position.size());
    for (qsizetype i = 0; i < c.position.size(); ++i)
        c.step[i] = i == 0 ? 0.0 : c.position[i] - c.position[i - 1];
}

// As planeDiagram does for the moments: breakpoints beyond the axis move to
// its nearest end and take the curve's value there.
void clampToAxis(ShaftCurve &c)
{
    if (c.curve.isEmpty())
        return;
    for (qsizetype i = 0; i < c.position.size(); ++i) {
        if (c.position[i] < 0) {
            c.position[i] = 0;
            c.right[i] = c.curve.first();
        } else if (c.position[i] > c.U) {
            c.position[i] = c.U;
            c.left[i] = c.curve.last();
        }
    }
    recomputeSteps(c);
}

// A function of the section load along the knots' range. Sample k is the exact
// value at k mm, right of a breakpoint standing there; only the last breakpoint
// shows its left value, nothing lying beyond it.
template <typename Value> ShaftCurve loadCurve(const QVector<Knot> &knots, int U, Value value)
{
    ShaftCurve c;
    c.U = U;
    c.curve.fill(0.0, std::max(U, -1) + 1);
    for (const Knot &k : knots) {
        c.position << k.z;
        c.left << value(leftOf(k));
        c.right << value(rightOf(k));
    }
    if (!knots.isEmpty()) {
        const qsizetype last = knots.size() - 1;
        qsizetype i = 0;
        const int first = static_cast<int>(std::max(0.0, std::ceil(knots.first().z)));
        for (int mm = first; mm <= U && mm <= knots[last].z; ++mm) {
            while (i < last && knots[i + 1].z <= mm)
                ++i;
            c.curve[mm] = i == last ? value(leftOf(knots[i])) : value(within(knots[i], knots[i + 1], mm));
        }
    }
    clampToAxis(c);
    return c;
}

// A real polynomial of degree ≤ 6, c[i] the coefficient of tⁱ.
struct Polynomial
{
    std::array<double, 7> c {};
    int degree = -1;

    double operator()(double t) const
    {
        double v = 0;
        for (int i = degree; i >= 0; --i)
            v = v * t + c[i];
        return v;
    }
    Polynomial derivative() const
    {
        Polynomial d;
        for (int i = 1; i <= degree; ++i)
            d.c[i - 1] = i * c[i];
        d.degree = std::max(degree - 1, -1);
        return d;
    }
    void trim()
    {
        while (degree >= 0 && c[degree] == 0)
            --degree;
    }
};

using Roots = QVarLengthArray<double, 16>;

// The root of p between lo and hi, where p has opposite signs, halved down to
// the last bit of a double.
double bisect(const Polynomial &p, double lo, double hi)
{
    const bool negativeAtLo = p(lo) < 0;
    for (;;) {
        const double mid = 0.5 * (lo + hi);
        if (mid <= lo || mid >= hi)
            return mid;
        const double value = p(mid);
        if (value == 0)
            return mid;
        ((value < 0) == negativeAtLo ? lo : hi) = mid;
    }
}

// Every root of p inside (a, b). Between two neighbouring roots of p' the
// polynomial is monotone, so each such interval holds at most one root, found
// by bisection where the ends differ in sign; the roots of p' come the same way
// down to a straight line. Nothing is missed however close the roots lie; a
// spurious candidate costs only one more evaluation in the caller.
void rootsWithin(Polynomial p, double a, double b, Roots &roots)
{
    p.trim();
    if (p.degree <= 0)
        return;
    if (p.degree == 1) {
        const double r = -p.c[0] / p.c[1];
        if (r > a && r < b)
            roots.append(r);
        return;
    }
    Roots turns;
    rootsWithin(p.derivative(), a, b, turns);
    double lo = a;
    double valueLo = p(a);
    for (qsizetype i = 0; i <= turns.size(); ++i) {
        const double hi = i < turns.size() ? turns[i] : b;
        const double valueHi = p(hi);
        if (valueHi == 0 && hi < b)
            roots.append(hi);
        else if (valueLo != 0 && valueHi != 0 && (valueLo < 0) != (valueHi < 0))
            roots.append(bisect(p, lo, hi));
        lo = hi;
        valueLo = valueHi;
    }
}

// The cubic of a piece as a polynomial in t = z − from.
Polynomial cubicOf(const BeamPiece &b) { return { { b.c0, b.c1, b.c2, b.c3 }, 3 }; }

double evaluate(const BeamPiece &b, double z, bool derivative)
{
    const double t = z - b.from;
    return derivative ? b.c1 + t * (2 * b.c2 + 3 * b.c3 * t) : b.c0 + t * (b.c1 + t * (b.c2 + t * b.c3));
}

const BeamPiece *pieceAt(const QVector<BeamPiece> &pieces, double z)
{
    if (pieces.isEmpty() || !(z >= pieces.first().from && z <= pieces.last().to))
        return nullptr;
    const auto next = std::ranges::upper_bound(pieces, z, {}, &BeamPiece::from);
    return &*(next - 1);
}

// One piece of the shaft between neighbouring knots, all on one step.
struct ShaftPiece
{
    qsizetype knot = 0; // the knot at its left end
    int segment = 0;
    double EI = 0; // N·mm²
};

// The bent shaft in one plane, E·I·v'' = M with M in N·mm: by the moment
// convention of PointMoments a positive force makes a negative moment about
// its support, so v and v' are positive along the plane's positive axis.
// Between knots M is straight and EI constant, so v is a cubic; the pieces are
// joined with continuous v and v' from v = v' = 0 at the left end, and then a
// straight line a + b·z (which bends nothing) is added so that v = 0 at both
// bearings. Shear deformation is neglected: on a solid round span l it adds
// about 2(D/l)² of the bending deflection, some 3 % for l = 8D.
BeamPlane bentPlane(const QVector<Knot> &knots, const QVector<ShaftPiece> &pieces, const ShaftSetup &setup, bool yoz)
{
    BeamPlane plane;
    plane.pieces.reserve(pieces.size());
    double v = 0, slope = 0;
    for (const ShaftPiece &p : pieces) {
        const Knot &from = knots[p.knot];
        const Knot &to = knots[p.knot + 1];
        const double h = to.z - from.z;
        const double m0 = (yoz ? from.myR : from.mxR) * setup.newtonsPerUnit;
        const double m1 = (yoz ? to.myL : to.mxL) * setup.newtonsPerUnit;
        const BeamPiece b { from.z, to.z, v, slope, m0 / (2 * p.EI), (m1 - m0) / h / (6 * p.EI) };
        plane.pieces.append(b);
        v = evaluate(b, to.z, false);
        slope = evaluate(b, to.z, true);
    }
    const double left = setup.leftSupport, right = setup.rightSupport;
    const double tilt = -(plane.deflection(right) - plane.deflection(left)) / (right - left);
    const double lift = -plane.deflection(left) - tilt * left;
    for (BeamPiece &b : plane.pieces) {
        b.c0 += lift + tilt * b.from;
        b.c1 += tilt;
    }
    return plane;
}

bool usableGeometry(const ShaftSetup &setup)
{
    if (setup.segments.isEmpty())
        return false;
    for (const ShaftSegment &s : setup.segments) {
        if (!(std::isfinite(s.length) && s.length >= 0 && std::isfinite(s.outer) && s.outer > 0 && s.bore >= 0
                && s.bore < s.outer))
            return false;
    }
    return shaftLength(setup.segments) > 0;
}

// Static safety against yield under the peak load Kп times the mode's load.
ShaftStrengthPoint strengthAt(
    const SectionLoad &load, const ShaftSection &section, const ShaftSetup &setup, double z, int segment)
{
    const double k = setup.peakFactor * setup.newtonsPerUnit;
    ShaftStrengthPoint point;
    point.position = z;
    point.segment = segment;
    point.sigma = k * (load.bending() / section.W + std::fabs(load.n) / section.A);
    point.tau = k * std::fabs(load.t) / section.Wk;
    // Sт = Sтσ·Sтτ/√(Sтσ² + Sтτ²) written as 1/√((σ/σт)² + (τ/τт)²): the same
    // number, and an unloaded stress simply drops out.
    const double use = std::hypot(point.sigma / setup.steel->sigmaT, point.tau / setup.steel->tauT);
    point.safety = use == 0 ? kInfinity : 1 / use;
    return point;
}

void checkStrength(ShaftModeCheck &check, const QVector<Knot> &knots, const QVector<ShaftPiece> &pieces,
    const QVector<ShaftSection> &sections, const ShaftSetup &setup)
{
    check.strengthComputed = true;
    double start = 0;
    for (int s = 0; s < setup.segments.size(); ++s) {
        check.segmentMinimum.append({ kInfinity, start, s });
        start += setup.segments[s].length;
    }
    // Within a piece |M| is the norm of a straight vector function, so convex,
    // and N, T and the section are constant: the least safety of a piece lies
    // at one of its ends, taken from inside the piece.
    for (const ShaftPiece &p : pieces) {
        const Knot &from = knots[p.knot];
        const Knot &to = knots[p.knot + 1];
        ShaftStrengthPoint &least = check.segmentMinimum[p.segment];
        const SectionLoad right = rightOf(from);
        const SectionLoad left = { to.mxL, to.myL, from.tR, from.nR };
        for (const auto &[load, z] : { std::pair { right, from.z }, std::pair { left, to.z } }) {
            const ShaftStrengthPoint point = strengthAt(load, sections[p.segment], setup, z, p.segment);
            if (point.safety < least.safety)
                least = point;
        }
    }
    check.minimum = check.segmentMinimum.first();
    for (const ShaftStrengthPoint &least : check.segmentMinimum) {
        if (least.safety < check.minimum.safety)
            check.minimum = least;
    }
}

// The largest √(vx² + vy²) on one piece: vx² + vy² is a polynomial of degree 6
// in t, so its largest value is at an end of the piece or at a root of its
// derivative (degree 5), all of which rootsWithin finds.
std::pair<double, double> largestOnPiece(const BeamPiece &x, const BeamPiece &y)
{
    const Polynomial px = cubicOf(x), py = cubicOf(y);
    Polynomial squared;
    squared.degree = 6;
    for (int i = 0; i <= 3; ++i) {
        for (int j = 0; j <= 3; ++j)
            squared.c[i + j] += px.c[i] * px.c[j] + py.c[i] * py.c[j];
    }
    const double h = x.to - x.from;
    Roots candidates { 0.0, h };
    rootsWithin(squared.derivative(), 0, h, candidates);
    std::pair<double, double> best { -1, x.from };
    for (double t : candidates) {
        const double value = squared(t);
        if (value > best.first)
            best = { value, x.from + t };
    }
    return best;
}

void checkStiffness(ShaftModeCheck &check, const QVector<Knot> &knots, const QVector<ShaftPiece> &pieces,
    const ShaftSetup &setup, double length)
{
    check.stiffnessComputed = true;
    check.bendX = bentPlane(knots, pieces, setup, false);
    check.bendY = bentPlane(knots, pieces, setup, true);

    double largest = -1;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const auto [value, z] = largestOnPiece(check.bendX.pieces[i], check.bendY.pieces[i]);
        if (value > largest) {
            largest = value;
            check.largestDeflectionAt = z;
        }
    }
    check.largestDeflection = std::sqrt(largest);

    // The bent shaft is smooth: left and right of every breakpoint alike.
    ShaftCurve *curves[]
        = { &check.deflection, &check.slope, &check.deflectionX, &check.deflectionY, &check.slopeX, &check.slopeY };
    const auto sampleAll = [&](double z, const BeamPiece &x, const BeamPiece &y, bool breakpoint) {
        const double vx = evaluate(x, z, false), vy = evaluate(y, z, false);
        const double sx = evaluate(x, z, true), sy = evaluate(y, z, true);
        const double values[] = { std::hypot(vx, vy), std::hypot(sx, sy), vx, vy, sx, sy };
        for (int c = 0; c < 6; ++c) {
            if (breakpoint) {
                curves[c]->position << z;
                curves[c]->left << values[c];
                curves[c]->right << values[c];
            } else {
                curves[c]->curve[static_cast<qsizetype>(z)] = values[c];
            }
        }
    };
    for (ShaftCurve *c : curves) {
        c->U = setup.U;
        c->curve.fill(0.0, std::max(setup.U, -1) + 1);
    }
    const QVector<BeamPiece> &x = check.bendX.pieces, &y = check.bendY.pieces;
    for (qsizetype i = 0; i < x.size(); ++i)
        sampleAll(x[i].from, x[i], y[i], true);
    sampleAll(x.last().to, x.last(), y.last(), true);
    qsizetype i = 0;
    for (int mm = 0; mm <= setup.U && mm <= length; ++mm) {
        while (i + 1 < x.size() && x[i + 1].from <= mm)
            ++i;
        sampleAll(mm, x[i], y[i], false);
    }
    for (ShaftCurve *c : curves)
        clampToAxis(*c);
}

} // namespace

ShaftSection shaftSection(const ShaftSegment &segment)
{
    constexpr double pi = std::numbers::pi;
    const double D2 = segment.outer * segment.outer, d2 = segment.bore * segment.bore;
    ShaftSection s;
    s.I = pi * (D2 * D2 - d2 * d2) / 64;
    s.W = segment.outer > 0 ? 2 * s.I / segment.outer : 0;
    s.Wk = 2 * s.W;
    s.A = pi * (D2 - d2) / 4;
    return s;
}

double shaftLength(const QVector<ShaftSegment> &segments)
{
    double length = 0;
    for (const ShaftSegment &s : segments)
        length += s.length;
    return length;
}

double BeamPlane::deflection(double z) const
{
    const BeamPiece *piece = pieceAt(pieces, z);
    return piece ? evaluate(*piece, z, false) : 0;
}

double BeamPlane::slope(double z) const
{
    const BeamPiece *piece = pieceAt(pieces, z);
    return piece ? evaluate(*piece, z, true) : 0;
}

ShaftModeCheck checkShaftMode(const QVector<DiagramEntry> &entries, const ShaftSetup &setup)
{
    const QVector<Knot> knots = modeKnots(entries, setup);
    ShaftModeCheck check;
    check.torqueResidual = knots.isEmpty() ? 0 : knots.last().tR;
    check.torque = loadCurve(knots, setup.U, [](const SectionLoad &s) { return s.t; });
    check.axialForce = loadCurve(knots, setup.U, [](const SectionLoad &s) { return s.n; });
    const auto equivalent
        = [](const SectionLoad &s) { return std::sqrt(s.mx * s.mx + s.my * s.my + 0.75 * s.t * s.t); };
    check.equivalentMoment = loadCurve(knots, setup.U, equivalent);
    if (setup.allowedBending > 0) {
        // d³ = M_eq / (0.1 [σ]): the bending stress of a solid round section
        // (W ≈ 0.1 d³) at the allowed one.
        const double scale = setup.newtonsPerUnit / (0.1 * setup.allowedBending);
        check.requiredDiameter
            = loadCurve(knots, setup.U, [&](const SectionLoad &s) { return std::cbrt(equivalent(s) * scale); });
    }

    if (!usableGeometry(setup) || !setup.steel)
        return check;
    const double length = shaftLength(setup.segments);
    QVector<ShaftSection> sections;
    for (const ShaftSegment &s : setup.segments)
        sections << shaftSection(s);
    // The pieces between neighbouring knots over the shaft; the step ends are
    // knots, so each piece lies on one step.
    QVector<ShaftPiece> pieces;
    int segment = 0;
    double segmentEnd = setup.segments.first().length;
    for (qsizetype i = 0; i + 1 < knots.size(); ++i) {
        if (knots[i].z < 0 || knots[i + 1].z > length)
            continue;
        while (knots[i].z >= segmentEnd && segment + 1 < setup.segments.size())
            segmentEnd += setup.segments[++segment].length;
        pieces.append({ i, segment, setup.steel->E * sections[segment].I });
    }

    if (setup.steel->sigmaT > 0 && setup.steel->tauT > 0)
        checkStrength(check, knots, pieces, sections, setup);
    const bool bearingsOnShaft
        = setup.leftSupport >= 0 && setup.rightSupport <= length && setup.leftSupport < setup.rightSupport;
    if (setup.steel->E > 0 && bearingsOnShaft)
        checkStiffness(check, knots, pieces, setup, length);
    return check;
}

} // namespace tarnvel
