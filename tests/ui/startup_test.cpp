#include "store/store_file.h"
#include "message_recorder.h"
#include "test_support.h"
#include "ui/splash_window.h"
#include "ui/startup.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarnvel;

namespace {

bool anySplashVisible()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmSplash *>(widget) && widget->isVisible())
            return true;
    }
    return false;
}

} // namespace

namespace {

void prepareFaultyStore(const QString &directory, const char *fault)
{
    const QString path = storePath(directory);
    const QByteArray name(fault);
    if (name == "old file") {
        static const char oldFile[] = "Standard Jet DB\0\0\0 an old file of another program";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(oldFile, sizeof oldFile - 1);
        return;
    }
    if (name == "empty file") {
        QFile(path).open(QIODevice::WriteOnly);
        return;
    }
    if (name == "foreign log") {
        // Another program's database with changes still in its write-ahead log.
        sqlite3 *other = nullptr;
        sqlite3_open(path.toUtf8().constData(), &other);
        sqlite3_exec(other, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; CREATE TABLE Notes (Body TEXT);"
                            "INSERT INTO Notes VALUES ('keep');", nullptr, nullptr, nullptr);
        QFile::copy(path, path + QStringLiteral(".main"));
        QFile::copy(path + QStringLiteral("-wal"), path + QStringLiteral(".log"));
        sqlite3_close(other); // would fold the log in: put the crashed state back
        QFile::remove(path);
        QFile::copy(path + QStringLiteral(".main"), path);
        QFile::copy(path + QStringLiteral(".log"), path + QStringLiteral("-wal"));
        return;
    }
    createStore(path);
    if (name == "damaged") {
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        file.seek(4096); // the pages after the first: the header still says SQLite
        file.write(QByteArray(file.size() - 4096, '\xA5'));
    } else if (name == "missing column") {
        std::unique_ptr<Database> db = Database::open(path);
        db->execute(QStringLiteral("ALTER TABLE BearRep DROP COLUMN Osev"));
    } else if (name == "read-only file") {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    } else if (name == "read-only folder") {
        QFile::setPermissions(directory, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
    }
}

} // namespace

// Every fault of the store is told before the window is used, in words the
// user can act on, and the file is left exactly as it was, nothing beside it.
TEST(StartUp, StoreFaultsAreReportedAndTheFileLeftAsItWas)
{
    const struct
    {
        const char *fault;
        const char *message;
    } cases[] = {
        {"old file", "не является базой данных"},
        {"empty file", "пуст: это не база данных"},
        {"damaged", "повреждён"},
        {"foreign log", "не является базой данных Tarnvel"},
        {"missing column", "в таблице BearRep нет столбца Osev"},
        {"read-only file", "доступен только для чтения"},
        {"read-only folder", "доступна только для чтения"},
    };
    for (const auto &c : cases) {
        test::MessageRecorder messages;
        QTemporaryDir dir;
        prepareFaultyStore(dir.path(), c.fault);
        const QString path = storePath(dir.path());
        const QByteArray store = test::fileBytes(path), log = test::fileBytes(path + QStringLiteral("-wal"));
        const QStringList files = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        EXPECT_EQ(log.isEmpty(), QByteArray(c.fault) != "foreign log");

        ProgramState state;
        std::unique_ptr<frmMain> window = startUp(state, dir.path());
        EXPECT_EQ(window, nullptr) << c.fault;
        ASSERT_EQ(messages.shown().size(), 1) << c.fault;
        EXPECT_EQ(messages.shown().first().icon, MessageIcon::Critical);
        EXPECT_EQ(messages.shown().first().title, QStringLiteral("Tarnvel"));
        EXPECT_TRUE(messages.shown().first().text.contains(QString::fromUtf8(c.message)))
            << c.fault << messages.shown().first().text.toStdString();
        EXPECT_TRUE(messages.shown().first().text.startsWith(
            QStringLiteral("Не удалось открыть базу данных %1.\n").arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()))))
            << c.fault;
        EXPECT_FALSE(anySplashVisible());
        EXPECT_EQ(test::fileBytes(path), store) << c.fault;
        EXPECT_EQ(test::fileBytes(path + QStringLiteral("-wal")), log) << c.fault;
        QStringList after = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (!log.isEmpty())
            after.removeAll(QStringLiteral("TarnvelN.mdb-shm")); // SQLite's index of the other program's log
        EXPECT_EQ(after, files) << c.fault;
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

// Two windows on one store would each write behind the other's back: the
// second start says which store is taken and shows no window.
TEST(StartUp, ASecondWindowOnTheSameStoreIsRefused)
{
    QTemporaryDir dir;
    QLockFile firstWindow(windowLockPath(dir.path()));
    ASSERT_TRUE(firstWindow.tryLock(0));
    {
        test::MessageRecorder messages;
        ProgramState state;
        EXPECT_EQ(startUp(state, dir.path()), nullptr);
        ASSERT_EQ(messages.shown().size(), 1);
        const QString text = messages.shown().first().text;
        EXPECT_TRUE(text.startsWith(QStringLiteral("Tarnvel уже открыт с базой данных "))) << text.toStdString();
        EXPECT_TRUE(text.contains(QDir::toNativeSeparators(QFileInfo(storePath(dir.path())).absoluteFilePath())))
            << text.toStdString();
        EXPECT_FALSE(anySplashVisible());
        EXPECT_EQ(state.db, nullptr);
    }
    firstWindow.unlock();

    test::MessageRecorder messages;
    ProgramState state;
    std::unique_ptr<frmMain> window = startUp(state, dir.path());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(messages.shown().isEmpty());
    // While it is open, it is the one window.
    QLockFile another(windowLockPath(dir.path()));
    EXPECT_FALSE(another.tryLock(0));
    window->close();
    EXPECT_TRUE(another.tryLock(0));
}

// A program that crashed holds nothing: its lock file is taken over.
TEST(StartUp, TheLockOfACrashedWindowIsTakenOver)
{
    QTemporaryDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile crashed(windowLockPath(dir.path()));
        crashed.tryLock(0);
        _exit(crashed.isLocked() ? 0 : 1); // no unlock: the file stays
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFileInfo::exists(windowLockPath(dir.path())));

