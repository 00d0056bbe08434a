#include "analysis/shaft_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace tarnvel;

namespace {

constexpr double kE = 2.1e5; // MPa

double inertia(double D) { return std::numbers::pi * std::pow(D, 4) / 64; }

void expectClose(double actual, double expected, double scale = 0)
{
    EXPECT_NEAR(actual, expected, 1e-9 * std::max(std::fabs(expected), scale));
}

// One mode the whole way the program takes it: reactions from CalcReakz, the
// point list with the bearings at P and P + L, the moments from PointMoments.
// Loads stand at z from the left bearing; the axis is as long as the shaft.
ShaftModeCheck check(const ForceArrays &forces, double L, double P, const QVector<ShaftSegment> &steps,
    double newtonsPerUnit = 1, int axialSupport = 0)
{
    const Reactions reactions = *CalcReakz(forces, L);
    ShaftSetup setup;
    setup.segments = steps;
    setup.steel = ShaftSteel { 1, "45", "улучшение", 0, "HB 240", 800, 540, 290, 0, 0, 0, kE, "" };
    setup.leftSupport = P;
    setup.rightSupport = P + L;
    setup.axialReaction = reactions.Ra;
    setup.axialSupport = axialSupport;
    setup.newtonsPerUnit = newtonsPerUnit;
    setup.U = static_cast<int>(std::lround(steps.isEmpty() ? P + L : shaftLength(steps)));
    QVector<DiagramEntry> entries = diagramPointList(forces, reactions, L, P, setup.U);
    PointMoments(entries);
    return checkShaftMode(entries, setup);
}

QVector<ShaftSegment> solid(double length, double D) { return { { length, D, 0 } }; }

qsizetype knotAt(const ShaftCurve &c, double z) { return c.position.indexOf(z); }

TEST(ShaftStiffness, SimplySupportedPointLoad)
{
    const struct
    {
        double L, a, D, Fx, Fy;
    } cases[] = { { 200, 100, 40, 1000, 0 }, { 300, 180, 50, 0, -2500 }, { 250, 150, 35, 3000, 4000 } };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "L = " << c.L << ", a = " << c.a);
        const ShaftModeCheck r = check({ { 0, 0, c.a, c.Fx, c.Fy, 0 } }, c.L, 0, solid(c.L, c.D));
        ASSERT_TRUE(r.stiffnessComputed);
        const double EI = kE * inertia(c.D), L = c.L, a = c.a, b = L - a;
        // Handbook beam on two supports, per unit force: along the force.
        const double slopeLeft = b * (L * L - b * b) / (6 * EI * L), slopeRight = -a * (L * L - a * a) / (6 * EI * L);
        const double underLoad = a * a * b * b / (3 * EI * L);
        for (const auto &[plane, F] : { std::pair { &r.bendX, c.Fx }, std::pair { &r.bendY, c.Fy } }) {
            expectClose(plane->slope(0), F * slopeLeft);
            expectClose(plane->slope(L), F * slopeRight);
            expectClose(plane->deflection(a), F * underLoad);
            expectClose(plane->deflection(L), 0, std::fabs(F * underLoad));
        }
        const double F = std::hypot(c.Fx, c.Fy);
        expectClose(r.deflection.curve[static_cast<int>(a)], F * underLoad);
        // For a ≥ b the largest deflection F·b(L² − b²)^{3/2}/(9√3·EI·L) lies at √((L² − b²)/3).
        expectClose(r.largestDeflection, F * b * std::pow(L * L - b * b, 1.5) / (9 * std::sqrt(3.0) * EI * L));
        expectClose(r.largestDeflectionAt, std::sqrt((L * L - b * b) / 3));
        expectClose(r.slope.curve[0], F * slopeLeft);
    }
}

