#pragma once

// The HTML calculation report: one page in windows-1251 with the general
// data, the loading points with their loads and mesh forces, the support
// reactions, both bearings with their results, and the three moment diagrams
// as Windows bitmaps in a folder beside the page.

#include "analysis/calculation.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QList>
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
    // The file names of the diagram pictures in the picture folder, XOZ, YOZ,
    // sum, as reportPicture names them (writeCalculationReport fills them in).
    // Left empty, the page shows each stem's plain bitmap, "xoz.bmp".
    QStringList diagramPictures;
    // The shaft check's pictures by their order in shaftPictureStems(); an
    // empty name: the check has no such picture.
    QStringList shaftPictures;
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

// The stems of the diagram pictures' names, in the order XOZ, YOZ, sum.
const QStringList &diagramPictureStems();
// The stems of the shaft check's pictures: torque, equivalent moment,
// required diameter, deflection, slope.
const QStringList &shaftPictureStems();

// One picture of the report as it goes into the picture folder.
struct ReportPicture
{
    QString stem; // "xoz"
    QString fileName; // "xoz-1f2e3d4c5b6a7988.bmp"
    QByteArray bytes; // a Windows bitmap; none when the picture was not drawn
};

// The picture as a Windows bitmap named after its stem and its bytes: the
// stem, a dash, 16 hexadecimal digits of the bytes' SHA-256, ".bmp". A page
// names its own pictures so: writing a new report never touches a picture an
// older page shows unless it has exactly that picture's bytes.
ReportPicture reportPicture(const QString &stem, const QImage &image);

// Whether a file of the picture folder is a picture a report wrote under one
// of the stems: "<stem>-<16 hexadecimal digits>.bmp", or the stem's plain
// bitmap as reports named their pictures before ("xoz.bmp").
bool isReportPictureName(const QString &fileName, const QStringList &stems);

// Where the page finds a picture of its folder: a URL relative to the page,
// "report1.files/xoz-….bmp", with the characters a browser would misread
// percent-encoded ("a#1.htm" has "a%231.files/xoz-….bmp").
QString reportPictureSource(const QString &reportFile, const QString &pictureFile);

// Writes the page in windows-1251 (characters outside it as numeric
// references) in place of the file at path. False, with the reason, on
// failure; the old file then keeps its content.
bool saveReportFile(const QString &path, const QString &page, QString *error = nullptr);

// Puts a report in place of the one at reportFile: the pictures go into the
// picture folder, made when missing, then the page in place of the old one,
// and only then the old page's pictures go (the pictures of the stems written
// that the new page does not name; nothing else in the folder is touched).
// A kill at any moment thus leaves the old page with its own pictures or the
// new page with its own, at worst with pictures no page names, which the next
// report removes. A report whose folder is missing, or whose picture folder's
// place is taken by a file, is refused before anything is written; any other
// failure leaves the old page and pictures as they were. False, with the
// reason, then.
bool saveReport(
    const QString &reportFile, const QString &page, const QList<ReportPicture> &pictures, QString *error = nullptr);

// The whole report of a complete calculation: the three diagrams drawn as
// the diagram nodes show them, and the page naming them, saved together
// (saveReport).
bool writeCalculationReport(
    const SchemeInputs &inputs, const Calculation &calculation, const ReportSettings &settings, QString *error = nullptr);

} // namespace tarnvel
