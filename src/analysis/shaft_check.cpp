#include "analysis/shaft_check.h"

#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

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
    double bending() const { return std::sqrt(mx * mx + my * my); }
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
    const double *position = c.position.constData();
    double *step = c.step.data();
    for (qsizetype i = 0; i < c.position.size(); ++i)
        step[i] = i == 0 ? 0.0 : position[i] - position[i - 1];
}

// As planeDiagram does for the moments: breakpoints beyond the axis move to
// its nearest end and take the curve's value there.
void clampToAxis(ShaftCurve &c)
{
    const qsizetype k = c.position.size();
    if (!c.curve.isEmpty() && k > 0 && (c.position.constFirst() < 0 || c.position.constLast() > c.U)) {
        for (qsizetype i = 0; i < k; ++i) {
            if (c.position.at(i) < 0) {
                c.position[i] = 0;
                c.right[i] = c.curve.constFirst();
            } else if (c.position.at(i) > c.U) {
                c.position[i] = c.U;
                c.left[i] = c.curve.constLast();
            }
        }
    }
    recomputeSteps(c);
}

// The section load at every millimetre of the knots' range, from first to
// last: the exact value at k mm, right of a knot standing there; only the last
// knot gives its left value, nothing lying beyond it.
struct SampledLoads
{
    int first = 0;
    int last = -1;
    std::vector<SectionLoad> at;
};

SampledLoads sampleLoads(const QVector<Knot> &knots, int U)
{
    SampledLoads samples;
    if (knots.isEmpty() || U < 0)
        return samples;
    const qsizetype last = knots.size() - 1;
    samples.first = static_cast<int>(std::max(0.0, std::ceil(knots.first().z)));
    samples.last = static_cast<int>(std::min(static_cast<double>(U), std::floor(knots[last].z)));
    samples.at.resize(std::max(samples.last - samples.first + 1, 0));
    qsizetype i = 0;
    for (int mm = samples.first; mm <= samples.last; ++mm) {
        while (i < last && knots[i + 1].z <= mm)
            ++i;
        samples.at[mm - samples.first] = i == last ? leftOf(knots[i]) : within(knots[i], knots[i + 1], mm);
    }
    return samples;
}

// A function of the section load along the knots' range.
template <typename Value>
ShaftCurve loadCurve(const QVector<Knot> &knots, const SampledLoads &samples, int U, Value value)
{
    ShaftCurve c;
    c.U = U;
    c.position.resize(knots.size());
    c.left.resize(knots.size());
    c.right.resize(knots.size());
    double *position = c.position.data(), *left = c.left.data(), *right = c.right.data();
    for (qsizetype i = 0; i < knots.size(); ++i) {
        position[i] = knots[i].z;
        left[i] = value(leftOf(knots[i]));
        right[i] = value(rightOf(knots[i]));
    }
    c.curve.fill(0.0, std::max(U, -1) + 1);
    double *curve = c.curve.data();
    for (int mm = samples.first; mm <= samples.last; ++mm)
        curve[mm] = value(samples.at[mm - samples.first]);
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
// down to a straight line. There is no subdivision step to choose: two close
// roots are kept apart by the root of p' between them. A spurious candidate
// from rounding costs the caller only one more evaluation.
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

// ∛x. The library's cbrt rescales its argument on every call and would cost
// more than all the rest of a required-diameter sample; here the exponent bits
// give ∛x within 4 %, and Halley's iteration, which triples the correct digits
// at each step, reaches the last bit in three.
double cubeRoot(double x)
{
    if (!(x >= 1e-290 && x <= 1e290)) // 2x and 2y³ stay finite and normal
        return std::cbrt(x);
    double y = std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) / 3 + 0x2A9F7893782DA1CEull);
    for (int i = 0; i < 3; ++i) {
        const double y3 = y * y * y;
        y *= (y3 + 2 * x) / (2 * y3 + x);
    }
    return y;
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
    const double sigmaUse = point.sigma / setup.steel->sigmaT, tauUse = point.tau / setup.steel->tauT;
    const double use = std::sqrt(sigmaUse * sigmaUse + tauUse * tauUse);
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

