#include "files/report.h"

#include "analysis/calculation.h"

#include "analysis/diagram_bitmap.h"
#include "analysis/diagram_plot.h"
#include "analysis/scheme_store.h"
#include "files/file_names.h"
#include "files/windows1251.h"
#include "store/numbers.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace tarnvel;

namespace {

const QLocale kRussian(QLocale::Russian, QLocale::Russia);
const QString kCrLf = QStringLiteral("\r\n");

TEST(ReportNumbers, PlainAndRoundedForms)
{
    const struct
    {
        double value;
        const char *plain; // with the Russian decimal comma
        const char *rounded;
    } cases[] = {
        { 200, "200", "200" }, { 1.5, "1,5", "1,5" }, { 0.01, "0,01", "0,01" }, // no trailing zeros
        { 1234.56789, "1234,56789", "1234,568" },
        { 2.0625, "2,0625", "2,062" }, // an exact half goes to the even neighbour
        { 0.1875, "0,1875", "0,188" }, { -7.0625, "-7,0625", "-7,062" },
        { 1e-8, "1E-08", "0" }, // exponent form, as in statements
        { -0.0, "0", "0" },
        { 123456789012345678.0, "1,23456789012346E+17", "1,23456789012346E+17" }, // 15 significant digits
    };
    for (const auto &c : cases) {
        EXPECT_EQ(plainNumber(c.value, kRussian), QString::fromUtf8(c.plain)) << c.value;
        EXPECT_EQ(roundedNumber(c.value, kRussian), QString::fromUtf8(c.rounded)) << c.value;
    }
    EXPECT_EQ(plainNumber(1.5, QLocale::c()), QStringLiteral("1.5"));
}

TEST(Windows1251, CodePageBytesAndCharacterReferences)
{
    const struct
    {
        const char16_t *text;
        const char *bytes;
    } cases[] = {
        // Every single byte is held against the system's converter below.
        { u"<td width=500>", "<td width=500>" }, { u"Общие", "\xCE\xE1\xF9\xE8\xE5" },
        { u"\u221E", "&#8734;" }, // ∞ has no byte
        { u"\u00E9t\u00E9", "&#233;t&#233;" }, // é is not in the Cyrillic page
        { u"\U0001F600", "&#128512;" }, // one reference for the surrogate pair
        { u"a\xD800z", "a&#65533;z" }, // a lone surrogate
    };
    for (const auto &c : cases)
        EXPECT_EQ(toWindows1251(QString::fromUtf16(c.text)), QByteArray(c.bytes)) << c.bytes;

    // Cross-check against the system's converter where Qt has one (ICU).
    QStringDecoder decoder("windows-1251");
    if (!decoder.isValid())
        GTEST_SKIP() << "no windows-1251 decoder to compare with";
    for (int byte = 0; byte <= 0xFF; ++byte) {
        if (byte == 0x98)
            continue; // unassigned
        const QString c = decoder.decode(QByteArray(1, static_cast<char>(byte)));
        EXPECT_EQ(toWindows1251(c), QByteArray(1, static_cast<char>(byte))) << std::hex << byte;
    }
}

// A small complete scheme: a cylindrical gear point with two modes, a free
// force with two modes and a bearing on the right support only. Its
// calculation's numbers are then replaced by ones chosen so that every number
// form shows.
class ReportScheme : public test::SchemeStore
{
protected:
    void SetUp() override
    {
        SchemeStore::SetUp();
        setCommon(2, 200);
        setCommon(4, 1);
        setCommon(38, 1);

        const qint64 gear = addPoint(1, 3,
            { { 11, 2.5 }, { 12, 20 }, { 13, 60 }, { 14, 0 }, { 15, 1 }, { 16, 0 }, { 17, 0 }, { 18, 1 }, { 19, 2 },
                { 20, 90 }, { 33, 50 } });
        // N·m, rpm, share; kinds 1 … 3 hold placeholders, the page shows kind 1 as entered.
        addPowers(gear, 1, 1000, 0.7, { { 1, 1 }, { 2, 2 }, { 3, 3 }, { 4, 100 } }, 1);
        addPowers(gear, 2, 1500, 0.3, { { 1, 1 }, { 2, 2 }, { 3, 3 }, { 4, 80 } }, 1);

        const qint64 force = addFreeForce(2, 0, 40, 120, 105, -52, 17);
        addPowers(force, 1, 1000, 0.7, { { 5, 100 }, { 6, -50 }, { 7, 20 } }, 1);
        addPowers(force, 2, 1500, 0.3, { { 5, 120 }, { 6, -60 }, { 7, 25 } }, 1);


        db->execute(QStringLiteral("INSERT INTO Bearings (`Number`, di, de, b, C, C0, Alfa, Tkah, TipID) "
                                   "VALUES ('6205 <E> & Co', 25, 52, 15, 14000, 6950, 0, 1.1, 2)"));
        bearingId = db->lastInsertId();
        insert(QStringLiteral("BearRep (Side, BearingID, Kb, Kt, RollRing, Radial, Osev)"), { 1, bearingId, 1.2, 1, 0, 1, 0 });
    }

