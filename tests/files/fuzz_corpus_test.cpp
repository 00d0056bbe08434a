// The inputs the fuzzers kept are replayed here in every run.

#include "../fuzz/fuzz_checks.h"
#include "test_support.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QList<QByteArray> corpus(const QString &name)
{
    QList<QByteArray> inputs;
    const QDir dir(QStringLiteral(TARNVEL_TEST_DATA "/fuzz/") + name);
    for (const QString &file : dir.entryList(QDir::Files)) {
        QFile input(dir.filePath(file));
        if (input.open(QIODevice::ReadOnly))
            inputs << input.readAll();
    }
    return inputs;
}

} // namespace

TEST(FuzzCorpus, ScenarioInputsAreRefusedOrReadBackWhole)
{
    const QList<QByteArray> inputs = corpus(QStringLiteral("scenario"));
    EXPECT_FALSE(inputs.isEmpty());
    for (const QByteArray &bytes : inputs)
        EXPECT_TRUE(tarnvel::fuzz::scenarioBytesBehave(bytes)) << bytes.toHex().toStdString();
}

TEST(FuzzCorpus, ScenarioInputsCalculateAndReportWithoutAFault)
{
    tarnvel::test::TempStore store;
    std::unique_ptr<tarnvel::Database> db = store.open();
    for (const QByteArray &bytes : corpus(QStringLiteral("scenario")))
        EXPECT_TRUE(tarnvel::fuzz::scenarioCalculates(*db, bytes)) << bytes.toHex().toStdString();
    EXPECT_EQ(tarnvel::test::countRows(*db, QStringLiteral("SELECT * FROM Points")), 0);
}

TEST(FuzzCorpus, NumberTextsReadAndWriteConsistently)
{
    const QList<QByteArray> inputs = corpus(QStringLiteral("numbers"));
    EXPECT_FALSE(inputs.isEmpty());
    for (const QByteArray &bytes : inputs)
        EXPECT_TRUE(tarnvel::fuzz::numberTextBehaves(QString::fromUtf8(bytes))) << bytes.toHex().toStdString();
}
