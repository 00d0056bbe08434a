#include "analysis/calculation.h"
#include "analysis/moment_diagram.h"

#include "scheme_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace tarnvel;

namespace {

MomentDiagrams build(const ForceArrays &forces, double L, double P, int U)
{
    return BuildEpur(forces, *CalcReakz(forces, L), L, P, U);
}

// Textbook bending moment of a simply supported beam under a point load F at a:
// M(s) = F(L − a)s/L left of the load, F·a(L − s)/L right of it. In this
// program's sign convention the moment of a positive force comes out negative.
double pointLoadMoment(double F, double a, double L, double s)
{
    if (s < 0 || s > L)
        return 0;
    return -(s <= a ? F * (L - a) * s / L : F * a * (L - s) / L);
}

TEST(BuildEpur, PointLoadFollowsTheBeamFormula)
{
    const struct
    {
        double Fx, Fy, a, L, P;
        int U;
    } cases[] = {
        { 1000, 0, 50, 100, 0, 100 }, // centre load: |M| = F·L/4 = 25 000 at the load
        { 600, 0, 30, 100, 0, 100 }, // off centre: |M| = F·a(L − a)/L = 12 600
        { 0, -250, 120, 200, 0, 200 }, // YOZ, negative force
        { 300, 400, 50, 100, 20, 140 }, // shaft longer than the span, left support at 20 mm
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "a = " << c.a << ", L = " << c.L << ", P = " << c.P);
        const MomentDiagrams d = build({ { 0, 0, c.a, c.Fx, c.Fy, 0 } }, c.L, c.P, c.U);
        ASSERT_EQ(d.xoz.curve.size(), c.U + 1);
        for (int k = 0; k <= c.U; ++k) {
            EXPECT_NEAR(d.xoz.curve[k], pointLoadMoment(c.Fx, c.a, c.L, k - c.P), 1e-9) << k;
            EXPECT_NEAR(d.yoz.curve[k], pointLoadMoment(c.Fy, c.a, c.L, k - c.P), 1e-9) << k;
        }
        // Left and right of the load the moment is the same; zero over the supports.
        for (const DiagramEntry &e : d.entries) {
            const double expectedX = pointLoadMoment(c.Fx, c.a, c.L, e.position - c.P);
            EXPECT_NEAR(e.MxL, expectedX, 1e-9);
            EXPECT_NEAR(e.MsL, std::hypot(e.MxL, e.MyL), 1e-9);
        }
    }
}

TEST(BuildEpur, OffAxisAxialForceJumps)
{
    // Fz = 500 at x = 20, z = 40, L = 100: R1x = −100, so just left of the load
    // M = −100·40 = −4000 and the couple 500·20 = 10 000 lifts it to 6000.
    const MomentDiagrams d = build({ { 20, 0, 40, 0, 0, 500 } }, 100, 0, 100);
    const DiagramEntry &load = d.entries[2];
    ASSERT_EQ(load.position, 40);
    EXPECT_NEAR(load.MxL, -4000, 1e-9);
    EXPECT_NEAR(load.MxR, 6000, 1e-9);
    EXPECT_NEAR(d.xoz.curve[39], -3900, 1e-9);
    EXPECT_NEAR(d.xoz.curve[40], 6000, 1e-9); // a point's own millimetre shows the value right of it
    EXPECT_NEAR(d.xoz.curve[70], 3000, 1e-9);
    EXPECT_NEAR(d.xoz.curve[100], 0, 1e-9);
    EXPECT_EQ(ArrayMaxAbs(d.yoz.curve), 0); // y = 0: nothing in YOZ
    // The same force off the axis along y jumps the YOZ diagram alike.
    const DiagramEntry alongY = build({ { 0, 20, 40, 0, 0, 500 } }, 100, 0, 100).entries[2];
    EXPECT_NEAR(alongY.MyL, -4000, 1e-9);
    EXPECT_NEAR(alongY.MyR, 6000, 1e-9);

    // On the axis the same force bends nothing.
    EXPECT_EQ(ArrayMaxAbs(build({ { 0, 0, 40, 0, 0, 500 } }, 100, 0, 100).xoz.curve), 0);
}

