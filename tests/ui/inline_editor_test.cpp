#include "workbench_fixture.h"

#include "store/numbers.h"

#include <QComboBox>
#include <QScopeGuard>
#include <QLineEdit>
#include <QTest>

#include <sqlite3.h>

using namespace tarnvel;

namespace {

class InlineEditorTest : public test::WorkbenchTest
{
protected:
    QLineEdit *textEditor() { return window().findChild<QLineEdit *>(QStringLiteral("TextInput")); }
    QComboBox *listEditor() { return window().findChild<QComboBox *>(QStringLiteral("ComboInput")); }

    QString common(int id)
    {
        return test::rows(db(), QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = %1").arg(id)).value(0, QStringLiteral("<none>"));
    }
};

} // namespace

TEST_F(InlineEditorTest, FirstCommitWritesEveryGeneralParameter)
{
    clickNode(QStringLiteral("Common"));
    typeIntoRow(QStringLiteral("2 ID"), QStringLiteral("250"));
    EXPECT_FALSE(textEditor()->isVisible());
    EXPECT_EQ(valueTexts().at(0), QStringLiteral("250"));
    // The edited value, 1 for the choices never made, 0 for the other numbers.
    EXPECT_EQ(test::rows(db(), QStringLiteral("SELECT ParameterID, ParamValue FROM CommonParameters ORDER BY ParameterID")),
              (QStringList{"2 250", "4 1", "38 1", "53 0", "54 0"}));
}

TEST_F(InlineEditorTest, TypedTextBecomesTheNumberAtItsStart)
{
    clickNode(QStringLiteral("Common"));
    clickRow(QStringLiteral("2 ID"));
    ASSERT_TRUE(textEditor()->isVisible());
    EXPECT_TRUE(textEditor()->hasFocus());
    QTest::keyClicks(textEditor(), QStringLiteral("2,5"));
    EXPECT_EQ(textEditor()->text().trimmed(), QStringLiteral("2.5")); // the comma turns into a point at once
    QTest::keyClick(textEditor(), Qt::Key_Return);
    EXPECT_EQ(common(2), QStringLiteral("2.5"));
    EXPECT_EQ(valueTexts().at(0), QStringLiteral("2.5"));
    EXPECT_EQ(valueTags().at(0), QStringLiteral("2.5"));

    typeIntoRow(QStringLiteral("53 ID"), QStringLiteral("12abc"), Qt::Key_Escape); // Escape commits too
    EXPECT_EQ(common(53), QStringLiteral("12"));
    EXPECT_EQ(valueTexts().at(3), QStringLiteral("12"));

    clickRow(QStringLiteral("53 ID"));
    EXPECT_EQ(textEditor()->text(), QStringLiteral("12"));
    textEditor()->selectAll();
    QTest::keyClick(textEditor(), Qt::Key_Backspace);
    EXPECT_EQ(textEditor()->text(), QStringLiteral(" ")); // a cleared box shows one blank
    QTest::keyClick(textEditor(), Qt::Key_Up);
    EXPECT_EQ(common(53), QStringLiteral("0"));
    EXPECT_EQ(valueTexts().at(3), QStringLiteral("0"));
}

TEST_F(InlineEditorTest, AFreeForceCoordinateNeverDropsForces)
{
    action("mnuAddFree")->trigger();
    const int pid = window().viewTag().toInt();
    db().execute(QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) VALUES (%1, 35, 1, 1)").arg(pid));
    typeIntoRow(QStringLiteral("7 ID"), QStringLiteral("120"), Qt::Key_Down);
    EXPECT_EQ(test::rows(db(), QStringLiteral("SELECT ParValue FROM PointParameters WHERE PointID = %1 AND ParameterID = 7").arg(pid)),
              QStringList{QStringLiteral("120")});
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM PointForses")), 1);
}

TEST_F(InlineEditorTest, LeavingTheEditorCommitsAndASecondCommitIsHarmless)
{
    clickNode(QStringLiteral("Common"));
    clickRow(QStringLiteral("2 ID"));
    QTest::keyClicks(textEditor(), QStringLiteral("300"));
    // Focus moves on: that commits.
    window().tree()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(textEditor()->isVisible());
    EXPECT_EQ(common(2), QStringLiteral("300"));

    // Enter commits, and the focus loss of the hidden editor finds nothing more to do.
    clickRow(QStringLiteral("53 ID"));
    QTest::keyClicks(textEditor(), QStringLiteral("400"));
    QTest::keyClick(textEditor(), Qt::Key_Return);
    window().commitTextEditor();
    window().tree()->setFocus();
    EXPECT_EQ(common(53), QStringLiteral("400"));
    EXPECT_TRUE(messages.shown().isEmpty());
}

// A number no shaft can have is refused at its field, which stays open, with
// the range, and the store keeps what it had; the bounds, an overhung position
// and the cleared field (not set) are taken. The distance between the
// supports must above all be a positive length. (The ranges themselves are
// those a scenario file is held to, row by row, in scenario_file_test.)
TEST_F(InlineEditorTest, NumbersOutsideTheirRangesAreRefusedAtTheField)
{
    const struct
    {
        const char *point; // the command that adds the point; empty: the general data
        const char *row;
        const char *typed;
        const char *message; // empty: taken
    } cases[] = {
        { "", "2 ID", "1e-12", "«Расстояние между опорами L, мм» должно быть от 0.1 до 100000 мм." },
        { "", "2 ID", "100000", "" },
        { "", "2 ID", "0", "Значение параметра «Расстояние между опорами L, мм» должно быть больше нуля!" },
        { "", "2 ID", "-5", "«Расстояние между опорами L, мм» должно быть больше нуля!" },
        { "", "2 ID", "0,0", "должно быть больше нуля!" },
        { "", "2 ID", "abc", "должно быть больше нуля!" },
        { "", "53 ID", "200000", "от 0.1 до 100000 мм" },
        { "", "54 ID", "-40", "" },
        { "mnuAddCill", "14 ID", "89.9", "" },
        { "mnuAddCill", "11 ID", "", "" },
        { "mnuAddCill", "20 ID", "-3601", "от -3600 до 3600 град" },
        { "mnuAddCill", "33 ID", "-150", "" },
        { "mnuAddCon", "24 ID", "90", "«Средний угол наклона зубьев, град» должно быть не меньше 0 и меньше 90 град." },
        { "mnuAddFree", "7 ID", "-100001", "по абсолютной величине не больше 100000 мм" },
    };
    for (const auto &c : cases) {
        const QString name = QStringLiteral("%1 %2 %3").arg(QLatin1String(c.point), QLatin1String(c.row), QLatin1String(c.typed));
        if (*c.point == '\0')
            clickNode(QStringLiteral("Common"));
        else
            action(c.point)->trigger();
        const QString before = test::rows(db(), QStringLiteral("SELECT ParameterID, ParamValue FROM CommonParameters UNION ALL "
                                                               "SELECT ParameterID, ParValue FROM PointParameters")).join(' ');
        messages.clear();
        typeIntoRow(QLatin1String(c.row), QString::fromUtf8(c.typed));
        if (*c.message == '\0') {
            EXPECT_TRUE(messages.shown().isEmpty()) << name.toStdString();
            EXPECT_FALSE(textEditor()->isVisible()) << name.toStdString();
            continue;
        }
        ASSERT_EQ(messages.shown().size(), 1) << name.toStdString() << " " << messages.shown().last().text.toStdString();
        EXPECT_TRUE(messages.shown().first().text.contains(QString::fromUtf8(c.message)))
            << name.toStdString() << " " << messages.shown().first().text.toStdString();
        EXPECT_TRUE(textEditor()->isVisible()) << name.toStdString();
        EXPECT_EQ(test::rows(db(), QStringLiteral("SELECT ParameterID, ParamValue FROM CommonParameters UNION ALL "
                                                  "SELECT ParameterID, ParValue FROM PointParameters")).join(' '),
                  before) << name.toStdString();
        textEditor()->setText(QStringLiteral("1"));
        QTest::keyClick(textEditor(), Qt::Key_Return);
    }
}

TEST_F(InlineEditorTest, AfterACommitTheKeysGoOnInTheList)
{
    clickNode(QStringLiteral("Common"));
    QTreeWidget *lv = window().list();
    auto currentKey = [lv] { return lv->currentItem() ? lv->currentItem()->data(0, KeyRole).toString() : QString(); };
    const struct
    {
        const char *row;
        Qt::Key leaveWith;
        const char *rowAfter;
    } cases[] = {
        {"2 ID", Qt::Key_Return, "2 ID"}, // on the edited row
        {"2 ID", Qt::Key_Escape, "2 ID"},
        {"53 ID", Qt::Key_Down, "54 ID"}, // the arrow that committed moves on
        {"54 ID", Qt::Key_Up, "53 ID"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.row);
        typeIntoRow(QLatin1String(c.row), QStringLiteral("170"), c.leaveWith);
        EXPECT_EQ(common(wholeNumber(leadingNumber(QLatin1String(c.row)))), QStringLiteral("170"));
        EXPECT_EQ(window().focusWidget(), lv); // not the navigator
        EXPECT_EQ(currentKey(), QLatin1String(c.rowAfter));
    }
    window().list()->setCurrentItem(window().rowByKey(QStringLiteral("2 ID")));

    // Down and Enter in the list open the next parameter's editor.
    QTest::keyClick(lv, Qt::Key_Down);
    EXPECT_EQ(currentKey(), QStringLiteral("4 ID"));
    QTest::keyClick(lv, Qt::Key_Return);
    ASSERT_TRUE(listEditor()->isVisible());

    // The first click on the list editor's arrow opens its list ...
    QTest::mouseClick(listEditor(), Qt::LeftButton, {}, QPoint(listEditor()->width() - 5, listEditor()->height() / 2));
    EXPECT_TRUE(listEditor()->view()->isVisible());
    EXPECT_TRUE(listEditor()->isVisible());
    listEditor()->hidePopup();
    // ... and an entry picked there with the mouse is committed at once.
    listEditor()->showPopup();
    QAbstractItemView *choices = listEditor()->view();
    const QPoint second = choices->visualRect(choices->model()->index(1, 0)).center();
    QTest::mousePress(choices->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseRelease(choices->viewport(), Qt::LeftButton, {}, second);
    EXPECT_FALSE(listEditor()->isVisible());
    EXPECT_EQ(common(4), QStringLiteral("2"));
    EXPECT_EQ(window().focusWidget(), lv);
    EXPECT_EQ(currentKey(), QStringLiteral("4 ID"));
}

// A write another program's lock refuses is told without the statement, and
// the list shows at once what the store kept.
TEST_F(InlineEditorTest, AnEditTheLockedStoreRefusesShowsTheStoredValueAgain)
{
    clickNode(QStringLiteral("Common"));
    typeIntoRow(QStringLiteral("2 ID"), QStringLiteral("250"));
    ASSERT_EQ(common(2), QStringLiteral("250"));

    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(store.path().toUtf8().constData(), &other), SQLITE_OK);
    const auto release = qScopeGuard([other] { sqlite3_close(other); });
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    messages.clear();
    typeIntoRow(QStringLiteral("2 ID"), QStringLiteral("300"));
    ASSERT_EQ(messages.shown().size(), 1);
    const QString text = messages.shown().first().text;
    EXPECT_TRUE(text.contains(QStringLiteral("занята другой программой"))) << text.toStdString();
    for (const char *sql : {"DELETE", "INSERT", "SAVEPOINT", "RELEASE", "CommonParameters", "tarnvel_"})
        EXPECT_FALSE(text.contains(QLatin1String(sql))) << text.toStdString();
    EXPECT_EQ(valueTexts().at(0), QStringLiteral("250"));
    EXPECT_EQ(valueTags().at(0), QStringLiteral("250"));

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    typeIntoRow(QStringLiteral("2 ID"), QStringLiteral("300"));
    EXPECT_EQ(common(2), QStringLiteral("300"));
}

TEST_F(InlineEditorTest, ANewForceUnitOffersToConvertTheFreeForces)
{
    action("mnuAddFree")->trigger();
    const int pid = window().viewTag().toInt();
    db().execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) "
                                "VALUES (%1, 160, 1000, 1, 5, 5, 1), (%1, -20, 1000, 1, 6, 5, 1)").arg(pid));
    const auto projections = [&] {
        return test::rows(db(), QStringLiteral("SELECT Power FROM Powers WHERE PointID = %1 ORDER BY PowerID").arg(pid));
    };
    const auto chooseUnit = [&](Qt::Key step) {
        clickNode(QStringLiteral("Common"));
        clickRow(QStringLiteral("4 ID"));
        ASSERT_TRUE(listEditor()->isVisible());
        QTest::keyClick(listEditor(), step);
        QTest::keyClick(listEditor(), Qt::Key_Return);
    };

    // Н → кГс, answered No: the numbers stay as typed, the unit changes.
    chooseUnit(Qt::Key_Down);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().text,
              QStringLiteral("Единица силы изменена: Н → кГс.\nПересчитать заданные проекции произвольных сил Fx, Fy, Fz "
                             "в новую единицу?\n\nДа — пересчитать, силы останутся прежними.\nНет — оставить числа как есть."));
    EXPECT_EQ(messages.shown().first().icon, MessageIcon::Question);
    EXPECT_EQ(common(4), QStringLiteral("2"));
    EXPECT_EQ(projections(), (QStringList{"160", "-20"}));

    // кГс → Н, answered Yes: 160 kgf are 160 · 9.80665 = 1569.064 N.
    messages.answerNext(MessageAnswer::Yes);
    chooseUnit(Qt::Key_Up);
    EXPECT_EQ(messages.shown().size(), 2);
    EXPECT_EQ(common(4), QStringLiteral("1"));
    EXPECT_EQ(projections(), (QStringList{"1569.064", "-196.133"}));

    // The same unit chosen again asks nothing.
    chooseUnit(Qt::Key_Up);
    EXPECT_EQ(messages.shown().size(), 2);
}
