#include "workbench_fixture.h"

#include "ui/file_panel.h"
#include "ui/modal_dialog.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace tarnvel;

namespace {

class FileCommandsTest : public test::WorkbenchTest
{
protected:
    FilePanel *panel() { return window().filePanel(); }
    QPushButton *ok() { return panel()->findChild<QPushButton *>(QStringLiteral("comFile")); }
    QLineEdit *nameBox() { return panel()->findChild<QLineEdit *>(QStringLiteral("txtFileName")); }
    QString caption() { return panel()->findChild<QLabel *>(QStringLiteral("lbCaption"))->text(); }

    void confirm(const char *menu, const QString &name)
    {
        action(menu)->trigger();
        ASSERT_TRUE(panel()->isVisible());
        panel()->setDirectory(files.path());
        nameBox()->clear();
        QTest::keyClicks(nameBox(), name);
        QTest::mouseClick(ok(), Qt::LeftButton);
    }

    // A complete little scheme: one free force of 1000 N in the middle of a 100 mm span, one mode.
    void completeScheme()
    {
        setCommon(2, 100);
        setCommon(4, 1);
        setCommon(38, 1);
        addPowers(addFreeForce(1, 0, 0, 50, 1000, 0, 0), 1, 1000, 1, { { 5, 1000 }, { 6, 0 }, { 7, 0 } }, 1);
    }

    QTemporaryDir files;
};

} // namespace

TEST_F(FileCommandsTest, ThePanelShowsEachModeWithItsRules)
{
    action("mnuSave")->trigger();
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(caption(), QStringLiteral("Сохранить сценарий расчёта"));
    EXPECT_EQ(panel()->pattern(), QStringLiteral("*.tvd;*.TVD"));
    EXPECT_FALSE(ok()->isEnabled());
    QTest::keyClicks(nameBox(), QStringLiteral("   "));
    EXPECT_FALSE(ok()->isEnabled()); // blanks only
    QTest::keyClicks(nameBox(), QStringLiteral("a"));
    EXPECT_TRUE(ok()->isEnabled());
    QTest::mouseClick(panel()->findChild<QPushButton *>(QStringLiteral("comCancel")), Qt::LeftButton);
    EXPECT_FALSE(panel()->isVisible());

    action("mnuSave")->trigger();
    EXPECT_EQ(nameBox()->text(), QStringLiteral("   a")); // saving keeps the last name
    EXPECT_TRUE(ok()->isEnabled());

    action("mnuReport")->trigger();
    EXPECT_EQ(caption(), QStringLiteral("Сохранение отчёта в формате HTML"));
    EXPECT_EQ(panel()->pattern(), QStringLiteral("*.htm"));
    EXPECT_TRUE(nameBox()->text().isEmpty());
    EXPECT_FALSE(ok()->isEnabled());

    window().toolbarButton(QStringLiteral("Open"))->trigger();
    EXPECT_EQ(caption(), QStringLiteral("Открыть сценарий расчёта"));

    // The panel stays centred in the window.
    EXPECT_EQ(panel()->x(), (window().width() - panel()->width()) / 2);
    EXPECT_EQ(panel()->size(), QSize(601, 329));

    // The close glyph closes the panel.
    QTest::mouseClick(panel()->findChild<ClosePicture *>(QStringLiteral("Picture2")), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(panel()->isVisible());
}

TEST_F(FileCommandsTest, ThePanelKeepsUpWithTheFolderAndTheKeys)
{
    completeScheme();
    confirm("mnuSave", QStringLiteral("plan"));
    confirm("mnuReport", QStringLiteral("report"));
    action("mnuSave")->trigger();
    EXPECT_EQ(nameBox()->text(), QStringLiteral("plan.tvd")); // the scenario's name, not the report's
    QTest::keyClick(nameBox(), Qt::Key_Escape);
    EXPECT_FALSE(panel()->isVisible());

    // A folder and files made while the program runs are there at the next
    // showing; the list holds the scenarios only.
    ASSERT_TRUE(QDir(files.path()).mkdir(QStringLiteral("made later")));
    for (const char *name : {"B.TVD", "d.txt"})
        test::putFile(files.filePath(QLatin1String(name)), {});
    messages.answerNext(MessageAnswer::Yes);
    action("mnuFileNew")->trigger();
    action("mnuFileOpen")->trigger();
    EXPECT_EQ(panel()->findChild<QListWidget *>(QStringLiteral("ctDir"))->findItems(QStringLiteral("made later"), Qt::MatchEndsWith).size(), 1);
    auto *list = panel()->findChild<QListWidget *>(QStringLiteral("ctFile"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text() + QLatin1Char(' ') + list->item(1)->text(), QStringLiteral("B.TVD plan.tvd"));

    // A click names the file, a double click confirms it.
    const QPoint file = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, file);
    EXPECT_EQ(nameBox()->text(), QStringLiteral("plan.tvd"));
    EXPECT_EQ(panel()->highlightedDirectory(), QDir(files.path()).absolutePath());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, file);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Points")), 1);

    // The next run's panel opens in the folder used last.
    EXPECT_EQ(FilePanel().currentDirectory(), QDir(files.path()).absolutePath());
}

