#include "analysis/bearing_selection.h"
#include "analysis/scheme_inputs.h"
#include "store/numbers.h"
#include "store/store_file.h"

#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>


using namespace tarnvel;
using tarnvel::test::countRows;

namespace {

QStringList choices(Database &db, int parameterId)
{
    QStringList texts;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT DefaultText, DefaultValue FROM DefaultParameters WHERE ParameterID = %1 ORDER BY DefaultValue").arg(parameterId));
    for (int expected = 1; !rs.isAfterLast(); rs.next(), ++expected) {
        EXPECT_EQ(rs.field(QStringLiteral("DefaultValue")).toInt(), expected) << parameterId;
        texts << rs.field(QStringLiteral("DefaultText")).toString();
    }
    return texts;
}

void fillScenario(Database &db)
{
    db.execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (2, 250)"));
    db.execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 3)"));
    db.execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES (1, 11, 3)"));
    db.execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) VALUES (1, 10, 1000, 1, 2, 2, 1)"));
    db.execute(QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) VALUES (1, 35, 1500, 1)"));
    db.execute(QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (39, 10)"));
    db.execute(QStringLiteral("INSERT INTO BearRep (Side, BearingID, Kb, Kt, RollRing, Radial, Osev) VALUES (0, 3, 1.3, 1, 0, 1, 1)"));
    db.execute(QStringLiteral("INSERT INTO Bearings (`Number`, di, de, b, C, C0, Alfa, TipID) VALUES ('7777', 35, 80, 21, 33200, 18000, 0, 2)"));
    db.execute(QStringLiteral("INSERT INTO RequiredLife (Side, Lh) VALUES (1, 12000)"));
    db.execute(QStringLiteral("INSERT INTO ShaftSegments (Length, Outer, Bore) VALUES (200, 40, 0)"));
    db.execute(QStringLiteral("INSERT INTO ShaftSettings (SettingID, Value) VALUES (1, 2.5)"));
    db.execute(QStringLiteral("INSERT INTO ShaftSteels (Grade, Treatment, SigmaB, E, UserAdded) "
                              "VALUES ('30ХГСА', 'закалка', 1100, 200000, 1)"));
}

// Everything a store holds besides the steels, table by table, as text.
QStringList everythingButSteels(Database &db)
{
    QStringList all;
    Recordset tables = db.openRecordset(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT IN ('ShaftSteels', "
                       "'sqlite_sequence') ORDER BY name"));
    for (; !tables.isAfterLast(); tables.next()) {
        const QString table = tables.value(0).toString();
        all << table << test::rows(db, QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table));
    }
    return all;
}

} // namespace

TEST(StoreFile, FirstStartCreatesTheStoreWithSchemaAndCatalogue)
{
    test::TempStore store;
    ASSERT_FALSE(QFileInfo::exists(store.path()));
    std::unique_ptr<Database> db = store.open();
    ASSERT_TRUE(QFileInfo::exists(store.path()));
    for (const QString &table : storeTables())
        EXPECT_TRUE(db->hasTable(table)) << table.toStdString();
    for (const QString &table : scenarioTables())
        EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM ") + table), 0) << table.toStdString();

    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT Parameter FROM `Parameters` WHERE ParameterID > 38 AND ParameterID < 46 ORDER BY ParameterID")),
              (QStringList{"R1x", "R1y", "R1", "R2x", "R2y", "R2", "Ra"}));
}

TEST(StoreFile, AStoreWithoutTheRequiredLifeTableGetsItAtStartUp)
{
    test::TempStore store;
    store.open()->execute(QStringLiteral("DROP TABLE RequiredLife"));
    std::unique_ptr<Database> db = store.open();
    writeRequiredLife(*db, 1, 12000.5);
    const SchemeInputs inputs = readScheme(*db);
    EXPECT_EQ(inputs.supports[1].requiredLife, 12000.5);
    EXPECT_EQ(inputs.supports[0].requiredLife, std::nullopt);
}

TEST(StoreFile, AStoreWithoutTheSteelsGetsTheCatalogueAndKeepsEverythingElse)
{
    test::TempStore store;
    const int seeded = countRows(*store.open(), QStringLiteral("SELECT * FROM ShaftSteels WHERE UserAdded = 0"));
    ASSERT_GT(seeded, 0);
    QStringList before;
    {
        std::unique_ptr<Database> old = store.open();
        fillScenario(*old);
        old->execute(QStringLiteral("DROP TABLE ShaftSteels"));
        before = everythingButSteels(*old);
    }

    std::unique_ptr<Database> db = store.open();
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM ShaftSteels WHERE UserAdded = 0")), seeded);
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM ShaftSteels WHERE UserAdded <> 0")), 0);
    EXPECT_EQ(everythingButSteels(*db), before);
    db->close();

    // Opened again, the store already has the table: no row comes twice.
    EXPECT_EQ(countRows(*store.open(), QStringLiteral("SELECT * FROM ShaftSteels")), seeded);
}