// The largest √(vx² + vy²) of the bent shaft. On a piece vx² + vy² is a
// polynomial of degree 6 in t, so its largest value lies at an end of the
// piece or at a root of its derivative (degree 5), all of which rootsWithin
// finds. The ends come first; then a piece is searched inside only where
// |c0| + |c1|h + |c2|h² + |c3|h³, which no |v| on it exceeds, could beat them:
// that leaves the few pieces round the largest deflection.
void findLargestDeflection(ShaftModeCheck &check)
{
    const QVector<BeamPiece> &x = check.bendX.pieces, &y = check.bendY.pieces;
    double best = -1, at = 0;
    const auto consider = [&](qsizetype i, double z) {
        const double vx = evaluate(x[i], z, false), vy = evaluate(y[i], z, false);
        const double value = vx * vx + vy * vy;
        if (value > best || (value == best && z < at)) {
            best = value;
            at = z;
        }
    };
    for (qsizetype i = 0; i < x.size(); ++i) {
        consider(i, x[i].from);
        consider(i, x[i].to);
    }
    const auto reach = [](const BeamPiece &b) {
        const double h = b.to - b.from;
        return std::fabs(b.c0) + h * (std::fabs(b.c1) + h * (std::fabs(b.c2) + h * std::fabs(b.c3)));
    };
    for (qsizetype i = 0; i < x.size(); ++i) {
        const double rx = reach(x[i]), ry = reach(y[i]);
        if ((rx * rx + ry * ry) * (1 + 1e-12) <= best)
            continue;
        const Polynomial px = cubicOf(x[i]), py = cubicOf(y[i]);
        Polynomial squared;
        squared.degree = 6;
        for (int a = 0; a <= 3; ++a) {
            for (int b = 0; b <= 3; ++b)
                squared.c[a + b] += px.c[a] * px.c[b] + py.c[a] * py.c[b];
        }
        Roots turns;
        rootsWithin(squared.derivative(), 0, x[i].to - x[i].from, turns);
        for (double t : turns)
            consider(i, x[i].from + t);
    }
    check.largestDeflection = std::sqrt(best);
    check.largestDeflectionAt = at;
}

void checkStiffness(ShaftModeCheck &check, const QVector<Knot> &knots, const QVector<ShaftPiece> &pieces,
    const ShaftSetup &setup, double length)
{
    check.stiffnessComputed = true;
    check.bendX = bentPlane(knots, pieces, setup, false);
    check.bendY = bentPlane(knots, pieces, setup, true);

    findLargestDeflection(check);

    // The bent shaft is smooth: left and right of every breakpoint alike.
    ShaftCurve *curves[]
        = { &check.deflection, &check.slope, &check.deflectionX, &check.deflectionY, &check.slopeX, &check.slopeY };
    const QVector<BeamPiece> &x = check.bendX.pieces, &y = check.bendY.pieces;
    const auto valuesAt = [&](qsizetype i, double z, std::array<double, 6> &values) {
        const double vx = evaluate(x[i], z, false), vy = evaluate(y[i], z, false);
        const double sx = evaluate(x[i], z, true), sy = evaluate(y[i], z, true);
        values = { std::sqrt(vx * vx + vy * vy), std::sqrt(sx * sx + sy * sy), vx, vy, sx, sy };
    };
    std::array<double, 6> values;
    std::array<double *, 6> samples;
    for (int c = 0; c < 6; ++c) {
        ShaftCurve &curve = *curves[c];
        curve.U = setup.U;
        curve.position.reserve(x.size() + 1);
        curve.left.reserve(x.size() + 1);
        curve.right.reserve(x.size() + 1);
        curve.curve.fill(0.0, std::max(setup.U, -1) + 1);
        samples[c] = curve.curve.data();
    }
    for (qsizetype i = 0; i <= x.size(); ++i) {
        const qsizetype piece = std::min(i, x.size() - 1);
        const double z = i < x.size() ? x[i].from : x[piece].to;
        valuesAt(piece, z, values);
        for (int c = 0; c < 6; ++c) {
            curves[c]->position.append(z);
            curves[c]->left.append(values[c]);
            curves[c]->right.append(values[c]);
        }
    }
    qsizetype i = 0;
    for (int mm = 0; mm <= setup.U && mm <= length; ++mm) {
        while (i + 1 < x.size() && x[i + 1].from <= mm)
            ++i;
        valuesAt(i, mm, values);
        for (int c = 0; c < 6; ++c)
            samples[c][mm] = values[c];
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
    const SampledLoads samples = sampleLoads(knots, setup.U);
    check.torque = loadCurve(knots, samples, setup.U, [](const SectionLoad &s) { return s.t; });
    check.axialForce = loadCurve(knots, samples, setup.U, [](const SectionLoad &s) { return s.n; });
    const auto equivalent
        = [](const SectionLoad &s) { return std::sqrt(s.mx * s.mx + s.my * s.my + 0.75 * s.t * s.t); };
    check.equivalentMoment = loadCurve(knots, samples, setup.U, equivalent);
    if (setup.allowedBending > 0) {
        // d³ = M_eq / (0.1 [σ]): the bending stress of a solid round section
        // (W ≈ 0.1 d³) at the allowed one.
        const double scale = setup.newtonsPerUnit / (0.1 * setup.allowedBending);
        check.requiredDiameter
            = loadCurve(knots, samples, setup.U, [&](const SectionLoad &s) { return cubeRoot(equivalent(s) * scale); });
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
