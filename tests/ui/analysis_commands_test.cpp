#include "workbench_fixture.h"

#include "analysis/bearing_selection.h"
#include "analysis/diagram_bitmap.h"
#include "ui/diagram_picture.h"
#include "ui/dialogs/bearings_dialog.h"
#include "ui/modal_dialog.h"
#include "store/store_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>


using namespace tarnvel;

namespace {

class AnalysisCommandsTest : public test::WorkbenchTest
{
protected:
    // A free force at its place with one mode of 1000 rpm carrying its projections.
    qint64 addFreeForce(int number, double x, double y, double z, double Fx, double Fy, double Fz)
    {
        const qint64 id = addPoint(number, 2, { { 5, x }, { 6, y }, { 7, z } });
        addPowers(id, 1, 1000, 1, { { 5, Fx }, { 6, Fy }, { 7, Fz } }, 1);
        return id;
    }

    // The spur gears at z = 60 with 100 N·m in one mode.
    qint64 addSpurGear(int number)
    {
        const qint64 id = SchemeBuilder::addSpurGear(number, 60);
        addPowers(id, 1, 1000, 1, { { 1, 1 }, { 2, 1 }, { 3, 1 }, { 4, 100 } });
        return id;
    }

};

} // namespace

// A command that lacks an input says which, leaves no results behind and
// opens the view (and the editor) where that input is entered.
TEST_F(AnalysisCommandsTest, MissingInputsSendTheEngineerToThem)
{
    const auto gearWithModes = [this] {
        action("mnuAddCill")->trigger();
        addPowers(window().viewTag().toInt(), 1, 1000, 1, {{1, 10}, {2, 10}, {3, 10}, {4, 10}});
    };
    const auto clickForces = [this] {
        clickNode(QStringLiteral("1 N"));
        clickRow(QStringLiteral("Forse"));
    };
    const auto showSupports = [this] { clickNode(QStringLiteral("Bearings")); };
    const struct
    {
        const char *name;
        std::function<void()> scheme, command;
        const char *message, *node, *editorRow; // editorRow: the row whose editor opens, if any
        bool incomplete; // the scheme is marked for the walk-through
    } cases[] = {
        {"span", [this] { addFreeForce(1, 0, 0, 25, 1000, 0, 0); }, showSupports, "Задайте расстояние между опорами...", "Common", "2 ID", false},
        {"points", [this] { setCommon(2, 100); db().execute(QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (39, 1)")); },
         showSupports, "Добавьте, как минимум, одну точку в схему нагружения...", "Points", "", true},
        {"gear loads", [this] { action("mnuAddCill")->trigger(); }, clickForces, "Задайте нагрузки и режимы...", "1 N", "", true},
        {"direction", gearWithModes, clickForces, "Задайте направление вращения...", "Common", "38 ID", true},
        {"module", [&] { gearWithModes(); setCommon(38, 1); }, clickForces, "Задайте Нормальный модуль m, мм", "1 N", "11 ID", true},
        {"direction, walk-through",
         [this] {
             setCommon(2, 120);
             addFreeForce(1, 0, 0, 30, 500, -300, 50);
             addSpurGear(2);
         },
         [this] { EXPECT_FALSE(window().BaseRefresh()); }, "Задайте направление вращения...", "Common", "38 ID", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        m_window.reset();
        emptyScenario(db());
        c.scheme();
        messages.clear();
        state.blnIncomplete = false;
        c.command();
        ASSERT_EQ(messages.shown().size(), 1);
        EXPECT_EQ(messages.shown().first().text, QString::fromUtf8(c.message));
        EXPECT_EQ(messages.shown().first().title, QStringLiteral("Tarnvel"));
        EXPECT_EQ(currentNodeKey(), QLatin1String(c.node));
        EXPECT_EQ(window().isEditorOpen(), *c.editorRow != 0);
        if (*c.editorRow) {
            EXPECT_EQ(window().list()->currentItem()->data(0, KeyRole).toString(), QLatin1String(c.editorRow));
        }
        EXPECT_EQ(state.blnIncomplete, c.incomplete);
        EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Reakz")), 0);
    }
}

TEST_F(AnalysisCommandsTest, ADiagramNodeDrawsIntoThePicture)
{
    setCommon(2, 100);
    addFreeForce(1, 0, 0, 50, 1000, 0, 0);
    addFreeForce(2, 10, 0, 80, -400, 0, 300);
    clickNode(QStringLiteral("Bearings"));
    clickNode(QStringLiteral("XOZ"));
    EXPECT_TRUE(messages.shown().isEmpty());
    DiagramPicture *picture = window().picture();
    ASSERT_TRUE(picture->isVisible());
    EXPECT_EQ(currentNodeKey(), QStringLiteral("XOZ"));
    EXPECT_EQ(window().statusText(), QStringLiteral("Плоскость XOZ"));
    EXPECT_EQ(picture->bitmap().size(), QSize(601, 329));
    EXPECT_NE(picture->bitmap(), blankDiagramBitmap()); // drawn on
    // Parameter 53 was created once, from L.
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM CommonParameters WHERE ParameterID = 53")), 1);

    clickNode(QStringLiteral("Shaft"));
    EXPECT_FALSE(picture->isVisible());
}

TEST_F(AnalysisCommandsTest, FirstBearingChoiceThenSilentRecomputation)
{
    setCommon(2, 100);
    addFreeForce(1, 0, 0, 25, 1000, 0, 200);
    clickNode(QStringLiteral("Bearings"));
    clickNode(QStringLiteral("RBearing"));
    whenDialogOpens([](QDialog &dialog) {
        auto *types = dialog.findChild<QComboBox *>(QStringLiteral("ctlBT"));
        EXPECT_EQ(types->currentIndex(), 1); // the second type: radial ball bearings
        auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("LV"));
        ASSERT_GT(list->topLevelItemCount(), 0);
        EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
        EXPECT_EQ(dialog.findChild<QLineEdit *>(QStringLiteral("txtKt"))->text(), QStringLiteral("1"));
        EXPECT_EQ(dialog.findChild<QLineEdit *>(QStringLiteral("txtKb"))->text(), QStringLiteral("1.2"));
        EXPECT_EQ(dialog.findChild<QLineEdit *>(QStringLiteral("txtKk"))->text(), QStringLiteral("1"));
        EXPECT_TRUE(dialog.findChild<QRadioButton *>(QStringLiteral("ctlRing0"))->isChecked());
        EXPECT_TRUE(dialog.findChild<QCheckBox *>(QStringLiteral("ctlOsN1"))->isChecked());
        EXPECT_FALSE(dialog.findChild<QCheckBox *>(QStringLiteral("ctlOsN0"))->isChecked());
        QTest::mouseClick(button(dialog, "cmdOK"), Qt::LeftButton);
    });
    clickRow(QStringLiteral("RBear"));
    EXPECT_EQ(dialogsOpened, 1);
    EXPECT_EQ(dialogCaptions.value(0), QStringLiteral("Подшипник правой опоры"));
    EXPECT_TRUE(state.blnBearingDone);
    const QStringList keys = rowKeys();
    EXPECT_EQ(keys.mid(0, 7), (QStringList{"Back", "BNumr", "BTip", "BSize", "BC", "BC0", "BAlfa"}));
    EXPECT_EQ(keys.mid(8, 7), (QStringList{"BKb", "BKk", "BKt", "BV", "Be", "BX", "BY"}));
    EXPECT_EQ(keys.mid(16), (QStringList{"BFr", "BFa", "BPr", "Bn", "BLh", "BP0", "Bs0"}));
    EXPECT_EQ(rowTexts().at(7), QStringLiteral("Коэффициенты:"));
    EXPECT_EQ(rowTexts().at(15), QStringLiteral("Силы эквивалентные, Н :"));
    EXPECT_EQ(rowTexts().at(17), QStringLiteral("            Осевая     F\u0430"));
    EXPECT_FALSE(valueTexts().at(20).isEmpty());
    EXPECT_EQ(rowTexts().at(21), QStringLiteral("Статическая эквивалентная нагрузка P0, Н"));

    // Again: no dialog, the table at once.
    clickNode(QStringLiteral("RBearing"));
    clickRow(QStringLiteral("RBear"));
    EXPECT_EQ(dialogsOpened, 1);
    EXPECT_EQ(rowKeys().value(1), QStringLiteral("BNumr"));
}

// A life that cannot be computed is explained, not shown; a chosen bearing
// deleted from the catalogue since is offered for choice again.
TEST_F(AnalysisCommandsTest, ABearingThatCannotServeIsExplainedOrChosenAgain)
{
    setCommon(2, 100);
    addFreeForce(1, 0, 0, 25, 1000, 0, 0);
    db().execute(QStringLiteral("DELETE FROM Powers")); // no modes: no speed
    clickNode(QStringLiteral("Bearings"));
    clickNode(QStringLiteral("LBearing"));
    whenDialogOpens([](QDialog &dialog) { QTest::mouseClick(button(dialog, "cmdOK"), Qt::LeftButton); });
    clickRow(QStringLiteral("LBear"));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().first().text.contains(QStringLiteral("частота вращения"))) << messages.shown().first().text.toStdString();
    EXPECT_EQ(valueTexts().last(), QString()); // no life shown
    EXPECT_EQ(test::rows(db(), QStringLiteral("SELECT Lh FROM BearRep WHERE Side = 0")), QStringList{"-"});

    db().execute(QStringLiteral("DELETE FROM Bearings WHERE BearingID = (SELECT BearingID FROM BearRep WHERE Side = 0)"));
    clickNode(QStringLiteral("LBearing"));
    whenDialogOpens([](QDialog &dialog) { dialog.reject(); });
    clickRow(QStringLiteral("LBear"));
    EXPECT_EQ(dialogsOpened, 2);
    EXPECT_EQ(rowKeys().last(), QStringLiteral("LBear")); // closed without OK: the view stays
}

TEST_F(AnalysisCommandsTest, TheBearingDialogLocksLoadsOfRollerBearingsAndEditsTheCatalogue)
{
    frmBearings dialog(state, 0, 0);
    auto *types = dialog.findChild<QComboBox *>(QStringLiteral("ctlBT"));
    auto *radial = dialog.findChild<QCheckBox *>(QStringLiteral("ctlOsN1"));
    auto *axial = dialog.findChild<QCheckBox *>(QStringLiteral("ctlOsN0"));
    types->setCurrentIndex(0); // radial roller bearings
    EXPECT_EQ(dialog.lngTipID(), 1);
    EXPECT_TRUE(radial->isChecked());
    EXPECT_FALSE(axial->isChecked());
    EXPECT_FALSE(radial->isEnabled());
    EXPECT_FALSE(axial->isEnabled());
    types->setCurrentIndex(2);
    EXPECT_TRUE(axial->isEnabled());

    // A new angular-contact bearing; sizes must be numbers, quotes and per cent signs are kept.
    auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("LV"));
    const int before = list->topLevelItemCount();
    dialog.cmdAdd_Click();
    EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());
    dialog.findChild<QLineEdit *>(QStringLiteral("txtNewBear"))->setText(QStringLiteral("36206 '%1 К%8'"));
    const char *boxes[] = {"txtGab0", "txtGab1", "txtGab2", "txtC", "txtC0", "txtAlfa"};
    const char *texts[] = {"30", "62", "16", "22000", "12000", "1x"};
    for (int i = 0; i < 6; ++i)
        dialog.findChild<QLineEdit *>(QLatin1String(boxes[i]))->setText(QLatin1String(texts[i]));
    dialog.cmdAddNew_Click();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().text, QStringLiteral("Задайте все требуемые параметры подшипника!"));
    EXPECT_EQ(messages.shown().first().title, QStringLiteral("Внимание!"));
    dialog.findChild<QLineEdit *>(QStringLiteral("txtAlfa"))->setText(QStringLiteral("12"));
    dialog.cmdAddNew_Click();
    EXPECT_EQ(list->topLevelItemCount(), before + 1);
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("36206 '%1 К%8'"));
    EXPECT_EQ(list->currentItem()->text(5), QStringLiteral("12"));
    EXPECT_TRUE(button(dialog, "cmdOK")->isEnabled());
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Bearings WHERE `Number` = '36206 ''%1 К%8'''")), 1);

    messages.answerNext(MessageAnswer::Yes);
    dialog.cmdDel_Click();
    EXPECT_EQ(messages.shown().last().text, QStringLiteral("Вы дейcтвительно хотите удалить подшипник 36206 '%1 К%8' ?"));
    EXPECT_EQ(messages.shown().last().icon, MessageIcon::Question);
    EXPECT_EQ(list->topLevelItemCount(), before);
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Bearings WHERE `Number` = '36206 ''%1 К%8'''")), 0);

    // A type without bearings cannot be confirmed: nothing to compute, nothing written.
    db().execute(QStringLiteral("DELETE FROM Bearings WHERE TipID = 3"));
    types->setCurrentIndex(1);
    types->setCurrentIndex(2);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(button(dialog, "cmdOK")->isEnabled());
    EXPECT_FALSE(button(dialog, "cmdDel")->isEnabled());
    dialog.cmdOK_Click();
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM BearRep")), 0);
}

