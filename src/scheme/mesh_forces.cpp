#include "scheme/mesh_forces.h"

#include "scheme/load_modes.h"
#include "store/database.h"
#include "store/numbers.h"

#include <QHash>

#include <QMap>

#include <algorithm>
#include <cmath>

namespace tarnvel {

namespace {

constexpr double kPi = 3.14159265358979;

// Newton settles in well under 30 steps for any mesh that exists; far more
// than that means it is wandering across the poles of tan θ.
constexpr int kNewtonLimit = 200;

// With π cut to 15 digits, cos 90° comes out near 1e-15 instead of 0, and a
// difference of lengths that should vanish leaves a residue of the same order.
// Anything this small (relative to 1) is a zero the rounding hid; dividing by
// it would give forces of 1e15 and more.
constexpr double kVanishing = 1e-9;


MeshOutcome inconsistent(int parameterId)
{
    MeshOutcome outcome;
    outcome.status = MeshStatus::InconsistentGearData;
    outcome.parameterId = parameterId;
    return outcome;
}

bool finite(const ModeForces &m);

bool finite(const MeshForces &f)
{
    for (const ModeForces &m : f.modes) {
        if (!finite(m))
            return false;
    }
    for (double v : { f.x, f.y, f.z, f.FxEq, f.FyEq, f.FzEq })
        if (!std::isfinite(v))
            return false;
    return true;
}

// The equivalent projection keeps the direction the shaft sees in the last
// mode; a zero there counts as positive.
double signOf(double value) { return value < 0 ? -1.0 : 1.0; }

// Weighted power mean of the projections over the modes, exponent p = 10/3:
// (Σ w·|F|^p)^(1/p).
void addEquivalents(MeshForces &f, const QVector<double> &weights)
{
    const double p = kEquivalentLoadExponent;
    double sx = 0;
    double sy = 0;
    double sz = 0;
    for (qsizetype i = 0; i < f.modes.size(); ++i) {
        const ModeForces &m = f.modes.at(i);
        const double w = weights.value(i);
        sx += w * std::pow(std::abs(m.Fx), p);
        sy += w * std::pow(std::abs(m.Fy), p);
        sz += w * std::pow(std::abs(m.Fz), p);
    }
    const ModeForces last = f.modes.isEmpty() ? ModeForces {} : f.modes.last();
    f.FxEq = signOf(last.Fx) * std::pow(sx, 1.0 / p);
    f.FyEq = signOf(last.Fy) * std::pow(sy, 1.0 / p);
    f.FzEq = signOf(last.Fz) * std::pow(sz, 1.0 / p);
}

bool finite(const ModeForces &m)
{
    for (double v : { m.Ft, m.Fr, m.Fa, m.Fx, m.Fy, m.Fz })
        if (!std::isfinite(v))
            return false;
    return true;
}

// `unit` is the mode a torque of 1 N·m gives: when it is finite the geometry
// is sound, and forces out of range come from the loads and modes.
MeshOutcome finish(MeshForces forces, const QVector<double> &weights, const ModeForces &unit)
{
    addEquivalents(forces, weights);
    if (!finite(forces)) {
        if (!finite(unit))
            return inconsistent(0);
        MeshOutcome outcome;
        outcome.status = MeshStatus::LoadsOutOfRange;
        return outcome;
    }
    MeshOutcome outcome;
    outcome.forces = std::move(forces);
    return outcome;
}

QString number(int value) { return QString::number(value); }

// One PointForses row; a value beyond the range of numbers is kept empty.
void addForce(QVariantList &rows, int pointId, int parameterId, double value, int rez)
{
    rows << pointId << parameterId << (std::isfinite(value) ? QVariant(value) : QVariant()) << rez;
}

// A point's rows go in a few dozen per statement: one statement per row costs
// more than the row.
void insertForces(Database &db, const QVariantList &rows)
{
    constexpr qsizetype kColumns = 4;
    constexpr qsizetype kRowsPerStatement = 64;
    const qsizetype count = rows.size() / kColumns;
    for (qsizetype first = 0; first < count; first += kRowsPerStatement) {
        const qsizetype n = std::min(kRowsPerStatement, count - first);
        QString statement = QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) VALUES (?, ?, ?, ?)");
        for (qsizetype i = 1; i < n; ++i)
            statement += QStringLiteral(", (?, ?, ?, ?)");
        db.execute(statement, rows.mid(first * kColumns, n * kColumns));
    }
}

// The gear data of one point as its view shows them: the stored number (as
// its 15-digit text reads), or for an enumerated parameter the caption of the
// chosen entry (choice 1 while the value is 0), read by its leading number.
class ShownParameters
{
public:
    ShownParameters(const QHash<int, double> &values, const QMap<std::pair<int, double>, QString> &choices)
        : m_values(values)
        , m_choices(choices)
    {
    }

