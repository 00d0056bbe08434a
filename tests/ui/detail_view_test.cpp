#include "workbench_fixture.h"

#include <QAction>
#include <QTest>

using namespace tarnvel;
using DetailViewTest = test::WorkbenchTest;

TEST_F(DetailViewTest, GeneralDataOfAnEmptyStoreShowsZerosAndFirstChoices)
{
    clickNode(QStringLiteral("Common"));
    EXPECT_EQ(rowKeys(), (QStringList{"2 ID", "4 ID", "38 ID", "53 ID", "54 ID"}));
    EXPECT_EQ(rowTexts().at(0), QStringLiteral("Расстояние между опорами L, мм"));
    EXPECT_EQ(valueTexts(), (QStringList{QStringLiteral("0"), QStringLiteral("Н"),
                                         QStringLiteral("1 - по часовой стрелке (вид со стороны левой опоры)"),
                                         QStringLiteral("0"), QStringLiteral("0")}));
    EXPECT_EQ(valueTags(), (QStringList{"0", "1", "1", "0", "0"}));
    EXPECT_EQ(rowImages(), (QList<int>{4, 4, 4, 4, 4}));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(window().list()->topLevelItem(i)->data(0, TagRole).toString(), QStringLiteral("1"));
    EXPECT_TRUE(window().isTwoColumnLayout());
    EXPECT_FALSE(window().list()->isHeaderHidden());
    EXPECT_EQ(window().viewTag(), QStringLiteral("Common"));
    EXPECT_EQ(window().statusText(), QStringLiteral("Общие данные"));
    EXPECT_FALSE(action("mnuEditPaste")->isEnabled());
    EXPECT_FALSE(action("mnuEditDelete")->isEnabled());
}

TEST_F(DetailViewTest, GeneralDataShowsStoredValuesAndChoiceCaptions)
{
    db().execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (2, 312.5)"));
    db().execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (4, 2)"));
    db().execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (54, 0.00000001)"));
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
    EXPECT_EQ(rowImages(), (QList<int>{6, 4}));
    EXPECT_EQ(window().list()->topLevelItem(1)->data(0, TagRole).toString(), QStringLiteral("1"));
    EXPECT_FALSE(window().isTwoColumnLayout());
    EXPECT_EQ(window().viewTag(), QStringLiteral("Points"));
    EXPECT_TRUE(action("mnuEditPaste")->isEnabled());
    EXPECT_TRUE(action("mnuEditDelete")->isEnabled());
    EXPECT_TRUE(window().toolbarButton(QStringLiteral("Delete"))->isEnabled());

    releaseEnterOnRow(QStringLiteral("PointWizard"));
    EXPECT_EQ(rowKeys(), (QStringList{"Sila", "Cilinric", "Konic"}));
    EXPECT_EQ(rowTexts(), (QStringList{QStringLiteral("Произвольная сила..."), QStringLiteral("Цилиндрическое зацепление..."),
                                       QStringLiteral("Коническое зацепление...")}));
    EXPECT_EQ(rowImages(), (QList<int>{6, 6, 6}));
    EXPECT_EQ(window().statusText(), QStringLiteral("Добавить точку нагружения..."));
    EXPECT_FALSE(action("mnuEditPaste")->isEnabled());
    EXPECT_FALSE(action("mnuEditDelete")->isEnabled());
}

TEST_F(DetailViewTest, ANewGearPointBeforeAnyValueListsItsCatalogueParameters)
{
    // A point whose parameter rows do not exist (yet).
    db().execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 4)"));
    clickNode(QStringLiteral("1 N"));
    const QStringList keys = rowKeys();
    EXPECT_EQ(keys, (QStringList{"21 ID", "22 ID", "23 ID", "24 ID", "25 ID", "26 ID", "27 ID", "28 ID", "30 ID", "31 ID",
                                 "32 ID", "34 ID", "Power", "Forse"}));
    const QList<int> images = rowImages();
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(images.at(i), 7) << keys.at(i).toStdString();
        EXPECT_EQ(window().list()->topLevelItem(i)->data(0, TagRole).toString(), QStringLiteral("4"));
    }
    EXPECT_EQ(valueTexts().at(0), QStringLiteral("0"));
    EXPECT_EQ(valueTexts().at(4), QStringLiteral("20°"));         // pressure angle, choice 1
    EXPECT_EQ(valueTags().at(4), QStringLiteral("1"));
    EXPECT_EQ(valueTexts().at(8), QStringLiteral("1 - правое")); // spiral hand, choice 1
    EXPECT_EQ(rowTexts().at(12), QStringLiteral("Нагрузки и режимы..."));
    EXPECT_EQ(rowTexts().at(13), QStringLiteral("Силы в зацеплении..."));
    EXPECT_EQ(window().list()->topLevelItem(12)->data(0, TagRole).toString(), QStringLiteral("1"));
    EXPECT_EQ(window().viewTag(), QStringLiteral("1"));
    EXPECT_TRUE(window().isTwoColumnLayout());
    EXPECT_TRUE(action("mnuEditDelete")->isEnabled());
    EXPECT_FALSE(action("mnuEditPaste")->isEnabled());
}

