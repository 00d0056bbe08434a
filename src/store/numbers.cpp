#include "store/numbers.h"

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <climits>
#include <cmath>

namespace tarnvel {

QString SqlNum(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("NULL");
    if (value == 0.0)
        value = 0.0; // no "-0"
    // Fifteen significant digits: the precision of the store's statements,
    // of the shown results and of the scenario files. Only next to the largest double
    // would fifteen digits round beyond the range and read back as infinity:
    // there the seventeen digits that identify the value are written.
    QString text = formatG(value, 15);
    if (std::fabs(value) > 1e308 && !std::isfinite(text.toDouble()))
        text = formatG(value, 17);
    return SqlNum(text);
}

QString formatG(double value, int precision)
{
    // to_chars with a precision is printf's %g, correctly rounded like it.
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision);
    return QString::fromLatin1(text, static_cast<qsizetype>(written.ptr - text)).toUpper();
}

double storedNumber(double value)
{
    if (!std::isfinite(value) || value == 0)
        return value == 0 ? 0.0 : value;
    // A whole number below 10^15 has at most 15 digits: it reads back as it is.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return value;
    // The digits of "%.15G" without the locale or a string; correctly
    // rounded both ways, as printf and the statement's literal are.
    char text[40];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    double stored = value;
    std::from_chars(text, written.ptr, stored);
    // Beyond the range SqlNum writes seventeen digits, which read back exactly.
    return std::isfinite(stored) ? stored : value;
}

QString SqlNum(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral(" ");
    QString result = text;
    return result.replace(QLatin1Char(','), QLatin1Char('.'));
}

QString SqlNum(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral(" ");
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return SqlNum(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    default:
        return SqlNum(value.toString());
    }
}

namespace {

// Digits of other scripts end a number, as they would in a statement.
bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

double leadingNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isAsciiDigit(text.at(i))) {
        ++i;
        ++digits;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < n && isAsciiDigit(text.at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (i < n && (text.at(i) == QLatin1Char('E') || text.at(i) == QLatin1Char('e'))) {
        qsizetype j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
            ++j;
        const qsizetype expStart = j;
        while (j < n && isAsciiDigit(text.at(j)))
            ++j;
        if (j > expStart)
            end = j;
    }
    bool ok = false;
    const double value = text.mid(start, end - start).toDouble(&ok);
    if (ok)
        return value;
    // Out of range exponents: keep the sign, saturate.
    return text.at(start) == QLatin1Char('-') ? -HUGE_VAL : HUGE_VAL;
}

double typedNumber(const QString &text)
{
    const double value = leadingNumber(SqlNum(text));
    return std::isfinite(value) ? value : 0.0;
}

double roundHalfEven(double value)
{
    // nearbyint honours the current rounding mode, which is to-nearest-even
    // unless somebody changed it.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double result = std::nearbyint(value);
    std::fesetround(saved);
    return result;
}

double roundHalfEven(double value, int places)
{
    const double scale = std::pow(10.0, places);
    const double scaled = value * scale;
    if (!std::isfinite(scaled))
        return value;
    return roundHalfEven(scaled) / scale;
}

int wholeNumber(double value)
{
    const double rounded = roundHalfEven(value);
    if (std::isnan(rounded))
        return 0;
    return static_cast<int>(std::clamp(rounded, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

} // namespace tarnvel