// A load c beyond the right bearing of a span L (handbook beam with an overhang).
TEST(ShaftStiffness, OverhungLoad)
{
    const struct
    {
        double L, c, D, F;
    } cases[] = { { 200, 50, 40, 1000 }, { 150, 80, 30, -700 } };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "L = " << c.L << ", c = " << c.c);
        const ShaftModeCheck r = check({ { 0, 0, c.L + c.c, 0, c.F, 0 } }, c.L, 0, solid(c.L + c.c, c.D));
        const double EI = kE * inertia(c.D);
        const double tip = c.F * c.c * c.c * (c.L + c.c) / (3 * EI);
        expectClose(r.bendY.deflection(c.L + c.c), tip);
        expectClose(std::fabs(r.bendY.slope(0)), std::fabs(c.F) * c.c * c.L / (6 * EI));
        expectClose(std::fabs(r.bendY.slope(c.L)), std::fabs(c.F) * c.c * c.L / (3 * EI));
        expectClose(r.largestDeflection, std::fabs(tip));
        expectClose(r.largestDeflectionAt, c.L + c.c);
    }
}

TEST(ShaftStiffness, SteppedShaftsUnderCentralLoad)
{
    const double L = 200, F = 5000, D = 40, EI = kE * inertia(D), root4of2 = std::pow(2.0, 0.25);
    const struct
    {
        QVector<ShaftSegment> steps;
        double expected;
    } cases[] = {
        // Two halves, by virtual work: F·L³/96·(1/EI₁ + 1/EI₂).
        { { { 100, 40, 0 }, { 100, 50, 0 } }, F * std::pow(L, 3) / 96 * (1 / EI + 1 / (kE * inertia(50))) },
        // Ends of I over L/4, a middle of 2I: 3·W·L³/(256·EI).
        { { { 50, D, 0 }, { 100, D * root4of2, 0 }, { 50, D, 0 } }, 3 * F * std::pow(L, 3) / (256 * EI) },
    };
    for (const auto &c : cases) {
        const ShaftModeCheck r = check({ { 0, 0, L / 2, F, 0, 0 } }, L, 0, c.steps);
        expectClose(r.bendX.deflection(L / 2), c.expected);
        expectClose(r.deflection.curve[100], c.expected);
    }
}

TEST(ShaftStiffness, SplittingReciprocitySuperpositionAndMirror)
{
    // A stepped shaft with an overhang: bearings at 30 and 230 on a 300 mm shaft.
    const QVector<ShaftSegment> steps { { 60, 40, 0 }, { 140, 55, 20 }, { 100, 35, 0 } };
    const QVector<ShaftSegment> split { { 60, 40, 0 }, { 50, 55, 20 }, { 90, 55, 20 }, { 100, 35, 0 } };
    const ForceArrays loads { { 0, 40, 40, 1200, -300, 500 }, { 25, 0, 150, -800, 900, 0 },
        { 0, 0, 260, 300, 400, 0 } };
    const ShaftModeCheck whole = check(loads, 200, 30, steps), halves = check(loads, 200, 30, split);
    const double largestSlope = ArrayMax(whole.slope.curve);
    for (int k = 0; k <= 300; ++k) {
        expectClose(halves.deflection.curve[k], whole.deflection.curve[k], whole.largestDeflection);
        expectClose(halves.slope.curve[k], whole.slope.curve[k], largestSlope);
    }
    expectClose(halves.largestDeflection, whole.largestDeflection);
    expectClose(halves.minimum.safety, whole.minimum.safety);

    const double points[] = { 10, 90, 170, 280 }; // on the axis
    for (double i : points) {
        for (double j : points) {
            const double ij = check({ { 0, 0, j - 30, 1, 0, 0 } }, 200, 30, steps).bendX.deflection(i);
            const double ji = check({ { 0, 0, i - 30, 1, 0, 0 } }, 200, 30, steps).bendX.deflection(j);
            expectClose(ij, ji, 1e-6); // a newton bends this shaft by some 10⁻⁶ mm
        }
    }

    const ShaftModeCheck first = check({ loads[0] }, 200, 30, steps);
    const ShaftModeCheck rest = check({ loads[1], loads[2] }, 200, 30, steps);
    for (double z = 0; z <= 300; z += 12.5) {
        const double sum = first.bendX.deflection(z) + rest.bendX.deflection(z);
        expectClose(whole.bendX.deflection(z), sum, whole.largestDeflection);
        expectClose(whole.bendY.slope(z), first.bendY.slope(z) + rest.bendY.slope(z), largestSlope);
    }

    // The shaft turned end for end: steps reversed, loads at 300 − p, bearings at
    // 70 and 270; an axial force turns round with it.
    const QVector<ShaftSegment> reversed(steps.rbegin(), steps.rend());
    ForceArrays mirrored;
    for (const PointForce &f : loads)
        mirrored.append({ f.x, f.y, 200 - f.z, f.Fx, f.Fy, -f.Fz });
    const ShaftModeCheck turned = check(mirrored, 200, 70, reversed);
    for (int k = 0; k <= 300; ++k)
        expectClose(turned.deflection.curve[300 - k], whole.deflection.curve[k], whole.largestDeflection);
    expectClose(turned.largestDeflection, whole.largestDeflection);
    expectClose(turned.largestDeflectionAt, 300 - whole.largestDeflectionAt);
}