// Coefficients and ratings no bearing can have are refused at their boxes,
// with the range, and nothing is stored; the bounds are taken. An infinity or
// "nan" is text QString reads as a number; as a rating it would reach the
// catalogue as a column name.
TEST_F(AnalysisCommandsTest, TheBearingDialogRefusesNumbersOutsideTheirRanges)
{
    action("mnuAddFree")->trigger(); // the dialog computes the reactions of this scheme
    db().execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (2, 100)"));
    db().execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) VALUES (1, 0, 1000, 1, 5, 1, 1)"));
    const struct
    {
        const char *box;
        const char *typed;
        const char *message; // empty: taken
    } coefficients[] = {
        {"txtKb", "1.4e-45", "Значение параметра «Коэффициент безопасности Кб» должно быть от 1 до 10."},
        {"txtKt", "1.4e-45", "«Температурный коэффициент Kt» должно быть от 1 до 10."},
        {"txtKt", "abc", "от 1 до 10"},
        {"txtKk", "10.5", "«Коэффициент качества Ккач» должно быть от 1 до 10."},
        {"txtKb", "10", ""},
        {"txtKk", "1", ""},
    };
    for (const auto &c : coefficients) {
        frmBearings dialog(state, 0, 0);
        dialog.findChild<QLineEdit *>(QLatin1String(c.box))->setText(QLatin1String(c.typed));
        messages.clear();
        dialog.cmdOK_Click();
        if (*c.message == '\0') {
            EXPECT_TRUE(messages.shown().isEmpty()) << c.box << " " << c.typed;
            EXPECT_TRUE(dialog.choice().has_value()) << c.box << " " << c.typed;
            continue;
        }
        ASSERT_EQ(messages.shown().size(), 1) << c.box << " " << c.typed;
        EXPECT_TRUE(messages.shown().first().text.contains(QString::fromUtf8(c.message)))
            << c.box << " " << c.typed << " " << messages.shown().first().text.toStdString();
        EXPECT_FALSE(dialog.choice().has_value()) << c.box << " " << c.typed;
    }
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM BearRep")), 0);

    frmBearings dialog(state, 0, 0);
    const int before = test::countRows(db(), QStringLiteral("SELECT * FROM Bearings"));
    const char *boxes[] = {"txtNewBear", "txtGab0", "txtGab1", "txtGab2", "txtC", "txtC0"};
    const char *sound[] = {"9998", "30", "62", "16", "22000", "12000"};
    const char *incomplete = "Задайте все требуемые параметры подшипника!";
    const struct
    {
        const char *box;
        const char *typed;
        const char *message;
    } ratings[] = {
        {"txtC", "1e300", "Значение параметра «Динамическая грузоподъёмность C» должно быть больше 0 и меньше 1000000000 Н."},
        {"txtC", "0", "больше 0 и меньше 1000000000 Н"},
        {"txtC0", "-12000", "«Статическая грузоподъёмность C0» должно быть больше 0 и меньше 1000000000 Н."},
        {"txtC0", "1e9", "меньше 1000000000 Н"},
        {"txtC", "inf", incomplete}, {"txtC", "nan", incomplete}, {"txtC", "-INF", incomplete}, {"txtC", "1e999", incomplete},
        {"txtC0", "inf", incomplete}, {"txtC0", "nan", incomplete}, {"txtC0", "-INF", incomplete}, {"txtC0", "1e999", incomplete},
    };
    for (const auto &c : ratings) {
        dialog.cmdAdd_Click();
        for (int i = 0; i < 6; ++i)
            dialog.findChild<QLineEdit *>(QLatin1String(boxes[i]))->setText(QLatin1String(sound[i]));
        dialog.findChild<QLineEdit *>(QLatin1String(c.box))->setText(QLatin1String(c.typed));
        messages.clear();
        dialog.cmdAddNew_Click();
        ASSERT_EQ(messages.shown().size(), 1) << c.box << " " << c.typed;
        EXPECT_TRUE(messages.shown().first().text.contains(QString::fromUtf8(c.message)))
            << c.box << " " << c.typed << " " << messages.shown().first().text.toStdString();
        dialog.cmdCanselNew_Click();
    }
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Bearings")), before);

    // Whoever else adds a bearing: the texts are values, never statement text.
    addBearing(db(), NewBearing{QStringLiteral("9999"), QStringLiteral("30"), QStringLiteral("62"), QStringLiteral("16"),
                                QStringLiteral("inf"), QStringLiteral("1) --"), QStringLiteral("0"), 2});
    EXPECT_EQ(test::rows(db(), QStringLiteral("SELECT di, de, b, C, C0, Alfa FROM Bearings WHERE `Number` = '9999'")),
              QStringList{QStringLiteral("30 62 16 - - 0")});

    // A stored choice whose coefficients no dialog would take is still
    // explained, and the choice kept without results; a decimal comma is a point.
    dialog.cmdOK_Click();
    ASSERT_TRUE(dialog.choice().has_value());
    BearingChoice stored = *dialog.choice();
    stored.settings.Kb = 1e30f;
    stored.settings.Kt = 0;
    messages.clear();
    applyBearingChoice(state, stored, nullptr); // as the workbench does with it
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().first().text.contains(QStringLiteral("коэффициенты"))) << messages.shown().first().text.toStdString();
    EXPECT_EQ(test::rows(db(), QStringLiteral("SELECT Pr, Lh FROM BearRep WHERE Side = 0")), QStringList{"- -"});
    messages.clear();
    dialog.findChild<QLineEdit *>(QStringLiteral("txtKb"))->setText(QStringLiteral("1,5"));
    dialog.cmdOK_Click();
    applyBearingChoice(state, *dialog.choice(), nullptr);
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(test::rows(db(), QStringLiteral("SELECT Kb, Pr IS NOT NULL FROM BearRep WHERE Side = 0")), QStringList{"1.5 1"});
}

