// A realistic scheme computed end to end and compared with numbers worked out
// independently of the program: the intermediate shaft of a two-stage
// cylindrical-bevel reducer (helical wheel, spiral bevel pinion overhung
// beyond the right support, a chain-sprocket take-off as a free force, three
// load modes, bearings 208 and 36308).
//
// tests/data/golden/reducer_shaft.py works the case out by the textbook method
// (Иванов М.Н. «Детали машин»; Дунаев П.Ф., Леликов О.П. «Конструирование
// узлов и деталей машин»; ГОСТ 18855 / ISO 281) with the Python standard
// library only, and writes both the scenario file reducer_shaft.tvd and the
// expected page rows expected.txt; README.md there shows the working.

#include "diagram_label_checks.h"
#include "message_recorder.h"
#include "test_support.h"

#include "analysis/diagram_plot.h"
#include "analysis/moment_diagram.h"
#include "files/report.h"
#include "files/scenario_file.h"
#include "store/numbers.h"
#include "store/store_file.h"
#include "ui/main_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

using namespace tarnvel;

namespace {

QString goldenFile(const char *name)
{
    return QStringLiteral(TARNVEL_TEST_DATA "/golden/") + QLatin1String(name);
}

// The page body is a list of two-cell rows.
using PageRow = std::pair<QString, QString>;

QList<PageRow> pageRows(const QString &page)
{
    static const QRegularExpression row(
        QStringLiteral("<tr>\r\n<td width=500>\r\n(.*?)\r\n</td>\r\n<td width=300>\r\n(.*?)\r\n</td>\r\n"));
    QList<PageRow> rows;
    for (auto it = row.globalMatch(page); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        rows.append({m.captured(1), m.captured(2)});
    }
    return rows;
}

// One line of expected.txt: an anchor row (A), an expected value (V) or the
// largest moment of a diagram (M).
struct Expectation
{
    QChar kind;
    QStringList fields;
    int line = 0;
};

QList<Expectation> expectations()
{
    QFile file(goldenFile("expected.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Expectation> out;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList fields = line.split(QLatin1Char('\t'));
        const QChar kind = fields.takeFirst().at(0);
        out.append({kind, fields, i + 1});
    }
    return out;
}

// The program copied into a directory of its own: it then finds no store
// beside it and works on a fresh one, whose catalogue is the shipped one, so
// the bearing numbers in the scenario mean the bearings they were chosen for.
QString privateProgramCopy(const QTemporaryDir &dir)
{
    const QString source = QStringLiteral(TARNVEL_EXECUTABLE);
    const QString copy = QDir(dir.path()).filePath(QStringLiteral("bin/") + QFileInfo(source).fileName());
    if (!QDir().mkpath(QFileInfo(copy).path()) || !QFile::copy(source, copy))
        return {};
    QFile::setPermissions(copy, QFile::permissions(source));
    return copy;
}

class GoldenSchemeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(goldenFile("reducer_shaft.tvd")))
            << "run python3 tests/data/golden/reducer_shaft.py";
        const auto bytes = [](const QString &path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        // The worked example beside the program is this scheme.
        const QString example = QFileInfo(QStringLiteral(TARNVEL_EXECUTABLE)).dir().filePath(QStringLiteral("examples/reducer_shaft.tvd"));
        ASSERT_EQ(bytes(goldenFile("reducer_shaft.tvd")), bytes(example)) << "run python3 tests/data/golden/reducer_shaft.py";
        expected = expectations();
        ASSERT_FALSE(expected.isEmpty()) << "tests/data/golden/expected.txt is missing or empty";
    }

    QTemporaryDir work;
    QList<Expectation> expected;
};

