#include "scheme/mesh_forces.h"

#include "analysis/scheme_inputs.h"
#include "analysis/scheme_store.h"
#include "store/database.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace tarnvel;

namespace {

const double kDeg = std::numbers::pi / 180;
const double kP = 10.0 / 3.0;

// Spur pinion, driving, shaft turning in direction 1: m 3, z 20/40, α 20°, T 100 N·m.
const CylindricalMeshInput kSpur { .module = 3,
    .teeth1 = 20,
    .teeth2 = 40,
    .pressureAngle = 20,
    .role = 1,
    .hand = 1,
    .direction = 1,
    .torques = { 100 },
    .weights = { 1 },
    .z = 75 };
// Straight bevel pinion, shafts at 90°: me 4, z 20/40, b 20, α 20°, T 100 N·m.
const ConicalMeshInput kBevel { .module = 4,
    .teeth1 = 20,
    .teeth2 = 40,
    .shaftAngle = 90,
    .pressureAngle = 20,
    .faceWidth = 20,
    .role = 1,
    .hand = 1,
    .orientation = 2,
    .direction = 1,
    .torques = { 100 },
    .weights = { 1 },
    .z = 40 };

MeshForces computed(const MeshOutcome &outcome)
{
    EXPECT_EQ(outcome.status, MeshStatus::Ok);
    return outcome.forces;
}

void expectForces(const MeshForces &f, const ModeForces &e, double x, double y, const char *what)
{
    ASSERT_FALSE(f.modes.isEmpty()) << what;
    const ModeForces &m = f.modes[0];
    for (double ModeForces::*component : { &ModeForces::Ft, &ModeForces::Fr, &ModeForces::Fa, &ModeForces::Fx, &ModeForces::Fy, &ModeForces::Fz })
        EXPECT_NEAR(m.*component, e.*component, 1e-5) << what;
    EXPECT_NEAR(f.x, x, 1e-6) << what;
    EXPECT_NEAR(f.y, y, 1e-6) << what;
    // One mode of weight 1: the equivalents are that mode's projections.
    EXPECT_NEAR(f.FxEq, m.Fx, 1e-9) << what;
    EXPECT_NEAR(f.FyEq, m.Fy, 1e-9) << what;
    EXPECT_NEAR(f.FzEq, m.Fz, 1e-9) << what;
}

} // namespace

TEST(Involute, MatchesTheTablesBothWays)
{
    // Involute tables (Machinery's Handbook): inv 14.5° = 0.005545, 20° = 0.014904,
    // 25° = 0.029975, 35° = 0.089342.
    const std::pair<double, double> table[]
        = { { 14.5, 0.005545 }, { 20, 0.014904 }, { 25, 0.029975 }, { 35, 0.089342 } };
    for (auto [degrees, involute] : table) {
        EXPECT_NEAR(Involute(DegToRad(degrees)), involute, 5e-7) << degrees;
        EXPECT_NEAR(InverseInvolute(Involute(DegToRad(degrees))).value_or(0) / kDeg, degrees, 1e-6) << degrees;
    }
    // Steep angles too: inv 80° = tan 80° − 80·π/180 = 4.275018.
    EXPECT_NEAR(InverseInvolute(4.275018).value_or(0) / kDeg, 80, 1e-5);
    // Above inv ≈ 1e4 (the start just below 90°) Newton's steps jump across the
    // poles of tan θ; far up the 1e-11 test is finer than the doubles.
    EXPECT_FALSE(InverseInvolute(1e6).has_value());
    EXPECT_FALSE(InverseInvolute(1000).has_value());
    EXPECT_FALSE(InverseInvolute(std::nan("")).has_value());
    // Newton's steps start at π/2 − 0.0001 with π cut to 15 digits and stop once
    // |f| < 1e-11: for inv 15° they stop 6.15e-11 rad above 15° (the same steps
    // in Python), and the report's last digits come from that angle.
    EXPECT_EQ(InverseInvolute(Involute(DegToRad(15))), 0.26179938786065315);
}