// L = 100, one mode at 1000 rpm: Fx = 1000 at z = 25 and Fz = 2000, so R1 = 750
// and Ra = 2000; radial ball bearings, radial load only, Kb = 1.2 at first.
TEST_F(AnalysisCommandsTest, TheBearingListShowsLivesAndPicksByRequiredLife)
{
    setCommon(2, 100);
    addFreeForce(1, 0, 0, 25, 1000, 0, 2000);
    frmBearings dialog(state, 0, 0);
    EXPECT_EQ(test::rows(db(), QStringLiteral("SELECT ParamValue FROM Reakz WHERE ParameterID = 41")), QStringList{"750"}); // computed first
    auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("LV"));
    auto *required = dialog.findChild<QLineEdit *>(QStringLiteral("txtLh"));
    auto cell = [list](int row, int column) { return list->topLevelItem(row)->text(column); };
    ASSERT_EQ(list->headerItem()->text(6), QStringLiteral("Lh, ч"));
    ASSERT_EQ(cell(0, 0), QStringLiteral("204"));
    // Lh = (12700 / (750·1.2))³·10⁶/(60·1000); P0 = Fr = 750, s0 = 6200/750.
    EXPECT_NEAR(cell(0, 6).toDouble(), 46830.887, 0.01);
    EXPECT_EQ(cell(0, 7), QStringLiteral("8.267"));
    dialog.findChild<QLineEdit *>(QStringLiteral("txtKb"))->setText(QStringLiteral("2.4"));
    EXPECT_NEAR(cell(0, 6).toDouble(), 46830.887 / 8, 0.01); // twice the load, an eighth of the life
    dialog.findChild<QCheckBox *>(QStringLiteral("ctlOsN0"))->setChecked(true);
    EXPECT_EQ(cell(0, 7), QStringLiteral("4.276")); // P0 = 0.6·750 + 0.5·2000

    // Back to Kb = 1.2, radial only: 204, 205, 304 live 46 831, 62 734, 91 899 h; 206 169 522 h.
    dialog.findChild<QLineEdit *>(QStringLiteral("txtKb"))->setText(QStringLiteral("1.2"));
    dialog.findChild<QCheckBox *>(QStringLiteral("ctlOsN0"))->setChecked(false);
    required->setText(QStringLiteral("100000"));
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0)); // marking chooses nothing
    EXPECT_EQ(list->topLevelItem(2)->background(6), QBrush());
    EXPECT_NE(list->topLevelItem(3)->background(6), QBrush());
    button(dialog, "cmdPick")->click();
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("206"));
    EXPECT_EQ(dialog.findChild<QLineEdit *>(QStringLiteral("txtKb"))->text(), QStringLiteral("1.2"));

    required->setText(QStringLiteral("1e12"));
    button(dialog, "cmdPick")->click();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().first().text.contains(QStringLiteral("не обеспечивает"))) << messages.shown().first().text.toStdString();
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("206"));

    // The required life is kept for the support once confirmed.
    required->setText(QStringLiteral("20000"));
    button(dialog, "cmdOK")->click();
    ASSERT_TRUE(dialog.choice().has_value());
    applyBearingChoice(state, *dialog.choice(), nullptr); // as the workbench does with it
    frmBearings again(state, 0, 0);
    EXPECT_EQ(again.findChild<QLineEdit *>(QStringLiteral("txtLh"))->text(), QStringLiteral("20000"));
}

