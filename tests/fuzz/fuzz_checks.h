#pragma once

// The properties the fuzzers look for, shared with the test that replays the
// kept corpus in the normal suite.

#include "files/scenario_file.h"
#include "store/numbers.h"

#include <QByteArray>
#include <QString>

#include <cmath>

namespace tarnvel::fuzz {

// Any bytes given to the scenario reader are either refused, or give a
// scenario that writes back as the leading bytes it was read from.
inline bool scenarioBytesBehave(const QByteArray &bytes)
{
    const std::optional<Scenario> scenario = decodeScenario(bytes);
    return !scenario || bytes.startsWith(encodeScenario(*scenario));
}

// Whatever the text, the statement form of it has no comma and is never
// empty; the number read from it has a statement form without comma or blank
// that reads back as the same number to 15 significant digits.
inline bool numberTextBehaves(const QString &text)
{
    const QString typed = SqlNum(text);
    if (typed.isEmpty() || typed.contains(QLatin1Char(',')))
        return false;
    const double value = leadingNumber(text);
    if (std::isnan(value))
        return false;
    if (!std::isfinite(value))
        return true;
    const QString statement = SqlNum(value);
    if (statement.contains(QLatin1Char(',')) || statement.contains(QLatin1Char(' ')))
        return false;
    const double back = leadingNumber(statement);
    (void)roundHalfEven(value, 3);
    (void)wholeNumber(value);
    return std::fabs(back - value) <= 1e-14 * std::fabs(value);
}

} // namespace tarnvel::fuzz
