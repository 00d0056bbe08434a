#include "store/sql_dialect.h"

#include <QRegularExpression>

namespace tarnvel {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Position of the keyword as a whole word outside parentheses and quotes,
// starting the search at from; -1 when absent.
qsizetype findTopLevelKeyword(const QString &text, const QString &keyword, qsizetype from = 0)
{
    int depth = 0;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            quote = c;
            continue;
        }
        if (c == QLatin1Char('[')) {
            quote = QLatin1Char(']');
            continue;
        }
        if (c == QLatin1Char('(')) {
            ++depth;
            continue;
        }
        if (c == QLatin1Char(')')) {
            --depth;
            continue;
        }
        if (depth != 0 || i < from)
            continue;
        if (text.mid(i, keyword.size()).compare(keyword, Qt::CaseInsensitive) != 0)
            continue;
        const bool startsWord = i == 0 || !isWordChar(text.at(i - 1));
        const qsizetype end = i + keyword.size();
        const bool endsWord = end >= text.size() || !isWordChar(text.at(end));
        if (startsWord && endsWord)
            return i;
    }
    return -1;
}

QString stripAlias(const QString &expression)
{
    const qsizetype as = findTopLevelKeyword(expression, QStringLiteral("AS"));
    return (as < 0 ? expression : expression.left(as)).trimmed();
}

} // namespace

QString normalizeDelete(const QString &statement)
{
    static const QRegularExpression deleteWithColumns(
        QStringLiteral("^\\s*DELETE\\s+(?=\\S)(?!FROM\\b)(.+?)\\s+FROM\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = deleteWithColumns.match(statement);
    if (!match.hasMatch())
        return statement;
    return QStringLiteral("DELETE FROM") + statement.mid(match.capturedEnd());
}

QStringList splitTopLevel(const QString &text, QChar separator)
{
    QStringList parts;
    int depth = 0;
    QChar quote;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            quote = c;
        } else if (c == QLatin1Char('[')) {
            quote = QLatin1Char(']');
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        } else if (c == separator && depth == 0) {
            parts << text.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    parts << text.mid(start).trimmed();
    return parts;
}

std::optional<CrosstabQuery> parseCrosstab(const QString &statement)
{
    QString text = statement.trimmed();
    if (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    if (findTopLevelKeyword(text, QStringLiteral("TRANSFORM")) != 0)
        return std::nullopt;
    const qsizetype select = findTopLevelKeyword(text, QStringLiteral("SELECT"));
    const qsizetype from = findTopLevelKeyword(text, QStringLiteral("FROM"), select);
    const qsizetype groupBy = findTopLevelKeyword(text, QStringLiteral("GROUP"), from);
    const qsizetype pivot = findTopLevelKeyword(text, QStringLiteral("PIVOT"), groupBy);
    if (select < 0 || from < 0 || groupBy < 0 || pivot < 0)
        return std::nullopt;

    static const QRegularExpression groupByWords(QStringLiteral("^GROUP\\s+BY\\s+"),
                                                 QRegularExpression::CaseInsensitiveOption);
    const QString groupText = text.mid(groupBy, pivot - groupBy).trimmed();
    const QRegularExpressionMatch groupMatch = groupByWords.match(groupText);
    if (!groupMatch.hasMatch())
        return std::nullopt;

    CrosstabQuery query;
    const qsizetype transformLength = QStringLiteral("TRANSFORM").size();
    query.value = stripAlias(text.mid(transformLength, select - transformLength));
    query.headings = splitTopLevel(text.mid(select + 6, from - select - 6));
    query.from = text.mid(from, groupBy - from).trimmed();
    query.groupBy = splitTopLevel(groupText.mid(groupMatch.capturedEnd()));
    query.pivot = text.mid(pivot + 5).trimmed();
    if (query.value.isEmpty() || query.pivot.isEmpty() || query.groupBy.contains(QString()))
        return std::nullopt;
    return query;
}

} // namespace tarnvel
