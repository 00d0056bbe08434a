#include "files/file_names.h"
#include "files/report.h"
#include "files/scenario_file.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarnvel;

namespace {

// Every file the program writes over keeps its old bytes when the new ones
// do not all reach the disk: small ones fail only when the buffer is
// flushed, large ones are written through and stop short.
TEST(FileReplacement, AFailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QByteArray old = "old bytes";
    const QByteArray buffered(4000, 'n'); // within QFile's buffer
    const QByteArray through(100000, 'n'); // larger than the buffer
    for (const char *name : { "small.tvd", "large.tvd", "small.htm", "large.htm" }) {
        SCOPED_TRACE(name);
        const QByteArray &bytes = QByteArray(name).startsWith("small") ? buffered : through;
        const QString path = dir.filePath(QLatin1String(name));
        test::putFile(path, old);
        QString error;
        bool saved = true;
        {
            test::FileSizeLimit limit(64);
            ASSERT_TRUE(limit.isSet());
            saved = QByteArray(name).endsWith(".htm") ? saveReportFile(path, QString::fromLatin1(bytes), &error)
                                                      : saveScenarioFile(path, bytes, &error);
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(test::fileBytes(path), old);
        EXPECT_TRUE(error.startsWith(QStringLiteral("Файл записан не полностью"))
                    || error.startsWith(QStringLiteral("Не удалось записать файл")))
            << error.toStdString();
        // Nothing of the failed attempt stays beside it.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).filter(QLatin1String(name)), QStringList { QLatin1String(name) });
    }
}

// Names the program cannot use, each said for what it is; a named pipe is
// never opened, so that nobody waits for a writer that never comes.
TEST(FileReplacement, UnusableNamesAreSaidForWhatTheyAre)
{
    QTemporaryDir dir;
    const QString longName = dir.filePath(QString(300, QLatin1Char('a')) + QStringLiteral(".tvd"));
    const QString dangling = dir.filePath(QStringLiteral("gone.tvd"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("missing/plan.tvd")), dangling));
    test::TestFifo fifo(dir.filePath(QStringLiteral("pipe.tvd")));
    ASSERT_TRUE(fifo.isValid());
    const QString linkText = QStringLiteral("Файл - символическая ссылка на несуществующий файл ")
        + QDir::toNativeSeparators(dir.filePath(QStringLiteral("missing/plan.tvd"))) + QLatin1Char('.');
    const struct
    {
        QString path;
        bool writing;
        QString says;
    } cases[] = {
        { longName, true, QStringLiteral("Слишком длинное имя файла.") },
        { longName, false, QStringLiteral("Слишком длинное имя файла.") },
        { dangling, true, linkText },
        { dangling, false, linkText },
        { dir.filePath(QStringLiteral("pipe.tvd")), false,
          QStringLiteral("Файл не является обычным файлом (это канал, устройство или сокет).") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.right(12).toStdString() + (c.writing ? " written" : " read"));
        QString error;
        if (c.writing)
            EXPECT_FALSE(saveScenarioFile(c.path, QByteArray(52, '\0'), &error));
        else
            EXPECT_FALSE(loadScenarioFile(c.path, &error));
        EXPECT_EQ(error, c.says);
    }
    EXPECT_FALSE(fifo.readerWaited());
}

} // namespace
