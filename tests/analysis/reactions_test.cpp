#include "analysis/calculation.h"
#include "analysis/reactions.h"

#include "scheme_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <cmath>

using namespace tarnvel;

namespace {

constexpr double kTol = 1e-9;

// Hand-worked cases; the random schemes below check the statics of any other.
TEST(CalcReakz, BeamCases)
{
    const struct
    {
        const char *name;
        ForceArrays forces;
        double L;
        Reactions expected;
    } cases[] = {
        // Simply supported beam, point load F = 1000 at a = 30: R1 = F(L − a)/L, R2 = F·a/L,
        // acting against the load.
        { "point load", { { 0, 0, 30, 1000, 0, 0 } }, 100, { -700, 0, 700, -300, 0, 300, 0 } },
        // By hand: y = 50, Fz = 200 adds the couple 200·50 = 10 000 to YOZ, ±100 at the supports.
        { "off-axis axial force", { { 0, 50, 25, 1000, 0, 200 } }, 100,
            { -750, -100, std::sqrt(750.0 * 750 + 100 * 100), -250, 100, std::sqrt(250.0 * 250 + 100 * 100), -200 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Reactions> r = CalcReakz(c.forces, c.L);
        ASSERT_TRUE(r.has_value());
        for (double Reactions::*reaction : { &Reactions::R1x, &Reactions::R1y, &Reactions::R1, &Reactions::R2x,
                 &Reactions::R2y, &Reactions::R2, &Reactions::Ra })
            EXPECT_NEAR((*r).*reaction, c.expected.*reaction, kTol);
    }
    // No span, no result; no loads, no reactions.
    EXPECT_FALSE(CalcReakz({ { 0, 0, 30, 1000, 0, 0 } }, 0).has_value());
    EXPECT_EQ(CalcReakz({}, 100), Reactions {});
}

// Statics: the reactions and loads together have no resultant force and no
// moment about the left support, in either plane (residuals relative to the
// largest force times the largest lever).
void expectBalanced(const ForceArrays &forces, double L, double tolerance)
{
    const Reactions r = *CalcReakz(forces, L);
    double sumFx = r.R1x + r.R2x, sumFy = r.R1y + r.R2y, sumFz = r.Ra;
    double momentX = r.R2x * L, momentY = r.R2y * L;
    double scale = 1;
    for (const PointForce &f : forces) {
        sumFx += f.Fx;
        sumFy += f.Fy;
        sumFz += f.Fz;
        momentX += f.Fx * f.z - f.Fz * f.x;
        momentY += f.Fy * f.z - f.Fz * f.y;
        scale = std::max({ scale, std::fabs(f.Fx), std::fabs(f.Fy), std::fabs(f.Fz) });
    }
    scale *= std::max(L, 300.0) * 8;
    EXPECT_NEAR(sumFx / scale, 0, tolerance);
    EXPECT_NEAR(sumFy / scale, 0, tolerance);
    EXPECT_NEAR(sumFz / scale, 0, tolerance);
    EXPECT_NEAR(momentX / scale, 0, tolerance);
    EXPECT_NEAR(momentY / scale, 0, tolerance);
}

TEST(CalcReakz, BalancesRandomSchemesWithOverhangs)
{
    // The same statics over many schemes: loads anywhere from before the left
    // support to beyond the right one, on and off the axis.
    std::mt19937 random(20261206);
    std::uniform_real_distribution<double> position(-80, 300), offset(-60, 60), force(-5000, 5000), span(50, 250);
    for (int scheme = 0; scheme < 200; ++scheme) {
        const double L = span(random);
        ForceArrays forces;
        for (int i = 0, n = 1 + scheme % 7; i < n; ++i)
            forces.append({ offset(random), offset(random), position(random), force(random), force(random), force(random) });
        SCOPED_TRACE(scheme);
        expectBalanced(forces, L, 1e-12);
        const Reactions r = *CalcReakz(forces, L);
        EXPECT_NEAR(r.R1, std::hypot(r.R1x, r.R1y), 1e-9 * std::max(1.0, r.R1));
    }
}

using ReactionStore = test::SchemeStore;

TEST_F(ReactionStore, MissingOrEmptyValuesCountAsZero)
{
    // A free force without modes acts with the projections it carries.
    setCommon(2, 100);
    const qint64 id = addPoint(1, 2);
    db->execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID) VALUES (%1, 7)").arg(id));
    db->execute(
        QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES (%1, 8, NULL)").arg(id));
    db->execute(
        QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES (%1, 9, 7.5)").arg(id));

    EXPECT_EQ(calculate(readScheme(*db)).forces, (ForceArrays { { 0, 0, 0, 0, 7.5, 0 } }));
}

TEST_F(ReactionStore, CalculationWritesSevenRowsAndReplacesThem)
{
    setCommon(2, 100);
    addFreeForce(1, 0, 50, 25, 1000, 0, 200); // the off-axis axial force case above

    for (int run = 0; run < 2; ++run) {
        ASSERT_FALSE(runCalculation(*db).missing.has_value());
        EXPECT_EQ(test::countRows(*db, QStringLiteral("SELECT * FROM Reakz")), 7);
    }
    const std::pair<int, double> expected[] = { { 39, -750 }, { 40, -100 }, { 41, 756.6372975210778 }, { 42, -250 },
        { 43, 100 }, { 44, 269.2582403567252 }, { 45, -200 } };
    for (const auto &[id, reaction] : expected)
        EXPECT_NEAR(test::rows(*db, QStringLiteral("SELECT ParamValue FROM Reakz WHERE ParameterID = %1").arg(id)).value(0).toDouble(), reaction, 1e-9) << id;
}

TEST_F(ReactionStore, ReactionsThatCannotBeComputedAreRemoved)
{
    writeReakz(*db, Reactions { 1, 2, 3, 4, 5, 6, 7 });
    addFreeForce(1, 0, 0, 10, 1, 1, 1);

    const Calculation calculation = runCalculation(*db); // no parameter 2
    ASSERT_TRUE(calculation.missing.has_value());
    EXPECT_EQ(calculation.missing->kind, MissingKind::SupportDistance);
    EXPECT_FALSE(calculation.reactionsComputed);
    EXPECT_FALSE(readReakz(*db).has_value());
    // A set short of a row is none.
    writeReakz(*db, Reactions { 1, 2, 3, 4, 5, 6, 7 });
    db->execute(QStringLiteral("DELETE FROM Reakz WHERE ParameterID = 45"));
    EXPECT_FALSE(readReakz(*db).has_value());
}

} // namespace
