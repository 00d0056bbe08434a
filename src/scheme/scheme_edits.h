#pragma once

// What the workbench reads and writes of the loading scheme: the points with
// their kinds, the parameter rows of the general data and of a point with
// their captions and choices, and the edits that add, delete and rewrite them.

#include <QString>
#include <QVector>

#include <optional>

namespace tarnvel {

class Database;

// A loading point as the scheme lists it.
struct SchemePoint
{
    qint64 pointId = 0;
    qint64 number = 0;
    QString kind; // caption of its group, "Цилиндрическое зацепление"
    bool operator==(const SchemePoint &) const = default;
};

// "Точка 3 (Цилиндрическое зацепление)": a point as the tree, the views and
// the messages name it.
inline QString pointCaption(const QString &number, const QString &kind)
{
    return QStringLiteral("Точка %1 (%2)").arg(number, kind);
}

// The points in number order. A point whose group the catalogue does not
// know is no part of the scheme.
QVector<SchemePoint> schemePoints(Database &db);

// One entry of an enumerated parameter: the code stored and the text shown.
struct ParameterChoice
{
    qint64 value = 0;
    QString text;
    bool operator==(const ParameterChoice &) const = default;
};

// The entries of a parameter in code order; none for a parameter that takes
// a number.
QVector<ParameterChoice> parameterChoices(Database &db, int parameterId);

struct ParameterRow
{
    int parameterId = 0;
    QString caption;
    double value = 0; // as stored; 0 when it was never set
    // The entry the value stands for, when the parameter is enumerated and
    // has one for it. A value never set (0) stands for entry 1.
    std::optional<ParameterChoice> choice;
    bool operator==(const ParameterRow &) const = default;
};

// The general data: every parameter of group 1 in parameter order.
QVector<ParameterRow> generalDataRows(Database &db);

struct PointParameters
{
    qint64 pointId = 0;
    int group = 0; // 2 free force, 3 cylindrical, 4 conical
    // A gear point without parameter rows of its own: the rows are its
    // kind's parameters, none of them set.
    bool unset = false;
    QVector<ParameterRow> rows; // in parameter order
};

// The inputs of the point numbered number; nothing when there is none. A free
// force lists its coordinates only: its projections 8, 9, 10 are the
// equivalents the calculation writes.
std::optional<PointParameters> pointParameters(Database &db, int number);

struct ParameterValue
{
    int parameterId = 0;
    double value = 0;
};

// The general data become values, row for row in their order. One transaction.
void rewriteGeneralData(Database &db, const QVector<ParameterValue> &values);
// The point's parameter rows become values, in their order. One transaction.
void rewritePointParameters(Database &db, qint64 pointId, const QVector<ParameterValue> &values);

// Adds the point numbered number of a group (2, 3, 4) with a row for every
// parameter of the group, each choice at entry 1, and returns its PointID.
// Point 1 starts a new scheme: the points, parameter rows and loads an
// earlier one left go first. One transaction.
qint64 addSchemePoint(Database &db, int number, int group);

// Whether the store holds anything the engineer entered: a general value, a
// point, a load, a bearing or a required life. A new project loses nothing
// when it holds none of them.
bool schemeHasInput(Database &db);

// Deletes a point with its parameter rows, loads and forces; the others keep
// their order and are numbered 1..n again. One transaction.
void deleteSchemePoint(Database &db, qint64 pointId);

} // namespace tarnvel
