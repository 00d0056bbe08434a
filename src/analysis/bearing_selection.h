#pragma once

// Choosing a bearing by what it would do on the support: the life and the
// static safety of every catalogue candidate under the current loads, the
// candidate that meets a required life, and the static check of the bearing
// chosen for a side.

#include "analysis/bearing_life.h"
#include "analysis/reactions.h"

#include <QString>
#include <QVariant>
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

// The largest of each mode's reactions; nothing without modes.
std::optional<StaticLoads> largestModeReactions(const QVector<Reactions> &modes);

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
    bool unlimited = false; // no load on the bearing: it reaches any life
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

// Puts the settings of a support's bearing in place of the side's BearRep
// row; its results stay empty until the calculation stores them.
void writeBearingSettings(Database &db, const BearingSettings &settings);

// Keeps the life a support's bearing is to reach, hours; nothing clears it.
void writeRequiredLife(Database &db, int side, std::optional<double> hours);

// The bearing catalogue as the bearing dialog lists and edits it.
struct BearingType
{
    int id = 0; // TipID
    QString caption;
};
QVector<BearingType> bearingTypes(Database &db);

// One catalogue row, its numbers as stored (an empty one stays null).
struct CatalogueBearing
{
    qint64 id = 0;
    QString number;
    QVariant di, de, b, C, C0, alpha, quality;
};
// The bearings of a type, smallest C first.
QVector<CatalogueBearing> cataloguedBearings(Database &db, int typeId);
// The caption of a bearing's type; empty when the bearing or its type is gone.
QString bearingTypeCaption(Database &db, qint64 bearingId);

// A bearing the user adds, its sizes, ratings and angle as typed.
struct NewBearing
{
    QString number;
    QString di, de, b, C, C0, alpha;
    int typeId = 0;
};
void addBearing(Database &db, const NewBearing &bearing);
void deleteBearing(Database &db, qint64 bearingId);

} // namespace tarnvel