    void insert(const QString &into, std::initializer_list<QVariant> values)
    {
        QStringList texts;
        for (const QVariant &v : values)
            texts.append(SqlNum(v));
        db->execute(QStringLiteral("INSERT INTO ") + into + QStringLiteral(" VALUES (")
            + texts.join(QStringLiteral(", ")) + QStringLiteral(")"));
    }

    QString page(const QString &reportFile = QStringLiteral("C:\\My Work\\report1.htm"))
    {
        ReportSettings settings;
        settings.reportFile = reportFile;
        settings.locale = kRussian;
        settings.timestamp = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
        settings.versionText = QStringLiteral("Версия: 1.0.1");
        const SchemeInputs inputs = readScheme(*db);
        Calculation c = calculate(inputs);
        EXPECT_FALSE(c.missing.has_value());
        const ModeForces forces[] = { { 1234.56789, 449.35, 0 }, { 987.6543, 359.48, 0 } };
        for (qsizetype m = 0; m < c.points[0].mesh.modes.size(); ++m)
            c.points[0].mesh.modes[m] = forces[m];
        const double reactions[7] = { -26.25, 2.0625, 26.33, -78.75, -1130.0625, 1132.8, -17 };
        const double *next = reactions;
        for (QVector<ResultRow> &rows : c.reactionRows)
            for (ResultRow &row : rows)
                row.numbers = { *next++ };
        // P0 = R2 = 281.1196 of the heavier mode against C0 = 6950 N.
        const std::pair<const char *, double> results[] = { { "BV", 1 }, { "Be", 0.0625 }, { "BX", 1 }, { "BY", 0 },
            { "BPr", 1431.5 }, { "BLh", 10000.0625 }, { "BP0", 281.1196 }, { "Bs0", 6950 / 281.1196 } };
        for (ResultRow &row : c.supports[1].rows)
            for (const auto &[key, value] : results)
                if (row.key == QLatin1String(key))
                    row.numbers = { value };
        return reportPage(inputs, c, settings);
    }

