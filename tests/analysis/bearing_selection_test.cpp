#include "analysis/bearing_selection.h"
#include "analysis/calculation.h"

#include "scheme_store.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tarnvel;

namespace {

constexpr double kNone = NAN; // the cell stays empty

TEST(StaticFactors, SingleRowBallBearingsOfIso76)
{
    // ISO 76:2006, table of X0 and Y0 for ball bearings, single row; radial
    // roller bearings with α = 0 carry radial load only (P0r = Fr).
    const struct
    {
        int type;
        double alpha, X0, Y0;
    } cases[] = {
        // clang-format off
        {2, 0, 0.6, 0.5},   {3, 5, 0.5, 0.52},  {3, 10, 0.5, 0.50}, {3, 15, 0.5, 0.46}, {3, 20, 0.5, 0.42},
        {3, 25, 0.5, 0.38}, {3, 30, 0.5, 0.33}, {3, 35, 0.5, 0.29}, {3, 40, 0.5, 0.26}, {3, 45, 0.5, 0.22},
        {3, 12, 0.5, 0.484}, // linear between 10° and 15°: 0.50 − 2/5·0.04
        {3, 36, 0.5, 0.284}, // between 35° and 40°: 0.29 − 1/5·0.03
        {1, 0, 1, 0}, {3, 50, kNone, kNone}, {3, 0, kNone, kNone}, {4, 0, kNone, kNone},
        // clang-format on
    };
    for (const auto &c : cases) {
        const std::optional<StaticFactors> f = staticFactors(c.type, c.alpha);
        ASSERT_EQ(f.has_value(), !std::isnan(c.X0)) << c.type << " " << c.alpha;
        if (f) {
            EXPECT_DOUBLE_EQ(f->X0, c.X0) << c.alpha;
            EXPECT_NEAR(f->Y0, c.Y0, 1e-12) << c.alpha;
        }
    }
}

using StaticLoadStore = test::SchemeStore;

// Each mode loads the supports by its own forces; the largest radial and
// axial reactions may come from different modes.
TEST_F(StaticLoadStore, LargestReactionsOverTheModes)
{
    setCommon(2, 100);
    // Free force at z = 25 on the axis: mode 1 (1000, 0, 2000), mode 2 (−2000, 0, −100).
    const qint64 force = addFreeForce(1, 0, 0, 25, 9, 9, 9);
    addPowers(force, 1, 1000, 0.5, { { 5, 1000 }, { 6, 0 }, { 7, 2000 } }, 1);
    addPowers(force, 2, 1000, 0.5, { { 5, -2000 }, { 6, 0 }, { 7, -100 } }, 1);
    // A force over the right support: Fy = 400 in mode 1 only.
    const qint64 right = addFreeForce(2, 0, 0, 100, 9, 9, 9);
    addPowers(right, 1, 1000, 0.5, { { 5, 0 }, { 6, 400 }, { 7, 0 } }, 1);

    // By hand. Mode 1: R1 = 0.75·1000 = 750, R2 = √(250² + 400²), Ra = 2000.
    // Mode 2: R1 = 0.75·2000 = 1500, R2 = 500, Ra = 100.
    const Calculation calculation = calculate(readScheme(*db));
    ASSERT_EQ(calculation.modeReactions.size(), 2);
    EXPECT_DOUBLE_EQ(calculation.modeReactions[0].R2, std::hypot(250.0, 400.0));
    EXPECT_EQ(calculation.staticLoads, (StaticLoads { 1500, 500, 2000 }));
}

// One support of a worked shaft: equivalent radial reaction 3000, no axial
// reaction, n = 1000 rpm, Kb = 1.2, so Pr = 3600 for every candidate and
// Lh = (C/3600)^p · 10⁶/(60·1000); the modes' largest loads are R1 = 1500,
// Ra = 2000.
TEST(AssessCandidates, LivesAndStaticSafetyOfCatalogueBearings)
{
    const struct
    {
        const char *bearing;
        int type;
        double C, C0, alpha;
        bool axial;
        int unit;
        double Lh, s0;
    } cases[] = {
        // P0 = 0.6·1500 + 0.5·2000 = 1900
        { "204", 2, 12700, 6200, 0, true, 1, 731.7326, 3.263158 },
        { "208", 2, 32000, 17800, 0, true, 1, 11705.53, 9.368421 },
        { "204, no axial load", 2, 12700, 6200, 0, false, 1, 731.7326, 4.133333 }, // P0 = Fr = 1500
        { "204 in kgf: C, C0 / 10", 2, 12700, 6200, 0, true, 2, 0.7317326, 0.3263158 },
        { "36204: P0 = 750 + 0.484·2000", 3, 15700, 8310, 12, true, 1, 1382.421, 4.837020 },
        { "46204: 750 + 0.37·2000 < Fr", 3, 14800, 7640, 26, true, 1, 1158.048, 5.093333 },
        { "angle without X, Y: Y0 = 0.404", 3, 20000, 10000, 22, true, 1, kNone, 6.418485 },
        { "2204 roller, p = 10/3, P0 = Fr", 1, 14700, 7350, 0, true, 1, 1813.698, 4.9 },
    };
    for (const auto &c : cases) {
        BearingInput base;
        base.settings.typeCode = c.type;
        base.settings.takesAxial = c.axial;
        base.settings.Kb = 1.2f;
        base.radialReaction = 3000;
        base.modes = { { 1000, 0.5 }, { 1000, 0.5 } };
        base.forceUnit = c.unit;
        const QVector<CandidateAssessment> a
            = assessCandidates(base, StaticLoads { 1500, 500, 2000 }, { { 1, c.C, c.C0, c.alpha } });
        EXPECT_EQ(a[0].Lh.has_value(), !std::isnan(c.Lh)) << c.bearing;
        if (a[0].Lh) {
            EXPECT_NEAR(*a[0].Lh / c.Lh, 1, 1e-6) << c.bearing;
        }
        ASSERT_TRUE(a[0].s0.has_value()) << c.bearing;
        EXPECT_NEAR(*a[0].s0, c.s0, 1e-6) << c.bearing;
    }
}

TEST(PickByLife, SmallestRatingThatReachesTheLife)
{
    const QVector<BearingCandidate> bearings { { 1, 300 }, { 2, 100 }, { 3, 200 }, { 4, 150 } };
    const QVector<CandidateAssessment> lives { { 9000, {} }, { 10, {} }, { 5000, {} }, { std::nullopt, {} } };
    EXPECT_EQ(pickByLife(bearings, lives, 4000), 2);
    EXPECT_EQ(pickByLife(bearings, lives, 5000), 2); // reaching it exactly is enough
    EXPECT_EQ(pickByLife(bearings, lives, 5001), 0);
    EXPECT_EQ(pickByLife(bearings, lives, 9001), std::nullopt);
    EXPECT_EQ(pickByLife(bearings.mid(0, 1), lives, 10), 0); // more lives than bearings, or fewer
    EXPECT_EQ(pickByLife(bearings, lives.mid(0, 1), 10), 0);
}

} // namespace
