#include "files/file_names.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tarnvel;

namespace {

TEST(FileNames, ExtensionIsAddedUnlessTheNameHasIt)
{
    const struct
    {
        const char *name;
        const char *extension;
        const char *expected;
    } cases[] = {
        { "plan1", ".tvd", "plan1.tvd" },
        { "PLAN1.TVD", ".tvd", "PLAN1.TVD" }, // any letter case
        { "plan1.tvdx", ".tvd", "plan1.tvdx" }, // contained, not only at the end
        { "plan.tvd.bak", ".tvd", "plan.tvd.bak" },
        { "report1", ".htm", "report1.htm" },
        { "Report1.HTM", ".htm", "Report1.HTM" },
        { "a.html", ".htm", "a.html" },
        { "report.tvd", ".htm", "report.tvd.htm" }, // another program's extension
        // Only the file name counts: a directory that happens to carry the
        // extension neither stops it nor takes the picture folder elsewhere.
        { "C:\\site.htm\\report1", ".htm", "C:\\site.htm\\report1.htm" },
        { "/home/u/x.tvd/plan1", ".tvd", "/home/u/x.tvd/plan1.tvd" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(
            withExtension(QString::fromUtf8(c.name), QString::fromUtf8(c.extension)), QString::fromUtf8(c.expected))
            << c.name;
}

TEST(FileNames, PictureFolderIsCutBeforeTheFirstHtm)
{
    const struct
    {
        const char *report;
        const char *folder;
    } cases[] = {
        { "C:\\Work\\report1.htm", "C:\\Work\\report1.files" },
        { "Report1.HTM", "Report1.files" },
        { "a.html", "a.files" },
        { "x.htm.htm", "x.files" }, // the first one
        { "C:\\site.htm\\r.htm", "C:\\site.htm\\r.files" },
        { "noext", "noext.files" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(reportPictureFolder(QString::fromUtf8(c.report)), QString::fromUtf8(c.folder)) << c.report;
}

TEST(FileNames, TargetIsDirectoryAndTypedNameWithoutOuterBlanks)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(reportFileName(QStringLiteral("Work"), QStringLiteral("  report1 ")),
        QStringLiteral("Work") + sep + QStringLiteral("report1.htm"));
    EXPECT_EQ(scenarioFileName(QStringLiteral("Work"), QStringLiteral("plan 1")),
        QStringLiteral("Work") + sep + QStringLiteral("plan 1.tvd"));
    // A drive's root already ends in its separator.
    EXPECT_EQ(composeTargetName(QStringLiteral("C:\\"), QStringLiteral("a")), QStringLiteral("C:\\a"));
    EXPECT_EQ(composeTargetName(QStringLiteral("/"), QStringLiteral("a")), QStringLiteral("/a"));
}

// A full disk is told as such, not with the system's English words.
TEST(FileNames, AWriteOntoAFullDiskSaysSo)
{
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        GTEST_SKIP() << "no /dev/full here";
    EXPECT_EQ(full.write(QByteArray(64, 'x')), -1);
    EXPECT_EQ(fileErrorText(full, full.fileName(), true),
        QStringLiteral("Не удалось записать файл: нет места на диске."));
}

} // namespace
