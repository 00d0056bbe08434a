#include "workbench_fixture.h"

#include "ui/dialogs/bearings_dialog.h"
#include "ui/dialogs/forces_dialog.h"
#include "ui/dialogs/loads_dialog.h"
#include "ui/modal_dialog.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>



using namespace tarnvel;

namespace {

class LoadDialogsTest : public test::WorkbenchTest
{
protected:
    static QLineEdit *field(QDialog &dialog, const char *name) { return dialog.findChild<QLineEdit *>(QLatin1String(name)); }
    static QTreeWidget *modeList(QDialog &dialog) { return dialog.findChild<QTreeWidget *>(QStringLiteral("ctlListView")); }
    static QStringList listRow(QDialog &dialog, int row)
    {
        QStringList texts;
        const QTreeWidgetItem *item = modeList(dialog)->topLevelItem(row);
        for (int c = 0; item && c < item->columnCount(); ++c)
            texts << item->text(c);
        return texts;
    }
    static void type(QDialog &dialog, const char *name, const QString &text)
    {
        QLineEdit *line = field(dialog, name);
        line->selectAll();
        QTest::keyClicks(line, text);
    }
    static void click(QDialog &dialog, const char *name) { QTest::mouseClick(button(dialog, name), Qt::LeftButton); }
    // The two OK buttons say what each one does; the row's stands among the row's fields.
    static void expectTwoOKButtons(QDialog &dialog)
    {
        EXPECT_EQ(button(dialog, "ComAdd")->text() + button(dialog, "ctlCommand3")->text(), QStringLiteral("OKOK"));
        EXPECT_EQ(button(dialog, "ComAdd")->toolTip(), QStringLiteral("Записать значения в выбранную строку"));
        EXPECT_EQ(button(dialog, "ctlCommand3")->toolTip(), QStringLiteral("Записать все режимы и закрыть окно"));
        EXPECT_EQ(button(dialog, "ComAdd")->parentWidget(), dialog.findChild<QWidget *>(QStringLiteral("ctlFrame")));
    }

    int addPoint(const char *menu)
    {
        action(menu)->trigger();
        return window().viewTag().toInt();
    }

    // "RezNumber PowerID Power Speed Coeff PowerNumber" of each of a point's load rows.
    QStringList powers(int pid)
    {
        return test::rows(db(), QStringLiteral("SELECT RezNumber, PowerID, Power, Speed, Coeff, PowerNumber FROM Powers "
                                               "WHERE PointID = %1 ORDER BY RezNumber, PowerID").arg(pid));
    }
};

} // namespace

TEST_F(LoadDialogsTest, AModeEnteredInHorsepowerIsStoredInAllFourKinds)
{
    const int pid = addPoint("mnuAddCill");
    whenDialogOpens([](QDialog &dialog) {
        ASSERT_NE(qobject_cast<frmNagr *>(&dialog), nullptr);
        EXPECT_TRUE(button(dialog, "ctlCommand0")->isEnabled());
        EXPECT_FALSE(button(dialog, "ctlCommand1")->isEnabled()); // nothing to delete yet
        click(dialog, "ctlCommand0");
        EXPECT_EQ(listRow(dialog, 0), (QStringList{"1", "0", "0", "0"}));
        EXPECT_TRUE(field(dialog, "txtSpeed")->isEnabled());
        type(dialog, "txtPower", QStringLiteral("10"));
        type(dialog, "txtSpeed", QStringLiteral("1000"));
        type(dialog, "txtCoeff", QStringLiteral("0,7"));
        click(dialog, "ComAdd");
        EXPECT_EQ(listRow(dialog, 0), (QStringList{"1", "10", "1000", "0.7"}));
        QTest::mouseClick(dialog.findChild<QRadioButton *>(QStringLiteral("ctlOption2")), Qt::LeftButton);
        EXPECT_NE(listRow(dialog, 0).at(1), QStringLiteral("10")); // another kind shows the mode converted
        click(dialog, "ctlCommand3");
    });
    clickRow(QStringLiteral("Power"));
    EXPECT_EQ(dialogsOpened, 1);
    EXPECT_EQ(dialogCaptions.value(0), QStringLiteral("Точка 1 (Цилиндрическое зацепление) - нагрузки и режимы"));
    EXPECT_FALSE(state.blnIncomplete);
    // Every kind of the mode, marked with kind 3 that was showing at OK.
    const QStringList rows = powers(pid);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], QStringLiteral("1 1 10 1000 0.7 3"));
    EXPECT_TRUE(rows[3].startsWith(QStringLiteral("1 4 "))) << rows[3].toStdString();
}

