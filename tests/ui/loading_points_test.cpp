#include "workbench_fixture.h"

#include <QAction>

using namespace tarnvel;

namespace {

class LoadingPointsTest : public test::WorkbenchTest
{
protected:
    // "ParameterID value" of a point's parameter rows.
    QStringList parameters(int pid)
    {
        return test::rows(db(), QStringLiteral("SELECT ParameterID, ParValue FROM PointParameters WHERE PointID = %1 ORDER BY ParameterID").arg(pid));
    }
    // "PointNumber PointID" of every point.
    QStringList points() { return test::rows(db(), QStringLiteral("SELECT PointNumber, PointID FROM Points ORDER BY PointNumber")); }

    QStringList pointNodes()
    {
        QStringList captions;
        QTreeWidgetItem *scheme = window().nodeByKey(QStringLiteral("Points"));
        for (int i = 0; i < scheme->childCount(); ++i)
            captions << scheme->child(i)->data(0, KeyRole).toString() + QLatin1Char('|') + scheme->child(i)->text(0);
        return captions;
    }
};

} // namespace

TEST_F(LoadingPointsTest, EachKindIsAddedWithItsParameterRowsAndDefaults)
{
    // Leftovers of an earlier scheme go with the first point.
    db().execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) VALUES (77, 1, 1, 1, 1, 1, 1)"));
    db().execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES (77, 11, 3)"));
    db().execute(QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) VALUES (77, 35, 1, 1)"));

    action("mnuAddFree")->trigger();
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Powers")), 0);
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM PointForses")), 1); // not this command's business
    const int freePoint = window().viewTag().toInt();
    EXPECT_EQ(currentNodeKey(), QStringLiteral("1 N"));
    EXPECT_EQ(rowKeys(), (QStringList{"5 ID", "6 ID", "7 ID", "AddFPower"}));
    EXPECT_EQ(parameters(freePoint), (QStringList{"5 0", "6 0", "7 0", "8 0", "9 0", "10 0"}));

    action("mnuAddCill")->trigger();
    const int cylindrical = window().viewTag().toInt();
    EXPECT_EQ(currentNodeKey(), QStringLiteral("2 N"));
    EXPECT_EQ(window().tree()->currentItem()->text(0), QStringLiteral("Точка 2 (Цилиндрическое зацепление)"));
    EXPECT_EQ(parameters(cylindrical),
              (QStringList{"11 0", "12 0", "13 0", "14 0", "15 1", "16 0", "17 0", "18 1", "19 1", "20 0", "33 0"}));
    EXPECT_EQ(rowKeys().last(), QStringLiteral("Forse"));

    action("mnuAddCon")->trigger();
    const int conical = window().viewTag().toInt();
    EXPECT_EQ(parameters(conical),
              (QStringList{"21 0", "22 0", "23 0", "24 0", "25 1", "26 0", "27 0", "28 1", "30 1", "31 1", "32 0", "34 0"}));
    EXPECT_EQ(points(), (QStringList{QStringLiteral("1 %1").arg(freePoint), QStringLiteral("2 %1").arg(cylindrical),
                                     QStringLiteral("3 %1").arg(conical)}));
    EXPECT_EQ(pointNodes(), (QStringList{QStringLiteral("1 N|Точка 1 (Произвольная сила)"),
                                         QStringLiteral("2 N|Точка 2 (Цилиндрическое зацепление)"),
                                         QStringLiteral("3 N|Точка 3 (Коническое зацепление)")}));
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(LoadingPointsTest, DeletingPointTwoOfThreeRenumbersAndKeepsTheOthersData)
{
    action("mnuAddFree")->trigger();
    action("mnuAddCill")->trigger();
    const int second = window().viewTag().toInt();
    action("mnuAddCon")->trigger();
    const int third = window().viewTag().toInt();
    const QString first = points().first();
    for (int pid : {second, third}) {
        db().execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) VALUES (%1, 10, 1000, 1, 2, 2, 1)").arg(pid));
        db().execute(QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) VALUES (%1, 35, 500, 1)").arg(pid));
    }

    clickNode(QStringLiteral("2 N"));
    EXPECT_TRUE(window().toolbarButton(QStringLiteral("Delete"))->isEnabled());
    window().toolbarButton(QStringLiteral("Delete"))->trigger();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().text, QStringLiteral("Удалить точку 2 (Цилиндрическое зацепление)?"));
    EXPECT_EQ(messages.shown().first().icon, MessageIcon::Question);
    EXPECT_EQ(messages.shown().first().buttons, MessageButtons::YesNo);
    EXPECT_EQ(points().size(), 3); // answered No

    messages.answerNext(MessageAnswer::Yes);
    window().toolbarButton(QStringLiteral("Delete"))->trigger();

    EXPECT_EQ(points(), (QStringList{first, QStringLiteral("2 %1").arg(third)}));
    for (const char *table : {"Points", "PointParameters", "Powers", "PointForses"})
        EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM %1 WHERE PointID = %2").arg(QLatin1String(table)).arg(second)), 0) << table;
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM Powers WHERE PointID = %1").arg(third)), 1);
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM PointForses WHERE PointID = %1").arg(third)), 1);
    EXPECT_EQ(parameters(third).size(), 12);
    EXPECT_EQ(pointNodes(), (QStringList{QStringLiteral("1 N|Точка 1 (Произвольная сила)"),
                                         QStringLiteral("2 N|Точка 2 (Коническое зацепление)")}));
    EXPECT_EQ(currentNodeKey(), QStringLiteral("Points"));
    EXPECT_EQ(rowKeys(), (QStringList{"PointWizard", "1 N", "2 N"}));
}

TEST_F(LoadingPointsTest, DeletingFromThePointsListAndWithNothingSelected)
{
    action("mnuAddFree")->trigger();
    clickNode(QStringLiteral("Points"));
    window().list()->setCurrentItem(window().rowByKey(QStringLiteral("1 N")));
    messages.answerNext(MessageAnswer::Yes);
    action("mnuEditDelete")->trigger();
    EXPECT_EQ(messages.shown().value(0).text, QStringLiteral("Удалить точку 1 (Произвольная сила)?"));
    EXPECT_TRUE(points().isEmpty());
    EXPECT_EQ(test::countRows(db(), QStringLiteral("SELECT * FROM PointParameters")), 0);
    EXPECT_EQ(rowKeys(), (QStringList{"PointWizard"}));
    EXPECT_TRUE(pointNodes().isEmpty());

    // Neither a point node nor a point row: nothing happens.
    action("mnuAddFree")->trigger();
    clickNode(QStringLiteral("Points"));
    window().list()->setCurrentItem(window().rowByKey(QStringLiteral("PointWizard")));
    messages.clear();
    window().mnuEditDelete_Click();
    EXPECT_EQ(points().size(), 1);
    EXPECT_TRUE(messages.shown().isEmpty());
}