    qint64 bearingId = 0;
};

TEST_F(ReportScheme, PageStructure)
{
    const QString text = page();
    const QString top = QStringLiteral("<html>\r\n<head>\r\n"
                                       "<meta http-equiv=Content-Type content='text/html; charset=windows-1251'>\r\n"
                                       "</head>\r\n<body lang=RU>\r\n"
                                       "<u><font size='5'>Расчёт подшипников 05.03.2024 14:07</font></u>\r\n"
                                       "<br><br>\r\nПрограмма Tarnvel Версия: 1.0.1<br>\r\n");
    EXPECT_TRUE(text.startsWith(top)) << text.left(400).toStdString();
    const QString firstRow = QStringLiteral("BORDER-COLLAPSE: collapse' borderColor=gray>\r\n<tr>\r\n<td width=500>\r\n"
                                            "<u><font size='4'>Общие данные:</font></u>\r\n</td>\r\n"
                                            "<td width=300>\r\n &nbsp; \r\n</td>\r\n<tr>\r\n");
    EXPECT_TRUE(text.contains(firstRow));
    EXPECT_TRUE(text.endsWith(QStringLiteral("</td>\r\n</tr>\r\n</table>\r\n</body>\r\n</html>\r\n")));
    EXPECT_EQ(text.count(QStringLiteral("</tr>")), 1);
    EXPECT_EQ(text.count(QLatin1Char('\n')), text.count(kCrLf)); // no bare line feeds

    // Rows by section: general data 1 + 1 + 3 + 1; scheme heading 2; gear
    // point 2 + 11 parameters + (2 + 2·5) loads + (2 + 2·5) forces + 1 + 1;
    // free force 2 + 3 parameters + (2 + 2·7) + 1; reactions 4 + 3 + 2 + 3 +
    // 1 + 1 + 1; bearings 3 + 2 + 20; diagrams 3 + 3·2 + 2.
    const int rows = 6 + 2 + (2 + 11 + 12 + 12 + 2) + (2 + 3 + 16 + 1) + 15 + 25 + 11;
    EXPECT_EQ(text.count(QStringLiteral("<tr>\r\n<td width=500>\r\n")), rows);
    EXPECT_EQ(text.count(QStringLiteral("<tr>")), rows);

    // The golden page holds the others in their order.
    const QStringList sections = { QStringLiteral("Общие данные:"), QStringLiteral("Схема нагружения:"),
        QStringLiteral("Точка 1 - Цилиндрическое зацепление:"), QStringLiteral("Подшипники:"),
        QStringLiteral("Эпюры изгибающих моментов:") };
    qsizetype at = 0;
    for (const QString &section : sections) {
        const qsizetype next = text.indexOf(section, at);
        EXPECT_GT(next, at) << section.toStdString();
        at = std::max(at, next);
    }

    // No bearing on the left: its heading is followed by a blank row and the right side.
    const QString blank = TableRow(QStringLiteral(" &nbsp; "), QStringLiteral(" &nbsp; "));
    EXPECT_TRUE(text.contains(TableRow(QStringLiteral("<u>Левая опора:</u>"), QStringLiteral(" &nbsp; ")) + blank
        + TableRow(QStringLiteral("<u>Правая опора:</u>"), QStringLiteral(" &nbsp; "))
        + TableRow(QStringLiteral("Номер подшипника"), QStringLiteral("6205 &lt;E&gt; &amp; Co"))));
}

TEST_F(ReportScheme, KeyNumbersAndCaptions)
{
    const QString text = page();
    const struct
    {
        const char *first;
        const char *second;
    } rows[] = {
        // What the golden page (a point for a separator, no halves) cannot
        // show: the Russian comma, halves to even, single-precision Кб, Ккач.
        { "Нормальный модуль m, мм", "2,5" },
        { "Мощность л.c.", "1" }, // the kind the loads were entered in
        { "   Окружная   Ft(1)", "1234,568" },
        { "R1y", "2,062" }, // 2.0625
        { "R2y", "-1130,062" },
        { "            Безопасности  Кб", "1,2" },
        { "            Качества      Ккач", "1,1" },
        { "<b>Долговечность, час.</b>", "<b>10000,062</b>" },
        { "Статическая эквивалентная нагрузка P0, Н", "281,12" },
        { "Запас статической грузоподъёмности s0", "24,723" },
    };
    for (const auto &r : rows)
        EXPECT_TRUE(text.contains(TableRow(QString::fromUtf8(r.first), QString::fromUtf8(r.second)))) << r.first;
    // Equivalent projections of a free force are results, not parameters.
    EXPECT_FALSE(text.contains(QStringLiteral("Проекция силы Fx")));

    const QString unit = QStringLiteral("<u>В плоскости XOZ (Н*м):</u>");
    EXPECT_TRUE(text.contains(TableRow(unit, QStringLiteral(" &nbsp; "))));
    EXPECT_TRUE(text.contains(
        QStringLiteral("<img src=\"report1.files/sum.bmp\" width='600' height='330' style='border: 1px solid #000000'>")));
}

// Without a force unit the captions go bare; a single mode keeps its mesh forces.
TEST_F(ReportScheme, MissingForceUnitLeavesCaptionsBare)
{
    db->execute(QStringLiteral("DELETE FROM CommonParameters WHERE ParameterID = 4"));
    db->execute(QStringLiteral("DELETE FROM Powers WHERE RezNumber = 2"));
    const QString text = page();
    EXPECT_TRUE(text.contains(TableRow(QStringLiteral("   Окружная   Ft(1)"), QStringLiteral("1234,568"))));
    EXPECT_TRUE(text.contains(QStringLiteral("Расчётная нагрузка Pr, \r\n</td>")));
    EXPECT_TRUE(text.contains(QStringLiteral("<u>В плоскости YOZ (*м):</u>")));
}

// The diagram axis is not set: the diagrams take L = 200, and the report lists
// it among the general data where the catalogue places it, as it is kept.
TEST_F(ReportScheme, TheAxisTheDiagramsTakeIsListed)
{
    CalculationRequest request;
    request.diagrams = true;
    const SchemeInputs inputs = readScheme(*db);
    const Calculation calculation = calculate(inputs, request);
    ASSERT_TRUE(calculation.diagrams.has_value());
    ReportSettings settings;
    settings.reportFile = QStringLiteral("r.htm");
    settings.locale = kRussian;
    const QString text = reportPage(inputs, calculation, settings);
    const QString axis = TableRow(QStringLiteral("Длина оси эпюры моментов, мм"), QStringLiteral("200"));
    EXPECT_TRUE(text.contains(axis));
    EXPECT_LT(text.indexOf(TableRow(QStringLiteral("Единица силы"), QStringLiteral("Н"))), text.indexOf(axis));
    EXPECT_FALSE(reportPage(inputs, calculate(inputs), settings).contains(axis)); // no diagrams, no axis taken
}

TEST_F(ReportScheme, StoreTextsAreEscaped)
{
    db->execute(QStringLiteral("UPDATE `Parameters` SET Parameter = 'L <между> & \"опорами\"' WHERE ParameterID = 2"));
    db->execute(QStringLiteral("UPDATE Groups SET `Group` = 'Сила <F>' WHERE GroupID = 2"));
    const QString text = page(QStringLiteral("/tmp/a&b/r&d #1 100%?.htm"));
    EXPECT_TRUE(
        text.contains(TableRow(QStringLiteral("L &lt;между&gt; &amp; &quot;опорами&quot;"), QStringLiteral("200"))));
    EXPECT_TRUE(text.contains(QStringLiteral("Точка 2 - Сила &lt;F&gt;:")));
    // A browser would read '#' as a fragment, '%' as an escape, '?' as a query.
    EXPECT_TRUE(text.contains(QStringLiteral("src=\"r&amp;d%20%231%20100%25%3F.files/xoz.bmp\"")));
}

// A report written again after the loads changed: its page shows the
// diagrams of the new calculation, each in the folder under the name the
// page gives, and nothing of the first report is left.
TEST_F(ReportScheme, AReportWrittenAgainShowsOnlyItsOwnDiagrams)
{
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("twice.htm"));
    const QDir folder(reportPictureFolder(report));
    CalculationRequest request;
    request.diagrams = true;
    ReportSettings settings;
    settings.reportFile = report;
    settings.locale = kRussian;
    QString error;
    const auto write = [&] {
        const SchemeInputs inputs = readScheme(*db);
        const Calculation calculation = calculate(inputs, request);
        EXPECT_TRUE(writeCalculationReport(inputs, calculation, settings, &error)) << error.toStdString();
        return calculation;
    };
    write();
    const QStringList firstSources = test::pageImageSources(test::fileBytes(report));
    db->execute(QStringLiteral("UPDATE Powers SET Power = Power * 3"));
    const Calculation second = write();