TEST_F(LoadDialogsTest, OnlyTheFirstPointOwnsTheModes)
{
    const int first = addPoint("mnuAddCill");
    addPowers(first, 1, 1000, 0.6, {{1, 6.8}, {2, 5}, {3, 3.582}, {4, 35.13}}, 2);
    addPowers(first, 2, 500, 0.4, {{1, 2.72}, {2, 2}, {3, 2.866}, {4, 28.1}}, 2);
    const int second = addPoint("mnuAddCon");
    whenDialogOpens([](QDialog &dialog) {
        // The second point starts with the shaft's two modes and zero loads.
        ASSERT_EQ(modeList(dialog)->topLevelItemCount(), 2);
        EXPECT_EQ(listRow(dialog, 1), (QStringList{"2", "0", "500", "0.4"}));
        EXPECT_FALSE(button(dialog, "ctlCommand0")->isEnabled());
        EXPECT_FALSE(button(dialog, "ctlCommand1")->isEnabled());
        EXPECT_TRUE(dialog.findChild<QLabel *>(QStringLiteral("lbModesAtFirst"))->text().contains(QStringLiteral("задаются в точке 1")));
        EXPECT_FALSE(button(dialog, "cmdGoToFirst")->isVisible()); // point 1 has its modes
        QTreeWidget *list = modeList(dialog);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(0)).center());
        EXPECT_TRUE(field(dialog, "txtPower")->isEnabled());
        EXPECT_FALSE(field(dialog, "txtSpeed")->isEnabled());
        EXPECT_FALSE(field(dialog, "txtCoeff")->isEnabled());
        EXPECT_FALSE(button(dialog, "ctlCommand0")->isEnabled());
        type(dialog, "txtPower", QStringLiteral("7"));
        click(dialog, "ComAdd");
        click(dialog, "ctlCommand3");
    });
    clickRow(QStringLiteral("Power"));
    const QStringList rows = powers(second);
    ASSERT_EQ(rows.size(), 8);
    EXPECT_EQ(rows[0], QStringLiteral("1 1 7 1000 0.6 1")); // kind 1 as entered
    EXPECT_EQ(rows[4], QStringLiteral("2 1 0 500 0.4 1")); // mode 2 untouched
}

TEST_F(LoadDialogsTest, MeshForcesOfASpurGearAreShownPerMode)
{
    const int pid = addPoint("mnuAddCill");
    // m = 3 mm, z1 = 20, z2 = 40, α = 20°, β = 0: d = m·z1 = 60 mm.
    typeIntoRow(QStringLiteral("11 ID"), QStringLiteral("3"));
    typeIntoRow(QStringLiteral("12 ID"), QStringLiteral("20"));
    typeIntoRow(QStringLiteral("13 ID"), QStringLiteral("40"));
    db().execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (38, 1)"));
    // Two modes: 100 N·m and 200 N·m.
    for (int r = 1; r <= 2; ++r)
        addPowers(pid, r, 1000, 0.5, {{1, 0}, {2, 0}, {3, 0}, {4, 100.0 * r}});
    clickRow(QStringLiteral("Forse"));
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_FALSE(state.blnIncomplete);
    EXPECT_EQ(rowTexts(), (QStringList{QStringLiteral("(Назад)"), QStringLiteral("Режим 1:"), QStringLiteral("   Окружная   Ft(1)"),
                                       QStringLiteral("   Радиальная Fr(1)"), QStringLiteral("   Осевая     Fa(1)"),
                                       QStringLiteral("Режим 2:"), QStringLiteral("   Окружная   Ft(2)"),
                                       QStringLiteral("   Радиальная Fr(2)"), QStringLiteral("   Осевая     Fa(2)")}));
    EXPECT_EQ(rowImages().mid(0, 2), (QStringList{"5", "2"}));
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM PointForses WHERE PointID = %1").arg(pid)), 18);

    clickRow(QStringLiteral("Back"));
    EXPECT_EQ(rowKeys().first(), QStringLiteral("11 ID"));
}