    double real(int parameterId) const
    {
        const double value = m_values.value(parameterId, 0.0);
        // An infinity stored by another program shows as no number at all.
        if (!std::isfinite(value))
            return 0.0;
        const auto choice = m_choices.constFind({ parameterId, value == 0 ? 1.0 : value });
        return choice == m_choices.constEnd() ? value : leadingNumber(*choice);
    }
    int whole(int parameterId) const { return wholeNumber(real(parameterId)); }

private:
    const QHash<int, double> &m_values;
    const QMap<std::pair<int, double>, QString> &m_choices;
};

} // namespace

double DegToRad(double degrees) { return degrees * kPi / 180; }

double Involute(double theta) { return std::tan(theta) - theta; }

std::optional<double> InverseInvolute(double value)
{
    // inv θ is convex on (0, 90°): from just below 90° Newton's steps come down
    // monotonically onto the root whenever one exists there.
    double theta = kPi / 2 - 0.0001;
    double f = std::tan(theta) - theta - value;
    for (int step = 0; step < kNewtonLimit; ++step) {
        if (!std::isfinite(f))
            return std::nullopt;
        if (std::abs(f) < 1e-11)
            return theta;
        const double slope = std::tan(theta) * std::tan(theta); // d(inv θ)/dθ = tan²θ
        if (slope == 0)
            return std::nullopt;
        theta = theta - f / slope;
        f = std::tan(theta) - theta - value;
    }
    return std::nullopt;
}

MeshOutcome CylindricalMeshForces(const CylindricalMeshInput &in)
{
    if (!(in.module > 0)) // a negative module would turn the forces round
        return inconsistent(11);
    if (in.teeth1 == 0)
        return inconsistent(12);
    // Summed as wide integers: counts near the limit of int from a damaged
    // file must not wrap round.
    if (in.teeth2 == 0 || qint64{in.teeth1} + in.teeth2 == 0)
        return inconsistent(13);

    const double alpha = DegToRad(in.pressureAngle);
    const double beta = DegToRad(in.helixAngle);
    const double phi = DegToRad(in.positionAngle);
    if (std::abs(std::cos(beta)) < kVanishing)
        return inconsistent(14);

    // Transverse pressure angle, then the working one from the shifted tooth
    // thickness: inv αtw = 2(x1 + x2) tan α / (z1 + z2) + inv αt.
    const double alphaT = std::atan(std::tan(alpha) / std::cos(beta));
    const double z1 = in.teeth1;
    const double z2 = in.teeth2;
    const double v = 2 * (in.shift1 + in.shift2) * std::tan(alpha) / (z1 + z2) + Involute(alphaT);
    const std::optional<double> working = InverseInvolute(v);
    // A working pressure angle that is not between 0 and 90° means the shifts
    // pull the centres closer than the teeth allow.
    if (!working || *working <= 0 || std::abs(std::cos(*working)) < kVanishing)
        return inconsistent(0);
    const double alphaTw = *working;

    const double aw = (z1 + z2) * in.module * std::cos(alphaT) / (2 * std::cos(beta) * std::cos(alphaTw));
    // Working pitch diameter of this gear, 2·aw·z1/(z1 + z2), written per role
    // as the gear ratio seen from that gear.
    const double d = in.role == 1 ? 2 * aw / (z2 / z1 + 1) : 2 * aw * (z1 / z2) / (z1 / z2 + 1);
    if (!std::isnormal(d)) // none, or a diameter no force can be divided by
        return inconsistent(0);

    MeshForces forces;
    forces.x = d / 2 * std::cos(phi);
    forces.y = d / 2 * std::sin(phi);
    // cos 90° with a 15-digit π is not quite zero; a mesh on an axis sits on it.
    if (std::abs(forces.x) <= 0.001)
        forces.x = 0;
    if (std::abs(forces.y) <= 0.001)
        forces.y = 0;
    forces.z = in.z;

    // Ft acts against the rotation on a driving gear and with it on a driven
    // one; the axial force follows Ft and the hand of the teeth.
    int c = 0;
    if ((in.direction == 1 && in.role == 1) || (in.direction == 2 && in.role == 2))
        c = 1;
    else if ((in.direction == 1 && in.role == 2) || (in.direction == 2 && in.role == 1))
        c = -1;
    const int a = in.hand == 1 ? c : -c;

    const auto mode = [&](double torque) {
        ModeForces m;
        m.Ft = torque * 2000 / d; // N·m over mm: the 2000 is 2 × 1000 mm/m
        m.Fr = m.Ft * std::tan(alphaTw);
        m.Fa = m.Ft * std::tan(beta);
        m.Fx = -c * m.Ft * std::sin(phi) - m.Fr * std::cos(phi);
        m.Fy = c * m.Ft * std::cos(phi) - m.Fr * std::sin(phi);
        m.Fz = a * m.Fa;
        return m;
    };
    for (double torque : in.torques)
        forces.modes.append(mode(torque));
    return finish(std::move(forces), in.weights, mode(1));
}

