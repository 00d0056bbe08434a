#include "store/statement_literals.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tarnvel {

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
                QStringLiteral("SET"), QStringLiteral("UNION")};
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
