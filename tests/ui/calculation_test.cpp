// Results follow the inputs: whatever the engineer edits, and in whatever
// order, the numbers the workbench shows are those a fresh calculation of the
// stored inputs gives, and its report is the batch report of the same scheme.

#include "workbench_fixture.h"

#include "analysis/calculation.h"
#include "files/scenario_file.h"
#include "store/numbers.h"
#include "store/store_file.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <array>
#include <functional>
#include <memory>
#include <random>

using namespace tarnvel;

namespace {

QString rounded(double value) { return SqlNum(roundHalfEven(SqlNum(value).toDouble(), 3)); }

// Runs the batch report; a run that never ends is killed and fails the test.
int runBatch(const QStringList &arguments, QString *said, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess run;
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral(TARNVEL_EXECUTABLE), QStringList { QStringLiteral("--report") } + arguments);
    if (!run.waitForFinished(60000)) {
        run.kill();
        run.waitForFinished();
        ADD_FAILURE() << "the batch report did not end";
        return -1;
    }
    *said = QString::fromUtf8(run.readAllStandardError());
    return run.exitCode();
}

class CalculationTest : public test::WorkbenchTest
{
protected:
    // The reducer shaft of the golden case: helical wheel, free force, bevel
    // pinion, three modes, bearings on both supports.
    void SetUp() override
    {
        WorkbenchTest::SetUp();
        const std::optional<Scenario> golden = loadScenarioFile(QStringLiteral(TARNVEL_TEST_DATA "/golden/reducer_shaft.tvd"));
        ASSERT_TRUE(golden.has_value());
        emptyScenario(db());
        writeScenarioToStore(db(), *golden);
        whenDialogOpens([](QDialog &dialog) { dialog.reject(); });
    }

    QStringList pointKeys()
    {
        QStringList keys;
        const QTreeWidgetItem *points = window().nodeByKey(QStringLiteral("Points"));
        for (int i = 0; i < points->childCount(); ++i)
            keys << points->child(i)->data(0, KeyRole).toString();
        return keys;
    }
    int groupOf(const QString &pointKey)
    {
        return test::rows(db(), QStringLiteral("SELECT GroupID FROM Points WHERE PointNumber = %1").arg(leadingNumber(pointKey))).value(0).toInt();
    }

    // The numbers as the views show them: both reaction views, each gear
    // point's force table, both bearing result tables.
    std::string shown()
    {
        QStringList texts;
        for (const char *side : {"LBearing", "RBearing"}) {
            clickNode(QLatin1String(side));
            texts << valueTexts().mid(0, 3);
        }
        for (const QString &key : pointKeys()) {
            if (groupOf(key) == 2)
                continue;
            clickNode(key);
            clickRow(QStringLiteral("Forse"));
            texts << valueTexts().filter(QRegularExpression(QStringLiteral("\\d")));
        }
        for (const char *side : {"LBearing", "RBearing"}) {
            clickNode(QLatin1String(side));
            clickRow(side[0] == 'L' ? QStringLiteral("LBear") : QStringLiteral("RBear"));
            const QStringList keys = rowKeys();
            for (const char *key : {"BFr", "BFa", "BPr", "Bn", "BLh"})
                texts << valueTexts().value(keys.indexOf(QLatin1String(key)));
        }
        return texts.join(QLatin1Char(' ')).toStdString();
    }

