#pragma once

// The scenario file (".tvd"): the whole input of one calculation as one binary
// record, so that it can be saved and reopened. Results are not kept; they are
// recomputed from the reopened input.
//
// Byte layout, little-endian throughout, no header, padding or checksum:
//
//   Common    list of { ParameterID int32, ParamValue float64 }          12 bytes each
//   Points    list of { PointNumber int32, GroupID int32,
//                       Modes  list of { Load1..Load4, Speed, Coeff float64 }  48 bytes each
//                       PowerNumber int32,
//                       Params list of { ParameterID int32, ParValue float64 } 12 bytes each }
//   Bearings  exactly two entries, no list header:
//             { BearingID int32, Kb float32, Kt float32, RollRing int32, Radial int32, Osev int32 } 24 bytes
//
// A list is an int16 dimension count (0: no entries, and nothing follows;
// 1: entries follow) then, for 1, the int32 entry count n and the int32 index
// of the first entry (always 1), then the n entries. A scenario without
// general parameters and points is therefore 2 + 2 + 2·24 = 52 bytes.
//
// What the record has no room for follows it in tagged blocks, so that a
// reader that stops after the record still opens the file:
//
//   Block     { magic "TVBK", tag 4 ASCII bytes, length uint32,
//               payload (length bytes), CRC-32 uint32 of tag, length and payload }
//   "LIFE"    the required bearing lives: for the left, then the right support
//             { set int32 (0 or 1), hours float64 }                        24 bytes
//   "SHFT"    the shaft: { record CRC-32 uint32,
//               steps count int32, { length, outer, bore float64 } each,
//               settings count int32, { SettingID int32, value float64 } each,
//               steel int32 (0 or 1), then for 1: grade, treatment, hardness,
//               source (each a length int32 and UTF-8 bytes), blank diameter,
//               σв, σт, τт, σ-1, τ-1, ψτ, E float64 }
//             The record's checksum ties the block to the record it follows:
//             a block left over from a longer file written before is passed
//             over even when the record before it happens to end where the
//             old one did.
//
// A block is written only when it holds something. Reading stops at the first
// bytes that are not a whole block with its checksum (a file written by an
// older version over a longer one may keep the longer one's stale tail);
// blocks of an unknown tag are passed over.

#include "analysis/shaft_check.h"
#include "scheme/load_modes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QIODevice;

namespace tarnvel {

class Database;

// A general parameter (CommonParameters) or a point parameter (PointParameters).
struct ScenarioParameter
{
    qint32 parameterId = 0;
    double value = 0;
    bool operator==(const ScenarioParameter &) const = default;
};

struct ScenarioPoint
{
    qint32 pointNumber = 0; // 1 … n, the entry's position in the list
    qint32 groupId = 0; // 2 free force, 3 cylindrical mesh, 4 conical mesh
    ModeList modes; // the point's modes as the load dialogs hold them
    // The load kind the point's loads were entered in (1 hp, 2 kW, 3 kgf·m,
    // 4 N·m), 5 for a free-force point with loads, 1 for a point without any.
    qint32 powerNumber = 1;
    QVector<ScenarioParameter> params;
    bool operator==(const ScenarioPoint &) const = default;
};

// The chosen bearing of one support and its settings (the input columns of
// BearRep). A bearing id of 0 means that no bearing was chosen.
struct ScenarioBearing
{
    qint32 bearingId = 0;
    float Kb = 0; // safety coefficient
    float Kt = 0; // temperature coefficient
    qint32 rollRing = 0; // 0 inner ring turns, 1 outer ring, 2 both
    qint32 radial = 0; // 1: the support takes the radial load
    qint32 osev = 0; // 1: the support takes the axial load
    bool operator==(const ScenarioBearing &) const = default;
};

// The shaft's steps, its check settings (the steel's id apart) and its steel,
// kept whole so that the file opens where the catalogue lacks that row.
struct ScenarioShaft
{
    QVector<ShaftSegment> segments;
    QVector<ScenarioParameter> settings;
    std::optional<ShaftSteel> steel; // its id is the catalogue's where it was saved
    bool isEmpty() const { return segments.isEmpty() && settings.isEmpty() && !steel; }
    bool operator==(const ScenarioShaft &) const = default;
};

struct Scenario
{
    QVector<ScenarioParameter> common;
    QVector<ScenarioPoint> points; // in point number order
    std::array<ScenarioBearing, 2> bearings {}; // [0] left support, [1] right support
    std::array<std::optional<double>, 2> requiredLife {}; // hours a support's bearing is to reach
    ScenarioShaft shaft;
    bool operator==(const Scenario &) const = default;
};

// Size of an encoded scenario without general parameters and points.
constexpr int kEmptyScenarioSize = 52;

// What the save command copies out of the scenario tables. Each point's
// modes and load kind are those GatherModes gives for it. Each bearing entry
// comes from the BearRep row of its own side, so that a lone right-side
// bearing stays on the right.
Scenario readScenarioFromStore(Database &db);

// The record's bytes.
QByteArray encodeScenario(const Scenario &scenario);

// Reads a record from the start of bytes; bytes after it are ignored. A short,
// truncated or inconsistent record (a list header or count that does not fit
// the remaining bytes, a first index other than 1, points not numbered 1 … n,
// an unknown point group or load kind, a bearing setting out of range, a
// number that is not finite) is refused with nothing returned and the reason
// in error, when given. Nothing is allocated for a count before the bytes for
// that many entries are known to be there.
std::optional<Scenario> decodeScenario(const QByteArray &bytes, QString *error = nullptr);

// The device forms of the two above, for files and buffers.
bool writeScenario(QIODevice &device, const Scenario &scenario);
std::optional<Scenario> readScenario(QIODevice &device, QString *error = nullptr);

// What the open command writes into the scenario tables after the new-project
// reset, all in one transaction: general parameters (when the file has any),
// points with their parameters and loads (when it has any), and always the
// bearing rows (emptied, then one row per chosen bearing). An inconsistent
// scenario (see decodeScenario) is refused with std::invalid_argument before
// anything is written; a store failure rolls everything back.
// Before anything is written the scenario is fitted to the store (see
// fitScenarioToStore); notes receives what was changed.
void writeScenarioToStore(Database &db, const Scenario &scenario, QStringList *notes = nullptr);

// Fits a decoded scenario to the store it goes into. A parameter with a list
// of choices whose code is none of them is refused with std::invalid_argument
// naming the parameter by its caption. Points whose modes disagree with point
// 1's are given point 1's modes; a bearing the catalogue does not have is
// dropped, so that its support stays without one. Returns a note for the
// user for each such change.
QStringList fitScenarioToStore(Database &db, Scenario &scenario);

// The store's part of opening a scenario: the open project is emptied and
// the scenario written in one transaction, then the store is compacted. A
// crash at any moment leaves the store holding either the old project or the
// new one. status receives the texts the user sees meanwhile. Returns the
// notes of fitScenarioToStore, whose refusal leaves the store untouched.
QStringList openScenarioInStore(std::unique_ptr<Database> &db, const QString &storeDirectory, const Scenario &scenario,
                         const std::function<void(const QString &)> &status);

// Writes the file's bytes in place of whatever file stood at path (a longer
// old file does not keep its tail); the old file stays untouched when the
// write fails. False, with the reason in error, on failure.
bool saveScenarioFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Reads and decodes the scenario file at path without ever creating it. A
// missing, unreadable or damaged file gives nothing and the reason in error.
std::optional<Scenario> loadScenarioFile(const QString &path, QString *error = nullptr);

} // namespace tarnvel