    // The three moment diagrams, then the shaft's torque, equivalent moment and
    // required diameter (without steps it has no deflection and slope).
    const QStringList sources = test::pageImageSources(test::fileBytes(report));
    ASSERT_EQ(sources.size(), 6);
    QStringList files;
    for (int i = 3; i < 6; ++i) {
        EXPECT_TRUE(sources.at(i).startsWith(QStringLiteral("twice.files/") + shaftPictureStems().at(i - 3) + QLatin1Char('-')));
        files << sources.at(i).mid(QStringLiteral("twice.files/").size());
    }
    const DiagramPlane planes[] = { DiagramPlane::XOZ, DiagramPlane::YOZ, DiagramPlane::Sum };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(sources.at(i).toStdString());
        EXPECT_TRUE(
            sources.at(i).startsWith(QStringLiteral("twice.files/") + diagramPictureStems().at(i) + QLatin1Char('-')));
        files << sources.at(i).mid(QStringLiteral("twice.files/").size());
        QImage drawn;
        DrawEpur(second.diagrams->plane(planes[i]), epurCaption(planes[i], second.unit), drawn);
        const QImage shown(dir.filePath(sources.at(i)), "BMP");
        EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), drawn.convertToFormat(QImage::Format_RGB32));
    }
    EXPECT_EQ(test::sorted(folder.entryList(QDir::Files)), test::sorted(files));
    // The sum diagram's moments tripled with the loads: another picture.
    EXPECT_NE(firstSources.at(2), sources.at(2));
}