    test::MessageRecorder messages;
    ProgramState state;
    std::unique_ptr<frmMain> window = startUp(state, dir.path());
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(messages.shown().isEmpty());
    if (window)
        window->close();
}

namespace {

int pointCount(ProgramState &state)
{
    return test::countRows(*state.db, QStringLiteral("SELECT * FROM Points"));
}

} // namespace

// "tarnvel FILE" (a double click in the file manager) opens the scenario as
// "Файл → Открыть..." does: the same refusals, and a file that cannot be read
// leaves the calculation of the last run as it was, as a restart shows it.
TEST(StartUp, AScenarioGivenOnTheCommandLineIsOpenedAsOpenWouldOpenIt)
{
    QTemporaryDir files;
    const QString damaged = files.filePath(QStringLiteral("damaged.tvd"));
    test::putFile(damaged, QByteArray("\x01\x00\xff\xff\xff\x7f\x01\x00\x00\x00", 10));
    const struct
    {
        QString file;
        int points; // the example is three points: wheel, sprocket, pinion
        const char *refusal;
    } cases[] = {
        {QStringLiteral(TARNVEL_TEST_DATA "/golden/reducer_shaft.tvd"), 3, nullptr},
        {damaged, 1, ""},
        {files.filePath(QStringLiteral("missing.tvd")), 1, "не найден"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        QTemporaryDir dir;
        {
            test::MessageRecorder quiet;
            ProgramState state;
            std::unique_ptr<frmMain> window = startUp(state, dir.path());
            ASSERT_NE(window, nullptr);
            state.db->execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 2)"));
            window->close();
            EXPECT_FALSE(state.db->isOpen());
        }
        // Closing folded everything into the one store file.
        EXPECT_FALSE(QFileInfo::exists(storePath(dir.path()) + QStringLiteral("-wal")));
        test::MessageRecorder messages;
        ProgramState state;
        std::unique_ptr<frmMain> window = startUp(state, StoreLocation::portable(dir.path()), c.file);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(pointCount(state), c.points);
        EXPECT_EQ(window->nodeByKey(QStringLiteral("Points"))->child(0)->text(0),
                  c.refusal ? QStringLiteral("Точка 1 (Произвольная сила)") : QStringLiteral("Точка 1 (Цилиндрическое зацепление)"));
        EXPECT_EQ(window->nodeByKey(QStringLiteral("Points"))->childCount(), c.points);
        if (!c.refusal) {
            EXPECT_TRUE(messages.shown().isEmpty());
        } else {
            ASSERT_EQ(messages.shown().size(), 1);
            const ShownMessage &said = messages.shown().first();
            EXPECT_EQ(said.icon, MessageIcon::Exclamation);
            EXPECT_TRUE(said.text.startsWith(QStringLiteral("Сценарий не открыт из файла %1:\n").arg(QDir::toNativeSeparators(c.file))))
                << said.text.toStdString();
            EXPECT_TRUE(said.text.contains(QString::fromUtf8(c.refusal))) << said.text.toStdString();
            EXPECT_FALSE(QFileInfo::exists(files.filePath(QStringLiteral("missing.tvd"))));
        }
        window->close();
    }
}

