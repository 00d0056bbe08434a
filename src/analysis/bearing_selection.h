#pragma once

// Choosing a bearing by what it would do on the support: the life and the
// static safety of every catalogue candidate under the current loads, the
// candidate that meets a required life, and the static check of the bearing
// chosen for a side.

#include "analysis/bearing_life.h"
#include "analysis/reactions.h"

#include <QString>
#include <QVector>

#include <optional>

namespace tarnvel {

class Database;

// The largest support loads over the load modes, each mode's reactions
// computed from that mode's own forces: a bearing must survive the heaviest
// mode without permanent dents, whatever the modes average to.
struct StaticLoads
{
    double R1 = 0; // largest radial reaction of the left support
    double R2 = 0; // largest radial reaction of the right support
    double Ra = 0; // largest axial reaction, as a size
    bool operator==(const StaticLoads &) const = default;
};

// One ForceArrays per mode (mode i + 1 at index i), the points in the order of
// their numbers: gear points from their per-mode PointForses rows at their
// mesh position, free-force points from their per-mode loads (PowerID 5, 6, 7)
// at their coordinates. A point without a row for a mode adds no force to it.
// Nothing when a gear point's forces have not been computed.
std::optional<QVector<ForceArrays>> modeForceArrays(Database &db);

// Nothing without modes or with a support distance of 0.
std::optional<StaticLoads> largestModeReactions(const QVector<ForceArrays> &modes, double L);
std::optional<StaticLoads> readStaticLoads(Database &db);

// Static equivalent load P0 = X0·Fr + Y0·Fa, never less than Fr, with X0 and
// Y0 of single-row bearings after ISO 76 (Rolling bearings — Static load
// ratings), table of ball bearings: radial-contact 0.6 / 0.5; angular-contact
// X0 = 0.5 with Y0 by the contact angle from 5° to 45°, interpolated linearly
// between the listed angles. Radial roller bearings with α = 0 take only the
// radial load: P0 = Fr. Nothing for a type or an angle the table lacks.
struct StaticFactors
{
    double X0 = 0;
    double Y0 = 0;
    bool operator==(const StaticFactors &) const = default;
};
std::optional<StaticFactors> staticFactors(int typeCode, double alpha);

struct StaticSafety
{
    double P0 = 0; // in the force unit of the loads
    double s0 = 0; // C0 / P0
    bool operator==(const StaticSafety &) const = default;
};

// C0 in the force unit of Fr and Fa. Nothing when the factors are unknown,
// C0 is not positive or the bearing carries no load at all.
std::optional<StaticSafety> staticSafety(int typeCode, double alpha, double C0, double Fr, double Fa);

// The static check of a support's bearing under the settings' flags (a
// support that does not take a load is not loaded by it) and force unit
// (catalogue C0 in newtons, a tenth of it in kilogram-force).
std::optional<StaticSafety> supportStaticSafety(
    const BearingSettings &settings, const StaticLoads &loads, int forceUnit);

// A catalogue bearing as the selection sees it; ratings in newtons.
struct BearingCandidate
{
    qint64 bearingId = 0;
    double C = 0;
    double C0 = 0;
    double alpha = 0;
    bool operator==(const BearingCandidate &) const = default;
};

struct CandidateAssessment
{
    std::optional<double> Lh; // hours; empty when the life cannot be computed
    std::optional<double> s0;
    bool operator==(const CandidateAssessment &) const = default;
};

// Every candidate on the support of base: its settings (type, ring, flags,
// coefficients) with each candidate's ratings and angle in turn. Without
// static loads s0 stays empty.
QVector<CandidateAssessment> assessCandidates(
    const BearingInput &base, const std::optional<StaticLoads> &loads, const QVector<BearingCandidate> &candidates);

// The index of the candidate with the smallest C whose life reaches
// requiredLh (the first of equal ones); nothing when none does.
std::optional<qsizetype> pickByLife(
    const QVector<BearingCandidate> &candidates, const QVector<CandidateAssessment> &assessments, double requiredLh);

// The static check of the bearing stored for a side (BearRep with its
// catalogue row); nothing without a stored bearing or per-mode loads.
std::optional<StaticSafety> storedStaticSafety(Database &db, int side);
// The same under loads already read (readStaticLoads), for both sides at once.
std::optional<StaticSafety> storedStaticSafety(Database &db, int side, const std::optional<StaticLoads> &loads);

// The rows that follow the life in a bearing's result: P0 in the force unit
// and s0. An empty value could not be computed.
struct StaticSafetyRow
{
    QString key;
    QString caption;
    std::optional<double> value;
};
QVector<StaticSafetyRow> staticSafetyRows(Database &db, int side, const QString &forceUnit);
QVector<StaticSafetyRow> staticSafetyRows(
    Database &db, int side, const QString &forceUnit, const std::optional<StaticLoads> &loads);

// The life a support's bearing is to reach, hours; nothing when not set.
std::optional<double> readRequiredLife(Database &db, int side);
void writeRequiredLife(Database &db, int side, std::optional<double> hours);

} // namespace tarnvel
