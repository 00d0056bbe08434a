#include "scheme/free_force.h"
#include "scheme/load_modes.h"
#include "store/database.h"
#include "analysis/scheme_inputs.h"
#include "analysis/scheme_store.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using namespace tarnvel;
using tarnvel::test::countRows;

TEST(ConvertLoad, WorkedExamplesAndRoundTrips)
{
    // N[hp] = M[kgf·m]·n/716.2 = M[N·m]·n/7025.922, 1 kW = 1.36 hp.
    // 10 hp at 1000 rpm: 10/1.36 = 7.352941 kW, 7.162 kgf·m, 70.25922 N·m.
    // 100 N·m at 1500 rpm: 21.349511 hp, 15.698170 kW, 10.193680 kgf·m.
    // 7.5 kW at 1000 rpm: 10.2 hp, 7.30524 kgf·m, 71.664404 N·m (handbook 9550·P/n: 71.6).
    const struct
    {
        int kind;
        double value, speed;
        ModeRecord expected;
    } table[] = {
        { 1, 10, 1000, { 10, 7.352941, 7.162, 70.25922, 5, 0.4 } },
        { 4, 100, 1500, { 21.349511, 15.698170, 10.193680, 100, 5, 0.4 } },
        { 2, 7.5, 1000, { 10.2, 7.5, 7.30524, 71.664404, 5, 0.4 } },
        { 3, 7.162, 1000, { 10, 7.352941, 7.162, 70.25922, 5, 0.4 } },
    };
    for (const auto &row : table) {
        ModeRecord r { 0, 0, 0, 0, 5, 0.4 }; // speed and coefficient are not the loads'
        ConvertLoad(row.kind, row.value, row.speed, r);
        const auto loads = [](const ModeRecord &m) { return std::array { m.Load1, m.Load2, m.Load3, m.Load4 }; };
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(loads(r)[i], loads(row.expected)[i], 1e-6) << row.kind << " load " << i + 1;
        EXPECT_EQ(r.Speed, 5);
        EXPECT_EQ(r.Coeff, 0.4);

        // Entering any of the four values in its own kind gives all four back,
        // and the entered one exactly.
        EXPECT_EQ(loads(r)[row.kind - 1], row.value);
        for (int kind = 1; kind <= 4; ++kind) {
            ModeRecord again;
            ConvertLoad(kind, loads(r)[kind - 1], row.speed, again);
            for (int i = 0; i < 4; ++i)
                EXPECT_NEAR(loads(again)[i], loads(r)[i], 1e-12 * loads(r)[i]) << row.kind << kind << " load " << i + 1;
        }
    }
    ModeRecord untouched { 1, 2, 3, 4, 5, 6 };
    ConvertLoad(5, 100, 1000, untouched);
    EXPECT_EQ(untouched, (ModeRecord { 1, 2, 3, 4, 5, 6 }));
}

TEST(FreeForceEquivalent, SignedPowerMeanOverTheModes)
{
    // F = sign(S)·|S|^(1/p), S = Σ w·sign(F)·|F|^p, p = 10/3: opposite loads
    // of equal weight cancel, a missing weight ends the sum.
    const auto mean = [](double s) { return std::copysign(std::pow(std::fabs(s), 0.3), s); };
    const double p = 10.0 / 3.0;
    const struct
    {
        QVector<double> forces, weights;
        double expected;
    } cases[] = {
        { { 100 }, { 1 }, 100 },
        { { -200 }, { 1 }, -200 },
        { { 100, -100 }, { 0.5, 0.5 }, 0 },
        { { 0, 50 }, { 0.5, 0.5 }, mean(0.5 * std::pow(50, p)) },
        { { 100, -50 }, { 0.7, 0.3 }, mean(0.7 * std::pow(100, p) - 0.3 * std::pow(50, p)) },
        { { -100, 50 }, { 0.7, 0.3 }, mean(-0.7 * std::pow(100, p) + 0.3 * std::pow(50, p)) },
        { { 100, 200 }, { 1 }, 100 },
        { { 1 }, { 1 }, 1 },
    };
    for (const auto &c : cases)
        EXPECT_NEAR(freeForceEquivalent(c.forces, c.weights), c.expected, 1e-9) << c.forces.value(0);
}