TEST(CylindricalMesh, ByHand)
{
    // Spur: d = m·z1 = 60, Ft = 2000·T/d, Fr = Ft·tan 20°. Helical (Shigley):
    // d = m·z1/cos β = 51.763809, Fr = Ft·tan αn/cos β, Fa = Ft·tan β. At φ = 0:
    // Fx = −Fr, Fy = c·Ft; at φ = 90°: Fx = −c·Ft, Fy = −Fr, x = 0.
    CylindricalMeshInput helical = kSpur;
    helical.module = 2;
    helical.teeth1 = 25;
    helical.teeth2 = 50;
    helical.helixAngle = 15;
    helical.torques = { 200 };
    CylindricalMeshInput upright = kSpur;
    upright.positionAngle = 90;
    expectForces(computed(CylindricalMeshForces(kSpur)), { 3333.333333, 1213.234114, 0, -1213.234114, 3333.333333, 0 },
        30, 0, "spur");
    expectForces(computed(CylindricalMeshForces(helical)),
        { 7727.406610, 2911.761874, 2070.552361, -2911.761874, 7727.406610, 2070.552361 }, 25.8819045, 0, "helical");
    expectForces(computed(CylindricalMeshForces(upright)),
        { 3333.333333, 1213.234114, 0, -3333.333333, -1213.234114, 0 }, 0, 30, "at 90°");
    EXPECT_EQ(computed(CylindricalMeshForces(upright)).x, 0);
}

TEST(CylindricalMesh, ShiftedGearsMeshOnTheWorkingPitchCircle)
{
    // inv αtw − inv αt = 2(x1 + x2)·tan α/(z1 + z2); the base circle stays,
    // d·cos αtw = m·z1·cos αt/cos β; and Fr = Ft·tan αtw.
    const std::tuple<double, double, double> cases[] = { { 0.5, 0.5, 0 }, { 0.3, -0.1, 12 }, { -0.2, -0.2, 0 } };
    for (auto [x1, x2, helix] : cases) {
        CylindricalMeshInput in = kSpur;
        in.shift1 = x1;
        in.shift2 = x2;
        in.helixAngle = helix;
        const MeshForces f = computed(CylindricalMeshForces(in));
        const double alpha = 20 * kDeg;
        const double alphaT = std::atan(std::tan(alpha) / std::cos(helix * kDeg));
        const double alphaTw = std::atan(f.modes[0].Fr / f.modes[0].Ft);
        EXPECT_NEAR(Involute(alphaTw) - Involute(alphaT), 2 * (x1 + x2) * std::tan(alpha) / 60, 1e-9);
        EXPECT_NEAR(2 * f.x * std::cos(alphaTw), 60 * std::cos(alphaT) / std::cos(helix * kDeg), 1e-9);
        EXPECT_NEAR(f.modes[0].Ft, 200000 / (2 * f.x), 1e-9);
    }
}

TEST(CylindricalMesh, SignsFollowDirectionRoleAndHand)
{
    // At φ = 0 and β 10°: Fy = c·Ft, Fz = a·Fa, Fx = −Fr whatever the codes.
    const int table[][5] = { // direction, role, hand, c, a
        { 1, 1, 1, 1, 1 }, { 1, 1, 2, 1, -1 }, { 1, 2, 1, -1, -1 }, { 2, 1, 1, -1, -1 }, { 2, 2, 1, 1, 1 },
        { 2, 2, 2, 1, -1 }, { 3, 1, 1, 0, 0 }, { 1, 0, 2, 0, 0 }
    };
    for (const auto &row : table) {
        CylindricalMeshInput in = kSpur;
        in.helixAngle = 10;
        in.direction = row[0];
        in.role = row[1];
        in.hand = row[2];
        const ModeForces m = computed(CylindricalMeshForces(in)).modes[0];
        EXPECT_DOUBLE_EQ(m.Fy, row[3] * m.Ft) << row[0] << row[1] << row[2];
        EXPECT_DOUBLE_EQ(m.Fz, row[4] * m.Fa) << row[0] << row[1] << row[2];
        EXPECT_DOUBLE_EQ(m.Fx, -m.Fr) << row[0] << row[1] << row[2];
    }
}