QList<ReportPicture> blankPictures()
{
    QList<ReportPicture> pictures;
    for (const QString &stem : diagramPictureStems())
        pictures << reportPicture(stem, blankDiagramBitmap());
    return pictures;
}

QStringList fileNames(const QList<ReportPicture> &pictures)
{
    QStringList names;
    for (const ReportPicture &picture : pictures)
        names << picture.fileName;
    return names;
}

// A picture's name is its stem and a tag of its bytes: equal bytes, equal
// names; one pixel more, another name.
TEST(DiagramPictures, NamesFollowTheBytes)
{
    QImage image = blankDiagramBitmap();
    const ReportPicture blank = reportPicture(QStringLiteral("xoz"), image);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^xoz-[0-9a-f]{16}\\.bmp$")).match(blank.fileName).hasMatch())
        << blank.fileName.toStdString();
    EXPECT_TRUE(blank.bytes.startsWith("BM"));
    EXPECT_EQ(reportPicture(QStringLiteral("xoz"), blankDiagramBitmap()).fileName, blank.fileName);
    EXPECT_EQ(reportPicture(QStringLiteral("sum"), image).fileName.mid(3), blank.fileName.mid(3));
    image.setPixel(300, 160, 0);
    EXPECT_NE(reportPicture(QStringLiteral("xoz"), image).fileName, blank.fileName);
    EXPECT_TRUE(reportPicture(QStringLiteral("xoz"), QImage()).bytes.isEmpty());
}

TEST(DiagramPictures, OnlyTheReportsOwnNamesAreItsPictures)
{
    const QStringList stems = diagramPictureStems();
    const struct
    {
        const char *name;
        bool own;
    } cases[] = {
        { "xoz-0123456789abcdef.bmp", true }, { "sum-ffffffffffffffff.bmp", true },
        { "yoz.bmp", true }, // as reports named their pictures before
        { "shaft-0123456789abcdef.bmp", false }, // not a stem of these pictures
        { "xoz-0123456789ABCDEF.bmp", false }, { "xoz-0123456789abcde.bmp", false }, // 15 digits
        { "xoz-0123456789abcdef0.bmp", false }, { "xoz-draft.bmp", false }, { "xoz-0123456789abcdef.png", false },
        { "xoz-0123456789abcdef.bmp.bak", false }, { "my xoz.bmp", false }, { "XOZ.bmp", false },
        { "notes.txt", false }, { ".bmp", false },
    };
    for (const auto &c : cases)
        EXPECT_EQ(isReportPictureName(QLatin1String(c.name), stems), c.own) << c.name;
    EXPECT_TRUE(isReportPictureName(QStringLiteral("shaft-0123456789abcdef.bmp"), { QStringLiteral("shaft") }));
}