// An installed program (its folder read-only) keeps the store, and the
// window's lock, in the user's data folder, made on the first start; the
// about box says where the store is.
TEST(StartUp, AnInstalledProgramKeepsItsStoreInTheUsersDataFolder)
{
    test::MessageRecorder messages;
    test::FreshHome home;
    QTemporaryDir bin;
    QFile::setPermissions(bin.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
    const auto writableAgain = qScopeGuard([&] {
        QFile::setPermissions(bin.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    const StoreLocation location = locateStore(bin.path());
    ASSERT_EQ(location.mode, StoreLocation::Mode::Installed);
    const QString data = QDir(home.path()).filePath(QStringLiteral(".qttest/share/TarnvelTests/Tarnvel"));
    ASSERT_FALSE(QFileInfo::exists(data));

    ProgramState state;
    std::unique_ptr<frmMain> window = startUp(state, location, QStringLiteral(TARNVEL_TEST_DATA "/golden/reducer_shaft.tvd"));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(QFileInfo(state.db->path()).absoluteFilePath(), QDir(data).filePath(QStringLiteral("TarnvelN.mdb")));
    EXPECT_EQ(pointCount(state), 3);
    EXPECT_TRUE(QFileInfo::exists(QDir(data).filePath(QStringLiteral("TarnvelN.lock"))));
    EXPECT_TRUE(QDir(bin.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

    window->findChild<QAction *>(QStringLiteral("cmdAbout"))->trigger();
    auto *store = window->findChild<QLabel *>(QStringLiteral("lblStore"));
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->text(), QStringLiteral("База данных: ") + QDir::toNativeSeparators(QDir(data).filePath(QStringLiteral("TarnvelN.mdb"))));
    window->close();
}

namespace {

// The program copied into an installation of its own: prefix/bin/tarnvel with
// prefix/share/tarnvel beside it.
QString installedProgramCopy(const QString &prefix)
{
    const QString copy = QDir(prefix).filePath(QStringLiteral("bin/tarnvel"));
    if (!QDir().mkpath(QDir(prefix).filePath(QStringLiteral("share/tarnvel/examples")))
        || !QDir().mkpath(QFileInfo(copy).path()) || !QFile::copy(QStringLiteral(TARNVEL_EXECUTABLE), copy))
        return {};
    QFile::setPermissions(copy, QFile::permissions(QStringLiteral(TARNVEL_EXECUTABLE)));
    return copy;
}

// A store whose bearing 208 (the example's left one) bears another
// designation, so that a report tells which store's catalogue it used.
void storeNaming208(const QString &directory, const QString &designation)
{
    std::unique_ptr<Database> db = openOrCreateStore(directory);
    db->execute(QStringLiteral("UPDATE Bearings SET `Number` = ? WHERE `Number` = '208'"), {designation});
    db->close();
}

} // namespace

// The batch report of an installed program takes the user's store when there
// is one, the store beside the program before that, and creates neither.
TEST(StartUp, TheBatchReportOfAnInstalledProgramReadsTheStoreTheWindowWould)
{
    QTemporaryDir prefix, home, out;
    const QString program = installedProgramCopy(prefix.path());
    ASSERT_FALSE(program.isEmpty());
    const QString bin = QFileInfo(program).path();
    storeNaming208(bin, QStringLiteral("208-seed"));
    QFile::setPermissions(storePath(bin), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QString data = QDir(home.path()).filePath(QStringLiteral(".local/share/Tarnvel/Tarnvel"));

    QProcessEnvironment user = QProcessEnvironment::systemEnvironment();
    user.insert(QStringLiteral("HOME"), home.path());
    user.remove(QStringLiteral("XDG_DATA_HOME"));
    const auto report = [&](const QString &name) {
        QProcess run;
        run.setProcessEnvironment(user);
        run.start(program, {QStringLiteral("--report"), QStringLiteral(TARNVEL_TEST_DATA "/golden/reducer_shaft.tvd"),
                            out.filePath(name)});
        EXPECT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        return test::fileBytes(out.filePath(name));
    };

    const QByteArray seeded = report(QStringLiteral("seeded.htm"));
    EXPECT_TRUE(seeded.contains("208-seed"));
    EXPECT_FALSE(QFileInfo::exists(data));
    EXPECT_EQ(QDir(bin).entryList(QDir::Files | QDir::Hidden, QDir::Name), (QStringList{QStringLiteral("TarnvelN.mdb"), QStringLiteral("tarnvel")}));

    ASSERT_TRUE(QDir().mkpath(data));
    storeNaming208(data, QStringLiteral("208-user"));
    const QStringList userFiles = QDir(data).entryList(QDir::Files | QDir::Hidden);
    const QByteArray own = report(QStringLiteral("own.htm"));
    EXPECT_TRUE(own.contains("208-user"));
    EXPECT_FALSE(own.contains("208-seed"));
    EXPECT_EQ(QDir(data).entryList(QDir::Files | QDir::Hidden), userFiles);
}