// What the user types in the dialog is the support's: choosing another bearing
// keeps it, and Enter in the required life picks a bearing rather than
// confirming the one on screen. Loads as above: with Kt = 1.1 every life is
// 1.1³ = 1.331 times shorter, so of 204, 205, 304 and 206 only 206 still
// lives 100 000 h (169 522 / 1.331 = 127 364 h).
TEST_F(AnalysisCommandsTest, TheBearingDialogKeepsWhatWasTyped)
{
    setCommon(2, 100);
    addFreeForce(1, 0, 0, 25, 1000, 0, 2000);
    frmBearings dialog(state, 0, 0);
    dialog.show();
    auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("LV"));
    auto *kt = dialog.findChild<QLineEdit *>(QStringLiteral("txtKt"));
    auto *required = dialog.findChild<QLineEdit *>(QStringLiteral("txtLh"));
    kt->selectAll();
    QTest::keyClicks(kt, QStringLiteral("1.1"));
    QTest::keyClick(kt, Qt::Key_Tab);
    QTreeWidgetItem *other = list->topLevelItem(2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(other).center());
    ASSERT_EQ(list->currentItem(), other);
    EXPECT_EQ(kt->text(), QStringLiteral("1.1"));

    QTest::keyClicks(required, QStringLiteral("100000"));
    QTest::keyClick(required, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.choice().has_value());
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("206"));
    EXPECT_EQ(kt->text(), QStringLiteral("1.1"));

    button(dialog, "cmdOK")->click();
    ASSERT_TRUE(dialog.choice().has_value());
    EXPECT_EQ(dialog.choice()->settings.Kt, 1.1f);
    EXPECT_EQ(dialog.choice()->requiredLife, 100000);
}