    // The same numbers from the pipeline run on a copy of the store whose
    // results were all thrown away.
    std::string expected(bool storedResults = false)
    {
        QTemporaryDir copy;
        const QString path = QDir(copy.path()).filePath(QStringLiteral("copy.db"));
        Database::snapshot(db().path(), path);
        std::unique_ptr<Database> fresh = openStore(path);
        fresh->execute(QStringLiteral("DELETE FROM PointForses"));
        fresh->execute(QStringLiteral("DELETE FROM Reakz"));
        fresh->execute(QStringLiteral("UPDATE BearRep SET Pr = NULL, Lh = NULL, e = NULL, X = NULL, Y = NULL"));
        // The free forces' equivalent projections are results too.
        const QString equivalents = QStringLiteral(" FROM PointParameters WHERE ParameterID > 7 AND ParameterID < 11");
        fresh->execute(QStringLiteral("DELETE") + equivalents);
        const Calculation c = runCalculation(*fresh);
        // What the workbench stored is what the fresh calculation stores.
        if (storedResults) {
            for (const QString &stored : {QStringLiteral("SELECT PointID, ParameterID, ParValue") + equivalents + QStringLiteral(" ORDER BY PointID, ParameterID"),
                                          QStringLiteral("SELECT * FROM PointForses ORDER BY PointID, RezNumber, ParameterID"),
                                          QStringLiteral("SELECT * FROM Reakz ORDER BY ParameterID"),
                                          QStringLiteral("SELECT * FROM BearRep ORDER BY Side")})
                EXPECT_EQ(test::rows(db(), stored).join(QLatin1Char('|')).toStdString(), test::rows(*fresh, stored).join(QLatin1Char('|')).toStdString()) << stored.toStdString();
        }
        EXPECT_FALSE(c.missing.has_value()) << (c.missing ? c.missing->message.toStdString() : "");
        QStringList texts{rounded(c.reactions.R1x), rounded(c.reactions.R1y), rounded(c.reactions.R1),
                          rounded(c.reactions.R2x), rounded(c.reactions.R2y), rounded(c.reactions.R2)};
        for (const PointResult &point : c.points) {
            for (const ModeForces &m : point.mesh.modes)
                texts << rounded(m.Ft) << rounded(m.Fr) << rounded(m.Fa);
        }
        // The bearing tables show the user's decimal separator.
        for (const SupportResult &s : c.supports) {
            for (QString text : {rounded(s.result.loadCase.Fr), rounded(s.result.loadCase.Fa), rounded(*s.result.factors.Pr),
                                 SqlNum(c.eqSpeed), rounded(*s.result.factors.Lh)})
                texts << text.replace(QLatin1Char('.'), QLocale().decimalPoint());
        }
        return texts.join(QLatin1Char(' ')).toStdString();
    }