TEST(EquivalentForces, PowerMeanOverTheModesSignedByTheLast)
{
    // Torques T and 2T, equal weights: F_eq = (0.5·(|F1|^p + |F2|^p))^(1/p), p = 10/3.
    auto mean = [](double f1, double f2) {
        return std::pow(0.5 * (std::pow(std::abs(f1), kP) + std::pow(std::abs(f2), kP)), 1 / kP);
    };
    CylindricalMeshInput in = kSpur;
    in.helixAngle = 10;
    in.positionAngle = 30;
    in.torques = { 100, 200 };
    in.weights = { 0.5, 0.5 };
    MeshForces f = computed(CylindricalMeshForces(in));
    EXPECT_NEAR(f.FxEq, -mean(f.modes[0].Fx, f.modes[1].Fx), 1e-9);
    EXPECT_NEAR(f.FyEq, mean(f.modes[0].Fy, f.modes[1].Fy), 1e-9);
    EXPECT_NEAR(f.FzEq, mean(f.modes[0].Fz, f.modes[1].Fz), 1e-9);

    in.torques = { 100, -200 }; // a reversed last mode turns the equivalent round
    f = computed(CylindricalMeshForces(in));
    EXPECT_LT(f.FyEq, 0);
    EXPECT_LT(f.FzEq, 0);
    in.torques = { -100, 0 }; // a zero last mode counts as positive
    f = computed(CylindricalMeshForces(in));
    EXPECT_EQ(f.modes[1], ModeForces {});
    EXPECT_NEAR(f.FyEq, std::pow(0.5, 1 / kP) * std::abs(f.modes[0].Fy), 1e-9);
}

TEST(ConicalMesh, ByHand)
{
    // Σ = 90°: tan δ = z1/z2 = 0.5, d = m·z1 − b·sin δ = 71.055728, Ft = 2000·T/d.
    // Straight bevel (Shigley): Fa = Ft·tan α·sin δ, Fr = Ft·tan α·cos δ (the
    // codes' signs are in the table below). Spiral (Gleason), β 35°, k = +1:
    // Fa = Ft·(tan α·sin δ + sin β·cos δ)/cos β, Fr = Ft·(tan α·cos δ − sin β·sin δ)/cos β.
    // x = d/2 to 3 decimals; at φ = 180° it stays negative and y becomes 0.
    ConicalMeshInput spiral = kBevel;
    spiral.spiralAngle = 35;
    ConicalMeshInput opposite = kBevel;
    opposite.positionAngle = 180;
    expectForces(computed(ConicalMeshForces(kBevel)),
        { 2814.692149, 916.308602, 458.154301, -916.308602, 2814.692149, 458.154301 }, 35.528, 0, "straight");
    expectForces(computed(ConicalMeshForces(spiral)),
        { 2814.692149, 237.206996, 2322.101648, -237.206996, 2814.692149, 2322.101648 }, 35.528, 0, "spiral");
    expectForces(computed(ConicalMeshForces(opposite)),
        { 2814.692149, 916.308602, 458.154301, 916.308602, -2814.692149, 458.154301 }, -35.528, 0, "at 180°");
    ConicalMeshInput upright = kBevel;
    upright.positionAngle = 90;
    EXPECT_EQ(computed(ConicalMeshForces(upright)).y, 35.528);
    EXPECT_EQ(computed(ConicalMeshForces(upright)).x, 0);
}

TEST(ConicalMesh, MeanDiameterForAnyShaftAngle)
{
    // Law of sines in the pitch cones: Re = m·z1/(2·sin δ) with
    // tan δ = sin Σ/(cos Σ + z2/z1), so d = m·z1 − b·sin δ at any Σ and either role.
    const std::tuple<double, int, int, int> cases[]
        = { { 60, 18, 30, 1 }, { 60, 18, 30, 2 }, { 120, 30, 17, 1 }, { 75, 25, 25, 2 } };
    for (auto [sigma, z1, z2, role] : cases) {
        ConicalMeshInput in = kBevel;
        in.shaftAngle = sigma;
        in.teeth1 = z1;
        in.teeth2 = z2;
        in.role = role;
        const double s = sigma * kDeg;
        const double d = 4 * z1 - 20 * std::sin(std::atan(std::sin(s) / (std::cos(s) + double(z2) / z1)));
        const MeshForces f = computed(ConicalMeshForces(in));
        EXPECT_NEAR(f.modes[0].Ft, 200000 / d, 1e-6) << sigma << " " << role;
        EXPECT_NEAR(f.x, d / 2, 0.0005 + 1e-12) << sigma << " " << role;
    }
}