TEST(ShaftTorque, GearsInAndOut)
{
    // T = x·Fy − y·Fx of each gear, summed from the left end; L = 200, no steps.
    const struct
    {
        ForceArrays gears;
        int probe[4]; // mm on the axis
        double expected[4];
        double residual;
    } cases[] = {
        // Input 100·2000 = 200 000 at 50, output −50·4000 at 150: balanced.
        { { { 100, 0, 50, 0, 2000, 0 }, { 0, 50, 150, 4000, 0, 0 } }, { 49, 50, 149, 150 }, { 0, 2e5, 2e5, 0 }, 0 },
        // Output −50·3000 = −150 000: 50 000 are left over.
        { { { 100, 0, 50, 0, 2000, 0 }, { 0, 50, 150, 3000, 0, 0 } }, { 0, 50, 150, 199 }, { 0, 2e5, 5e4, 5e4 }, 5e4 },
        // One gear off both axes: 30·200 − 40·100 = 2000.
        { { { 30, 40, 80, 100, 200, 0 } }, { 79, 80, 120, 200 }, { 0, 2000, 2000, 2000 }, 2000 },
    };
    for (const auto &c : cases) {
        const ShaftModeCheck r = check(c.gears, 200, 0, {});
        for (int i = 0; i < 4; ++i)
            EXPECT_DOUBLE_EQ(r.torque.curve[c.probe[i]], c.expected[i]) << c.probe[i];
        EXPECT_DOUBLE_EQ(r.torqueResidual, c.residual);
        EXPECT_FALSE(r.strengthComputed);
        EXPECT_FALSE(r.stiffnessComputed);
        ASSERT_EQ(r.equivalentMoment.curve.size(), 201);
    }
}

TEST(ShaftTorque, AxialForceTakenAtEitherBearing)
{
    // Fz = 500 at 100 on the axis; Ra = −500 at the left (0) or the right (200) bearing.
    const struct
    {
        int support;
        double expected[3]; // at 50, 100, 199 mm
    } cases[] = { { 0, { -500, 0, 0 } }, { 1, { 0, 500, 500 } } };
    for (const auto &c : cases) {
        const ShaftModeCheck r = check({ { 0, 0, 100, 0, 0, 500 } }, 200, 0, solid(200, 40), 1, c.support);
        EXPECT_EQ(r.axialForce.curve[50], c.expected[0]);
        EXPECT_EQ(r.axialForce.curve[100], c.expected[1]);
        EXPECT_EQ(r.axialForce.curve[199], c.expected[2]);
        EXPECT_EQ(r.axialForce.right.last(), 0); // nothing beyond the shaft
    }
}

// A coupling at the left bearing brings T = 50·10 000 = 500 000 N·mm in, a gear
// at 100 mm (y = 50, Fx = 10 000) takes it out: Mx there is F·L/4 = 500 000,
// and Fz = 3000 at 150 is held by the left bearing, so N = −3000 up to 150.
// Steps: solid Ø45 to 100 mm, then Ø40 with a Ø20 bore. Kп = 2, σт = 540, τт = 290.
const ForceArrays kHandWorked { { 0, -50, 0, 10000, 0, 0 }, { 0, 50, 100, 10000, 0, 0 }, { 0, 0, 150, 0, 0, 3000 } };
const QVector<ShaftSegment> kHandSteps { { 100, 45, 0 }, { 100, 40, 20 } };

