// The shaft check as part of the whole calculation: the golden reducer shaft
// read from its file, computed in newtons and in kilogram-force, with its
// steps moved off the loads and removed.

#include "analysis/calculation.h"
#include "analysis/scheme_store.h"
#include "analysis/shaft_inputs.h"
#include "analysis/shaft_steels.h"
#include "files/scenario_file.h"
#include "scheme/load_modes.h"
#include "store/store_file.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tarnvel;

namespace {

constexpr double kKilogramForce = 9.80665; // N

class ShaftResults : public test::SchemeStore
{
protected:
    void SetUp() override
    {
        SchemeStore::SetUp();
        const std::optional<Scenario> golden
            = loadScenarioFile(QStringLiteral(TARNVEL_TEST_DATA "/golden/reducer_shaft.tvd"));
        ASSERT_TRUE(golden.has_value());
        writeScenarioToStore(*db, *golden);
    }

    Calculation calculation()
    {
        CalculationRequest request;
        request.diagrams = true;
        return calculate(readScheme(*db), request);
    }
};

void expectRelative(double actual, double expected, const char *what)
{
    EXPECT_NEAR(actual, expected, 1e-9 * std::fabs(expected)) << what;
}

} // namespace

// The same shaft in kilogram-force: every force and moment is 9.80665 times
// smaller in its unit, every stress, safety, diameter and deflection the same.
TEST_F(ShaftResults, KilogramForceGivesTheSameStressesAndDeflectionsAsNewtons)
{
    const ShaftCheckResult newtons = calculation().shaft;
    ASSERT_TRUE(newtons.computed && newtons.hasGeometry && newtons.hasSteel);

    // The twin: the free force's projections and the gear torques (the
    // kilogram-force unit reads the kgf·m rows) in exactly the same forces.
    convertForceLoads(*db, 1, 2);
    db->execute(QStringLiteral("UPDATE Powers SET Power = (SELECT n.Power FROM Powers n WHERE n.PointID = Powers.PointID "
                               "AND n.RezNumber = Powers.RezNumber AND n.PowerID = 4) / 9.80665 WHERE PowerID = 3"));
    setCommon(4, 2);
    const Calculation kgf = calculation();
    ASSERT_FALSE(kgf.missing.has_value());
    const ShaftCheckResult &k = kgf.shaft;
    ASSERT_TRUE(k.computed && k.hasGeometry && k.hasSteel);

    expectRelative(k.largestTorque * kKilogramForce, newtons.largestTorque, "largest torque");
    expectRelative(k.torqueResidual * kKilogramForce, newtons.torqueResidual, "torque residual");
    expectRelative(k.largestRequiredDiameter, newtons.largestRequiredDiameter, "required diameter");
    expectRelative(k.minimum.safety, newtons.minimum.safety, "smallest safety");
    EXPECT_EQ(k.minimum.position, newtons.minimum.position);
    expectRelative(k.largestDeflection, newtons.largestDeflection, "largest deflection");
    ASSERT_EQ(k.slopes.size(), 2);
    for (int side = 0; side < 2; ++side)
        expectRelative(k.slopes.at(side).value, newtons.slopes.at(side).value, "support slope");
    ASSERT_EQ(k.deflections.size(), newtons.deflections.size());
    for (qsizetype i = 0; i < k.deflections.size(); ++i)
        expectRelative(k.deflections.at(i).value, newtons.deflections.at(i).value, "deflection under a gear");
    EXPECT_EQ(shaftStrengthRows(k, kgf.unit).size(), shaftStrengthRows(newtons, QStringLiteral("Н")).size());
}