TEST_F(AnalysisCommandsTest, TheWalkThroughComputesEverythingInOrder)
{
    setCommon(2, 120);
    setCommon(38, 1);
    addFreeForce(1, 0, 0, 30, 500, -300, 50);
    const qint64 gear = addSpurGear(2);
    window();
    whenDialogOpens([](QDialog &dialog) { QTest::mouseClick(button(dialog, "cmdOK"), Qt::LeftButton); });
    EXPECT_TRUE(window().BaseRefresh());
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(dialogsOpened, 2); // both supports chose their bearing
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM PointForses WHERE PointID = %1").arg(gear)), 12);
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Reakz")), 7);
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM BearRep")), 2);
    EXPECT_EQ(currentNodeKey(), QStringLiteral("Shaft"));
    EXPECT_EQ(window().cursor().shape(), Qt::ArrowCursor);

    // Nothing changed since: walking through again writes nothing, so it works on a store that takes no rows.
    for (const char *table : {"PointForses", "Reakz", "BearRep", "PointParameters", "CommonParameters"})
        db().execute(QStringLiteral("CREATE TRIGGER keep_%1 BEFORE INSERT ON %1 BEGIN SELECT RAISE(ABORT, 'written'); END").arg(QLatin1String(table)));
    EXPECT_TRUE(window().BaseRefresh());
    EXPECT_TRUE(messages.shown().isEmpty()) << messages.shown().value(0).text.toStdString();
}
