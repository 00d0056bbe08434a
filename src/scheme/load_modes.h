#pragma once

#include <QHash>
#include <QVariant>
#include <QVector>

#include <array>

namespace tarnvel {

// Loads are averaged over the modes with the exponent of the bearing life
// law for roller bearings, p = 10/3.
inline constexpr double kEquivalentLoadExponent = 10.0 / 3.0;

class Database;
class Recordset;

// One operating mode of the working list that the load dialogs edit. For a
// gear point Load1..Load4 hold the same load as power in hp, power in kW,
// torque in kgf·m and torque in N·m; for a free-force point Fx, Fy, Fz and 0.
struct ModeRecord
{
    double Load1 = 0;
    double Load2 = 0;
    double Load3 = 0;
    double Load4 = 0;
    double Speed = 0; // rpm
    double Coeff = 0; // share of the working time
    bool operator==(const ModeRecord &) const = default;
};

using ModeList = QVector<ModeRecord>;

// One load mode's share of the revolutions.
struct ModeSpeed
{
    double speed = 0; // rpm
    double coeff = 0; // usage coefficient
    bool operator==(const ModeSpeed &) const = default;
};

// n = Σ speed·coeff over the modes (the coefficients are not normalised): the
// equivalent speed of the shaft.
double equivalentSpeed(const QVector<ModeSpeed> &modes);

// Each mode's weight speed·coeff / Σ speed·coeff; all 0 when the sum is 0.
QVector<double> modeWeights(const QVector<ModeSpeed> &modes);

// One mode of a point's loads: its Powers rows of one mode number, speed and
// coefficient (rows that disagree on speed or coefficient make two modes of
// one number), with the load of each kind (PowerID 1 … 7) written first, null
// where the mode has no row of the kind or no value.
struct ModeCells
{
    QVariant speed;
    QVariant coeff;
    std::array<QVariant, 8> loads; // [kind]
    quint8 kinds = 0; // bit k: a row of kind k was seen
    QVariant rez; // the mode number
};
// The modes of rows of (PointID, RezNumber, Speed, Coeff, PowerID, Power, …)
// sorted by point, mode number, speed, coefficient and the order they were
// written: a group of equal keys is one mode, and of several loads of a kind
// the one written first counts.
QHash<qint64, QVector<ModeCells>> modeCellsOf(Recordset rows);
// One point's modes, read the same way: what its load dialog starts from.
QVector<ModeCells> pointModeCells(Database &db, qint64 pointId);
// The modes as the load dialogs list them: Fx, Fy, Fz (kinds 5 … 7) of a free
// force, the four kinds 1 … 4 of a gear point.
ModeList modeRecords(const QVector<ModeCells> &cells, bool freeForce);

// Confirms a load dialog: the point's loads become those of modes, entered in
// kind (1 … 4 for a gear point, 5 for a free force). Modes are common to all
// points: when the point is the reference (point number 1), every other point
// that has loads takes each mode's speed and coefficient, loses the modes
// beyond the new count and gets the missing ones with zero loads. One
// transaction.
void writePointModes(Database &db, qint64 pointId, const ModeList &modes, int kind);

// Fills Load1..Load4 of record from one load entered in kind 1 (hp), 2 (kW),
// 3 (kgf·m) or 4 (N·m) at speed rpm; the entered value is kept exactly and
// the others are derived through horsepower. speed must not be 0 (the dialog
// asks for it first). Any other kind leaves the record as it is.
void ConvertLoad(int kind, double value, double speed, ModeRecord &record);

// Of the stored loads only the free forces' projections Fx, Fy, Fz (kinds
// 5 … 7) are numbers in the force unit (general parameter 4: 1 N, 2 kgf); a
// gear point's load is kept as power and as torque in both kgf·m and N·m.
// Whether any point has a projection that is not 0.
bool hasForceLoads(Database &db);
// Rewrites every mode's projections from unit from to unit to (1 N, 2 kgf;
// anything else counts as N), so that they stand for the same forces. One
// transaction.
void convertForceLoads(Database &db, int from, int to);

// Brings the modes of the loads stored in Powers in line with the reference
// point (point number 1) before a gear point's loads are edited: modes beyond
// the reference's count are dropped from every point, every point takes the
// reference's speed and coefficient per mode, and the point gets zero loads
// for modes it lacks. Nothing changes while the reference has no modes.
void SyncModes(Database &db, int pointId);

// Replaces modes by the point's modes and returns the load kind to show: 5 for
// a free-force point, the kind the loads were entered in for a gear point.
// A point without loads gets the shaft's modes with zero loads and kind 1;
// when no point has any mode, modes is emptied.
int GatherModes(Database &db, int pointId, ModeList &modes);

// Number of records in the working list.
int ModeCount(const ModeList &modes);

} // namespace tarnvel