    // Picks an entry of a parameter's list editor, n steps down (or up).
    void choosePoint(const QString &node, const QString &rowKey, int steps)
    {
        clickNode(node);
        clickRow(rowKey);
        auto *editor = window().findChild<QComboBox *>(QStringLiteral("ComboInput"));
        ASSERT_TRUE(editor->isVisible()) << rowKey.toStdString();
        for (int i = 0; i < std::abs(steps); ++i)
            QTest::keyClick(editor, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
        QTest::keyClick(editor, Qt::Key_Return);
        // A new force unit asks whether the free forces follow it; answered
        // No, the numbers stay as typed, as these cases expect.
        if (rowKey == QLatin1String("4 ID") && messages.shown().size() == 1
            && messages.shown().first().text.startsWith(QStringLiteral("Единица силы изменена")))
            messages.clear();
    }

    // Confirms a load dialog after changing one mode: its load (or Fx) and,
    // where the dialog lets it, its speed and coefficient.
    void editMode(const QString &pointKey, int mode, const QString &load, const QString &speed, const QString &coeff)
    {
        clickNode(pointKey);
        const bool free = groupOf(pointKey) == 2;
        whenDialogOpens([&](QDialog &dialog) {
            auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("ctlListView"));
            ASSERT_GT(list->topLevelItemCount(), 0);
            QTreeWidgetItem *row = list->topLevelItem(std::min(mode, list->topLevelItemCount()) - 1);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row).center());
            dialog.findChild<QLineEdit *>(QLatin1String(free ? "txtFx" : "txtPower"))->setText(load);
            for (const auto &[name, text] : {std::pair{"txtSpeed", speed}, std::pair{"txtCoeff", coeff}}) {
                if (auto *field = dialog.findChild<QLineEdit *>(QLatin1String(name)); field->isEnabled())
                    field->setText(text);
            }
            QTest::mouseClick(button(dialog, "ComAdd"), Qt::LeftButton);
            QTest::mouseClick(button(dialog, "ctlCommand3"), Qt::LeftButton);
        });
        clickRow(free ? QStringLiteral("AddFPower") : QStringLiteral("Power"));
    }

    // Point 1's dialog with one mode more (copied from mode 1) or one less.
    void changeModeCount(bool more)
    {
        clickNode(pointKeys().first());
        whenDialogOpens([more](QDialog &dialog) {
            auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("ctlListView"));
            if (!more && list->topLevelItemCount() < 2)
                return dialog.reject();
            const QStringList first{list->topLevelItem(0)->text(1), list->topLevelItem(0)->text(2), list->topLevelItem(0)->text(3)};
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(list->topLevelItemCount() - 1)).center());
            QTest::mouseClick(button(dialog, more ? "ctlCommand0" : "ctlCommand1"), Qt::LeftButton);
            if (more) {
                const bool free = dialog.findChild<QLineEdit *>(QStringLiteral("txtFx")) != nullptr;
                dialog.findChild<QLineEdit *>(QLatin1String(free ? "txtFx" : "txtPower"))->setText(first.at(0));
                dialog.findChild<QLineEdit *>(QStringLiteral("txtSpeed"))->setText(free ? QStringLiteral("300") : first.at(1));
                dialog.findChild<QLineEdit *>(QStringLiteral("txtCoeff"))->setText(QStringLiteral("0.1"));
                QTest::mouseClick(button(dialog, "ComAdd"), Qt::LeftButton);
            }
            QTest::mouseClick(button(dialog, "ctlCommand3"), Qt::LeftButton);
        });
        clickRow(groupOf(pointKeys().first()) == 2 ? QStringLiteral("AddFPower") : QStringLiteral("Power"));
    }

    // Another bearing of the same type for a support, with a new Kb.
    void chooseBearing(const char *side, int offset, const QString &kb)
    {
        clickNode(QLatin1String(side));
        clickRow(side[0] == 'L' ? QStringLiteral("LBear") : QStringLiteral("RBear"));
        whenDialogOpens([&](QDialog &dialog) {
            auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("LV"));
            const int index = (list->indexOfTopLevelItem(list->currentItem()) + offset) % list->topLevelItemCount();
            list->setCurrentItem(list->topLevelItem(index));
            dialog.findChild<QLineEdit *>(QStringLiteral("txtKb"))->setText(kb);
            QTest::mouseClick(button(dialog, "cmdOK"), Qt::LeftButton);
        });
        clickRow(side[0] == 'L' ? QStringLiteral("BNuml") : QStringLiteral("BNumr"));
    }

    void typePoint(const QString &pointKey, const QString &rowKey, const QString &text)
    {
        clickNode(pointKey);
        typeIntoRow(rowKey, text);
    }
};

// Every kind of input, edited once: the result that depends on it changes.
TEST_F(CalculationTest, EveryInputChangesTheResultsThatDependOnIt)
{
    const struct
    {
        const char *input;
        std::function<void()> edit;
    } cases[] = {
        {"force unit", [this] { choosePoint(QStringLiteral("Common"), QStringLiteral("4 ID"), 1); }},
        {"direction", [this] { choosePoint(QStringLiteral("Common"), QStringLiteral("38 ID"), 1); }},
        {"L", [this] { typePoint(QStringLiteral("Common"), QStringLiteral("2 ID"), QStringLiteral("180")); }},
        {"typed module", [this] { typePoint(QStringLiteral("1 N"), QStringLiteral("11 ID"), QStringLiteral("3")); }},
        {"typed position", [this] { typePoint(QStringLiteral("3 N"), QStringLiteral("34 ID"), QStringLiteral("205")); }},
        {"profile angle", [this] { choosePoint(QStringLiteral("1 N"), QStringLiteral("15 ID"), 1); }},
        {"helix hand", [this] { choosePoint(QStringLiteral("1 N"), QStringLiteral("18 ID"), -1); }},
        {"role", [this] { choosePoint(QStringLiteral("3 N"), QStringLiteral("31 ID"), 1); }},
        {"cone orientation", [this] { choosePoint(QStringLiteral("3 N"), QStringLiteral("28 ID"), 1); }},
        {"gear load", [this] { editMode(QStringLiteral("3 N"), 2, QStringLiteral("150"), {}, {}); }},
        {"free force", [this] { editMode(QStringLiteral("2 N"), 1, QStringLiteral("900"), {}, {}); }},
        {"mode coefficient", [this] { editMode(QStringLiteral("1 N"), 1, QStringLiteral("7.5"), QStringLiteral("365"), QStringLiteral("0.35")); }},
        {"mode count", [this] { changeModeCount(false); }},
        {"bearing", [this] { chooseBearing("RBearing", 1, QStringLiteral("1.5")); }},
        {"bearing coefficient", [this] { chooseBearing("LBearing", 0, QStringLiteral("1.3")); }},
    };
    const std::string before = shown();
    ASSERT_TRUE(messages.shown().isEmpty()) << messages.shown().first().text.toStdString();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input);
        m_window.reset();
        SetUp();
        messages.clear();
        c.edit();
        const std::string after = shown();
        EXPECT_NE(after, before);
        EXPECT_EQ(after, expected(true));
        EXPECT_TRUE(messages.shown().isEmpty()) << (messages.shown().isEmpty() ? "" : messages.shown().first().text.toStdString());
    }
}