namespace {

class ModesTest : public test::SchemeStore
{
protected:

    // Modes 1..count, each with the given kinds: speed base·r, coefficient 0.1·r,
    // load 10·kind + r.
    void addModes(
        int pid, int count, double base, std::initializer_list<int> kinds = { 1, 2, 3, 4 }, int powerNumber = 1)
    {
        for (int rez = 1; rez <= count; ++rez) {
            for (int kind : kinds)
                addPowers(pid, rez, base * rez, rez / 10.0, { { kind, kind * 10.0 + rez } }, powerNumber);
        }
    }

    // "RezNumber Speed Coeff Power PowerNumber" of a point's rows of one kind.
    QStringList rowsOf(int pid, int powerId)
    {
        return test::rows(*db, QStringLiteral("SELECT RezNumber, Speed, Coeff, Power, PowerNumber FROM Powers "
                                              "WHERE PointID = %1 AND PowerID = %2 ORDER BY RezNumber").arg(pid).arg(powerId));
    }
};

} // namespace

TEST_F(ModesTest, SyncTrimsAndAlignsEveryPoint)
{
    // Reference with 3 modes, target gear point with 5, a free-force point with
    // 4: modes 4 and 5 go everywhere; the updates select by mode only, so the
    // free-force point takes the reference's speeds too.
    const int reference = addPoint(1, 3);
    const int target = addPoint(2, 4);
    const int free = addPoint(3, 2);
    addModes(reference, 3, 1000);
    addModes(target, 5, 700);
    addModes(free, 4, 300, { 5, 6, 7 });
    SyncModes(*db, target);
    EXPECT_EQ(rowsOf(reference, 1), QStringList({ "1 1000 0.1 11 1", "2 2000 0.2 12 1", "3 3000 0.3 13 1" }));
    EXPECT_EQ(rowsOf(target, 4), QStringList({ "1 1000 0.1 41 1", "2 2000 0.2 42 1", "3 3000 0.3 43 1" }));
    EXPECT_EQ(rowsOf(free, 6), QStringList({ "1 1000 0.1 61 1", "2 2000 0.2 62 1", "3 3000 0.3 63 1" }));
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Powers")), 12 + 12 + 9);

    // The reference itself: its own values go out, nothing is inserted.
    db->execute(QStringLiteral("UPDATE Powers SET Speed = 5 WHERE PointID = %1").arg(target));
    SyncModes(*db, reference);
    EXPECT_EQ(rowsOf(target, 1), QStringList({ "1 1000 0.1 11 1", "2 2000 0.2 12 1", "3 3000 0.3 13 1" }));
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Powers")), 12 + 12 + 9);
}

TEST_F(ModesTest, SyncGivesANewPointTheReferenceModesWithoutLoad)
{
    const int reference = addPoint(1, 2);
    const int target = addPoint(2, 3);
    addModes(reference, 2, 500.5, { 5, 6, 7 });
    SyncModes(*db, target);
    for (int kind = 1; kind <= 4; ++kind)
        EXPECT_EQ(rowsOf(target, kind), QStringList({ "1 500.5 0.1 0 1", "2 1001 0.2 0 1" })) << kind;
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Powers WHERE PointID = %1").arg(target)), 8);
}

TEST_F(ModesTest, SyncWithoutReferenceModesChangesNothing)
{
    addPoint(1, 3);
    const int target = addPoint(2, 3);
    addModes(target, 4, 900);
    SyncModes(*db, target);
    db->execute(QStringLiteral("DELETE FROM Points")); // no point numbered 1 at all
    SyncModes(*db, target);
    EXPECT_EQ(
        rowsOf(target, 1), QStringList({ "1 900 0.1 11 1", "2 1800 0.2 12 1", "3 2700 0.3 13 1", "4 3600 0.4 14 1" }));
}