// Written again with other pictures, the folder holds the new page's pictures
// and the user's own files; the old page's pictures, orphans of a kill and
// the plain names of earlier reports are gone. The same report written again
// changes nothing.
TEST(DiagramPictures, ANewReportRemovesOnlyTheOldPagesPictures)
{
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("r.htm"));
    const QDir folder(reportPictureFolder(report));
    QString error;
    const QList<ReportPicture> first = blankPictures();
    ASSERT_TRUE(saveReport(report, QStringLiteral("first"), first, &error)) << error.toStdString();

    const QStringList users { "notes.txt", "photo.bmp", "xoz-draft.bmp", "XOZ.bmp", "shaft-0123456789abcdef.bmp" };
    for (const QString &name : users)
        test::putFile(folder.filePath(name), "the user's");
    test::putFile(folder.filePath(QStringLiteral("sum.bmp")), "an earlier report's");
    test::putFile(folder.filePath(QStringLiteral("yoz-0123456789abcdef.bmp")), "orphan of a kill");
    ASSERT_TRUE(folder.mkdir(QStringLiteral("xoz-fedcba9876543210.bmp"))); // a folder is never removed

    QList<ReportPicture> second;
    for (const QString &stem : diagramPictureStems()) {
        QImage image = blankDiagramBitmap();
        image.setPixel(100, 100, 12);
        second << reportPicture(stem, image);
    }
    ASSERT_TRUE(saveReport(report, QStringLiteral("second"), second, &error)) << error.toStdString();
    EXPECT_EQ(test::fileBytes(report), QByteArray("second"));
    EXPECT_EQ(test::sorted(folder.entryList(QDir::Files)), test::sorted(fileNames(second) + users));
    for (const ReportPicture &picture : second)
        EXPECT_EQ(test::fileBytes(folder.filePath(picture.fileName)), picture.bytes) << picture.fileName.toStdString();
    for (const QString &name : users)
        EXPECT_EQ(test::fileBytes(folder.filePath(name)), QByteArray("the user's")) << name.toStdString();
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("xoz-fedcba9876543210.bmp"))).isDir());

    // Two of the pictures as before, one new: the two stay as they were.
    QList<ReportPicture> third = second;
    third[0] = first[0];
    ASSERT_TRUE(saveReport(report, QStringLiteral("third"), third, &error)) << error.toStdString();
    EXPECT_EQ(test::sorted(folder.entryList(QDir::Files)), test::sorted(fileNames(third) + users));
    ASSERT_TRUE(saveReport(report, QStringLiteral("third"), third, &error)) << error.toStdString();
    EXPECT_EQ(test::sorted(folder.entryList(QDir::Files)), test::sorted(fileNames(third) + users));
}

// A report that cannot be written whole leaves the old page with its own
// pictures: nothing is put in place before everything is written. What can be
// seen beforehand stops it before anything is written at all.
TEST(DiagramPictures, AReportNotWrittenWholeLeavesTheOldOne)
{
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("r.htm"));
    const QString folder = dir.filePath(QStringLiteral("r.files"));
    const struct
    {
        const char *fault;
        std::function<void()> prepare; // undone by the next row's
        rlim_t sizeLimit; // the largest file the system lets this process write
        const char *says;
    } cases[] = {
        // The page's name is a link into a folder that is gone: the page
        // fails after the pictures were written.
        { "page through a dangling link",
          [&] { QFile::remove(report); QFile::link(dir.filePath(QStringLiteral("gone/r.htm")), report); },
          RLIM_INFINITY, "символическая ссылка" },
        // The disk fills up while the first picture is written.
        { "a full disk", [&] { QFile::remove(report); test::putFile(report, "old page"); }, 4096, "xoz-" },
    };
    ASSERT_TRUE(QDir().mkdir(folder));
    // The old page's pictures, as reports named them before.
    QStringList oldPictures;
    for (const QString &stem : diagramPictureStems())
        oldPictures << stem + QStringLiteral(".bmp");
    for (const QString &name : oldPictures)
        test::putFile(QDir(folder).filePath(name), "old " + name.toLatin1());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        c.prepare();
        const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        QString error;
        bool saved = true;
        {
            test::FileSizeLimit limit(c.sizeLimit);
            saved = saveReport(report, QStringLiteral("new page"), blankPictures(), &error);
        }
        EXPECT_FALSE(saved);
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << error.toStdString();
        for (const QString &name : oldPictures)
            EXPECT_EQ(test::fileBytes(QDir(folder).filePath(name)), "old " + name.toLatin1());
        EXPECT_NE(test::fileBytes(report), QByteArray("new page"));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), before);
    }
}

} // namespace
