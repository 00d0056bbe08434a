#include "analysis/bearing_life.h"

#include "analysis/bearing_selection.h"
#include "analysis/calculation.h"
#include "analysis/reactions.h"
#include "scheme_store.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QTextStream>

#include <cfloat>
#include <cmath>

using namespace tarnvel;

namespace {

using Row = std::array<double, 9>;

BearingLoadCase loadCase(int type, double Fr, double Fa, double C, double C0, double alpha = 0, double n = 1000,
    float V = 1, float Kb = 1, float Kt = 1, float Kk = 1)
{
    return { .typeCode = type, .n = n, .Fa = Fa, .Fr = Fr, .V = V, .Kb = Kb, .Kt = Kt, .Kk = Kk, .C = C, .C0 = C0, .alpha = alpha };
}

TEST(CalcBearing, FactorsLoadAndLife)
{
    const struct
    {
        const char *name;
        BearingLoadCase input;
        double e, X, Y, Pr, Lh;
    } cases[] = {
        // Deep-groove ball bearing 206 (C = 19 500 N, C0 = 10 000 N), Fr = 2000 N,
        // Fa = 600 N, 1450 rpm, by hand: Fa/C0 = 0.06 → e = 0.26286, Y = 1.68714,
        // P = 0.56·2000 + 1.68714·600 = 2132.29 N, L10h = (C/P)³·10⁶/(60n) = 8791 h.
        { "ball 206", loadCase(2, 2000, 600, 19500, 10000, 0, 1450), 0.2628571, 0.56, 1.6871429, 2132.286, 8791.20 },
        // Light axial load: Fa/Fr below e, the radial load alone counts.
        { "ball, small axial", loadCase(2, 5000, 200, 30000, 20000), 0.19, 1, 0, 5000, 3600 },
        // No axial load: e stays 0 and the table is not consulted.
        { "ball, no axial", loadCase(2, 5000, 0, 30000, 20000), 0, 1, 0, 5000, 3600 },
        // Rollers ignore the axial load; p = 10/3: (30 000/6000)^(10/3)·10⁶/60 000.
        { "roller", loadCase(1, 5000, 2000, 30000, 20000, 0, 1000, 1, 1.2f), 0, 1, 0, 6000.000, 3562.449 },
        // Angular contact 36208 (12°, C = 38 900 N, C0 = 23 200 N), Fr = 800 N, Fa = 300 N,
        // 960 rpm, Kb = 1.25, by hand: Fa/C0 = 0.01293 < 0.014 → e = 0.30; Fa/Fr = 0.375 > e,
        // so X = 0.45, Y = 1.81; Pr = (0.45·800 + 1.81·300)·1.25 = 903·1.25 = 1128.75 N;
        // Lh = (38 900/1128.75)³·10⁶/(60·960) = 34.46290³·17.36111 = 710 612.807 h.
        { "angular 36208", loadCase(3, 800, 300, 38900, 23200, 12, 960, 1, 1.25f), 0.30, 0.45, 1.81, 1128.75,
            710612.807 },
        // Angular contact 26° just above e = 0.68: the fixed X = 0.41, Y = 0.87.
        { "angular 26", loadCase(3, 1000, 681, 20000, 10000, 26), 0.68, 0.41, 0.87, 410 + 0.87 * 681,
            std::pow(20000 / (410 + 0.87 * 681), 3) * 1e6 / 60000 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const BearingFactors f = CalcBearing(c.input);
        ASSERT_EQ(f.status, BearingLifeStatus::Computed);
        EXPECT_NEAR(*f.e, c.e, 1e-7);
        EXPECT_NEAR(*f.X, c.X, 1e-12);
        EXPECT_NEAR(*f.Y, c.Y, 1e-7);
        EXPECT_NEAR(*f.Pr, c.Pr, 1e-3);
        EXPECT_NEAR(*f.Lh, c.Lh, 1e-2);
    }
}

// The standard's factor tables, read from the transcription in the test data.
struct StandardTable
{
    double alpha, X;
    Row ratio, e, Y;
};
struct StandardFixed
{
    double alpha, e, X, Y;
};

void readStandard(QList<StandardTable> &tables, QList<StandardFixed> &fixed)
{
    QFile file(QStringLiteral(TARNVEL_TEST_DATA "/bearing_factors/ball_bearings.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&file);
    const auto row = [](const QStringList &words) {
        Row r {};
        for (int i = 0; i < 9; ++i)
            r[i] = words.value(i + 1).toDouble();
        return r;
    };
    while (!in.atEnd()) {
        const QStringList w = in.readLine().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w.isEmpty() || w[0].startsWith(QLatin1Char('#')))
            continue;
        if (w[0] == QLatin1String("table"))
            tables.append({ w[1].toDouble(), w[2].toDouble(), {}, {}, {} });
        else if (w[0] == QLatin1String("ratio"))
            tables.last().ratio = row(w);
        else if (w[0] == QLatin1String("e"))
            tables.last().e = row(w);
        else if (w[0] == QLatin1String("Y"))
            tables.last().Y = row(w);
        else if (w[0] == QLatin1String("fixed"))
            fixed.append({ w[1].toDouble(), w[2].toDouble(), w[3].toDouble(), w[4].toDouble() });
    }
}

TEST(CalcBearing, FactorsAreTheStandardsTables)
{
    QList<StandardTable> tables;
    QList<StandardFixed> fixed;
    readStandard(tables, fixed);
    ASSERT_EQ(tables.size(), 5);
    ASSERT_EQ(fixed.size(), 6);

    // Fa/C0 = x with C0 = 1; Fr = Fa/10 keeps Fa/Fr above every e.
    const auto factors = [](double alpha, double x) {
        return CalcBearing(loadCase(alpha == 0 ? 2 : 3, x / 10, x, 30000, 1, alpha));
    };
    for (const StandardTable &t : tables) {
        for (int i = 0; i < 9; ++i) {
            SCOPED_TRACE(testing::Message() << "alpha " << t.alpha << ", column " << i + 1);
            BearingFactors f = factors(t.alpha, t.ratio[i]);
            ASSERT_EQ(f.status, BearingLifeStatus::Computed);
            EXPECT_NEAR(*f.e, t.e[i], 1e-12);
            EXPECT_NEAR(*f.X, t.X, 1e-12);
            // Y is read at e: where e repeats, the first of its Y values is never read.
            const bool readable = i == 8 || t.e[i] != t.e[i + 1];
            if (readable) {
                EXPECT_NEAR(*f.Y, t.Y[i], 1e-12);
            }
            if (i == 8)
                continue;
            // Halfway between two columns both factors are halfway too.
            f = factors(t.alpha, (t.ratio[i] + t.ratio[i + 1]) / 2);
            EXPECT_NEAR(*f.e, (t.e[i] + t.e[i + 1]) / 2, 1e-12);
            if (t.e[i] != t.e[i + 1]) {
                EXPECT_NEAR(*f.Y, (t.Y[i] + t.Y[i + 1]) / 2, 1e-12);
            }
        }
        // Outside the table the end columns hold.
        EXPECT_NEAR(*factors(t.alpha, t.ratio[0] / 2).e, t.e[0], 1e-12);
        EXPECT_NEAR(*factors(t.alpha, t.ratio[8] * 2).e, t.e[8], 1e-12);
    }

    // Catalogue angles near a standard one take its factors.
    const QMap<double, QList<double>> catalogueAngles { { 20, { 18, 19, 20 } }, { 25, { 24, 25, 26 } },
        { 30, { 30 } }, { 35, { 35, 36 } }, { 40, { 40 } }, { 45, { 45 } } };
    for (const StandardFixed &t : fixed) {
        for (double alpha : catalogueAngles.value(t.alpha)) {
            SCOPED_TRACE(testing::Message() << "alpha " << alpha);
            const BearingFactors below = CalcBearing(loadCase(3, 1000, 999 * t.e, 30000, 10000, alpha));
            EXPECT_NEAR(*below.e, t.e, 1e-12);
            EXPECT_EQ(*below.X, 1);
            EXPECT_EQ(*below.Y, 0);
            const BearingFactors above = CalcBearing(loadCase(3, 1000, 1001 * t.e, 30000, 10000, alpha));
            EXPECT_NEAR(*above.X, t.X, 1e-12);
            EXPECT_NEAR(*above.Y, t.Y, 1e-12);
        }
    }
}

// Why a life cannot be computed; and a bearing that carries nothing does not
// wear out: no number of hours, but an unlimited life. One that carries only
// an axial load it can take is loaded (a roller takes none of it).
TEST(CalcBearing, UncomputableAndUnlimitedLives)
{
    using enum BearingLifeStatus;
    const struct
    {
        const char *name;
        BearingLoadCase input;
        BearingLifeStatus status;
        bool hasFactors, hasPr, unlimited; // the factors and Pr are checked only where no life is computed
    } cases[] = {
        { "unknown type", loadCase(4, 5000, 100, 30000, 20000), UnknownType, false, false, false },
        { "angle without factors", loadCase(3, 5000, 100, 30000, 20000, 22), UnlistedAngle, false, false, false },
        { "no rating", loadCase(2, 5000, 100, 0, 20000), InvalidRating, false, false, false },
        { "no static rating", loadCase(3, 5000, 100, 30000, 0, 26), InvalidRating, false, false, false },
        { "zero speed", loadCase(2, 5000, 100, 30000, 20000, 0, 0), NoSpeed, true, true, false },
        { "zero safety coefficient", loadCase(2, 5000, 100, 30000, 20000, 0, 1000, 1, 0), NonPositiveCoefficient, true,
            false, false },
        { "zero quality coefficient", loadCase(2, 5000, 100, 30000, 20000, 0, 1000, 1, 1, 1, 0), NonPositiveCoefficient,
            true, true, false },
        { "ball, no load", loadCase(2, 0, 0, 30000, 20000), Computed, true, true, true },
        { "roller, no load", loadCase(1, 0, 0, 30000, 0), Computed, true, true, true },
        { "angular, no load", loadCase(3, 0, 0, 30000, 20000, 26), Computed, true, true, true },
        { "roller, axial load only", loadCase(1, 0, 2000, 30000, 0), Computed, true, true, true },
        { "ball, axial load only", loadCase(2, 0, 2000, 30000, 20000), Computed, true, true, false },
        { "ball, tiny radial load", loadCase(2, 1e-6, 0, 30000, 20000), Computed, true, true, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const BearingFactors f = CalcBearing(c.input);
        EXPECT_EQ(f.status, c.status);
        EXPECT_EQ(f.unlimited, c.unlimited);
        EXPECT_EQ(f.Lh.has_value(), c.status == Computed && !c.unlimited);
        if (c.unlimited) {
            EXPECT_EQ(f.Pr, 0.0);
        }
        if (c.status != Computed) {
            EXPECT_EQ(f.e.has_value(), c.hasFactors);
            EXPECT_EQ(f.X.has_value(), c.hasFactors);
            EXPECT_EQ(f.Pr.has_value(), c.hasPr);
        }
    }
    // A roller needs no static rating.
    EXPECT_EQ(CalcBearing(loadCase(1, 5000, 0, 30000, 0)).status, Computed);
    // A typed coefficient may reach the largest single-precision value.
    EXPECT_EQ(bearingCoefficient(QStringLiteral("340282346638528859811704183484516925440")), FLT_MAX);
    // The list picks an unloaded bearing for any required life.
    const QVector<BearingCandidate> candidates { { 1, 30000, 20000, 0 } };
    BearingInput unloaded;
    unloaded.settings.typeCode = bearingType::radialBall;
    unloaded.modes = { { 1000, 1 } };
    const QVector<CandidateAssessment> assessed = assessCandidates(unloaded, std::nullopt, candidates);
    ASSERT_EQ(assessed.size(), 1);
    EXPECT_TRUE(assessed.first().unlimited);
    EXPECT_EQ(pickByLife(candidates, assessed, 1e12), std::optional<qsizetype>(0));
}

// The 5000/2000 N case of a ball bearing (C 30 000, C0 20 000, Kb 1.2) at a
// support, by hand. Inner ring rotating: Pr = 6932.3, Lh = 1350.8 h. Outer
// ring: V = 1.2, so Pr = (0.56·6000 + 1.4885·2000)·1.2 = 7604.3 and Lh =
// 1023.4 h; both rings: V = 1.2 and twice the relative speed, half that life.
// A support not taking the axial load sees none: Pr = 5000·1.2. The same
// loads in kgf (1 kgf taken as 10 N): ratings a tenth, so Pr is a tenth and
// the life unchanged. The axial reaction's sign only says which way it points.
TEST(BearingLife, RotationSpeedLoadsAndUnitOfTheSupport)
{
    const struct
    {
        const char *name;
        int ring, unit;
        bool radial, axial;
        float V;
        double n, Fr, Fa, C, Pr, Lh;
    } cases[] = {
        { "inner ring", rollRing::inner, 1, true, true, 1, 1000, 5000, 2000, 30000, 6932.308, 1350.763 },
        { "outer ring", rollRing::outer, 1, true, true, 1.2f, 1000, 5000, 2000, 30000, 7604.308, 1023.372 },
        { "both rings", rollRing::both, 1, true, true, 1.2f, 2000, 5000, 2000, 30000, 7604.308, 511.686 },
        { "no axial load", rollRing::inner, 1, true, false, 1, 1000, 5000, 0, 30000, 6000, 2083.333 },
        { "no radial load", rollRing::inner, 1, false, true, 1, 1000, 0, 2000, 30000, NAN, NAN },
        { "kgf", rollRing::inner, 2, true, true, 1, 1000, 500, 200, 3000, 693.2308, 1350.763 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        BearingInput input;
        input.settings.typeCode = bearingType::radialBall;
        input.settings.C = 30000;
        input.settings.C0 = 20000;
        input.settings.ringIndex = c.ring;
        input.settings.Kb = 1.2f;
        input.settings.takesRadial = c.radial;
        input.settings.takesAxial = c.axial;
        input.forceUnit = c.unit;
        input.radialReaction = c.unit == 2 ? 500 : 5000;
        input.axialReaction = c.unit == 2 ? 200 : -2000;
        input.modes = { { 1000, 0.7 }, { 1000, 0.3 } };
        const BearingResult r = bearingLife(input);
        EXPECT_EQ(r.loadCase.V, c.V);
        EXPECT_DOUBLE_EQ(r.loadCase.n, c.n);
        EXPECT_EQ(r.loadCase.Fr, c.Fr);
        EXPECT_EQ(r.loadCase.Fa, c.Fa);
        EXPECT_EQ(r.loadCase.C, c.C);
        EXPECT_EQ(r.loadCase.C0, c.C * 2 / 3);
        if (!std::isnan(c.Pr)) {
            EXPECT_NEAR(*r.factors.Pr, c.Pr, 1e-3);
            EXPECT_NEAR(*r.factors.Lh, c.Lh, 1e-3);
        }
    }
}

class BearingStore : public test::SchemeStore
{
protected:
    void SetUp() override
    {
        test::SchemeStore::SetUp();
        // L = 100: a force over the left support (3000, 4000, −2000 along the
        // axis) and one over the right (1000 across), the same in both modes,
        // make R1 = 5000, R2 = 1000, Ra = 2000. Two modes: n = 1000·0.7 +
        // 500·0.3 = 850 rpm.
        setCommon(2, 100);
        const qint64 left = addFreeForce(1, 0, 0, 0, 0, 0, 0);
        const qint64 right = addFreeForce(2, 0, 0, 100, 0, 0, 0);
        for (const auto &[rez, speed, coeff] : { std::tuple { 1, 1000.0, 0.7 }, std::tuple { 2, 500.0, 0.3 } }) {
            addPowers(left, rez, speed, coeff, { { 5, 3000 }, { 6, 4000 }, { 7, -2000 } }, 1);
            addPowers(right, rez, speed, coeff, { { 5, 1000 }, { 6, 0 }, { 7, 0 } }, 1);
        }
        db->execute(QStringLiteral("INSERT INTO Bearings (`Number`, C, C0, Alfa, TipID) VALUES ('208', 30000, 20000, 0, 2)"));
        ball = db->lastInsertId();
        db->execute(QStringLiteral("INSERT INTO Bearings (`Number`, C, C0, Alfa, TipID) VALUES ('x', 30000, 20000, 22, 3)"));
        angular = db->lastInsertId();
    }

    BearingSettings settings(int side)
    {
        BearingSettings s;
        s.side = side;
        s.bearingId = ball;
        s.ringIndex = rollRing::outer;
        s.Kb = 1.2f;
        s.Kt = 1.05f;
        return s;
    }

    QVariant bearRep(int side, const char *column)
    {
        return value(QStringLiteral("SELECT * FROM BearRep WHERE Side = %1").arg(side), QString::fromLatin1(column));
    }

    qint64 ball = 0;
    qint64 angular = 0;
};

TEST_F(BearingStore, TheCalculationTakesTheSupportAndStoresItsResult)
{
    // R1 = 5000 and Ra = −2000, whose sign only says which way it points.
    writeBearingSettings(*db, settings(0));
    const Calculation first = runCalculation(*db);
    ASSERT_FALSE(first.missing.has_value());
    const BearingResult &left = first.supports[0].result;
    EXPECT_EQ(left.loadCase.Fr, 5000);
    EXPECT_EQ(left.loadCase.Fa, 2000);
    EXPECT_DOUBLE_EQ(left.loadCase.n, 850);
    EXPECT_EQ(left.loadCase.C, 30000); // the catalogue's, read as the dialog shows it
    BearingSettings changed = settings(0);
    changed.Kt = 1;
    writeBearingSettings(*db, changed);
    const Calculation second = runCalculation(*db);

    EXPECT_EQ(test::countRows(*db, QStringLiteral("SELECT * FROM BearRep WHERE Side = 0")), 1);
    // The coefficients go in as the dialog shows them, not as their float images; X = 0.56 as Fa/(V·Fr) = 2000/6000 > e.
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT Kb, Kt, Kv, BearingID, RollRing, Radial, Osev, X FROM BearRep WHERE Side = 0")),
        QStringList { QStringLiteral("1.2 1 1.2 %1 %2 1 1 0.56").arg(ball).arg(rollRing::outer) });
    const BearingFactors &f = second.supports[0].result.factors;
    EXPECT_NEAR(bearRep(0, "Pr").toDouble(), *f.Pr, 1e-9 * *f.Pr);
    EXPECT_NEAR(bearRep(0, "Lh").toDouble(), *f.Lh, 1e-9 * *f.Lh);
    EXPECT_NEAR(bearRep(0, "e").toDouble(), *f.e, 1e-12);
    EXPECT_NEAR(bearRep(0, "Y").toDouble(), *f.Y, 1e-12);

    writeBearingSettings(*db, settings(1));
    setCommon(4, 2); // forces in kgf: the ratings in tens of newtons
    const Calculation kgf = runCalculation(*db);
    EXPECT_EQ(kgf.supports[1].result.loadCase.Fr, 1000);
    EXPECT_EQ(kgf.supports[1].result.loadCase.C, 3000);
    EXPECT_EQ(test::countRows(*db, QStringLiteral("SELECT * FROM BearRep")), 2);
    // Storing the same calculation again writes nothing.
    const Database::Version before = db->version();
    storeResults(*db, kgf);
    EXPECT_EQ(db->version(), before);
}

// A ring code the dialog never writes (another program's, a damaged store)
// reads as the nearest one there is: both rings turning.
TEST_F(BearingStore, ARingCodeBeyondTheChoicesReadsAsTheLast)
{
    writeBearingSettings(*db, settings(0));
    db->execute(QStringLiteral("UPDATE BearRep SET RollRing = 7"));
    const SchemeInputs inputs = readScheme(*db);
    EXPECT_EQ(inputs.supports[0].ring, rollRing::both);
    EXPECT_EQ(inputs.supports[0].settings->ringIndex, rollRing::both);
}

// A life that cannot be computed, or reactions that cannot, leave the choice
// without results.
TEST_F(BearingStore, AnUncomputableLifeKeepsTheChoiceWithoutResults)
{
    BearingSettings unlisted = settings(1);
    unlisted.bearingId = angular;
    writeBearingSettings(*db, settings(0));
    writeBearingSettings(*db, unlisted);
    const Calculation calculation = runCalculation(*db);
    EXPECT_EQ(calculation.supports[1].result.factors.status, BearingLifeStatus::UnlistedAngle);
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT BearingID, Kb, Pr, Lh, e, X, Y FROM BearRep WHERE Side = 1")),
        QStringList { QStringLiteral("%1 1.2 - - - - -").arg(angular) });
    EXPECT_FALSE(bearRep(0, "Lh").isNull());
    db->execute(QStringLiteral("DELETE FROM CommonParameters WHERE ParameterID = 2"));
    EXPECT_TRUE(runCalculation(*db).missing.has_value());
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT BearingID, Kb, Pr, Lh FROM BearRep WHERE Side = 0")),
        QStringList { QStringLiteral("%1 1.2 - -").arg(ball) });
}

} // namespace
