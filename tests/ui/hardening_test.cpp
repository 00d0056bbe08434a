// Failures in the middle of a command and input from the user's side that no
// engineer means: nothing is lost, nothing meaningless is stored, the program
// goes on.

#include "workbench_fixture.h"

#include "files/scenario_file.h"
#include "store/store_file.h"
#include "ui/modal_dialog.h"
#include "ui/command_guard.h"
#include "ui/startup.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace tarnvel;

namespace {

class HardeningTest : public test::WorkbenchTest
{
protected:
    void refuse(const QString &table, const QString &event, const QString &when = QStringLiteral("1"))
    {
        db().execute(QStringLiteral("CREATE TRIGGER refuse_%1_%2 BEFORE %2 ON %1 WHEN %3 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                         .arg(table, event, when));
    }

    int rows(const QString &statement) { return test::countRows(db(), statement); }

    // A free force and two gear points (PointIDs 2 and 3) with two modes each.
    void scheme()
    {
        action("mnuAddFree")->trigger();
        action("mnuAddCill")->trigger();
        action("mnuAddCon")->trigger();
        for (int pid : {2, 3})
            for (int r = 1; r <= 2; ++r)
                addPowers(pid, r, 500 * r, 0.5, {{1, 10 * r + 1.0}, {2, 10 * r + 2.0}, {3, 10 * r + 3.0}, {4, 10 * r + 4.0}}, 2);
        messages.clear();
    }

    // Every row of the scheme's tables, as text.
    QStringList contents()
    {
        QStringList texts;
        for (const QString &table : scenarioTables())
            for (const QString &row : test::rows(db(), QStringLiteral("SELECT * FROM ") + table))
                texts << table + QLatin1Char(' ') + row;
        return texts;
    }

    bool refusedOnce()
    {
        // The question before a command that discards work is no part of the refusal.
        QList<ShownMessage> shown = messages.shown();
        shown.removeIf([](const ShownMessage &m) { return m.icon == MessageIcon::Question; });
        return shown.size() == 1 && shown.first().text.contains(QStringLiteral("refused"))
            && shown.first().icon == MessageIcon::Critical && shown.first().title == QStringLiteral("Tarnvel");
    }
};

} // namespace

// The engine refuses one statement in the middle of a command: the user reads
// why, the store is exactly as before the command, and the navigator shows
// the points the store holds.
TEST_F(HardeningTest, ARefusedStatementLeavesTheStoreAsItWas)
{
    QTemporaryDir files;
    const QString plan = files.filePath(QStringLiteral("plan.tvd"));
    scheme();
    ASSERT_TRUE(saveScenarioFile(plan, encodeScenario(readScenarioFromStore(db()))));
    const auto confirmLoads = [this] {
        setModalDriver([](QDialog &dialog) { QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("ctlCommand3")), Qt::LeftButton); });
        clickNode(QStringLiteral("2 N"));
        clickRow(QStringLiteral("Power"));
    };
    const struct
    {
        const char *table, *event, *when;
        std::function<void()> command;
    } cases[] = {
        {"Powers", "INSERT", "NEW.RezNumber = 2", confirmLoads},
        {"Points", "UPDATE", "1", [this] { clickNode(QStringLiteral("2 N")); messages.answerNext(MessageAnswer::Yes); action("mnuEditDelete")->trigger(); }},
        {"Powers", "DELETE", "1", [this] { messages.answerNext(MessageAnswer::Yes); action("mnuFileNew")->trigger(); }},
        {"PointParameters", "INSERT", "NEW.ParameterID = 34", [&] { runCommand(&window(), [&] { window().openScenario(plan); }); }},
        {"CommonParameters", "INSERT", "NEW.ParameterID = 54", [this] { clickNode(QStringLiteral("Common")); typeIntoRow(QStringLiteral("2 ID"), QStringLiteral("999")); }},
        {"PointParameters", "INSERT", "1", [this] { action("mnuAddCill")->trigger(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.table << " " << c.event);
        m_window.reset();
        emptyScenario(db());
        scheme();
        setCommon(2, 333);
        refuse(QLatin1String(c.table), QLatin1String(c.event), QLatin1String(c.when));
        const QStringList before = contents();
        c.command();
        EXPECT_TRUE(refusedOnce()) << messages.shown().value(0).text.toStdString();
        EXPECT_EQ(contents(), before);
        EXPECT_EQ(window().nodeByKey(QStringLiteral("Points"))->childCount(), rows(QStringLiteral("SELECT * FROM Points")));
        EXPECT_EQ(window().cursor().shape(), Qt::ArrowCursor);
        EXPECT_FALSE(window().isEditorOpen());
        db().execute(QStringLiteral("DROP TRIGGER refuse_%1_%2").arg(QLatin1String(c.table), QLatin1String(c.event)));
    }
}

TEST_F(HardeningTest, HugeAndNonNumericEntriesNeverReachTheStoreAsGarbage)
{
    scheme();
    clickNode(QStringLiteral("2 N"));
    typeIntoRow(QStringLiteral("11 ID"), QStringLiteral("1e999"));
    typeIntoRow(QStringLiteral("12 ID"), QStringLiteral("12abc"));
    typeIntoRow(QStringLiteral("13 ID"), QStringLiteral("--5"));
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(valueTexts().mid(0, 3), (QStringList{"0", "12", "0"}));

    // The same in the free-force dialog: the list and the store hold numbers only.
    setModalDriver([](QDialog &dialog) {
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("ctlCommand0")), Qt::LeftButton);
        const char *fields[] = {"txtFx", "txtFy", "txtFz", "txtSpeed", "txtCoeff"};
        const char *texts[] = {"1e999", "7kN", "'); DROP TABLE Powers; --", "1000", "0,5"};
        for (int i = 0; i < 5; ++i)
            dialog.findChild<QLineEdit *>(QLatin1String(fields[i]))->setText(QLatin1String(texts[i]));
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("ComAdd")), Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("ctlCommand3")), Qt::LeftButton);
    });
    clickNode(QStringLiteral("1 N"));
    clickRow(QStringLiteral("AddFPower"));
    EXPECT_TRUE(messages.shown().isEmpty()) << messages.shown().value(0).text.toStdString();
    EXPECT_EQ(test::rows(db(), QStringLiteral("SELECT Power, Speed, Coeff FROM Powers WHERE PointID = 1 AND RezNumber = 3 ORDER BY PowerID")),
              (QStringList{"0 1000 0.5", "7 1000 0.5", "0 1000 0.5"}));
}

