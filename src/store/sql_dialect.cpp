#include "store/sql_dialect.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>

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
        if (QStringView(text).mid(i, keyword.size()).compare(keyword, Qt::CaseInsensitive) != 0)
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

bool isCrosstab(const QString &statement)
{
    return QStringView(statement).trimmed().startsWith(QLatin1String("TRANSFORM"), Qt::CaseInsensitive);
}

std::optional<CrosstabQuery> parseCrosstab(const QString &statement)
{
    if (!isCrosstab(statement))
        return std::nullopt;
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

std::optional<SeparatedStatement> separateLiterals(const QString &statement)
{
    const QChar *data = statement.constData();
    const qsizetype n = statement.size();
    auto digit = [](char16_t u) { return u >= u'0' && u <= u'9'; };
    // Letters of any alphabet, digits, '_' and '$' continue a name.
    auto word = [&digit](char16_t u) {
        return u >= 128 || digit(u) || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_' || u == u'$';
    };

    qsizetype start = 0;
    while (start < n && data[start].isSpace())
        ++start;
    static const char *const kinds[] = {"SELECT", "INSERT", "UPDATE", "DELETE"};
    bool candidate = false;
    for (const char *kind : kinds) {
        if (QStringView(data + start, std::min<qsizetype>(6, n - start)).compare(QLatin1String(kind), Qt::CaseInsensitive) == 0)
            candidate = true;
    }
    if (!candidate)
        return std::nullopt;

    SeparatedStatement separated;
    separated.text.reserve(n);
    qsizetype copied = 0; // text before this is already in separated.text
    qsizetype i = start;
    char literal[64];
    // A whole number that is an item of ORDER BY or GROUP BY names a column
    // by its position; bound as a value it would sort or group by a constant.
    bool byList = false;
    QString lastWord;
    auto isPosition = [&](qsizetype at) {
        if (!byList)
            return false;
        qsizetype k = at - 1;
        while (k >= start && data[k].isSpace())
            --k;
        return k >= start && (data[k].unicode() == u',' || (word(data[k].unicode()) && lastWord == QLatin1String("BY")));
    };
    while (i < n) {
        const char16_t u = data[i].unicode();
        if (word(u) && !digit(u) && (i == start || !word(data[i - 1].unicode()))) {
            qsizetype j = i;
            while (j < n && word(data[j].unicode()))
                ++j;
            const QString current = QStringView(data + i, j - i).toString().toUpper();
            static const QStringList kClauses{QStringLiteral("SELECT"), QStringLiteral("FROM"), QStringLiteral("WHERE"),
                QStringLiteral("HAVING"), QStringLiteral("LIMIT"), QStringLiteral("OFFSET"), QStringLiteral("VALUES"),
                QStringLiteral("SET"), QStringLiteral("PIVOT"), QStringLiteral("UNION")};
            if (current == QLatin1String("BY"))
                byList = lastWord == QLatin1String("ORDER") || lastWord == QLatin1String("GROUP");
            else if (kClauses.contains(current))
                byList = false;
            lastWord = current;
            i = j;
            continue;
        }
        char16_t closing = 0;
        if (u == u'\'' || u == u'"' || u == u'`')
            closing = u;
        else if (u == u'[')
            closing = u']';
        if (closing != 0) {
            ++i;
            while (i < n && data[i].unicode() != closing)
                ++i;
            ++i;
            continue;
        }
        const bool startsNumber = digit(u) || (u == u'.' && i + 1 < n && digit(data[i + 1].unicode()));
        if (!startsNumber || (i > 0 && word(data[i - 1].unicode()))) {
            ++i;
            continue;
        }
        qsizetype j = i;
        bool real = false;
        while (j < n && digit(data[j].unicode()))
            ++j;
        if (j < n && data[j].unicode() == u'.') {
            real = true;
            ++j;
            while (j < n && digit(data[j].unicode()))
                ++j;
        }
        if (j < n && (data[j].unicode() == u'e' || data[j].unicode() == u'E')) {
            qsizetype k = j + 1;
            if (k < n && (data[k].unicode() == u'+' || data[k].unicode() == u'-'))
                ++k;
            if (k < n && digit(data[k].unicode())) {
                real = true;
                j = k;
                while (j < n && digit(data[j].unicode()))
                    ++j;
            }
        }
        if ((j < n && word(data[j].unicode())) || j - i >= qsizetype(sizeof literal) || (!real && isPosition(i))) {
            i = j; // not a number after all ("2abc"): the engine judges the text
            continue;
        }
        for (qsizetype k = i; k < j; ++k)
            literal[k - i] = static_cast<char>(data[k].unicode());
        Literal value;
        bool ok = false;
        if (!real) {
            value.whole = true;
            ok = std::from_chars(literal, literal + (j - i), value.integer).ec == std::errc();
        }
        if (!ok) {
            value.whole = false;
            const std::from_chars_result parsed = std::from_chars(literal, literal + (j - i), value.real);
            ok = parsed.ec == std::errc() && std::isfinite(value.real);
        }
        if (!ok) {
            i = j;
            continue;
        }
        separated.text.append(data + copied, i - copied);
        separated.text.append(QLatin1Char('?'));
        separated.values << value;
        copied = j;
        i = j;
    }
    separated.text.append(data + copied, n - copied);
    return separated;
}

} // namespace tarnvel