TEST_F(DetailViewTest, TheFreeForceViewNeverListsTheEquivalentForces)
{
    db().execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 2)"));
    for (int id = 5; id <= 10; ++id)
        db().execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES (1, %1, %2)").arg(id).arg(id * 1.5));
    clickNode(QStringLiteral("1 N"));
    EXPECT_EQ(rowKeys(), (QStringList{"5 ID", "6 ID", "7 ID", "AddFPower"}));
    EXPECT_EQ(valueTexts().mid(0, 3), (QStringList{"7.5", "9", "10.5"}));
    EXPECT_EQ(rowTexts().at(3), QStringLiteral("Силы и режимы..."));
    EXPECT_EQ(window().list()->topLevelItem(0)->data(0, TagRole).toString(), QStringLiteral("2"));
}

TEST_F(DetailViewTest, ReactionViewsShowRoundedValuesAndTheBearingRow)
{
    clickNode(QStringLiteral("LBearing"));
    EXPECT_EQ(rowKeys(), (QStringList{"LBear"}));
    EXPECT_EQ(rowTexts(), (QStringList{QStringLiteral("Подшипник...")}));

    // A force at the left support goes to it whole: R1 = −F, Ra = −Fz.
    db().execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (2, 100)"));
    db().execute(QStringLiteral("INSERT INTO Points (PointID, PointNumber, GroupID) VALUES (1, 1, 2)"));
    const double forces[] = {-1234.56789, 0.0005, -45.12345};
    for (int k = 0; k < 3; ++k)
        db().execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) VALUES (1, %1, 100, 1, %2, 1, 1)").arg(forces[k], 0, 'g', 15).arg(5 + k));
    clickNode(QStringLiteral("LBearing"));
    EXPECT_EQ(rowKeys(), (QStringList{"R1x", "R1y", "R1", "LBear"}));
    // 3 places, halves to even: -0.0005 -> -0 shown as 0.
    EXPECT_EQ(valueTexts().mid(0, 3), (QStringList{"1234.568", "0", "1234.568"}));
    EXPECT_TRUE(window().isTwoColumnLayout());

    clickNode(QStringLiteral("RBearing"));
    EXPECT_EQ(rowKeys(), (QStringList{"R2x", "R2y", "R2", "RBear"}));

    // A value row does nothing beyond telling what it is.
    clickRow(QStringLiteral("R2y"));
    EXPECT_EQ(window().statusText(), QStringLiteral("R2y"));
    EXPECT_EQ(rowKeys(), (QStringList{"R2x", "R2y", "R2", "RBear"}));
    EXPECT_FALSE(window().isEditorOpen());

    clickNode(QStringLiteral("Osevaya"));
    EXPECT_EQ(rowKeys(), (QStringList{"Ra"}));
    EXPECT_EQ(valueTexts(), (QStringList{"45.123"}));
    EXPECT_EQ(currentNodeKey(), QStringLiteral("Osevaya"));
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

    // "(Назад)" shows the selected node's own view again.
    clickNode(QStringLiteral("Epur"));
    window().list()->clear();
    state.strViewKey = QStringLiteral("Back");
    window().LV_Click();
    EXPECT_TRUE(state.strViewKey.isEmpty());
    EXPECT_EQ(rowKeys(), (QStringList{"XOZ", "YOZ", "SUM"}));

    // Clicking the empty area acts again on the row that is still selected.
    clickNode(QStringLiteral("Shaft"));
    window().list()->setCurrentItem(window().rowByKey(QStringLiteral("Points")));
    QTreeWidget *lv = window().list();
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, QPoint(lv->viewport()->width() / 2, lv->viewport()->height() - 5));
    EXPECT_EQ(currentNodeKey(), QStringLiteral("Points"));
    EXPECT_EQ(rowKeys(), (QStringList{"PointWizard"}));
}