TEST_F(HardeningTest, AReportOfASchemeWithoutPointsAsksForOne)
{
    window();
    QTemporaryDir files;
    EXPECT_EQ(window().writeReport(files.filePath(QStringLiteral("empty"))), frmMain::ReportOutcome::Incomplete);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().text, QStringLiteral("Добавьте, как минимум, одну точку в схему нагружения..."));
    EXPECT_FALSE(QFileInfo::exists(files.filePath(QStringLiteral("empty.htm"))));
}

TEST(StartUpHardening, AStoreLockedByAnotherProgramIsReportedAndLeftAlone)
{
    test::MessageRecorder messages;
    QTemporaryDir dir;
    createStore(storePath(dir.path()));
    // Another program holds the file with an exclusive lock in the middle of a write.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(storePath(dir.path()).toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; DELETE FROM Groups;", nullptr, nullptr, nullptr), SQLITE_OK);

    ProgramState state;
    std::unique_ptr<frmMain> window = startUp(state, dir.path());
    EXPECT_EQ(window, nullptr);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().icon, MessageIcon::Critical);
    EXPECT_TRUE(messages.shown().first().text.contains(QStringLiteral("занята другой программой"))) << messages.shown().first().text.toStdString();

    sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    std::unique_ptr<Database> db = openStore(storePath(dir.path()));
    EXPECT_EQ(test::countRows(*db, QStringLiteral("SELECT * FROM Groups")), 8);
}