TEST(ConicalMesh, SignsFollowTheCodes)
{
    // k = ±c by the hand when direction, role and hand are all codes, else +1;
    // orientation 1 turns k round and stores −Fa. At φ = 0 and β 35°:
    // Fy = c·Ft and Fa = Ft·(k·tan β·cos δ + tan α·sin δ/cos β).
    const int table[][6] = { // direction, role, hand, orientation, c, k
        { 1, 1, 1, 2, 1, 1 }, { 1, 1, 2, 2, 1, -1 }, { 2, 1, 1, 2, -1, -1 }, { 1, 2, 1, 2, -1, -1 },
        { 2, 2, 2, 2, 1, -1 }, { 1, 1, 1, 1, 1, -1 }, { 3, 1, 1, 2, -1, 1 }, { 1, 3, 1, 2, 0, 1 },
        { 1, 3, 1, 1, 0, -1 }, { 1, 1, 0, 2, 1, 1 }
    };
    const double delta = std::atan(0.5);
    for (const auto &row : table) {
        ConicalMeshInput in = kBevel;
        in.spiralAngle = 35;
        in.direction = row[0];
        in.role = row[1];
        in.hand = row[2];
        in.orientation = row[3];
        const ModeForces m = computed(ConicalMeshForces(in)).modes[0];
        const double fa = m.Ft
            * (row[5] * std::tan(35 * kDeg) * std::cos(delta)
                + std::tan(20 * kDeg) * std::sin(delta) / std::cos(35 * kDeg));
        EXPECT_NEAR(m.Fa, fa, 1e-6) << row[0] << row[1] << row[2] << row[3];
        EXPECT_DOUBLE_EQ(m.Fy, row[4] * m.Ft) << row[0] << row[1] << row[2] << row[3];
        EXPECT_DOUBLE_EQ(m.Fz, row[3] == 2 ? m.Fa : -m.Fa) << row[0] << row[1] << row[2] << row[3];
    }
}

TEST(MeshGeometry, ImpossibleGearDataAreReported)
{
    auto cylindrical = [](void (*change)(CylindricalMeshInput &)) {
        CylindricalMeshInput in = kSpur;
        change(in);
        const MeshOutcome outcome = CylindricalMeshForces(in);
        return outcome.status == MeshStatus::InconsistentGearData ? outcome.parameterId : -1;
    };
    auto conical = [](void (*change)(ConicalMeshInput &)) {
        ConicalMeshInput in = kBevel;
        change(in);
        const MeshOutcome outcome = ConicalMeshForces(in);
        return outcome.status == MeshStatus::InconsistentGearData ? outcome.parameterId : -1;
    };
    EXPECT_EQ(cylindrical([](CylindricalMeshInput &in) { in.helixAngle = 90; }), 14);
    EXPECT_EQ(cylindrical([](CylindricalMeshInput &in) { in.module = 0; }), 11);
    EXPECT_EQ(cylindrical([](CylindricalMeshInput &in) { in.teeth1 = 0; }), 12);
    EXPECT_EQ(cylindrical([](CylindricalMeshInput &in) { in.teeth2 = -20; }), 13);
    // inv αtw = 2·(−3)·tan 20°/60 + inv 20° < 0: no working pressure angle.
    EXPECT_EQ(cylindrical([](CylindricalMeshInput &in) { in.shift1 = in.shift2 = -1.5; }), 0);
    EXPECT_EQ(conical([](ConicalMeshInput &in) { in.shaftAngle = 180; }), 26);
    EXPECT_EQ(conical([](ConicalMeshInput &in) { in.shaftAngle = 0; }), 26);
    EXPECT_EQ(conical([](ConicalMeshInput &in) { in.spiralAngle = 90; }), 24);
    EXPECT_EQ(conical([](ConicalMeshInput &in) { in.teeth2 = 0; }), 23);
    // A negative module is the module's fault, not the face width's or the forces' sign.
    EXPECT_EQ(cylindrical([](CylindricalMeshInput &in) { in.module = -3; }), 11);
    EXPECT_EQ(conical([](ConicalMeshInput &in) { in.module = -4; }), 21);
    // Re = (4/2)·√(20² + 40²): a face of 2·Re leaves no mean cone.
    EXPECT_EQ(conical([](ConicalMeshInput &in) { in.faceWidth = 4 * std::sqrt(2000.0); }), 27);
    EXPECT_EQ(conical([](ConicalMeshInput &in) { in.faceWidth = 4 * std::sqrt(2000.0) * (1 - 1e-11); }), 27); // rounding's worth short
    // A module so small that 2000/d overflows is the gear data's fault even
    // with a modest torque; forces beyond range from sound gears are the loads'.
    EXPECT_EQ(cylindrical([](CylindricalMeshInput &in) { in.module = 1e-320; }), 0);
    for (const double torque : { 1e306, -1e306 }) {
        CylindricalMeshInput spur = kSpur;
        spur.torques = { 100, torque };
        spur.weights = { 0.5, 0.5 };
        EXPECT_EQ(CylindricalMeshForces(spur).status, MeshStatus::LoadsOutOfRange) << torque;
        ConicalMeshInput bevel = kBevel;
        bevel.torques = { torque };
        EXPECT_EQ(ConicalMeshForces(bevel).status, MeshStatus::LoadsOutOfRange) << torque;
    }
}