TEST(StoreFile, ChoicesBeginWithTheNumbersTheComputationsRead)
{
    test::TempStore store;
    std::unique_ptr<Database> db = store.open();
    EXPECT_EQ(choices(*db, 4), (QStringList{QStringLiteral("Н"), QStringLiteral("кГс")}));
    EXPECT_EQ(choices(*db, 38).size(), 2);
    for (int id : {15, 25}) {
        const QStringList angles = choices(*db, id);
        ASSERT_FALSE(angles.isEmpty());
        EXPECT_EQ(leadingNumber(angles.first()), 20.0) << id;
        for (const QString &angle : angles)
            EXPECT_GT(leadingNumber(angle), 0.0) << id;
    }
    for (int id : {18, 19, 28, 30, 31}) {
        const QStringList codes = choices(*db, id);
        ASSERT_EQ(codes.size(), 2) << id;
        EXPECT_EQ(leadingNumber(codes.at(0)), 1.0) << id;
        EXPECT_EQ(leadingNumber(codes.at(1)), 2.0) << id;
    }
    EXPECT_EQ(choices(*db, 18).first(), QStringLiteral("1 - правое"));

    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT PowerClass FROM PowerClasses WHERE PowerID = 5")),
              QStringList{QStringLiteral("Проекции сил:           Fx =")});
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM PowerClasses")), 7);
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT TipID FROM BearingsTip")), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(test::rows(*db, QStringLiteral("SELECT Tip FROM BearingsTip WHERE TipID = 2")).value(0).contains(QStringLiteral("шарик"), Qt::CaseInsensitive));
}

TEST(StoreFile, BearingCatalogueHoldsThePublishedRows)
{
    test::TempStore store;
    std::unique_ptr<Database> db = store.open();
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT TipID, Count(*) FROM Bearings GROUP BY TipID ORDER BY TipID")),
              (QStringList{"1 18", "2 18", "3 33"}));
    // GOST 8338-75 bearing 205: 25 × 52 × 15, C = 14 kN, C0 = 6.95 kN; the angular-contact 46208 has α = 26°.
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT di, de, b, C, C0, Alfa FROM Bearings WHERE `Number` = '205'")),
              QStringList{"25 52 15 14000 6950 0"});
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT Alfa FROM Bearings WHERE `Number` = '46208'")), QStringList{"26"});
}

TEST(StoreFile, NewProjectEmptiesTheScenarioAndKeepsTheCatalogue)
{
    test::TempStore store;
    std::unique_ptr<Database> db = store.open();
    fillScenario(*db);
    const int bearings = countRows(*db, QStringLiteral("SELECT * FROM Bearings"));
    const int steels = countRows(*db, QStringLiteral("SELECT * FROM ShaftSteels"));
    test::putFile(temporaryPath(store.directory()), QByteArray("left over from a failed run"));

    QStringList statuses;
    newProjectStore(db, store.directory(), [&](const QString &text) { statuses << text; });

    ASSERT_TRUE(db && db->isOpen());
    for (const QString &table : scenarioTables() + QStringList{"Points", "BearRep", "RequiredLife", "ShaftSegments", "ShaftSettings"})
        EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM ") + table), 0) << table.toStdString();
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Bearings")), bearings);
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Bearings WHERE `Number` = '7777'")), 1);
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM ShaftSteels")), steels);
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM ShaftSteels WHERE Grade = '30ХГСА'")), 1);
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM `Parameters`")), 47);
    EXPECT_FALSE(QFileInfo::exists(temporaryPath(store.directory())));
    EXPECT_EQ(statuses, (QStringList{QStringLiteral("Очистка базы данных..."), QStringLiteral("Сжатие базы данных..."),
                                     QStringLiteral("Открытие базы данных...")}));

    // And again on the now empty scenario.
    newProjectStore(db, store.directory(), [](const QString &) {});
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Bearings")), bearings);

    // The compacted store is what the next start opens.
    db->close();
    std::unique_ptr<Database> again = openStore(store.path());
    EXPECT_EQ(countRows(*again, QStringLiteral("SELECT * FROM Bearings WHERE `Number` = '7777'")), 1);
}

