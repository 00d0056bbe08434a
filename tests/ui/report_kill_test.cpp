// The batch report killed at random moments while it writes over a report of
// another scenario.

#include "files/file_names.h"
#include "files/report.h"
#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace tarnvel;

namespace {

// A report as an uninterrupted run writes it: the page without its time
// stamp and picture lines, and the pictures it shows, by file name.
struct WrittenReport
{
    QByteArray body;
    QStringList pictures;
    QMap<QString, QByteArray> pictureBytes;
};

QByteArray pageBody(const QByteArray &page)
{
    QList<QByteArray> lines = page.split('\n');
    lines.removeIf([](const QByteArray &line) { return line.contains("<img") || line.contains("<u><font size='5'>"); });
    return lines.join('\n');
}

QStringList pictureNames(const QStringList &sources)
{
    QStringList names;
    for (const QString &source : sources)
        names << QFileInfo(source).fileName();
    return names;
}

} // namespace

// Whenever the run is killed, the page that stands (the old one or the new
// one) shows exactly the diagrams of its own scenario, each one there; the
// folder holds nothing but report pictures besides the user's own file, and a
// run that ends on its own leaves just its page's pictures.
TEST(BatchReportKill, APageAlwaysShowsItsOwnPictures)
{
    QTemporaryDir dir;
    const QString scenarios[] = { QStringLiteral(TARNVEL_TEST_DATA "/golden/reducer_shaft.tvd"),
        QStringLiteral(TARNVEL_TEST_DATA "/files/two_gears_one_force.tvd") };
    std::vector<WrittenReport> references;
    qint64 longest = 0;
    for (int i = 0; i < 2; ++i) {
        const QString page = dir.filePath(QStringLiteral("reference%1.htm").arg(i));
        QProcess run;
        QElapsedTimer clock;
        clock.start();
        run.start(QStringLiteral(TARNVEL_EXECUTABLE), { QStringLiteral("--report"), scenarios[i], page });
        ASSERT_TRUE(run.waitForFinished(30000));
        longest = std::max(longest, clock.elapsed());
        ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        WrittenReport written;
        const QByteArray bytes = test::fileBytes(page);
        written.body = pageBody(bytes);
        written.pictures = pictureNames(test::pageImageSources(bytes));
        ASSERT_GE(written.pictures.size(), 6); // the moment diagrams and the shaft check's pictures
        for (const QString &name : std::as_const(written.pictures))
            written.pictureBytes.insert(name, test::fileBytes(QDir(reportPictureFolder(page)).filePath(name)));
        references.push_back(written);
    }
    ASSERT_NE(references[0].body, references[1].body);
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(references[0].pictures.at(i), references[1].pictures.at(i))
            << "the two scenarios draw diagram " << i << " alike";

    const QString report = dir.filePath(QStringLiteral("report.htm"));
    const QDir folder(reportPictureFolder(report));
    ASSERT_TRUE(QDir().mkdir(folder.path()));
    const QString users = folder.filePath(QStringLiteral("notes.txt"));
    test::putFile(users, "the user's");

    // The delays run from well into the calculation to past the end of an
    // uninterrupted run, where the files are written.
    std::mt19937 random(20261207);
    std::uniform_int_distribution<qint64> delayMicroseconds(longest * 300, longest * 1200);
    int standing[2] = { 0, 0 };
    int completed = 0;
    for (int trial = 0; trial < 120; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        QProcess run;
        run.start(QStringLiteral(TARNVEL_EXECUTABLE), { QStringLiteral("--report"), scenarios[trial % 2], report });
        ASSERT_TRUE(run.waitForStarted());
        QThread::usleep(static_cast<unsigned long>(delayMicroseconds(random)));
        run.kill();
        ASSERT_TRUE(run.waitForFinished(30000));
        const bool ended = run.exitStatus() == QProcess::NormalExit;
        if (ended) {
            ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
            ++completed;
        }

        const QStringList present = test::sorted(folder.entryList(QDir::Files));
        EXPECT_EQ(test::fileBytes(users), QByteArray("the user's"));
        for (const QString &name : present)
            EXPECT_TRUE(name == QStringLiteral("notes.txt") || isReportPictureName(name, diagramPictureStems() + shaftPictureStems()))
                << name.toStdString();
        if (!QFileInfo::exists(report)) {
            EXPECT_FALSE(ended);
            continue;
        }
        const QByteArray page = test::fileBytes(report);
        const auto own = std::find_if(
            references.cbegin(), references.cend(), [&](const WrittenReport &r) { return r.body == pageBody(page); });
        ASSERT_NE(own, references.cend()) << "a page of neither scenario";
        ++standing[own - references.cbegin()];
        const QStringList sources = test::pageImageSources(page);
        for (const QString &source : sources)
            EXPECT_TRUE(source.startsWith(QStringLiteral("report.files/"))) << source.toStdString();
        ASSERT_EQ(pictureNames(sources), own->pictures);
        for (const QString &name : own->pictures)
            EXPECT_EQ(test::fileBytes(folder.filePath(name)), own->pictureBytes.value(name)) << name.toStdString();
        if (ended) {
            EXPECT_EQ(present, test::sorted(own->pictures + QStringList { QStringLiteral("notes.txt") }));
        }
        ASSERT_FALSE(HasFailure());
    }
    // Both scenarios' pages stood at some point, and some runs got through.
    EXPECT_GT(standing[0], 0);
    EXPECT_GT(standing[1], 0);
    EXPECT_GT(completed, 0);
}
