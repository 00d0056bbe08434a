#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tarnvel {

// The program writes its statements in the desktop-database dialect it was
// designed with. SQLite already accepts backtick and bracket quoting; these
// helpers cover the rest.

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

std::optional<CrosstabQuery> parseCrosstab(const QString &statement);

} // namespace tarnvel
