#pragma once

// What the engineer gives for the check of the shaft itself: its steps from
// the left end, its steel and the allowed values the check compares with.
// The steps are the shaft: their total length is the diagram axis (general
// datum 53), whose start is the shaft's left end, so that the left support's
// place on the axis (54) is its distance from that end. Writing the steps
// writes the axis length with them; there is no second length to disagree.

#include "analysis/shaft_check.h"
#include "scheme/value_ranges.h"

#include <QMap>
#include <QString>
#include <QVector>

#include <optional>

namespace tarnvel {

class Database;

// The settings of the check (ShaftSettings.SettingID). A setting without a row
// takes its default.
namespace shaftSetting {
constexpr int peakFactor = 1; // Kп
constexpr int allowedBending = 2; // [σ], MPa
constexpr int requiredSafety = 3; // [Sт]
constexpr int slopeLeft = 4; // [θ] at the left support, rad; default by the bearing's type
constexpr int slopeRight = 5; // [θ] at the right support
constexpr int deflectionSpur = 6; // [f] under a cylindrical mesh, as a share of its module
constexpr int deflectionBevel = 7; // [f] under a conical mesh, as a share of its module
constexpr int steel = 8; // ShaftSteels.SteelID of the shaft's steel
} // namespace shaftSetting

// A setting as the views list it and the report prints it.
struct ShaftSettingInfo
{
    int id = 0;
    QString caption;
    QString unit;
    double defaultValue = 0; // for the slopes: the default of a ball bearing
    ValueRange range;
    QString source; // where the default comes from
};

// Every setting but the steel, in the order they are listed.
const QVector<ShaftSettingInfo> &shaftSettingInfos();
const ShaftSettingInfo *shaftSettingInfo(int id);

// The allowed slope at a support whose bearing is of the given type
// (BearingsTip.TipID; 0 for none chosen), and where that value comes from.
double defaultAllowedSlope(int bearingType);
QString allowedSlopeSource(int bearingType);

struct ShaftInputs
{
    QVector<ShaftSegment> segments; // from the left end; empty: no geometry
    QMap<int, double> settings; // as stored
    std::optional<ShaftSteel> steel; // the chosen steel, as the catalogue holds it

    // A stored setting, or its default (the slopes' defaults depend on the
    // bearings and are given by defaultAllowedSlope).
    double setting(int id) const;
    bool isSet(int id) const { return settings.contains(id); }
    double length() const; // the shaft's length, the sum of its steps
};

// The stored steps, settings and steel.
ShaftInputs readShaftInputs(Database &db);

// Why a step cannot be taken as given, or nothing: every length from 0.1 mm
// to 100 m, the outer diameter from 1 mm to 10 m, the bore 0 or at least
// 0.1 mm and smaller than the outer diameter.
std::optional<QString> shaftSegmentProblem(const ShaftSegment &segment);

// Replaces the steps and sets the axis length (53) to their total, in one
// transaction. Throws std::invalid_argument with the message of the first
// step out of range (numbered from 1), writing nothing.
void writeShaftSegments(Database &db, const QVector<ShaftSegment> &segments);

// Sets or clears (nothing: back to the default) a setting; a value out of the
// setting's range is refused with std::invalid_argument naming the range.
void writeShaftSetting(Database &db, int id, std::optional<double> value);

} // namespace tarnvel