TEST(BuildEpur, CoincidingLoadsMakeOneJump)
{
    // Three axial forces of 100 at x = 10, all at z = 50: R1x = −3000/100 = −30;
    // left of them −30·50 = −1500, right of them −1500 + 3·100·10 = 1500.
    const MomentDiagrams d
        = build({ { 10, 0, 50, 0, 0, 100 }, { 10, 0, 50, 0, 0, 100 }, { 10, 0, 50, 0, 0, 100 } }, 100, 0, 100);
    QVector<const DiagramEntry *> group;
    for (const DiagramEntry &e : d.entries) {
        if (e.position == 50)
            group << &e;
    }
    ASSERT_EQ(group.size(), 3);
    for (const DiagramEntry *e : group)
        EXPECT_NEAR(e->MxL, -1500, 1e-9);
    EXPECT_EQ(group[0]->MxR, 0); // merged into the last one
    EXPECT_EQ(group[1]->MxR, 0);
    EXPECT_NEAR(group[2]->MxR, 1500, 1e-9);
    EXPECT_NEAR(d.xoz.curve[50], 1500, 1e-9);
    EXPECT_NEAR(d.xoz.curve[75], 750, 1e-9);
    // Off the axis along y, the YOZ diagram makes the same jump.
    const ForceArrays alongY { { 0, 10, 50, 0, 0, 100 }, { 0, 10, 50, 0, 0, 100 }, { 0, 10, 50, 0, 0, 100 } };
    EXPECT_NEAR(build(alongY, 100, 0, 100).yoz.curve[50], 1500, 1e-9);
}

TEST(BuildEpur, EntriesBeyondTheAxisAreClampedToItsEnds)
{
    // Overhang: Fy = 100 at z = 150, L = 100. R1y = +50, so M = 50·s up to the
    // right support (5000 there), then falls to 0 at the load.
    const ForceArrays overhang { { 0, 0, 150, 100, 100, 0 } };
    const MomentDiagrams wide = build(overhang, 100, 0, 200);
    EXPECT_NEAR(wide.yoz.curve[100], 5000, 1e-9);
    EXPECT_NEAR(wide.yoz.curve[125], 2500, 1e-9);
    EXPECT_NEAR(wide.yoz.curve[150], 0, 1e-9);
    EXPECT_EQ(ArrayMax(wide.yoz.position), 200);
    EXPECT_EQ(ArrayMax({}) + ArrayMin({}) + ArrayMaxAbs({}), 0); // no values: 0 each

    const MomentDiagrams cut = build(overhang, 100, 0, 100);
    for (const PlaneDiagram *plane : { &cut.xoz, &cut.yoz, &cut.sum }) {
        EXPECT_EQ(ArrayMax(plane->position), 100);
        EXPECT_NEAR(plane->curve[100], plane == &cut.sum ? std::hypot(5000, 5000) : 5000, 1e-9);
        EXPECT_NEAR(plane->left.last(), plane->curve[100], 1e-9); // the load, now at the axis end
    }
    EXPECT_EQ(cut.entries.last().position, 150); // the list itself keeps the true place

    // Overhang to the left: Fy = 100 at z = −30 gives 100·30 = 3000 over the left support.
    const MomentDiagrams left = build({ { 0, 0, -30, 0, 100, 0 } }, 100, 0, 100);
    EXPECT_NEAR(left.yoz.curve[0], 3000, 1e-9);
    EXPECT_NEAR(left.yoz.curve[50], 1500, 1e-9);
    EXPECT_EQ(left.yoz.position.first(), 0);
    EXPECT_NEAR(left.yoz.right.first(), 3000, 1e-9);
}

TEST(BuildEpur, ResultantIsStraightBetweenPoints)
{
    // Fx = 1000 at 20 and Fy = 1000 at 80, L = 100: at both loads |Mx|, |My| are
    // 16 000 and 4000, so Ms = √(16 000² + 4000²) there and, drawn straight, also
    // at 50 mm, where √(Mx² + My²) of the two curves would be only √2·10 000.
    const MomentDiagrams d = build({ { 0, 0, 20, 1000, 0, 0 }, { 0, 0, 80, 0, 1000, 0 } }, 100, 0, 100);
    const double atLoads = std::hypot(16000.0, 4000.0);
    EXPECT_NEAR(d.sum.curve[20], atLoads, 1e-9);
    EXPECT_NEAR(d.sum.curve[50], atLoads, 1e-9);
    EXPECT_NEAR(d.sum.curve[80], atLoads, 1e-9);
    EXPECT_NEAR(d.sum.curve[10], std::hypot(8000.0, 2000.0), 1e-9);
}

