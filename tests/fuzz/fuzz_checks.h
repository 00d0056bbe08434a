#pragma once

// The properties the fuzzers look for, shared with the test that replays the
// kept corpus in the normal suite.

#include "analysis/calculation.h"
#include "analysis/diagram_plot.h"
#include "files/report.h"
#include "files/scenario_file.h"
#include "store/numbers.h"
#include "store/store_file.h"

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

// A scenario the reader takes goes on through the whole calculation, the
// three diagrams and the report page without a fault (the sanitizers watch
// the arithmetic); whatever it holds is rolled back out of the store again.
inline bool scenarioCalculates(Database &db, const QByteArray &bytes)
{
    const std::optional<Scenario> scenario = decodeScenario(bytes);
    if (!scenario)
        return true;
    Database::Transaction transaction(db);
    emptyScenario(db);
    try {
        writeScenarioToStore(db, *scenario);
    } catch (const std::invalid_argument &) {
        return true; // refused with a message: nothing to calculate
    }
    CalculationRequest request;
    request.diagrams = true;
    const SchemeInputs inputs = readScheme(db);
    const Calculation calculation = calculate(inputs, request);
    storeResults(db, calculation);
    if (calculation.diagrams) {
        for (const PlaneDiagram *plane : {&calculation.diagrams->xoz, &calculation.diagrams->yoz, &calculation.diagrams->sum})
            (void)paintEpur(*plane, QStringLiteral("fuzz"));
    }
    ReportSettings settings;
    settings.reportFile = QStringLiteral("fuzz.htm");
    settings.locale = QLocale::c();
    return !reportPage(inputs, calculation, settings).isEmpty();
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
