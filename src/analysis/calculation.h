#pragma once

// The whole calculation of the shaft as one value: the mesh forces of every
// gear point per mode with their equivalents, the equivalent projections of
// every free force, the support reactions (equivalent and per mode), both
// bearings with their static check and, when asked for, the three moment
// diagrams, with the rows the views and the report print. It is computed from
// the inputs alone (readScheme), and every output only formats it; its
// results go back into the result tables in one transaction, so that what
// the store holds is always what the current inputs give: a result that
// cannot be computed any more is removed rather than left standing.

#include "analysis/bearing_life.h"
#include "analysis/bearing_selection.h"
#include "analysis/moment_diagram.h"
#include "analysis/reactions.h"
#include "analysis/scheme_inputs.h"
#include "analysis/shaft_results.h"
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
    QString caption; // "Точка 3 (Цилиндрическое зацепление)"
    // A gear point whose forces cannot be computed: what to ask for.
    std::optional<MissingInput> missing;
    double eqSpeed = 0; // gear points: Σ Speed·Coeff of the point's modes
    MeshForces mesh; // gear points: per mode and equivalent, as stored
    PointForce force; // the equivalent force the reactions take, as stored
    // Each mode's force at the point's position (mode i + 1 at index i), as stored.
    QVector<PointForce> modeForces;
};

// A row of a result table: a caption with a text, or with one number (a size
// has three, shown "D x d x b"); an empty number could not be computed. A
// row without key, text and numbers is a heading.
struct ResultRow
{
    QString key; // the workbench's row key ("BFr", "BP0" …)
    QString caption;
    QString text;
    QVector<std::optional<double>> numbers;
    bool rounded = false; // shown rounded to `decimals` decimal places
    int decimals = 3;
    QString remark; // what the number is to be read with: its mode, place, allowed value
    bool exceeded = false; // the value fails its check
    bool operator==(const ResultRow &) const = default;

    // The number (or text) with its remark, as the views and the report show it.
    QString valueText() const;
};

struct SupportResult
{
    bool chosen = false; // the support has a bearing of the catalogue
    BearingSettings settings;
    BearingResult result;
    std::optional<StaticSafety> staticSafety;
    // The rows of the support's result table, from the designation to s0.
    QVector<ResultRow> rows;
};

struct Calculation
{
    // The first input found missing or invalid; the results after it are empty.
    std::optional<MissingInput> missing;
    QVector<PointResult> points; // in point number order
    ForceArrays forces; // the equivalent forces, once every point has one
    double L = 0;
    QString unit; // caption of the force unit
    // Σ Speed·Coeff over the shaft's modes: the speed the bearing lives are
    // computed for and the one their tables show.
    double eqSpeed = 0;
    bool reactionsComputed = false;
    Reactions reactions; // equivalent, as stored
    QVector<Reactions> modeReactions; // each mode's own (mode i + 1 at index i)
    std::optional<StaticLoads> staticLoads; // the largest of modeReactions
    // Left (group 7), right (8) and axial (9) reaction rows, captioned.
    std::array<QVector<ResultRow>, 3> reactionRows;
    bool supportsComputed = false;
    std::array<SupportResult, 2> supports; // [0] left, [1] right
    std::optional<MomentDiagrams> diagrams;
    // The diagram axis was not set: its length, sized to the span and the
    // loads, to keep (53), and the left support's new place on it (54).
    int axisToStore = 0;
    std::optional<double> axisShiftToStore;
    // The check of the shaft itself, with the diagrams.
    ShaftCheckResult shaft;

    const PointResult *point(qint64 pointId) const;
};

struct CalculationRequest
{
    // The supports node asks for L before it looks at the points.
    bool supportDistanceFirst = false;
    bool diagrams = false; // build the diagrams (the axis length must be valid)
    bool operator==(const CalculationRequest &) const = default;
};

// The whole calculation from the inputs alone. Every gear point's forces are
// computed whatever the others lack; the reactions, bearings and diagrams
// only when nothing before them is missing.
Calculation calculate(const SchemeInputs &inputs, const CalculationRequest &request = {});

// Brings the result tables (PointForses, Reakz, the results of BearRep, the
// free forces' equivalents and an unset diagram axis) in line with the
// calculation in one transaction. Only what differs is written: storing the
// same calculation again writes nothing.
void storeResults(Database &db, const Calculation &calculation);

// Read, calculate and store: what every output of the workbench and the
// batch starts from.
Calculation runCalculation(Database &db, const CalculationRequest &request = {});

// The three rows of one mode's mesh forces (as stored): Ft, Fr, Fa, rounded.
QVector<ResultRow> meshForceRows(const ModeForces &forces, int mode);

// Why a bearing's life could not be computed, as the user is told; empty
// when it was.
QString bearingLifeProblem(const BearingFactors &factors, double alpha);

// The life of a bearing that carries no load, as every output writes it.
inline QString unlimitedLife() { return QStringLiteral("не ограничена"); }

// A catalogue number as the bearing dialog's list shows it (empty for none).
QString catalogueText(const QVariant &value);

} // namespace tarnvel