// A missing or negative speed or coefficient of a mode is refused in either
// dialog, the row stays open, and nothing of it reaches the store.
TEST_F(LoadDialogsTest, MissingOrNegativeSpeedsAndCoefficientsAreRefused)
{
    const struct
    {
        const char *menu, *row, *load, *speed, *coeff, *message;
    } cases[] = {
        {"mnuAddCill", "Power", "txtPower", "-1000", "1", "Частота вращения на режиме 1 не может быть отрицательной!"},
        {"mnuAddCill", "Power", "txtPower", "1000", "-0,5", "Коэффициент использования на режиме 1 не может быть отрицательным!"},
        {"mnuAddFree", "AddFPower", "txtFx", "1000", "-1", "Коэффициент использования на режиме 1 не может быть отрицательным!"},
        {"mnuAddCill", "Power", "txtPower", "", "1", "Задайте частоту вращения на режиме 1 !"},
        {"mnuAddFree", "AddFPower", "txtFx", "1000", "0", "Задайте коэффициент использования на режиме 1 !"},
    };
    for (const auto &c : cases) {
        const int pid = addPoint(c.menu);
        messages.clear();
        whenDialogOpens([&](QDialog &dialog) {
            click(dialog, "ctlCommand0");
            type(dialog, c.load, QStringLiteral("10"));
            type(dialog, "txtSpeed", QString::fromUtf8(c.speed));
            type(dialog, "txtCoeff", QString::fromUtf8(c.coeff));
            click(dialog, "ComAdd");
            ASSERT_EQ(messages.shown().size(), 1) << c.speed << c.coeff;
            EXPECT_EQ(messages.shown().first().text, QString::fromUtf8(c.message));
            EXPECT_EQ(messages.shown().first().icon, MessageIcon::Exclamation);
            EXPECT_TRUE(button(dialog, "ComAdd")->isEnabled());
            dialog.reject();
        });
        clickRow(QString::fromUtf8(c.row));
        EXPECT_TRUE(powers(pid).isEmpty()) << c.menu << c.speed << c.coeff;
        for (const char *table : {"Points", "PointParameters", "Powers"})
            db().execute(QStringLiteral("DELETE FROM ") + QLatin1String(table));
    }
}
// At the default sizes every caption and every value of a realistic scheme
// shows whole, and the columns keep their shares of the list's width, also
// after the user resizes the dialog.
TEST_F(LoadDialogsTest, ListColumnsShowRealisticValuesWhole)
{
    frmNagr loads(state, false, 1, &window());
    frmNagrP forces(state, false, 0, &window());
    frmBearings bearings(state, 0, 0, &window());
    const struct
    {
        QDialog *dialog;
        const char *list;
        QList<int> percents; // none: d, D, b, C share (width − 2 × first − life and s0 columns) / 4 − 5
        QStringList widest;
    } cases[] = {
        {&loads, "ctlListView", {10, 22, 34, 34}, {"99", "-99999.999", "10000", "0.125"}},
        {&forces, "ctlListView", {10, 10, 10, 10, 26, 34}, {"99", "-99999.999", "-99999.999", "-99999.999", "10000", "0.125"}},
        {&bearings, "LV", {}, {"36308", "9999", "9999", "999", "999000", "40", "12559515.169", "999.999"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dialog->objectName().toStdString());
        c.dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(c.dialog));
        auto *list = c.dialog->findChild<QTreeWidget *>(QLatin1String(c.list));
        const QFontMetrics metrics(list->font());
        const int padding = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
        for (int widen : {0, 150}) {
            c.dialog->resize(c.dialog->width() + widen, c.dialog->height());
            QApplication::processEvents();
            const int width = list->viewport()->width();
            for (int col = 0; col < list->columnCount(); ++col) {
                SCOPED_TRACE(col);
                if (!c.percents.isEmpty()) {
                    EXPECT_EQ(list->columnWidth(col), width * c.percents.at(col) / 100);
                } else if (col >= 1 && col <= 4) {
                    EXPECT_EQ(list->columnWidth(col), (width - 2 * list->columnWidth(0) - list->columnWidth(6) - list->columnWidth(7)) / 4 - 5);
                }
                EXPECT_LE(metrics.horizontalAdvance(c.widest.at(col)) + padding, list->columnWidth(col));
                EXPECT_LE(list->header()->sectionSizeHint(col), list->columnWidth(col)); // the caption
            }
        }
    }
}

