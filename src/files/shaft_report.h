#pragma once

// The report's section on the shaft itself: its steps, steel and allowed
// values (each default with its source), the strength and stiffness results
// as the views show them, and where the pictures go.

#include <QLocale>
#include <QString>
#include <QVector>

namespace tarnvel {

struct Calculation;
struct SchemeInputs;

struct ReportLine
{
    enum Kind { Blank, Heading, Row, Picture };
    Kind kind = Row;
    QString first; // HTML: caption or heading
    QString second; // HTML: the value; for a picture, its index among the shaft's pictures
};

// The lines of the section; none when the calculation has no shaft check.
QVector<ReportLine> shaftReportLines(const SchemeInputs &inputs, const Calculation &calculation,
                                     const QLocale &locale);

} // namespace tarnvel