TEST(StoreFile, FailedCompactionLeavesTheStoreAsItWas)
{
    test::TempStore store;
    std::unique_ptr<Database> db = store.open();
    fillScenario(*db);
    const int bearings = countRows(*db, QStringLiteral("SELECT * FROM Bearings"));

    auto failingCompactor = [](const QString &, const QString &destination) {
        test::putFile(destination, QByteArray("half-written"));
        throw StoreError(QStringLiteral("disk full"));
    };
    try {
        newProjectStore(db, store.directory(), [](const QString &) {}, failingCompactor);
        FAIL() << "the failure was not reported";
    } catch (const StoreError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("disk full")));
        EXPECT_TRUE(error.message().contains(QStringLiteral("осталась прежней")));
    }
    ASSERT_TRUE(db && db->isOpen());
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Bearings")), bearings);
    EXPECT_FALSE(QFileInfo::exists(temporaryPath(store.directory())));
}

// What an interrupted compaction may leave beside the store, and what the
// next start makes of it.
TEST(StoreFile, StartUpTakesTheStoreBackFromASoundTemporaryCopyOnly)
{
    enum Store { Missing, Empty, Foreign, Sound };
    const struct
    {
        Store store;
        bool soundCopy;
        bool recovered;
    } cases[] = {
        {Missing, true, true},   {Empty, true, true},    {Foreign, true, true},
        {Sound, true, false},    {Missing, false, false},
    };
    for (const auto &c : cases) {
        test::TempStore store;
        const QString temporary = temporaryPath(store.directory());
        {
            std::unique_ptr<Database> db = store.open();
            db->execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 2)"));
        }
        if (c.soundCopy)
            QFile::copy(store.path(), temporary);
        else
            test::putFile(temporary, QByteArray("half-written"));
        if (c.store != Sound)
            QFile::remove(store.path());
        if (c.store == Empty)
            test::putFile(store.path(), QByteArray());
        if (c.store == Foreign)
            test::putFile(store.path(), QByteArray("notes of another program"));

        QString notice;
        std::unique_ptr<Database> db = openOrCreateStore(store.directory(), &notice);
        const int points = countRows(*db, QStringLiteral("SELECT * FROM Points"));
        EXPECT_EQ(points, c.recovered || c.store == Sound ? 1 : 0) << c.store << c.soundCopy;
        EXPECT_EQ(notice.contains(QStringLiteral("восстановлена из временной копии TarnvelN.tmp")), c.recovered);
        EXPECT_FALSE(QFileInfo::exists(temporary));
        // A file of the user's that stood at the path is kept aside.
        EXPECT_EQ(QFileInfo::exists(store.path() + QStringLiteral(".lost")), c.store == Foreign);
    }
}

namespace {

QStringList folderListing(const QString &directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A store as the window leaves it on closing, with a bearing the user added.
QString closedStoreWithOwnBearing(const QString &directory)
{
    const QString path = storePath(directory);
    std::unique_ptr<Database> db = openOrCreateStore(directory);
    db->execute(QStringLiteral("INSERT INTO Bearings (`Number`, di, de, b, C, C0, Alfa, TipID) "
                               "VALUES ('7777', 35, 80, 21, 33200, 18000, 0, 2)"));
    db->close();
    return path;
}

int ownBearings(const QString &copy)
{
    std::unique_ptr<Database> db = openStore(copy);
    return countRows(*db, QStringLiteral("SELECT * FROM Bearings WHERE `Number` = '7777'"));
}

} // namespace

// The batch only reads the user's store: not a file is added beside it, even
// in a folder nobody may write (as an installation often is), and rows another
// program committed are still in its log while it has the store open.
TEST(StoreFile, ASnapshotTakesTheWholeStoreAndLeavesItsFolderAsItWas)
{
    QTemporaryDir dir, work, again;
    const QString path = closedStoreWithOwnBearing(dir.path());
    const QStringList before = folderListing(dir.path());
    ASSERT_EQ(before, QStringList{QStringLiteral("TarnvelN.mdb")});
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                          | QFile::ReadOther | QFile::ExeOther);
    auto writableAgain = qScopeGuard([&] {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    Database::snapshot(path, storePath(work.path()), Database::Durability::Throwaway);
    EXPECT_EQ(folderListing(dir.path()), before);
    EXPECT_EQ(ownBearings(storePath(work.path())), 1);
    writableAgain.dismiss();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    std::unique_ptr<Database> window = openStore(path);
    window->execute(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
    window->execute(QStringLiteral("DELETE FROM Bearings WHERE `Number` = '7777'"));
    ASSERT_TRUE(QFileInfo(path + QStringLiteral("-wal")).size() > 0);
    Database::snapshot(path, storePath(again.path()), Database::Durability::Throwaway);
    EXPECT_EQ(ownBearings(storePath(again.path())), 0);
}