namespace {

class MeshStoreTest : public test::SchemeStore
{
protected:
    // "ParameterID value RezNumber" in the order the rows were written.
    QStringList storedRows(int pid)
    {
        return test::rows(*db, QStringLiteral("SELECT ParameterID, ParameterValue, RezNumber FROM PointForses "
                                              "WHERE PointID = %1 ORDER BY rowid").arg(pid));
    }
    // What the calculation takes of a gear point's stored data.
    MeshPointInputs meshInputs(qint64 pid) { return readScheme(*db).point(pid)->mesh; }
};

} // namespace

TEST_F(MeshStoreTest, StoresSixRowsPerModeThenTheEquivalents)
{
    MeshForces f { .modes = { { 1, 2, 3, 4, 5, 6 }, { 0.5, -1e-8, 0, 2.25, -5, 6 } },
        .x = 30,
        .y = -0.125,
        .z = 75,
        .FxEq = 3.5,
        .FyEq = -5,
        .FzEq = 6 };
    for (const char *row : { "7, 35, 99, 3", "8, 35, 99, 1" })
        db->execute(QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) VALUES (%1)").arg(QLatin1String(row)));
    StoreMeshForces(*db, 7, f);
    EXPECT_EQ(storedRows(7),
        QStringList({ "35 1 1", "36 2 1", "37 3 1", "8 4 1", "9 5 1", "10 6 1", "35 0.5 2", "36 -1E-08 2", "37 0 2",
            "8 2.25 2", "9 -5 2", "10 6 2", "5 30 -1", "6 -0.125 -1", "7 75 -1", "46 3.5 -1", "47 -5 -1", "48 6 -1" }));
    EXPECT_EQ(storedRows(8), QStringList({ "35 99 1" })); // other points keep theirs
    StoreMeshForces(*db, 7, MeshForces {});
    EXPECT_TRUE(storedRows(7).isEmpty());
}