TEST_F(GoldenSchemeTest, BatchReportShowsTheWorkedOutNumbers)
{
    const QString program = privateProgramCopy(work);
    ASSERT_FALSE(program.isEmpty());
    const QString report = QDir(work.path()).filePath(QStringLiteral("reducer_shaft.htm"));

    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A locale whose decimal separator is a point, as in expected.txt; and no
    // display at all, as on a build server.
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::SeparateChannels);
    run.start(program, {QStringLiteral("--report"), goldenFile("reducer_shaft.tvd"), report});
    ASSERT_TRUE(run.waitForFinished(120000));
    ASSERT_EQ(run.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(run.exitCode(), 0) << QString::fromUtf8(run.readAllStandardError()).toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.readAllStandardOutput()).startsWith(QStringLiteral("Отчёт сохранён в файле")));

    // The three moment diagrams and the shaft check's five pictures beside the page.
    const QStringList pictures = test::pageImageSources(test::fileBytes(report));
    ASSERT_EQ(pictures.size(), 8);
    for (const QString &name : pictures) {
        EXPECT_TRUE(name.startsWith(QStringLiteral("reducer_shaft.files/"))) << name.toStdString();
        const QImage image(QDir(work.path()).filePath(name), "BMP");
        EXPECT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_EQ(image.size(), QSize(601, 329)) << name.toStdString();
    }

    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // The system's own windows-1251 decoder, not the program's encoder.
    QStringDecoder windows1251("windows-1251");
    ASSERT_TRUE(windows1251.isValid());
    const QString page = windows1251.decode(file.readAll());
    const QList<PageRow> rows = pageRows(page);
    ASSERT_GT(rows.size(), 100);

    // Anchors in the order of the page; each value is looked for from its
    // anchor up to the next one.
    const auto rowOf = [&rows](const QString &caption, qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) {
            if (rows.at(i).first == caption)
                return i;
        }
        return qsizetype(-1);
    };
    QList<qsizetype> anchorAt;
    for (const Expectation &e : expected) {
        if (e.kind != QLatin1Char('A'))
            continue;
        anchorAt.append(rowOf(e.fields.at(0), anchorAt.isEmpty() ? 0 : anchorAt.last() + 1, rows.size()));
        ASSERT_GE(anchorAt.last(), 0) << "expected.txt line " << e.line << ": no row " << e.fields.at(0).toStdString()
                                      << " after the previous anchor";
    }

    int checked = 0;
    qsizetype anchor = -1;
    for (const Expectation &e : expected) {
        anchor += e.kind == QLatin1Char('A');
        if (e.kind != QLatin1Char('V'))
            continue;
        ASSERT_EQ(e.fields.size(), 3) << "expected.txt line " << e.line;
        const std::string what = e.fields.at(2).toStdString() + " (expected.txt line " + std::to_string(e.line) + ")";
        const qsizetype found = rowOf(e.fields.at(0), anchor < 0 ? 0 : anchorAt.at(anchor),
                                      anchor + 1 < anchorAt.size() ? anchorAt.at(anchor + 1) : rows.size());
        ++checked;
        EXPECT_GE(found, 0) << what << ": the page has no row \"" << e.fields.at(0).toStdString() << "\" where expected";
        if (found >= 0) {
            EXPECT_EQ(rows.at(found).second.toStdString(), e.fields.at(1).toStdString()) << what;
        }
    }
    EXPECT_GT(checked, 100);
}

// The diagrams are pictures; their numbers are the moments just left and
// just right of every point of the scheme, which the picture draws the
// outline through and labels in force unit × m. The largest of them must be
// the worked-out largest bending moment of each plane.
TEST_F(GoldenSchemeTest, DiagramsReachTheWorkedOutLargestMoments)
{
    test::MessageRecorder messages;
    const std::optional<Scenario> scenario = loadScenarioFile(goldenFile("reducer_shaft.tvd"));
    ASSERT_TRUE(scenario.has_value());

    // As the batch report does it: a fresh store, the scenario opened into it,
    // the report written (which computes everything), the window never shown.
    ProgramState state;
    state.storeDirectory = work.path();
    state.db = openOrCreateStore(work.path());
    newProjectStore(state.db, work.path(), [](const QString &) {});
    writeScenarioToStore(*state.db, *scenario);
    frmMain window(state);
    ASSERT_EQ(window.writeReport(QDir(work.path()).filePath(QStringLiteral("in_process.htm"))),
        frmMain::ReportOutcome::Written);
    for (const ShownMessage &m : messages.shown())
        EXPECT_TRUE(m.text.startsWith(QStringLiteral("Отчёт сохранён"))) << m.text.toStdString();

    CalculationRequest request;
    request.diagrams = true;
    const Calculation calculation = calculate(readScheme(*state.db), request);
    ASSERT_TRUE(calculation.diagrams.has_value());
    const std::map<QString, DiagramPlane> planes { { QStringLiteral("XOZ"), DiagramPlane::XOZ },
        { QStringLiteral("YOZ"), DiagramPlane::YOZ }, { QStringLiteral("SUM"), DiagramPlane::Sum } };

    int checked = 0;
    for (const Expectation &e : expected) {
        if (e.kind != QLatin1Char('M'))
            continue;
        ASSERT_EQ(e.fields.size(), 2) << "expected.txt line " << e.line;
        const PlaneDiagram &diagram = calculation.diagrams->plane(planes.at(e.fields.at(0)));
        double largest = 0;
        for (const QVector<double> *side : { &diagram.left, &diagram.right })
            for (const double m : *side)
                largest = std::max(largest, std::abs(m));
        EXPECT_EQ(roundedNumber(largest / 1000.0, QLocale::c()).toStdString(), e.fields.at(1).toStdString())
            << "largest |M| in " << e.fields.at(0).toStdString() << ", force unit × m";
        ++checked;

        // Every label is legible where it stands and leaves the lines whole.
        QVector<DiagramLabel> labels;
        QImage unlabelled;
        const QImage picture = paintEpur(diagram, QString(), &labels, &unlabelled);
        EXPECT_GE(labels.size(), 6) << e.fields.at(0).toStdString();
        SCOPED_TRACE(e.fields.at(0).toStdString());
        test::expectLegibleLabels(picture, unlabelled, labels);
        // The largest moment is among them.
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const DiagramLabel &l) {
            return std::abs(l.text.toDouble()) == roundHalfEven(largest / 1000.0, 3);
        })) << largest;
    }
    EXPECT_EQ(checked, 3);
}

} // namespace
