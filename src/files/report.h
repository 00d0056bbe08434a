#pragma once

// The HTML calculation report: one page in windows-1251 with the general
// data, the loading points with their loads and mesh forces, the support
// reactions, both bearings with their results, and the three moment diagrams
// as Windows bitmaps in a folder beside the page.

#include "analysis/calculation.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace tarnvel {

// The product site that the page links to.
inline constexpr const char *kProductWebAddress = "https://tarnvel.example";

// "Версия: major.minor.revision", as the splash window shows it.
QString reportVersionText();

struct ReportSettings
{
    // The page's own file name, already with its ".htm"
    // (reportFileName); the picture folder and image sources derive from it.
    QString reportFile;
    // Decimal separator of the numbers, and the date and time formats.
    QLocale locale = QLocale::system();
    QDateTime timestamp = QDateTime::currentDateTime();
    QString versionText = reportVersionText();
    QString webAddress = QString::fromLatin1(kProductWebAddress);
};

// The text of the page as it goes into the file, CR LF line ends, ending with
// "</html>" and CR LF: the inputs and a complete calculation of them. Texts
// from the store (captions, designations, choice texts) are HTML-escaped.
QString reportPage(const SchemeInputs &inputs, const Calculation &calculation, const ReportSettings &settings);

// One table row of the page body, deliberately without its "</tr>": the page
// closes the table with a single "</tr>" and browsers close the rows.
QString TableRow(const QString &first, const QString &second);

// Numbers as the page shows them, with the locale's decimal separator and no
// grouping: plain has up to 15 significant digits (exponent form where the
// value needs it, 1E-08), rounded is plain after rounding to 3 decimal places
// with halves to even (1234.56789 → 1234.568, 1.5 stays 1.5).
QString plainNumber(double value, const QLocale &locale);
QString roundedNumber(double value, const QLocale &locale);

// The three picture files of the diagrams, in the order XOZ, YOZ, sum.
const QStringList &diagramPictureNames();

// Creates the picture folder when needed and writes the three diagram
// bitmaps into it as Windows bitmaps (BMP), overwriting older ones. False,
// with the names that could not be written in error, when the folder cannot
// be made or a picture cannot be written; the others are written all the same.
bool saveDiagramPictures(
    const QString &folder, const QImage &xoz, const QImage &yoz, const QImage &sum, QString *error = nullptr);

// Writes the page in windows-1251 (characters outside it as numeric
// references) in place of the file at path. False, with the reason, on failure.
bool saveReportFile(const QString &path, const QString &page, QString *error = nullptr);

// The whole report of a complete calculation: the three diagrams drawn as
// the diagram nodes show them and saved into the picture folder, then the
// page. False, with the reasons one per line, when a picture or the page
// could not be written.
bool writeCalculationReport(
    const SchemeInputs &inputs, const Calculation &calculation, const ReportSettings &settings, QString *error = nullptr);

} // namespace tarnvel
