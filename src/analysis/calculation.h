#pragma once

// The whole calculation of the shaft from the inputs in the store: the mesh
// forces of every gear point per mode with their equivalents, the equivalent
// projections of every free force, the support reactions, both bearings and,
// when asked for, the three moment diagrams. The results go back into the
// result tables in one transaction, so that what the store holds is always
// what the current inputs give: a result that cannot be computed any more is
// removed rather than left standing.

#include "analysis/bearing_life.h"
#include "analysis/moment_diagram.h"
#include "analysis/reactions.h"
#include "scheme/mesh_forces.h"

#include <QString>
#include <QVector>

#include <array>
#include <optional>

namespace tarnvel {

class Database;

// Where the user gives what is missing: the inline editor of a parameter row
// or the loads dialog of a point.
enum class InputEditor { None, InlineEditor, LoadsDialog };

enum class MissingKind {
    NoPoints, // the scheme has no loading point
    ForceUnit, // general parameter 4 is neither 1 nor 2
    Loads, // a gear point has no loads of the force unit's kind
    Speed, // Σ Speed·Coeff of a gear point's modes is 0
    Direction, // general parameter 38 has no value
    GearDatum, // a required gear datum is 0
    InconsistentGear, // the gear data of a point cannot mesh
    LoadsOutOfRange, // a gear point's loads drive its forces beyond the range of numbers
    SupportDistance, // general parameter 2 is missing or 0
    ReactionsNotFinite, // the reactions overflow: the inputs are out of range
    AxisLength, // the diagram axis (53, or L standing in) is not 1 … 32767 mm
};

// The first input the calculation found missing or invalid, with everything
// the workbench needs to ask for it: the message (information icon, title
// "Tarnvel"), the tree node to show and the row of that node to act on.
struct MissingInput
{
    MissingKind kind = MissingKind::NoPoints;
    QString message;
    QString nodeKey; // "Points", "Common" or a point's "3 N"
    QString rowKey; // "2 ID", "Power" …; empty: the node alone
    InputEditor editor = InputEditor::None;
    int pointNumber = 0;
    qint64 pointId = 0;
    int parameterId = 0;
};

struct PointResult
{
    qint64 pointId = 0;
    int number = 0;
    int group = 0; // 2 free force, 3 cylindrical, 4 conical
    MeshForces mesh; // gear points: per mode and equivalent
    PointForce force; // the equivalent force the reactions take
};

struct SupportResult
{
    bool chosen = false; // the support has a bearing of the catalogue
    BearingSettings settings;
    BearingResult result;
};

struct Calculation
{
    QVector<PointResult> points; // in point number order
    ForceArrays forces;
    double L = 0;
    Reactions reactions;
    std::array<SupportResult, 2> supports; // [0] left, [1] right
    // Σ Speed·Coeff over the shaft's modes: the speed the bearing lives are
    // computed for and the one their tables show.
    double eqSpeed = 0;
    QString unit; // caption of the force unit
    std::optional<MomentDiagrams> diagrams;
};

struct CalculationRequest
{
    // The supports node asks for L before it looks at the points.
    bool supportDistanceFirst = false;
    bool diagrams = false; // build the diagrams (the axis length must be valid)
};

struct CalculationOutcome
{
    std::optional<MissingInput> missing; // empty: everything was computed
    Calculation results; // as far as the calculation got
};

// Reads, computes and stores. Stops at the first missing or invalid input:
// the results reached before it are stored, the others removed.
CalculationOutcome runCalculation(Database &db, const CalculationRequest &request = {});

// The mesh forces of one gear point alone, computed and stored (the force
// table of a point needs no other point). The point's rows are removed when
// they cannot be computed.
struct PointForcesOutcome
{
    std::optional<MissingInput> missing;
    PointResult point;
    double eqSpeed = 0; // Σ Speed·Coeff of the point's modes, once they were read
};
PointForcesOutcome runPointForces(Database &db, qint64 pointId);

// The settings stored for a side (BearRep with its catalogue bearing), as
// confirming the bearing dialog unchanged would take them; nothing when the
// side has no bearing or the bearing is no longer in the catalogue.
std::optional<BearingSettings> storedBearingSettings(Database &db, int side);

// A coefficient as the bearing computation takes it, in single precision; a
// value beyond that range is no coefficient at all (0). A decimal comma is a
// point, as in every other field.
float bearingCoefficient(const QString &text);

// Why a bearing's life could not be computed, as the user is told; empty
// when it was.
QString bearingLifeProblem(const BearingFactors &factors, double alpha);

// A catalogue number as the bearing dialog's list shows it (empty for none).
QString catalogueText(const QVariant &value);

} // namespace tarnvel
