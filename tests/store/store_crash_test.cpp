#include "files/scenario_file.h"
#include "store/store_file.h"
#include "test_support.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <random>

using namespace tarnvel;

namespace {

// Rows of every scenario table: the whole calculation at a glance.
QString scenarioRows(Database &db)
{
    QStringList counts;
    for (const QString &table : scenarioTables())
        counts << QString::number(test::countRows(db, QStringLiteral("SELECT * FROM ") + table));
    return counts.join(QLatin1Char(' '));
}

} // namespace

// The program killed at any moment of a new project or of opening a scenario:
// the next start finds a whole store holding the calculation before or after
// the command, and the bearing the user added to the catalogue.
TEST(StoreCrash, AKillAtAnyMomentLeavesAWholeStore)
{
    const QString full = QStringLiteral(TARNVEL_TEST_DATA "/files/two_gears_one_force.tvd");
    const QString empty = QStringLiteral(TARNVEL_TEST_DATA "/files/empty.tvd");
    const auto quiet = [](const QString &) {};
    QTemporaryDir dir;
    QStringList states;
    {
        std::unique_ptr<Database> db = openOrCreateStore(dir.path());
        db->execute(QStringLiteral("INSERT INTO Bearings (`Number`, di, de, b, C, C0, Alfa, Tkah, TipID) "
                                   "VALUES ('Свой 7777', 35, 80, 21, 33200, 18000, 0, 1, 2)"));
        openScenarioInStore(db, dir.path(), *loadScenarioFile(full), quiet);
        states << scenarioRows(*db);
        newProjectStore(db, dir.path(), quiet);
        states << scenarioRows(*db);
        ASSERT_NE(states.at(0), states.at(1));
    }

    std::mt19937 random(11);
    std::uniform_int_distribution<int> delayMicroseconds(5000, 90000);
    int recovered = 0;
    for (const char *operation : {"new", "open"}) {
        for (int trial = 0; trial < 110; ++trial) {
            QProcess child;
            child.start(QStringLiteral(TARNVEL_CRASH_HELPER),
                        {dir.path(), QLatin1String(operation), full, empty});
            ASSERT_TRUE(child.waitForStarted());
            QThread::usleep(delayMicroseconds(random));
            child.kill();
            child.waitForFinished();

            QString notice;
            std::unique_ptr<Database> db = openOrCreateStore(dir.path(), &notice);
            recovered += notice.isEmpty() ? 0 : 1;
            Recordset check = db->openRecordset(QStringLiteral("PRAGMA integrity_check"));
            EXPECT_EQ(check.field(QStringLiteral("integrity_check")).toString(), QStringLiteral("ok"));
            EXPECT_TRUE(states.contains(scenarioRows(*db))) << scenarioRows(*db).toStdString();
            EXPECT_EQ(test::countRows(*db, QStringLiteral("SELECT * FROM Bearings WHERE `Number` = 'Свой 7777'")), 1);
            EXPECT_FALSE(QFileInfo::exists(temporaryPath(dir.path())));
            ASSERT_FALSE(HasFailure()) << operation << " trial " << trial;
        }
    }
    std::printf("stores taken back from the temporary copy: %d\n", recovered);
}