TEST_F(LoadDialogsTest, TheLoadDialogsWorkFromTheKeyboard)
{
    const int free = addPoint("mnuAddFree");
    whenDialogOpens([this, free](QDialog &dialog) {
        expectTwoOKButtons(dialog);
        QTest::keyClick(button(dialog, "ctlCommand0"), Qt::Key_Space); // "Добавить": mode 1 opens
        type(dialog, "txtFx", QStringLiteral("100"));
        type(dialog, "txtSpeed", QStringLiteral("1000"));
        type(dialog, "txtCoeff", QStringLiteral("1"));
        QTest::keyClick(field(dialog, "txtFx"), Qt::Key_Return); // the small OK
        EXPECT_EQ(listRow(dialog, 0).size(), 6);
        EXPECT_TRUE(powers(free).isEmpty()); // only OK writes
        EXPECT_EQ(dialog.focusWidget(), modeList(dialog));
        QTest::keyClick(button(dialog, "ctlCommand3"), Qt::Key_Space);
        EXPECT_EQ(powers(free).size(), 3);
    });
    clickRow(QStringLiteral("AddFPower"));
    EXPECT_EQ(dialogCaptions.value(0), QStringLiteral("Точка 1 (Произвольная сила) - Силы и режимы"));

    addPoint("mnuAddCill");
    whenDialogOpens([](QDialog &dialog) {
        expectTwoOKButtons(dialog);
        QTreeWidget *list = modeList(dialog);
        EXPECT_EQ(dialog.focusWidget(), list);
        QStringList order;
        const QStringList names {"ctlListView", "txtPower", "txtSpeed", "txtCoeff", "ComAdd", "ctlCommand0", "ctlCommand1", "ctlCommand3"};
        for (QWidget *w = list->nextInFocusChain(); w != list; w = w->nextInFocusChain())
            if (names.contains(w->objectName()))
                order << w->objectName();
        EXPECT_EQ(order, names.mid(1));

        list->setCurrentItem(list->topLevelItem(0));
        QTest::keyClick(list, Qt::Key_Return); // Enter on a row opens it
        EXPECT_EQ(dialog.focusWidget(), field(dialog, "txtPower"));
        type(dialog, "txtPower", QStringLiteral("7"));
        QTest::keyClick(field(dialog, "txtPower"), Qt::Key_Return);
        EXPECT_EQ(listRow(dialog, 0), (QStringList{"1", "7", "1000", "1"}));
        EXPECT_EQ(dialog.focusWidget(), list);
        EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
        QTest::keyClick(list, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    });
    clickRow(QStringLiteral("Power"));
    EXPECT_TRUE(state.blnIncomplete); // Esc is the close box
}

// Whatever can be typed has a row to go to: a mode just added is the one
// typed into, and the forces open on their first mode.
TEST_F(LoadDialogsTest, TypingAlwaysHasARowToGoTo)
{
    addPoint("mnuAddCill");
    whenDialogOpens([](QDialog &dialog) {
        QTest::keyClick(button(dialog, "ctlCommand0"), Qt::Key_Space); // "Добавить"
        EXPECT_EQ(modeList(dialog)->currentItem(), modeList(dialog)->topLevelItem(0));
        EXPECT_EQ(dialog.focusWidget(), field(dialog, "txtPower"));
        QTest::keyClicks(field(dialog, "txtPower"), QStringLiteral("7"));
        type(dialog, "txtSpeed", QStringLiteral("1000"));
        type(dialog, "txtCoeff", QStringLiteral("1"));
        QTest::keyClick(field(dialog, "txtPower"), Qt::Key_Return);
        QTest::keyClick(button(dialog, "ctlCommand3"), Qt::Key_Space);
    });
    clickRow(QStringLiteral("Power"));

    const int free = addPoint("mnuAddFree");
    whenDialogOpens([](QDialog &dialog) {
        EXPECT_EQ(modeList(dialog)->currentItem(), modeList(dialog)->topLevelItem(0));
        EXPECT_TRUE(field(dialog, "txtFx")->isEnabled());
        type(dialog, "txtFx", QStringLiteral("250"));
        QTest::keyClick(field(dialog, "txtFx"), Qt::Key_Return); // the small OK takes it
        QTest::keyClick(button(dialog, "ctlCommand3"), Qt::Key_Space);
    });
    clickRow(QStringLiteral("AddFPower"));
    EXPECT_EQ(powers(free).value(0), QStringLiteral("1 5 250 1000 1 1"));
}

TEST_F(LoadDialogsTest, APointWithoutModesIsSentToPointOne)
{
    addPoint("mnuAddFree");
    addPoint("mnuAddFree");
    whenDialogOpens([](QDialog &dialog) {
        EXPECT_TRUE(dialog.findChild<QLabel *>(QStringLiteral("lbModesAtFirst"))->isVisible());
        EXPECT_FALSE(field(dialog, "txtFx")->isEnabled());
        QTest::mouseClick(button(dialog, "cmdGoToFirst"), Qt::LeftButton);
    });
    clickRow(QStringLiteral("AddFPower"));
    QApplication::processEvents();
    EXPECT_EQ(currentNodeKey(), QStringLiteral("1 N"));
    EXPECT_EQ(window().list()->currentItem()->data(0, KeyRole).toString(), QStringLiteral("AddFPower"));
}