// A mode's coefficient, and the number of modes, changed at the reference
// point hold for every point at once.
TEST_F(CalculationTest, AModeConfirmedAtTheReferencePointHoldsForEveryPoint)
{
    editMode(QStringLiteral("1 N"), 1, QStringLiteral("7.5"), QStringLiteral("365"), QStringLiteral("0.6"));
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Powers WHERE RezNumber = 1 AND Coeff <> 0.6")), 0);
    // Two modes at the reference: every point drops its third.
    changeModeCount(false);
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Powers WHERE RezNumber = 3")), 0);
}

TEST_F(CalculationTest, ClosingALoadDialogWithoutOkKeepsTheLoads)
{
    const int before = test::countRows(db(), QStringLiteral("SELECT * FROM Powers"));
    for (const char *point : {"1 N", "2 N"}) {
        clickNode(QLatin1String(point));
        whenDialogOpens([](QDialog &dialog) {
            auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("ctlListView"));
            list->setCurrentItem(list->topLevelItem(0));
            QTest::mouseClick(button(dialog, "ctlCommand1"), Qt::LeftButton);
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        clickRow(QLatin1String(point) == QLatin1String("1 N") ? QStringLiteral("Power") : QStringLiteral("AddFPower"));
    }
    EXPECT_EQ(dialogsOpened, 2);
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Powers")), before);
}

// 300 edits drawn at random from every kind of input edit; after each the
// views agree with a fresh calculation, and now and then the report written
// by the workbench is the batch report of the scenario saved then.
// The workbench's last calculation stands only while the store holds what it
// was made from: a write that was rolled back, and another program's commit,
// both bring a fresh one.
TEST_F(CalculationTest, ACalculationIsRedoneWhenTheStoreChangedUnderIt)
{
    const std::string before = shown();
    {
        Database::Transaction transaction(db());
        db().execute(QStringLiteral("UPDATE CommonParameters SET ParamValue = 300 WHERE ParameterID = 2"));
        EXPECT_NE(shown(), before);
    } // rolled back
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(before, expected(true));

    std::unique_ptr<Database> other = Database::open(db().path());
    other->execute(QStringLiteral("UPDATE CommonParameters SET ParamValue = 300 WHERE ParameterID = 2"));
    const std::string after = shown();
    EXPECT_NE(after, before);
    EXPECT_EQ(after, expected(true));
}

TEST_F(CalculationTest, RandomEditsKeepTheViewsEqualToAFreshCalculation)
{
    std::mt19937 random(20261206);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto anyPoint = [&](int group) {
        QStringList keys = pointKeys();
        keys.erase(std::remove_if(keys.begin(), keys.end(), [&](const QString &k) { return group != 0 && groupOf(k) != group; }), keys.end());
        return keys.isEmpty() ? QString() : keys.at(pick(0, static_cast<int>(keys.size()) - 1));
    };
    QTemporaryDir files;
    for (int step = 1; step <= 300; ++step) {
        SCOPED_TRACE(step);
        const QString cylinder = anyPoint(3);
        const QString cone = anyPoint(4);
        switch (pick(0, 12)) {
        case 0: typePoint(QStringLiteral("Common"), QStringLiteral("2 ID"), QString::number(pick(150, 260))); break;
        case 1: choosePoint(QStringLiteral("Common"), pick(0, 1) ? QStringLiteral("4 ID") : QStringLiteral("38 ID"), pick(0, 1) ? 1 : -1); break;
        case 2: if (!cylinder.isEmpty()) typePoint(cylinder, QStringLiteral("%1 ID").arg(pick(0, 1) ? 14 : 20), QString::number(pick(0, 30))); break;
        case 3: if (!cylinder.isEmpty()) typePoint(cylinder, QStringLiteral("33 ID"), QString::number(pick(20, 240))); break;
        case 4: if (!cylinder.isEmpty()) choosePoint(cylinder, QStringLiteral("%1 ID").arg(std::array{15, 18, 19}.at(pick(0, 2))), pick(0, 1) ? 1 : -1); break;
        case 5: if (!cone.isEmpty()) typePoint(cone, QStringLiteral("%1 ID").arg(pick(0, 1) ? 24 : 32), QString::number(pick(5, 35))); break;
        case 6: if (!cone.isEmpty()) choosePoint(cone, QStringLiteral("%1 ID").arg(pick(0, 2) == 0 ? 28 : 30 + pick(0, 1)), pick(0, 1) ? 1 : -1); break;
        case 7: {
            const QString point = anyPoint(0);
            editMode(point, pick(1, 4), QString::number(pick(1, 200)), QString::number(pick(100, 900)), SqlNum(pick(1, 9) / 10.0));
            break;
        }
        case 8: changeModeCount(pick(0, 1) == 1); break;
        case 9:
            if (pointKeys().size() < 6) {
                action("mnuAddFree")->trigger();
                const QString point = pointKeys().last();
                typePoint(point, QStringLiteral("7 ID"), QString::number(pick(0, 260)));
                editMode(point, 1, QString::number(pick(-500, 500)), {}, {});
            }
            break;
        case 10:
            if (pointKeys().size() > 3) {
                clickNode(anyPoint(2));
                messages.answerNext(MessageAnswer::Yes);
                action("mnuEditDelete")->trigger();
                messages.clear(); // the question asked before deleting
            }
            break;
        case 11: chooseBearing(pick(0, 1) ? "LBearing" : "RBearing", pick(0, 3), SqlNum(1 + pick(0, 5) / 10.0)); break;
        case 12: typePoint(QStringLiteral("Common"), QStringLiteral("54 ID"), QString::number(pick(0, 40))); break;
        }
        if (!messages.shown().isEmpty() || (anyPoint(3).isEmpty() && anyPoint(4).isEmpty()))
            FAIL() << "edit left the scheme incomplete: " << (messages.shown().isEmpty() ? "" : messages.shown().first().text.toStdString());
        const std::string now = shown(); // the views first: they bring the stored results up to date
        ASSERT_EQ(now, expected(true));

        const QString page = files.filePath(QStringLiteral("workbench%1.htm").arg(step));
        const QString batch = files.filePath(QStringLiteral("batch%1.htm").arg(step));
        const QString scenario = files.filePath(QStringLiteral("scheme%1.tvd").arg(step));
        ASSERT_EQ(window().writeReport(page), frmMain::ReportOutcome::Written);
        window().saveScenario(scenario);
        // The batch report writes numbers in the locale the tests use.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
        QString said;
        ASSERT_EQ(runBatch({scenario, batch}, &said, environment), 0) << said.toStdString();
        auto body = [](const QString &path) {
            QList<QByteArray> lines = test::fileBytes(path).split('\n');
            // The time stamp and the picture paths differ by nature.
            lines.removeIf([](const QByteArray &line) { return line.contains("<img") || line.contains("<u><font size='5'>"); });
            return lines.join('\n').toStdString();
        };
        EXPECT_EQ(body(page), body(batch));
        // Pictures are named after their bytes: the same names, the same bytes.
        // The three moment diagrams and the shaft check's pictures.
        const QStringList pictures = test::pageImageSources(test::fileBytes(page));
        ASSERT_GE(pictures.size(), 6);
        EXPECT_EQ(test::pageImageSources(test::fileBytes(batch)).replaceInStrings(QStringLiteral("batch"), QStringLiteral("workbench")), pictures);
        for (const QString &picture : pictures) {
            const QString name = QFileInfo(picture).fileName();
            const QByteArray shown = test::fileBytes(files.filePath(QStringLiteral("workbench%1.files/").arg(step) + name));
            EXPECT_FALSE(shown.isEmpty()) << name.toStdString();
            EXPECT_EQ(shown, test::fileBytes(files.filePath(QStringLiteral("batch%1.files/").arg(step) + name))) << name.toStdString();
        }
    }
}

// After a question on the way, the supports node still ends on its own view;
// a refused gear datum opens the editor of the parameter the message names.
TEST_F(CalculationTest, GuidanceEndsWhereTheUserWasGoing)
{
    db().execute(QStringLiteral("DELETE FROM Powers WHERE PointID IN (SELECT PointID FROM Points WHERE PointNumber = 3)"));
    whenDialogOpens([](QDialog &dialog) {
        auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("ctlListView"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(0)).center());
        dialog.findChild<QLineEdit *>(QStringLiteral("txtPower"))->setText(QStringLiteral("5"));
        QTest::mouseClick(button(dialog, "ComAdd"), Qt::LeftButton);
        QTest::mouseClick(button(dialog, "ctlCommand3"), Qt::LeftButton);
    });
    clickNode(QStringLiteral("Bearings"));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().at(0).text, QStringLiteral("Задайте нагрузки и режимы..."));
    EXPECT_EQ(currentNodeKey(), QStringLiteral("Bearings"));
    EXPECT_EQ(rowKeys(), (QStringList{"LBearing", "RBearing", "Osevaya"}));

    messages.clear();
    // A store written before the field took only angles under 90°.
    db().execute(QStringLiteral("UPDATE PointParameters SET ParValue = 90 WHERE ParameterID = 14 AND PointID IN "
                                "(SELECT PointID FROM Points WHERE PointNumber = 1)"));
    clickNode(QStringLiteral("1 N"));
    clickRow(QStringLiteral("Forse"));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().first().text.contains(QStringLiteral("несовместимы")));
    auto *editor = window().findChild<QLineEdit *>(QStringLiteral("TextInput"));
    ASSERT_TRUE(editor->isVisible());
    EXPECT_TRUE(messages.shown().first().text.contains(window().rowByKey(QStringLiteral("14 ID"))->text(0)));
    editor->setText(QStringLiteral("10.5"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(messages.shown().size(), 1);
}

// The batch report stops without a page for an input it cannot use, and says
// so; a report into a folder that does not exist is a file error.
TEST_F(CalculationTest, TheBatchReportRefusesWhatItCannotUse)
{
    QTemporaryDir files;
    const struct
    {
        const char *change; // undone once the scenario is saved
        const char *target;
        int exitCode;
        const char *says;
    } cases[] = {
        {"UPDATE CommonParameters SET ParamValue = 4.9E-324 WHERE ParameterID = 2", "tiny.htm", 2,
            "«Расстояние между опорами L» (общие данные) вне допустимых пределов: оно должно быть от 0.1 до 100000 мм."},
        {"INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (53, 40000)", "axis.htm", 1,
            "Длина оси эпюры моментов должна быть от 1 до 32767 мм"},
        {"UPDATE Powers SET Power = Power * 1E300", "torque.htm", 1, "силы в зацеплении не вычисляются"},
        {"", "missing/report.htm", 2, "не существует"},
        // A file from an installation whose catalogue has a bearing this one lacks.
        {"UPDATE BearRep SET BearingID = 999999 WHERE Side = 1", "foreign.htm", 1, "999999 (правая опора)"},
    };
    // Without steps: they would set the axis to the shaft's length.
    db().execute(QStringLiteral("DELETE FROM CommonParameters WHERE ParameterID = 53"));
    db().execute(QStringLiteral("DELETE FROM ShaftSegments"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.target);
        Database::Transaction undone(db());
        if (*c.change)
            db().execute(QString::fromUtf8(c.change));
        const QString scenario = files.filePath(QStringLiteral("scheme.tvd"));
        ASSERT_TRUE(saveScenarioFile(scenario, encodeScenario(readScenarioFromStore(db()))));
        QString said;
        EXPECT_EQ(runBatch({scenario, files.filePath(QLatin1String(c.target))}, &said), c.exitCode);
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
        EXPECT_FALSE(QFileInfo::exists(files.filePath(QLatin1String(c.target))));
    }
    EXPECT_FALSE(QFileInfo::exists(files.filePath(QStringLiteral("missing"))));
}

} // namespace