TEST(ShaftStrength, HandWorkedSections)
{
    const ShaftModeCheck r = check(kHandWorked, 200, 0, kHandSteps);
    ASSERT_TRUE(r.strengthComputed);
    ASSERT_EQ(r.segmentMinimum.size(), 2);
    // Ø45 left of the gear: W = π·45³/32 = 8946.18 mm³, A = 1590.43 mm², Wk = 2W;
    // σ = 2·(500 000/W + 3000/A) = 115.552, τ = 2·500 000/Wk = 55.890;
    // Sтσ = 4.6732, Sтτ = 5.1888, Sт = Sтσ·Sтτ/√(Sтσ² + Sтτ²) = 3.4725.
    const ShaftStrengthPoint &solidStep = r.segmentMinimum[0];
    expectClose(solidStep.sigma, 115.55216499270009);
    expectClose(solidStep.tau, 55.88980168933499);
    expectClose(solidStep.safety, 3.47247091063351);
    EXPECT_EQ(solidStep.position, 100);
    // Ø40/20 right of it: W = π(40⁴ − 20⁴)/(32·40) = 5890.49, A = 942.48; T = 0:
    // σ = 2·(500 000/W + 3000/A) = 176.131, Sт = Sтσ = 540/σ = 3.0659.
    const ShaftStrengthPoint &hollowStep = r.segmentMinimum[1];
    expectClose(hollowStep.sigma, 176.13147035503084);
    EXPECT_EQ(hollowStep.tau, 0);
    expectClose(hollowStep.safety, 3.0658916257924487);
    EXPECT_EQ(hollowStep.position, 100);
    EXPECT_EQ(r.minimum.segment, 1);
    expectClose(r.minimum.safety, hollowStep.safety);
    // d = ∛(√(M² + 0.75T²)/(0.1·55)) = ∛(661 437.8/5.5) = 49.360 mm left of the gear.
    expectClose(r.requiredDiameter.left[knotAt(r.requiredDiameter, 100)], 49.36003357044204);
    expectClose(r.equivalentMoment.left[knotAt(r.equivalentMoment, 100)], 5e5 * std::sqrt(1.75));
    expectClose(r.torque.curve[50], 5e5);
    EXPECT_NEAR(r.torqueResidual, 0, 1e-9);
}

TEST(ShaftStrength, WhatIsComputedWithoutGeometryOrSteel)
{
    ShaftSetup setup;
    setup.leftSupport = 0;
    setup.rightSupport = 200;
    setup.U = 200;
    QVector<DiagramEntry> entries = diagramPointList(kHandWorked, *CalcReakz(kHandWorked, 200), 200, 0, 200);
    PointMoments(entries);
    const auto computed = [&](const ShaftSetup &s) {
        const ShaftModeCheck r = checkShaftMode(entries, s);
        EXPECT_NEAR(r.requiredDiameter.curve[99], std::cbrt(std::hypot(99 * 5000, std::sqrt(0.75) * 5e5) / 5.5), 1e-9);
        return std::pair { r.strengthComputed, r.stiffnessComputed };
    };
    EXPECT_EQ(computed(setup), std::pair(false, false)); // no steps, no steel
    setup.segments = kHandSteps;
    EXPECT_EQ(computed(setup), std::pair(false, false)); // no steel
    setup.steel = ShaftSteel { 1, "45", "", 0, "", 800, 540, 290, 0, 0, 0, 0, "" };
    EXPECT_EQ(computed(setup), std::pair(true, false)); // no E
    setup.steel->E = kE;
    EXPECT_EQ(computed(setup), std::pair(true, true));
    setup.segments[1].bore = 40; // a bore as wide as the step: no section
    EXPECT_EQ(computed(setup), std::pair(false, false));
}

} // namespace
