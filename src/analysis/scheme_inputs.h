#pragma once

// Everything the calculation of the shaft and its outputs need from the store,
// read in one go as plain values: the general data, the points with their
// parameters and loads, the shaft's modes, both supports with their bearings,
// and the captions the views, the messages and the report print. Nothing here
// refers back to the store.

#include "analysis/bearing_life.h"
#include "analysis/shaft_inputs.h"
#include "scheme/load_modes.h"
#include "scheme/mesh_forces.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVector>

#include <array>
#include <optional>

namespace tarnvel {

class Database;

// One stored parameter row of a point, as the store holds it (NULL stays null).
struct StoredParameter
{
    int id = 0;
    QVariant value;
};

struct PointInputs
{
    qint64 pointId = 0;
    int number = 0;
    int group = 0; // 2 free force, 3 cylindrical, 4 conical
    QString groupCaption; // "Коническое зацепление" …
    QVector<StoredParameter> parameters; // by ParameterID, equal ones in the order written
    QVector<ModeCells> modes; // the point's loads per mode
    int loadKind = 0; // PowerNumber of its first load row: the kind the loads were entered in
    MeshPointInputs mesh; // gear points: what the mesh computation takes

    // The value of a parameter as a number (the last of equal rows; missing
    // or empty: 0).
    double parameter(int parameterId) const;
};

// A general datum with its caption, as the general data list it.
struct GeneralRow
{
    int id = 0;
    QString caption;
    QVariant value;
    bool stored = false; // the store has a row for it
};

// What the store holds for one support: the settings the bearing is computed
// with and the catalogue row the result tables show.
struct SupportInputs
{
    std::optional<BearingSettings> settings; // empty: no bearing chosen (or no longer catalogued)
    bool shown = false; // the bearing and its type are in the catalogue: its table can be shown
    QString number; // designation
    QString typeCaption;
    QVariant de, di, b, C, C0, alpha, quality; // catalogue columns as stored
    bool stored = false; // the support has a BearRep row
    int ring = 0; // BearRep.RollRing, 0 … 2
    QVariant Kb, Kt, Kv; // BearRep columns as stored
    QVariant radial, axial; // BearRep.Radial, Osev as stored
    std::optional<double> requiredLife; // hours
};

struct SchemeInputs
{
    QHash<int, QVariant> common; // CommonParameters by ParameterID (the first of equal rows)
    QVector<GeneralRow> generalRows; // every captioned general datum in ParameterID order
    QVector<PointInputs> points; // in point number order
    QVector<ModeSpeed> shaftModes; // one per mode number
    QHash<int, QString> captions; // Parameters.Parameter by ParameterID
    QHash<int, int> parameterGroups; // Parameters.GroupID by ParameterID
    QMap<std::pair<int, double>, QString> choices; // (ParameterID, value) → caption, the first of equal ones
    QHash<int, QString> loadCaptions; // PowerClasses by PowerID
    QString unitCaption; // the force unit; an unknown unit reads as newtons
    std::array<SupportInputs, 2> supports; // [0] left, [1] right
    ShaftInputs shaft; // the shaft's steps, steel and check settings

    // A general datum as a number: missing or empty reads as 0.
    double commonValue(int parameterId) const;
    bool hasCommon(int parameterId) const { return common.contains(parameterId); }
    int forceUnit() const; // 2 kilogram-force, otherwise 1 newtons
    QString caption(int parameterId) const; // "38 ID" when the parameter has none
    // The captions of a parameter group in ParameterID order (reactions: 7
    // left, 8 right, 9 axial).
    QVector<std::pair<int, QString>> groupCaptions(int groupId) const;
    const PointInputs *point(qint64 pointId) const;
};

// Reads the scheme: a fixed handful of statements, whatever the number of points.
SchemeInputs readScheme(Database &db);

} // namespace tarnvel