TEST_F(ModesTest, GatherAPointWithoutLoads)
{
    // It starts from the shaft's modes with zero loads; with no modes anywhere
    // it starts empty, whatever the list held before.
    const int free = addPoint(1, 2);
    const int gear = addPoint(2, 3);
    ModeList modes = { ModeRecord { 1, 2, 3, 4, 5, 6 } };
    EXPECT_EQ(GatherModes(*db, gear, modes), 1);
    EXPECT_TRUE(modes.isEmpty());
    addModes(free, 2, 1000, { 5, 6, 7 });
    EXPECT_EQ(GatherModes(*db, gear, modes), 1);
    EXPECT_EQ(modes, ModeList({ { 0, 0, 0, 0, 1000, 0.1 }, { 0, 0, 0, 0, 2000, 0.2 } }));
    EXPECT_EQ(ModeCount(ModeList {}), 0);
}

TEST_F(ModesTest, AFreeForceWithoutModesLosesItsEquivalents)
{
    // Its place stays; the equivalent projections (8 … 10) go with the last mode.
    const qint64 free = addFreeForce(1, 0, 0, 50, 100, 200, 300);
    const qint64 gear = addPoint(2, 3, { { 11, 3 } });
    const QString equivalents = QStringLiteral("SELECT * FROM PointParameters WHERE ParameterID > 7 AND ParameterID < 11");
    writePointModes(*db, gear, {}, 4);
    EXPECT_EQ(countRows(*db, equivalents), 3);
    writePointModes(*db, free, {}, 5);
    EXPECT_EQ(countRows(*db, equivalents), 0);
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM PointParameters WHERE PointID = %1").arg(free)), 3);
}

TEST_F(ModesTest, EveryPointsModesReadAtOnce)
{
    // One statement for all points gives each point what its own question
    // (and its load dialog) gives: its modes in order, the first load of each
    // kind, nothing (0) for a kind a mode lacks or a load left empty, and the
    // kind its loads were entered in. PointIDs run against the numbers.
    const int patchy = addPoint(3, 3);
    const int gear = addPoint(1, 4);
    const int free = addPoint(2, 2);
    addModes(gear, 2, 1000, { 1, 2, 3, 4 }, 3);
    addModes(patchy, 3, 800, { 4, 1, 3 });
    addModes(free, 2, 750, { 5, 6, 7 });
    addPowers(free, 2, 1500, 0.2, { { 6, 99 } }, 1); // a second row of a kind: not the first
    addPowers(free, 2, 1500, 0.25, { { 7, 5 } }, 1); // another coefficient: a mode of its own
    db->execute(QStringLiteral("UPDATE Powers SET Power = NULL WHERE PointID = %1 AND PowerID = 5").arg(free));
    const SchemeInputs inputs = readScheme(*db);
    const auto all = [&inputs](qint64 point) { return inputs.point(point)->modes; };
    const struct
    {
        int point;
        bool freeForce;
        int kind;
        ModeList expected;
    } cases[] = {
        { gear, false, 3, { { 11, 21, 31, 41, 1000, 0.1 }, { 12, 22, 32, 42, 2000, 0.2 } } },
        { patchy, false, 1, { { 11, 0, 31, 41, 800, 0.1 }, { 12, 0, 32, 42, 1600, 0.2 }, { 13, 0, 33, 43, 2400, 0.3 } } },
        { free, true, 5, { { 0, 61, 71, 0, 750, 0.1 }, { 0, 62, 72, 0, 1500, 0.2 }, { 0, 0, 5, 0, 1500, 0.25 } } },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(modeRecords(all(c.point), c.freeForce), c.expected) << c.point;
        EXPECT_EQ(modeRecords(pointModeCells(*db, c.point), c.freeForce), c.expected) << c.point;
        ModeList gathered = { ModeRecord { 9, 9, 9, 9, 9, 9 } };
        EXPECT_EQ(GatherModes(*db, c.point, gathered), c.kind) << c.point;
        EXPECT_EQ(gathered, c.expected) << c.point;
    }
    EXPECT_TRUE(all(patchy).first().loads[2].isNull());
    EXPECT_TRUE(all(free).first().loads[5].isNull());
    // Each of the shaft's modes is that of the lowest point number having it.
    EXPECT_EQ(inputs.shaftModes, (QVector<ModeSpeed> { { 1000, 0.1 }, { 2000, 0.2 }, { 2400, 0.3 } }));
    EXPECT_EQ(inputs.point(gear)->loadKind, 3); // the kind its loads were entered in
}

