#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace tarnvel {

// A statement of the program carries its values as literals; the same
// statement with other values is the same statement to the engine. The
// numeric literals of a SELECT, INSERT, UPDATE or DELETE are taken out, in
// order, and replaced by parameters ("... WHERE PointID = 7" becomes
// "... WHERE PointID = ?" with 7), so that one prepared statement serves
// every value. Literals inside quotes and digits of names stay.
struct Literal
{
    bool whole = false;
    qint64 integer = 0; // when whole
    double real = 0;    // otherwise
    bool operator==(const Literal &) const = default;
};
struct SeparatedStatement
{
    QString text;
    QList<Literal> values;
};
std::optional<SeparatedStatement> separateLiterals(const QString &statement);

} // namespace tarnvel