class DiagramStore : public test::SchemeStore
{
protected:
    // Centre load of 1000 N on a 100.5 mm span.
    void addCentreLoad(double L = 100.5)
    {
        setCommon(2, L);
        addFreeForce(1, 0, 0, L / 2, 1000, 0, 0);
    }
    Calculation diagrams()
    {
        CalculationRequest request;
        request.diagrams = true;
        return runCalculation(*db, request);
    }
    // The stored axis length, parameter 53.
    QStringList axis() { return test::rows(*db, QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = 53")); }
};

TEST_F(DiagramStore, NoDiagramsWithoutReactions)
{
    addFreeForce(1, 0, 0, 50, 100, 0, 0);
    const Calculation calculation = diagrams(); // no support distance
    EXPECT_FALSE(calculation.diagrams.has_value());
    EXPECT_TRUE(axis().isEmpty());
}

TEST_F(DiagramStore, AxisLengthIsTheRoundedSpanStoredOnce)
{
    addCentreLoad(100.5); // rounds half to even: 100
    const Calculation first = diagrams();
    ASSERT_TRUE(first.diagrams.has_value());
    EXPECT_EQ(first.diagrams->U, 100);
    setCommon(2, 101.5); // a stored length is kept
    EXPECT_EQ(diagrams().diagrams->U, 100);
    EXPECT_EQ(axis(), QStringList { "100" });

    setCommon(53, 0); // a zero one is replaced: 101.5 rounds to 102
    EXPECT_EQ(diagrams().diagrams->U, 102);
    EXPECT_EQ(axis(), QStringList { "102" });

    for (const char *bad : { "-5", "32768" }) { // an unusable one is refused and kept
        setCommon(53, QString::fromLatin1(bad).toDouble());
        const Calculation refused = diagrams();
        ASSERT_TRUE(refused.missing.has_value()) << bad;
        EXPECT_EQ(refused.missing->kind, MissingKind::AxisLength) << bad;
        EXPECT_EQ(axis(), QStringList { QString::fromLatin1(bad) });
    }
    setCommon(53, 32767); // the longest axis
    EXPECT_EQ(diagrams().diagrams->U, 32767);
}

TEST_F(DiagramStore, UnsetAxisMakesRoomForOverhungLoads)
{
    // L = 100 with 1000 N along x overhung 50 mm beyond the right support and
    // 1000 N along y 40 mm beyond the left one. The loads span −40 … 150 mm:
    // a twentieth of 190 is 9.5, so 10 mm of room beyond each overhang puts
    // the left support at P = 50 on an axis of 50 + 150 + 10 = 210 mm.
    setCommon(2, 100);
    addFreeForce(1, 0, 0, 150, 1000, 0, 0);
    addFreeForce(2, 0, 0, -40, 0, 1000, 0);
    const Calculation sized = diagrams();
    ASSERT_TRUE(sized.diagrams.has_value());
    EXPECT_EQ(sized.diagrams->U, 210);
    EXPECT_EQ(axis(), QStringList { "210" });
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = 54")),
        QStringList { "50" });
    // Both loads keep their places on the axis, in order however they were
    // entered (start, loads at z + P, the supports P and P + L, the end U), and
    // over each support the moment is the overhung load times its arm: 1000·50 and 1000·40.
    EXPECT_EQ(sized.diagrams->xoz.position, (QVector<double> { 0, 10, 50, 150, 200, 210 }));
    EXPECT_NEAR(std::abs(sized.diagrams->xoz.curve[150]), 50000, 1e-6);
    EXPECT_NEAR(std::abs(sized.diagrams->yoz.curve[50]), 40000, 1e-6);
    EXPECT_EQ(sized.diagrams->xoz.curve[200], 0);

    // A left support the user placed further in stays where it is.
    setCommon(53, 0);
    setCommon(54, 70);
    EXPECT_EQ(diagrams().diagrams->U, 230);
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = 54")),
        QStringList { "70" });

    // The user's own axis is taken as it is, overhangs clamped to its ends.
    setCommon(53, 120);
    setCommon(54, 10);
    const Calculation own = diagrams();
    EXPECT_EQ(own.diagrams->U, 120);
    EXPECT_EQ(ArrayMax(own.diagrams->xoz.position), 120);
    EXPECT_EQ(axis(), QStringList { "120" });
}

TEST_F(DiagramStore, ShiftAndUnitComeFromTheGeneralParameters)
{
    addCentreLoad(100);
    setCommon(53, 160);
    setCommon(54, 30);
    const Calculation r = diagrams();
    ASSERT_TRUE(r.diagrams.has_value());
    EXPECT_NEAR(r.diagrams->xoz.curve[80], -25000, 1e-9); // F·L/4 at 30 + 50 mm
    EXPECT_EQ(r.diagrams->xoz.curve[10], 0);
    EXPECT_EQ(r.unit, QStringLiteral("Н")); // no force unit stored: newtons

    setCommon(4, 2);
    EXPECT_EQ(diagrams().unit, QStringLiteral("кГс"));
}

} // namespace