TEST_F(MeshStoreTest, GearDataAreReadAsThePointShowsThem)
{
    // Choice 2 of α shows "25°", of the hand "2 - левое"; whole numbers round
    // halves to even (20.5 teeth → 20); torques in kgf·m with force unit 2.
    const int cylinder = addPoint(1, 3,
        { { 11, 2.5 }, { 12, 20.5 }, { 13, 41 }, { 14, 8 }, { 15, 2 }, { 16, 0.25 }, { 17, -0.1 }, { 18, 2 }, { 19, 2 },
            { 20, 45 }, { 33, 12.5 } });
    setCommon(4, 2);
    setCommon(38, 2);
    addPowers(cylinder, 1, 1000, 1, { { 3, 10 } });
    MeshPointInputs in = meshInputs(cylinder);
    ASSERT_EQ(in.status, MeshStatus::Ok);
    EXPECT_EQ(in.powerId, 3);
    EXPECT_EQ(in.cylindrical,
        (CylindricalMeshInput { .module = 2.5,
            .teeth1 = 20,
            .teeth2 = 41,
            .pressureAngle = 25,
            .helixAngle = 8,
            .shift1 = 0.25,
            .shift2 = -0.1,
            .positionAngle = 45,
            .role = 2,
            .hand = 2,
            .direction = 2,
            .torques = { 10 },
            .weights = { 1 },
            .z = 12.5 }));

    // An enumerated datum without a row shows its choice 1: α = 20°.
    db->execute(QStringLiteral("DELETE FROM CommonParameters"));
    setCommon(38, 1);
    const int cone = addPoint(1, 4,
        { { 21, 4 }, { 22, 20 }, { 23, 40 }, { 24, 35 }, { 26, 90 }, { 27, 20 }, { 28, 2 }, { 30, 1 }, { 31, 1 },
            { 32, 180 }, { 34, 40 } });
    addPowers(cone, 1, 1000, 1, { { 4, 100 } });
    in = meshInputs(cone);
    EXPECT_EQ(ComputeMeshForces(in).status, MeshStatus::Ok);
    ConicalMeshInput expected = kBevel;
    expected.spiralAngle = 35;
    expected.positionAngle = 180;
    EXPECT_EQ(in.conical, expected);
    db->execute(QStringLiteral("UPDATE PointParameters SET ParValue = 0 WHERE ParameterID = 24")); // a straight bevel
    EXPECT_EQ(ComputeMeshForces(meshInputs(cone)).status, MeshStatus::Ok);
    // Without its module, teeth, shaft angle or face width a bevel gear is incomplete: the
    // first of them in that order is named.
    for (int id : { 27, 26, 23, 22, 21 }) {
        db->execute(QStringLiteral("UPDATE PointParameters SET ParValue = 0 WHERE ParameterID = %1").arg(id));
        const MeshOutcome outcome = ComputeMeshForces(meshInputs(cone));
        EXPECT_TRUE(outcome.status == MeshStatus::ZeroParameter && outcome.parameterId == id) << id;
    }
}

// Those the workbench sends the engineer to (no loads, no direction, no
// module) are checked through it in analysis_commands_test.
TEST_F(MeshStoreTest, StopsNameTheMissingInput)
{
    const struct
    {
        const char *what;
        double unit, direction, speed; // general parameters 4 and 38 (0: no row); speed < 0: no modes
        QString change;
        MeshStatus status;
        int parameterId;
    } cases[] = {
        { "bad force unit", 3, 1, 1000, {}, MeshStatus::BadForceUnit, 4 },
        { "no kgf rows", 2, 1, 1000, {}, MeshStatus::NoModes, 0 },
        { "zero speed", 1, 1, 0, {}, MeshStatus::ZeroSpeedSum, 0 },
        { "no teeth", 1, 1, 1000, "SET ParValue = 0 WHERE ParameterID = 12", MeshStatus::ZeroParameter, 12 },
        { "no mating teeth", 1, 2, 1000, "SET ParValue = 0 WHERE ParameterID = 13", MeshStatus::ZeroParameter, 13 },
        { "shifts too negative", 1, 1, 1000, "SET ParValue = -1.5 WHERE ParameterID = 16 OR ParameterID = 17",
            MeshStatus::InconsistentGearData, 0 },
    };
    for (const auto &c : cases) {
        for (const char *table : { "CommonParameters", "Powers", "PointParameters", "Points" })
            db->execute(QStringLiteral("DELETE FROM ") + QLatin1String(table));
        const qint64 pid = addSpurGear(1, 75);
        if (c.unit != 0)
            setCommon(4, c.unit);
        if (c.direction != 0)
            setCommon(38, c.direction);
        if (c.speed >= 0)
            addPowers(pid, 1, c.speed, 1, { { 4, 100 } });
        if (!c.change.isEmpty())
            db->execute(QStringLiteral("UPDATE PointParameters ") + c.change);
        const MeshOutcome outcome = ComputeMeshForces(meshInputs(pid));
        EXPECT_EQ(outcome.status, c.status) << c.what;
        EXPECT_EQ(outcome.parameterId, c.parameterId) << c.what;
    }
}
