#include "workbench_fixture.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QTest>

using namespace tarnvel;
using DetailViewTest = test::WorkbenchTest;

TEST_F(DetailViewTest, GeneralDataShowStoredValuesAndChoiceCaptions)
{
    // An empty store shows zeros and the first choices.
    clickNode(QStringLiteral("Common"));
    EXPECT_EQ(rowKeys(), (QStringList{"2 ID", "4 ID", "38 ID", "53 ID", "54 ID"}));
    EXPECT_EQ(rowTexts().at(0), QStringLiteral("Расстояние между опорами L, мм"));
    EXPECT_EQ(valueTexts(), (QStringList{QStringLiteral("0"), QStringLiteral("Н"),
                                         QStringLiteral("1 - по часовой стрелке (вид со стороны левой опоры)"),
                                         QStringLiteral("0"), QStringLiteral("0")}));
    EXPECT_TRUE(window().isTwoColumnLayout());
    EXPECT_FALSE(action("mnuEditDelete")->isEnabled());

    setCommon(2, 312.5);
    setCommon(4, 2);
    setCommon(54, 0.00000001);
    clickNode(QStringLiteral("Common"));
    EXPECT_EQ(valueTexts().at(0), QStringLiteral("312.5"));
    EXPECT_EQ(valueTexts().at(1), QStringLiteral("кГс"));
    EXPECT_EQ(valueTags().at(1), QStringLiteral("2"));
    EXPECT_EQ(valueTexts().at(4), QStringLiteral("1E-08"));
}

TEST_F(DetailViewTest, PointsListAndTheThreeAddChoices)
{
    db().execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 3)"));
    clickNode(QStringLiteral("Points"));
    EXPECT_EQ(rowKeys(), (QStringList{"PointWizard", "1 N"}));
    EXPECT_EQ(rowTexts(), (QStringList{QStringLiteral("Добавить точку нагружения..."),
                                       QStringLiteral("Точка 1 (Цилиндрическое зацепление)")}));
    EXPECT_TRUE(action("mnuEditPaste")->isEnabled());
    EXPECT_TRUE(window().toolbarButton(QStringLiteral("Delete"))->isEnabled());

    releaseEnterOnRow(QStringLiteral("PointWizard"));
    EXPECT_EQ(rowKeys(), (QStringList{"Sila", "Cilinric", "Konic"}));
    EXPECT_EQ(rowTexts(), (QStringList{QStringLiteral("Произвольная сила..."), QStringLiteral("Цилиндрическое зацепление..."),
                                       QStringLiteral("Коническое зацепление...")}));
    EXPECT_FALSE(action("mnuEditDelete")->isEnabled());

    // A choice adds its point and opens it.
    releaseEnterOnRow(QStringLiteral("Konic"));
    EXPECT_EQ(currentNodeKey(), QStringLiteral("2 N"));
    EXPECT_EQ(rowKeys().first(), QStringLiteral("21 ID"));
}

TEST_F(DetailViewTest, ANewGearPointBeforeAnyValueListsItsCatalogueParameters)
{
    // A point whose parameter rows do not exist (yet).
    db().execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 4)"));
    clickNode(QStringLiteral("1 N"));
    const QStringList keys = rowKeys();
    EXPECT_EQ(keys, (QStringList{"21 ID", "22 ID", "23 ID", "24 ID", "25 ID", "26 ID", "27 ID", "28 ID", "30 ID", "31 ID",
                                 "32 ID", "34 ID", "Power", "Forse"}));
    EXPECT_EQ(valueTexts().at(0), QStringLiteral("0"));
    EXPECT_EQ(valueTexts().at(4), QStringLiteral("20°"));         // pressure angle, choice 1
    EXPECT_EQ(valueTags().at(4), QStringLiteral("1"));
    EXPECT_EQ(valueTexts().at(8), QStringLiteral("1 - правое")); // spiral hand, choice 1
    EXPECT_EQ(rowTexts().at(12), QStringLiteral("Нагрузки и режимы..."));
    EXPECT_EQ(rowTexts().at(13), QStringLiteral("Силы в зацеплении..."));
    EXPECT_TRUE(action("mnuEditDelete")->isEnabled());
}