// A file that cannot be read is refused as at start-up (startup_test, the
// same command); cancelling the panel loses nothing either.
TEST_F(FileCommandsTest, CancellingOpenKeepsTheProject)
{
    completeScheme();
    action("mnuFileOpen")->trigger();
    QTest::mouseClick(panel()->findChild<QPushButton *>(QStringLiteral("comCancel")), Qt::LeftButton);
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Points")), 1);
    EXPECT_TRUE(messages.shown().isEmpty());
}

// The written page is offered to the default browser; what would be opened is
// the page's own file (a blank and a Cyrillic letter in its name), whose
// pictures lie beside it.
TEST_F(FileCommandsTest, TheWrittenReportIsOfferedToTheBrowser)
{
    completeScheme();
    setModalDriver([](QDialog &dialog) {
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
    });
    const QString page = files.filePath(QStringLiteral("отчёт 2.htm"));
    const struct
    {
        MessageAnswer answer;
        bool browserFound;
        int opened;
        const char *thenSaid;
    } cases[] = {
        {MessageAnswer::Yes, true, 1, nullptr},
        {MessageAnswer::Yes, false, 1, "не открыт: в системе не выбрана программа для страниц HTML"},
        {MessageAnswer::No, true, 0, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.opened + 2 * c.browserFound);
        messages.clear();
        test::DesktopRecorder desktop(c.browserFound);
        messages.answerNext(c.answer);
        action("mnuReport")->trigger();
        panel()->setDirectory(files.path());
        nameBox()->setText(QStringLiteral("отчёт 2")); // typed through an input method
        QTest::mouseClick(ok(), Qt::LeftButton);
        ASSERT_EQ(desktop.opened().size(), c.opened);
        if (c.opened) {
            const QUrl url = desktop.opened().first();
            EXPECT_EQ(url.scheme(), QStringLiteral("file"));
            EXPECT_EQ(url.toLocalFile(), page);
            EXPECT_EQ(QFileInfo(url.toLocalFile()).dir().entryList({QStringLiteral("*.files")}, QDir::Dirs),
                      QStringList{QStringLiteral("отчёт 2.files")});
        }
        ASSERT_EQ(messages.shown().size(), c.thenSaid ? 2 : 1);
        EXPECT_EQ(messages.shown().first().text, QStringLiteral("Отчёт сохранён в файле: %1\n\nОткрыть его в браузере?")
                                                     .arg(QDir::toNativeSeparators(page)));
        EXPECT_EQ(messages.shown().first().icon, MessageIcon::Question);
        EXPECT_EQ(messages.shown().first().buttons, MessageButtons::YesNo);
        if (c.thenSaid) {
            EXPECT_EQ(messages.shown().last().icon, MessageIcon::Exclamation);
            EXPECT_TRUE(messages.shown().last().text.startsWith(QStringLiteral("Отчёт %1 ").arg(QDir::toNativeSeparators(page))));
            EXPECT_TRUE(messages.shown().last().text.contains(QString::fromUtf8(c.thenSaid)));
        }
    }
    // The walk-through chose both bearings and ended on the shaft.
    EXPECT_EQ(currentNodeKey(), QStringLiteral("Shaft"));
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM BearRep")), 2);
}

