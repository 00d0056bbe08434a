#include "store/store_file.h"
#include "store/store_location.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace tarnvel;

namespace {

constexpr QFile::Permissions kReadOnlyFolder = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
    | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions kWritableFolder = kReadOnlyFolder | QFile::WriteOwner;

// The user's data folder as Qt's test mode places it: ~/.qttest/share, then
// the organisation and the application.
QString expectedDataFolder(const QString &home)
{
    return QDir(home).filePath(QStringLiteral(".qttest/share/%1/%2")
                                   .arg(QCoreApplication::organizationName(), QCoreApplication::applicationName()));
}

} // namespace

// Where the store lives, for every way a program's folder can be found: in a
// build tree or unpacked (no share/tarnvel beside bin), or installed; writable
// or not (by its permission bits, which hold for an administrator too); with
// or without a store beside it.
TEST(StoreLocation, PortableBesideAWritableProgramInstalledInTheUsersDataFolderOtherwise)
{
    enum Beside { None, Writable, ReadOnly };
    using Mode = StoreLocation::Mode;
    const struct
    {
        const char *what;
        bool installation;
        bool folderWritable;
        Beside store;
        Mode mode;
        bool seeded;
    } cases[] = {
        {"make run: build/ with no store yet", false, true, None, Mode::Portable, false},
        {"make run: build/ with its store", false, true, Writable, Mode::Portable, false},
        // Told at start-up as today: the user made it read-only beside the program.
        {"a read-only store in a writable build folder", false, true, ReadOnly, Mode::Portable, false},
        {"a writable store in a read-only folder", false, false, Writable, Mode::Portable, false},
        {"a read-only folder, no store", false, false, None, Mode::Installed, false},
        {"a read-only folder with a store", false, false, ReadOnly, Mode::Installed, true},
        {"/usr/bin run by root", true, true, None, Mode::Installed, false},
        {"an installation with a store its owner keeps writable", true, true, Writable, Mode::Portable, false},
        {"/usr/bin with an administrator's store", true, false, ReadOnly, Mode::Installed, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        test::FreshHome home;
        QTemporaryDir prefix;
        const QString bin = QDir(prefix.path()).filePath(QStringLiteral("bin"));
        ASSERT_TRUE(QDir().mkpath(bin));
        if (c.installation) {
            ASSERT_TRUE(QDir().mkpath(QDir(prefix.path()).filePath(QStringLiteral("share/tarnvel/examples"))));
        }
        const QString beside = storePath(bin);
        if (c.store != None) {
            createStore(beside);
            if (c.store == ReadOnly)
                QFile::setPermissions(beside, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        }
        QFile::setPermissions(bin, c.folderWritable ? kWritableFolder : kReadOnlyFolder);
        const auto writableAgain = qScopeGuard([&] { QFile::setPermissions(bin, kWritableFolder); });

        const StoreLocation location = locateStore(bin);
        EXPECT_EQ(location.mode, c.mode);
        if (c.mode == Mode::Portable) {
            EXPECT_EQ(location.directory, bin);
            EXPECT_TRUE(location.seed.isEmpty());
        } else {
            EXPECT_EQ(QDir(location.directory).absolutePath(), expectedDataFolder(home.path()));
            EXPECT_EQ(location.seed, c.seeded ? QFileInfo(beside).absoluteFilePath() : QString());
        }
        // Finding the store makes nothing, here or there.
        EXPECT_FALSE(QFileInfo::exists(QDir(home.path()).filePath(QStringLiteral(".qttest"))));
        EXPECT_EQ(QDir(bin).entryList(QDir::Files | QDir::Hidden).size(), c.store == None ? 0 : 1);
    }
}

namespace {

// A program folder's store as an administrator leaves it: a bearing added to
// the catalogue, a calculation left open, and the store and its folder then
// made read-only.
QString administratorsStore(const QString &bin)
{
    std::unique_ptr<Database> db = openOrCreateStore(bin);
    db->execute(QStringLiteral("INSERT INTO Bearings (`Number`, di, de, b, C, C0, Alfa, TipID) "
                               "VALUES ('7777', 35, 80, 21, 33200, 18000, 0, 2)"));
    db->execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 2)"));
    db->execute(QStringLiteral("INSERT INTO RequiredLife (Side, Lh) VALUES (0, 12000)"));
    db->close();
    QFile::setPermissions(storePath(bin), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::setPermissions(bin, kReadOnlyFolder);
    return storePath(bin);
}

} // namespace

// The first start of an installed program takes the catalogue of the store
// beside it, not its calculation, and leaves that store as it was.
TEST(StoreLocation, AStoreBesideAnInstalledProgramSeedsTheCatalogueOnly)
{
    test::FreshHome home;
    QTemporaryDir bin;
    const QString seed = administratorsStore(bin.path());
    const auto writableAgain = qScopeGuard([&] { QFile::setPermissions(bin.path(), kWritableFolder); });
    const QByteArray seedBytes = test::fileBytes(seed);
    const StoreLocation location = locateStore(bin.path());
    ASSERT_EQ(location.mode, StoreLocation::Mode::Installed);
    ASSERT_EQ(location.seed, seed);

    makeStoreDirectory(location);
    QString notice;
    std::unique_ptr<Database> db
        = openOrCreateStore(location.directory, &notice, Database::Durability::Durable, location.seed);
    EXPECT_TRUE(notice.isEmpty()) << notice.toStdString();
    EXPECT_EQ(db->path(), storePath(location.directory));
    EXPECT_EQ(test::countRows(*db, QStringLiteral("SELECT * FROM Bearings WHERE `Number` = '7777'")), 1);
    for (const QString &table : scenarioTables())
        EXPECT_EQ(test::countRows(*db, QStringLiteral("SELECT * FROM ") + table), 0) << table.toStdString();
    db->close();
    EXPECT_EQ(test::fileBytes(seed), seedBytes);
    EXPECT_EQ(QDir(bin.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("TarnvelN.mdb")});
    EXPECT_EQ(QDir(location.directory).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("TarnvelN.mdb")});

    // Later starts keep the user's own store, whatever the seed holds.
    db = openOrCreateStore(location.directory, &notice, Database::Durability::Durable, location.seed);
    db->execute(QStringLiteral("DELETE FROM Bearings WHERE `Number` = '7777'"));
    db->close();
    db = openOrCreateStore(location.directory, &notice, Database::Durability::Durable, location.seed);
    EXPECT_EQ(test::countRows(*db, QStringLiteral("SELECT * FROM Bearings WHERE `Number` = '7777'")), 0);
}

// A seed that is no store gives the built-in catalogue, and the user is told
// which file was passed over and where the new store is.
TEST(StoreLocation, AnUnreadableSeedGivesTheBuiltInCatalogueAndSaysSo)
{
    test::FreshHome home;
    QTemporaryDir bin, data;
    const QString seed = storePath(bin.path());
    test::putFile(seed, QByteArray("not a database at all, but long enough to be read as one"));

    QString notice;
    std::unique_ptr<Database> db = openOrCreateStore(data.path(), &notice, Database::Durability::Durable, seed);
    EXPECT_TRUE(notice.startsWith(QStringLiteral("Каталог не взят из базы данных %1:").arg(QDir::toNativeSeparators(seed))))
        << notice.toStdString();
    EXPECT_TRUE(notice.endsWith(QStringLiteral("База данных %1 создана со встроенным каталогом.")
                                    .arg(QDir::toNativeSeparators(storePath(data.path())))))
        << notice.toStdString();
    // GOST 8338-75 ball bearings 200 to 222 and more: the shipped catalogue.
    EXPECT_GT(test::countRows(*db, QStringLiteral("SELECT * FROM Bearings")), 50);
    EXPECT_EQ(QDir(data.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".seed")), QStringList());
}
