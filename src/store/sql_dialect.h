#pragma once

#include <QString>
#include <QList>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace tarnvel {

// The program's statements use a desktop-database dialect ("DELETE * FROM",
// TRANSFORM … PIVOT crosstabs). SQLite already accepts backtick and bracket
// quoting; these helpers translate the rest.

// "DELETE * FROM t …" and "DELETE a, b FROM t …" delete whole rows: both
// become "DELETE FROM t …". Any other statement is returned unchanged.
QString normalizeDelete(const QString &statement);

// Splits at separators that stand outside parentheses and quotes.
QStringList splitTopLevel(const QString &text, QChar separator = QLatin1Char(','));

// A crosstab: TRANSFORM agg [AS alias] SELECT headings FROM … GROUP BY keys PIVOT column.
struct CrosstabQuery
{
    QString value;        // the aggregate expression, without its alias
    QStringList headings; // the SELECT list items, aliases included
    QString from;         // "FROM …" up to GROUP BY, with any WHERE
    QStringList groupBy;  // the row-heading expressions
    QString pivot;        // the pivot expression
};

// Cheap test: does the statement start with TRANSFORM?
bool isCrosstab(const QString &statement);
std::optional<CrosstabQuery> parseCrosstab(const QString &statement);

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