// Files the batch report must not write over or wait on: it stops with a file
// error before writing anything, and the files stay as they were.
TEST(BatchReport, RefusesFilesItMustNotTouch)
{
    QTemporaryDir files;
    const QString golden = QStringLiteral(TARNVEL_TEST_DATA "/golden/reducer_shaft.tvd");
    const QByteArray scheme = test::fileBytes(golden);
    const auto put = [&](const char *name, const QByteArray &bytes) { test::putFile(files.filePath(QLatin1String(name)), bytes); };
    std::unique_ptr<test::TestFifo> fifo;
    const struct
    {
        const char *scenario;
        const char *report;
        std::function<void()> prepare;
        const char *says;
    } cases[] = {
        { "plan.htm", "plan.htm", [&] { put("plan.htm", scheme); }, "это сценарий расчёта" },
        { "plan.htm", "plan", [&] { put("plan.htm", scheme); }, "это сценарий расчёта" }, // ".htm" appended
        { "plan.tvd", "link.htm",
          [&] {
              put("plan.tvd", scheme);
              QFile::link(files.filePath(QStringLiteral("plan.tvd")), files.filePath(QStringLiteral("link.htm")));
          },
          "это сценарий расчёта" },
        { "plan.tvd", "blocked.htm",
          [&] {
              put("plan.tvd", scheme);
              put("blocked.htm", "old page");
              put("blocked.files", "not a folder");
          },
          "На месте папки рисунков" },
        { "pipe.tvd", "pipe.htm",
          [&] { fifo = std::make_unique<test::TestFifo>(files.filePath(QStringLiteral("pipe.tvd"))); },
          "не является обычным файлом" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.scenario) + " -> " + c.report);
        c.prepare();
        const QDir folder(files.path());
        const QStringList before = folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        QMap<QString, QByteArray> contents;
        for (const QString &name : before)
            contents.insert(name, QFileInfo(folder.filePath(name)).isFile() ? test::fileBytes(folder.filePath(name)) : QByteArray());
        QString said;
        EXPECT_EQ(runBatch({ files.filePath(QLatin1String(c.scenario)), files.filePath(QLatin1String(c.report)) }, &said), 2);
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
        EXPECT_EQ(folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), before);
        for (auto kept = contents.cbegin(); kept != contents.cend(); ++kept) {
            if (QFileInfo(folder.filePath(kept.key())).isFile()) {
                EXPECT_EQ(test::fileBytes(folder.filePath(kept.key())), kept.value()) << kept.key().toStdString();
            }
        }
        fifo.reset();
        for (const QString &name : folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
            QFile::remove(folder.filePath(name));
    }
}

// A batch killed midway leaves its work folder behind: the next run removes
// those whose process is gone, and leaves the live ones and its own none.
TEST(BatchReport, ClearsTheWorkFoldersOfKilledRuns)
{
    QTemporaryDir temp;
    QTemporaryDir files;
    const QDir tempDir(temp.path());
    // Process ids stop below 2^22 on Linux.
    const QString stale = QStringLiteral("Tarnvel-99999999-AbC123");
    const QString live = QStringLiteral("Tarnvel-%1-XyZ789").arg(QCoreApplication::applicationPid());
    for (const QString &name : { stale, live }) {
        ASSERT_TRUE(tempDir.mkpath(name + QStringLiteral("/inner")));
        test::putFile(tempDir.filePath(name + QStringLiteral("/store.db")), {});
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temp.path());
    QString said;
    EXPECT_EQ(runBatch({ QStringLiteral(TARNVEL_TEST_DATA "/golden/reducer_shaft.tvd"), files.filePath(QStringLiteral("r.htm")) },
                       &said, environment),
              0)
        << said.toStdString();
    EXPECT_EQ(tempDir.entryList({ QStringLiteral("Tarnvel-*") }, QDir::AllEntries | QDir::NoDotAndDotDot), QStringList { live });
}