// A report that is not written is never offered: a plain file where its
// folder should be, or a folder that does not exist (the panel offers only
// existing ones, and none is made on the way).
TEST_F(FileCommandsTest, AReportThatCannotBeWrittenSaysSo)
{
    completeScheme();
    test::putFile(files.filePath(QStringLiteral("not a folder")), {});
    for (const char *name : {"not a folder/report", "missing/sub/report"}) {
        const QString target = files.filePath(QLatin1String(name));
        messages.clear();
        EXPECT_EQ(window().writeReport(target), frmMain::ReportOutcome::NotWritten) << name;
        ASSERT_FALSE(messages.shown().isEmpty()) << name;
        EXPECT_TRUE(messages.shown().last().text.startsWith(QStringLiteral("Отчёт не сохранён в файле %1:\n")
                                                                 .arg(QDir::toNativeSeparators(target + QStringLiteral(".htm")))));
    }
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().first().text.endsWith(
        QStringLiteral("Папка %1 не существует.").arg(QDir::toNativeSeparators(files.filePath(QStringLiteral("missing/sub"))))));
    EXPECT_FALSE(QFileInfo::exists(files.filePath(QStringLiteral("missing"))));
}

// Without a display the window says what to do instead of aborting, with no
// display at all and with one that cannot be reached; a scenario that cannot
// be read stops the batch report.
TEST_F(FileCommandsTest, WithoutADisplayTheProgramSaysWhatToDo)
{
    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        headless.remove(QLatin1String(name));
    QProcess run;
    for (const char *display : {"", ":79"}) {
        QProcessEnvironment environment = headless;
        if (*display)
            environment.insert(QStringLiteral("DISPLAY"), QLatin1String(display));
        run.setProcessEnvironment(environment);
        run.start(QStringLiteral(TARNVEL_EXECUTABLE), QStringList());
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitCode(), 3) << display;
        const QString said = QString::fromUtf8(run.readAllStandardError());
        for (const char *hint : {"нужен графический дисплей", "needs a display", "--report SCENARIO.tvd REPORT.htm", "QT_QPA_PLATFORM=vnc"})
            EXPECT_TRUE(said.contains(QString::fromUtf8(hint))) << display << said.toStdString();
    }
    run.start(QStringLiteral(TARNVEL_EXECUTABLE), {QStringLiteral("--report"), files.filePath(QStringLiteral("none.tvd")), files.filePath(QStringLiteral("x"))});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 2);
    EXPECT_FALSE(QFileInfo::exists(files.filePath(QStringLiteral("x.htm"))));

    // One file is the window with that scenario, which needs the display
    // too; anything else is the usage.
    const struct
    {
        QStringList arguments;
        int status;
    } forms[] = {
        {{files.filePath(QStringLiteral("plan.tvd"))}, 3},
        {{files.filePath(QStringLiteral("a.tvd")), files.filePath(QStringLiteral("b.tvd"))}, 2},
        {{QStringLiteral("--open")}, 2},
    };
    run.setProcessEnvironment(headless);
    for (const auto &form : forms) {
        run.start(QStringLiteral(TARNVEL_EXECUTABLE), form.arguments);
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitCode(), form.status) << form.arguments.join(QLatin1Char(' ')).toStdString();
        const QString said = QString::fromUtf8(run.readAllStandardError());
        EXPECT_EQ(said.contains(QStringLiteral("tarnvel СЦЕНАРИЙ.tvd ")), form.status == 2) << said.toStdString();
    }
}

TEST_F(FileCommandsTest, TabGoesRoundThePanelOnly)
{
    action("mnuSave")->trigger();
    ASSERT_TRUE(panel()->isVisible());
    QTest::keyClicks(nameBox(), QStringLiteral("plan"));
    ASSERT_EQ(QApplication::focusWidget(), nameBox());

    const char *round[] = {"comFile", "comCancel", "ctDisc", "ctDir", "ctFile", "txtFileName"};
    for (const char *expected : round) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QLatin1String(expected));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("ctFile"));

    // Without a name "OK" is off and the round passes it by.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    nameBox()->clear();
    QTest::keyClick(nameBox(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("comCancel"));
}