TEST_F(ModesTest, PointsThatDisagreeOnAMode)
{
    // A point without loads lists one mode per number and coefficient, in that
    // order, at the speed of the mode's row written first, whichever point it
    // belongs to.
    const int reference = addPoint(1, 3);
    const int other = addPoint(2, 3);
    const int empty = addPoint(3, 3);
    addPowers(other, 1, 1200, 0.7, { { 4, 1 } });
    addPowers(reference, 1, 1000, 0.7, { { 4, 2 } });
    addPowers(other, 2, 600, 0.4, { { 4, 3 } });
    addPowers(reference, 2, 500, 0.3, { { 4, 4 } });
    addPowers(other, 3, 700, 0.1, { { 4, 5 } });
    ModeList modes;
    EXPECT_EQ(GatherModes(*db, empty, modes), 1);
    EXPECT_EQ(modes, ModeList({ { 0, 0, 0, 0, 1200, 0.7 }, { 0, 0, 0, 0, 500, 0.3 }, { 0, 0, 0, 0, 600, 0.4 },
                          { 0, 0, 0, 0, 700, 0.1 } }));

    // Syncing goes by the reference's own rows, one per number, speed and
    // coefficient in that order: a mode it gives two speeds counts twice
    // (mode 3 of the other point stays), and the second, higher speed is the
    // one the points that have the mode keep. A point lacking the mode gets it
    // once, and the update reaches only modes the point had.
    addPowers(reference, 2, 450, 0.3, { { 1, 6 } });
    SyncModes(*db, empty);
    EXPECT_EQ(rowsOf(empty, 1), QStringList({ "1 1000 0.7 0 1", "2 500 0.3 0 1" }));
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Powers WHERE PointID = %1").arg(empty)), 8);
    EXPECT_EQ(rowsOf(other, 4), QStringList({ "1 1200 0.7 1 4", "2 500 0.3 3 4", "3 700 0.1 5 4" }));
    EXPECT_EQ(rowsOf(reference, 1), QStringList({ "2 500 0.3 6 4" }));
}

TEST_F(ModesTest, OnlyFreeForceProjectionsFollowTheForceUnit)
{
    addModes(1, 1, 1000); // a gear point: hp, kW, kgf·m, N·m
    EXPECT_FALSE(hasForceLoads(*db));
    addModes(2, 2, 1000, { 5, 6, 7 }, 5); // Fx 51, 52; Fy 61, 62; Fz 71, 72
    EXPECT_TRUE(hasForceLoads(*db));

    convertForceLoads(*db, 2, 1);
    // 51 kgf = 51 · 9.80665 N = 500.13915 N
    EXPECT_NEAR(test::rows(*db, QStringLiteral("SELECT Power FROM Powers WHERE PointID = 2 AND PowerID = 5 AND RezNumber = 1")).value(0).toDouble(), 500.13915, 1e-9);
    EXPECT_EQ(rowsOf(1, 3), (QStringList{"1 1000 0.1 31 1"})); // the torques are kept in both units already

    convertForceLoads(*db, 1, 2);
    convertForceLoads(*db, 1, 1);
    for (int kind : { 5, 6, 7 })
        EXPECT_NEAR(rowsOf(2, kind).value(1).split(QLatin1Char(' ')).value(3).toDouble(), kind * 10 + 2, 1e-9) << kind;
}