TEST_F(DetailViewTest, ReactionViewsShowRoundedValuesAndTheBearingRow)
{
    clickNode(QStringLiteral("LBearing"));
    EXPECT_EQ(rowKeys(), (QStringList{"LBear"}));
    EXPECT_EQ(rowTexts(), (QStringList{QStringLiteral("Подшипник...")}));

    // A force at the left support goes to it whole: R1 = −F, Ra = −Fz.
    setCommon(2, 100);
    addPowers(addPoint(1, 2), 1, 100, 1, {{5, -1234.56789}, {6, 0.0005}, {7, -45.12345}}, 1);
    clickNode(QStringLiteral("LBearing"));
    EXPECT_EQ(rowKeys(), (QStringList{"R1x", "R1y", "R1", "LBear"}));
    EXPECT_EQ(rowTexts().mid(0, 3), (QStringList{"R1x, Н", "R1y, Н", "R1, Н"})); // in the force unit
    // 3 places, halves to even: -0.0005 -> -0 shown as 0.
    EXPECT_EQ(valueTexts().mid(0, 3), (QStringList{"1234.568", "0", "1234.568"}));

    clickNode(QStringLiteral("RBearing"));
    EXPECT_EQ(rowKeys(), (QStringList{"R2x", "R2y", "R2", "RBear"}));

    // A value row does nothing beyond telling what it is.
    clickRow(QStringLiteral("R2y"));
    EXPECT_EQ(window().statusText(), QStringLiteral("R2y, Н"));
    EXPECT_EQ(rowKeys(), (QStringList{"R2x", "R2y", "R2", "RBear"}));
    EXPECT_FALSE(window().isEditorOpen());

    clickNode(QStringLiteral("Osevaya"));
    EXPECT_EQ(rowKeys(), (QStringList{"Ra"}));
    EXPECT_EQ(rowTexts(), (QStringList{"Ra, Н"}));
    EXPECT_EQ(valueTexts(), (QStringList{"45.123"}));
    EXPECT_EQ(window().statusText(), QStringLiteral("Осевая сила"));
}

TEST_F(DetailViewTest, KeysAndBackMoveThroughTheViews)
{
    clickNode(QStringLiteral("Common"));
    window().tree()->setFocus();
    QTest::keyClick(window().tree(), Qt::Key_Down);
    EXPECT_EQ(currentNodeKey(), QStringLiteral("Points"));
    EXPECT_EQ(rowKeys(), (QStringList{"PointWizard"}));
    EXPECT_EQ(window().statusText(), QStringLiteral("Схема нагружения"));

    // Clicking the empty area acts again on the row that is still selected.
    clickNode(QStringLiteral("Shaft"));
    window().list()->setCurrentItem(window().rowByKey(QStringLiteral("Points")));
    QTreeWidget *lv = window().list();
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, QPoint(lv->viewport()->width() / 2, lv->viewport()->height() - 5));
    EXPECT_EQ(currentNodeKey(), QStringLiteral("Points"));
    EXPECT_EQ(rowKeys(), (QStringList{"PointWizard"}));
}

// What the pointer resting on a cell shows.
static QString hoverText(QTreeWidget *view, QTreeWidgetItem *item, int column)
{
    QToolTip::hideText();
    const QPoint at = view->visualRect(view->indexFromItem(item, column)).center();
    QHelpEvent hover(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &hover);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST_F(DetailViewTest, ACutCaptionOrValueIsShownWholeUnderThePointer)
{
    action("mnuAddCon")->trigger();
    QTreeWidgetItem *point = window().nodeByKey(QStringLiteral("1 N"));
    EXPECT_EQ(hoverText(window().tree(), point, 0), QStringLiteral("Точка 1 (Коническое зацепление)"));

    clickNode(QStringLiteral("Common"));
    EXPECT_EQ(hoverText(window().list(), window().rowByKey(QStringLiteral("38 ID")), 1),
              QStringLiteral("1 - по часовой стрелке (вид со стороны левой опоры)"));
    EXPECT_EQ(hoverText(window().list(), window().rowByKey(QStringLiteral("38 ID")), 0),
              QStringLiteral("Направление вращения вала"));
}