MeshOutcome ConicalMeshForces(const ConicalMeshInput &in)
{
    if (!(in.module > 0))
        return inconsistent(21);
    if (in.teeth1 == 0)
        return inconsistent(22);
    if (in.teeth2 == 0)
        return inconsistent(23);

    const double sigma = DegToRad(in.shaftAngle);
    const double beta = DegToRad(in.spiralAngle);
    const double alpha = DegToRad(in.pressureAngle);
    const double phi = DegToRad(in.positionAngle);
    // Parallel or opposed axes (0° or 180°) have no cone apex.
    if (std::abs(std::sin(sigma)) < kVanishing)
        return inconsistent(26);
    if (std::abs(std::cos(beta)) < kVanishing)
        return inconsistent(24);

    const double z1 = in.teeth1;
    const double z2 = in.teeth2;
    // Pitch cone angle of this gear, tan δ = sin Σ / (cos Σ + z2/z1), written
    // per role as the ratio seen from that gear.
    double delta = 0;
    if (in.role == 1) {
        delta = std::atan(std::sin(sigma) / (std::cos(sigma) + z2 / z1));
    } else {
        const double u = z1 / z2;
        delta = std::atan(u * std::sin(sigma) / (u * std::cos(sigma) + 1));
    }
    const double re = in.module / 2 * std::sqrt(z1 * z1 + z2 * z2 + 2 * z1 * z2 * std::cos(sigma)) / std::sin(sigma);
    const double rm = re - in.faceWidth / 2;
    // A face that reaches the apex leaves no mean cone to carry the load (and
    // one beyond it would turn every force round).
    if (!(rm > kVanishing * std::abs(re)))
        return inconsistent(27);
    const double d = 2 * rm * std::sin(delta); // mean pitch diameter, where the forces act
    if (!std::isnormal(d))
        return inconsistent(0);

    MeshForces forces;
    forces.x = roundHalfEven(d / 2 * std::cos(phi), 3);
    forces.y = roundHalfEven(d / 2 * std::sin(phi), 3);
    if (std::abs(forces.x) < 0.001)
        forces.x = 0;
    if (std::abs(forces.y) < 0.001)
        forces.y = 0;
    forces.z = in.z;

    int c = 0;
    if (in.role == 1)
        c = in.direction == 1 ? 1 : -1;
    else if (in.role == 2)
        c = in.direction == 1 ? -1 : 1;
    // k: whether the spiral pushes the gear towards or away from its apex.
    auto isCode = [](int code) { return code == 1 || code == 2; };
    int k = 1;
    if (isCode(in.direction) && isCode(in.role) && isCode(in.hand))
        k = in.hand == 1 ? c : -c;
    if (in.orientation == 1)
        k = -k;

    const double tanB = std::tan(beta);
    const double tanA = std::tan(alpha);
    const double cosB = std::cos(beta);
    const auto mode = [&](double torque) {
        ModeForces m;
        m.Ft = torque * 2000 / d;
        // Fa and Fr keep their sign: a spiral can pull the gear into mesh.
        m.Fa = (k * tanB * std::cos(delta) + tanA * std::sin(delta) / cosB) * m.Ft;
        m.Fr = (-k * tanB * std::sin(delta) + tanA * std::cos(delta) / cosB) * m.Ft;
        m.Fx = -c * m.Ft * std::sin(phi) - m.Fr * std::cos(phi);
        m.Fy = c * m.Ft * std::cos(phi) - m.Fr * std::sin(phi);
        // The axial force points from the apex to the back of the cone.
        m.Fz = in.orientation == 2 ? m.Fa : -m.Fa;
        return m;
    };
    for (double torque : in.torques)
        forces.modes.append(mode(torque));
    return finish(std::move(forces), in.weights, mode(1));
}