// The steps are the shaft: a point beyond them is named and nothing that
// needs the steps is computed; the torque and the diameter it needs are.
TEST_F(ShaftResults, APointOffTheStepsIsNamedAndOnlyWhatNeedsNoStepsIsComputed)
{
    QVector<ShaftSegment> steps = readShaftInputs(*db).segments;
    ASSERT_FALSE(steps.isEmpty());
    steps.removeLast(); // the overhung bevel pinion's seat: the pinion is now beyond the end
    writeShaftSegments(*db, steps);
    const Calculation calc = calculation();
    ASSERT_FALSE(calc.missing.has_value()); // the bearings and diagrams do not need the steps
    const ShaftCheckResult &r = calc.shaft;
    ASSERT_TRUE(r.offShaft.has_value());
    EXPECT_TRUE(r.offShaft->contains(QStringLiteral("Точка 3"))) << r.offShaft->toStdString();
    EXPECT_TRUE(r.offShaft->contains(QStringLiteral("z = 235 мм"))) << r.offShaft->toStdString();
    EXPECT_FALSE(r.hasGeometry);
    EXPECT_TRUE(r.computed);
    EXPECT_GT(r.largestRequiredDiameter, 0);
    EXPECT_EQ(r.minimum.safety, 0);
    const QVector<ResultRow> rows = shaftStiffnessRows(r);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().text, *r.offShaft);

    // Without steps: the torque, the equivalent moment and the diameter, and
    // a row that says why nothing more.
    writeShaftSegments(*db, {});
    const ShaftCheckResult none = calculation().shaft;
    EXPECT_FALSE(none.offShaft.has_value());
    EXPECT_FALSE(none.hasGeometry);
    const QVector<ResultRow> strength = shaftStrengthRows(none, QStringLiteral("Н"));
    ASSERT_EQ(strength.size(), 5); // T, residual, M_eq, d, the reason
    EXPECT_TRUE(strength.last().text.contains(QStringLiteral("не заданы")));
}

// The worst mode of each quantity is named; the one of the smallest safety
// follows the loads when another mode is made the heaviest.
TEST_F(ShaftResults, TheWorstModeIsTheOneThatLoadsTheShaftMost)
{
    const ShaftCheckResult before = calculation().shaft;
    EXPECT_EQ(before.strengthMode, 1);
    EXPECT_EQ(before.deflectionMode, 1);
    // Mode 3's loads four times over: its forces are the largest now.
    db->execute(QStringLiteral("UPDATE Powers SET Power = Power * 4 WHERE RezNumber = 3"));
    const ShaftCheckResult after = calculation().shaft;
    EXPECT_EQ(after.strengthMode, 3);
    EXPECT_EQ(after.deflectionMode, 3);
    EXPECT_EQ(after.torqueMode, 3);
    EXPECT_LT(after.minimum.safety, before.minimum.safety);
    EXPECT_TRUE(shaftStrengthRows(after, QStringLiteral("Н")).first().remark.startsWith(QStringLiteral("режим 3")));
}

// A shaft whose loads have no modes is checked under its equivalent loads,
// and says so; one force on a uniform shaft gives the handbook's largest
// deflection, F·b·(L² − b²)^(3/2) / (9√3·E·I·L), b the shorter arm.
TEST(ShaftResultsWithoutModes, TheEquivalentLoadIsCheckedAndNamed)
{
    test::TempStore store;
    std::unique_ptr<Database> db = store.open();
    db->execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (2, 200), (4, 1), (38, 1)"));
    db->execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 2)"));
    db->execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) SELECT PointID, p.id, p.v "
                               "FROM Points, (SELECT 5 AS id, 0 AS v UNION ALL SELECT 6, 0 UNION ALL SELECT 7, 150 "
                               "UNION ALL SELECT 8, 1000 UNION ALL SELECT 9, 0 UNION ALL SELECT 10, 0) AS p"));
    writeShaftSegments(*db, { { 200, 40, 0 } });
    const ShaftSteel steel = shaftSteels(*db).first();
    writeShaftSetting(*db, shaftSetting::steel, static_cast<double>(steel.id));
    CalculationRequest request;
    request.diagrams = true;
    const Calculation calc = calculate(readScheme(*db), request);
    ASSERT_FALSE(calc.missing.has_value()) << calc.missing->message.toStdString();
    const ShaftCheckResult &r = calc.shaft;
    ASSERT_TRUE(r.hasGeometry && r.hasSteel);
    EXPECT_EQ(r.modeName(r.deflectionMode), QStringLiteral("эквивалентная нагрузка"));
    const double F = 1000, L = 200, b = 50, I = M_PI * std::pow(40.0, 4) / 64;
    const double largest = F * b * std::pow(L * L - b * b, 1.5) / (9 * std::sqrt(3.0) * steel.E * I * L);
    expectRelative(r.largestDeflection, largest, "largest deflection");
    // In the longer span, √((L² − b²)/3) from the support at its far end.
    EXPECT_NEAR(r.largestDeflectionAt, std::sqrt((L * L - b * b) / 3), 1e-6);
    EXPECT_TRUE(shaftStiffnessRows(r).last().remark.startsWith(QStringLiteral("эквивалентная нагрузка, z = ")));
}