void StoreMeshForces(Database &db, int pointId, const MeshForces &forces)
{
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM PointForses WHERE PointID = ") + number(pointId));
    if (!forces.modes.isEmpty()) {
        QVariantList rows;
        for (qsizetype i = 0; i < forces.modes.size(); ++i) {
            const ModeForces &m = forces.modes.at(i);
            const int rez = static_cast<int>(i) + 1;
            addForce(rows, pointId, 35, m.Ft, rez);
            addForce(rows, pointId, 36, m.Fr, rez);
            addForce(rows, pointId, 37, m.Fa, rez);
            addForce(rows, pointId, 8, m.Fx, rez);
            addForce(rows, pointId, 9, m.Fy, rez);
            addForce(rows, pointId, 10, m.Fz, rez);
        }
        addForce(rows, pointId, 5, forces.x, -1);
        addForce(rows, pointId, 6, forces.y, -1);
        addForce(rows, pointId, 7, forces.z, -1);
        addForce(rows, pointId, 46, forces.FxEq, -1);
        addForce(rows, pointId, 47, forces.FyEq, -1);
        addForce(rows, pointId, 48, forces.FzEq, -1);
        insertForces(db, rows);
    }
    transaction.commit();
}

MeshInputReader::MeshInputReader(Stored stored)
    : m(std::move(stored))
{
}

std::optional<int> MeshInputReader::torqueKind(const std::optional<double> &unit)
{
    // Torques are kept in both units; the force unit decides which rows count.
    if (!unit || *unit == 1)
        return 4;
    if (*unit == 2)
        return 3;
    return std::nullopt;
}

MeshPointInputs MeshInputReader::read(int pointId, int groupId) const
{
    MeshPointInputs in;
    in.groupId = groupId;
    auto stop = [&in](MeshStatus status, int parameterId = 0) {
        in.status = status;
        in.parameterId = parameterId;
        return in;
    };

    const std::optional<int> kind = torqueKind(m.unit);
    if (!kind)
        return stop(MeshStatus::BadForceUnit, 4);
    in.powerId = *kind;

    const QVector<TorqueRow> modes = m.torques.value(pointId);
    if (modes.isEmpty())
        return stop(MeshStatus::NoModes);

    QVector<double> torques;
    QVector<ModeSpeed> speeds;
    for (const TorqueRow &mode : modes) {
        torques.append(mode.torque);
        speeds.append(mode.speed);
    }
    in.eqSpeed = equivalentSpeed(speeds);
    if (in.eqSpeed == 0)
        return stop(MeshStatus::ZeroSpeedSum);
    const QVector<double> weights = modeWeights(speeds);

    if (!m.rotation)
        return stop(MeshStatus::NoDirection, 38);
    const int direction = wholeNumber(*m.rotation);

    if (groupId != 3 && groupId != 4)
        return stop(MeshStatus::NotAGearPoint);

    const auto values = m.values.constFind(pointId);
    const QHash<int, double> none;
    const ShownParameters p(values == m.values.constEnd() ? none : *values, m.choices);
    const QVector<int> required = groupId == 3 ? QVector<int> { 11, 12, 13 } : QVector<int> { 21, 22, 23, 26, 27 };
    for (int id : required)
        if (p.real(id) == 0)
            return stop(MeshStatus::ZeroParameter, id);

    if (groupId == 3) {
        CylindricalMeshInput &c = in.cylindrical;
        c.module = p.real(11);
        c.teeth1 = p.whole(12);
        c.teeth2 = p.whole(13);
        c.helixAngle = p.real(14);
        c.pressureAngle = p.real(15);
        c.shift1 = p.real(16);
        c.shift2 = p.real(17);
        c.hand = p.whole(18);
        c.role = p.whole(19);
        c.positionAngle = p.real(20);
        c.z = p.real(33);
        c.direction = direction;
        c.torques = torques;
        c.weights = weights;
    } else {
        ConicalMeshInput &c = in.conical;
        c.module = p.real(21);
        c.teeth1 = p.whole(22);
        c.teeth2 = p.whole(23);
        c.spiralAngle = p.real(24);
        c.pressureAngle = p.real(25);
        c.shaftAngle = p.real(26);
        c.faceWidth = p.real(27);
        c.orientation = p.whole(28);
        c.hand = p.whole(30);
        c.role = p.whole(31);
        c.positionAngle = p.real(32);
        c.z = p.real(34);
        c.direction = direction;
        c.torques = torques;
        c.weights = weights;
    }
    return in;
}

MeshOutcome ComputeMeshForces(const MeshPointInputs &inputs)
{
    if (inputs.status != MeshStatus::Ok) {
        MeshOutcome outcome;
        outcome.status = inputs.status;
        outcome.parameterId = inputs.parameterId;
        return outcome;
    }
    if (inputs.groupId == 3)
        return CylindricalMeshForces(inputs.cylindrical);
    if (inputs.groupId == 4)
        return ConicalMeshForces(inputs.conical);
    MeshOutcome outcome;
    outcome.status = MeshStatus::NotAGearPoint;
    return outcome;
}

} // namespace tarnvel
