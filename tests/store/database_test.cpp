#include "store/database.h"
#include "store/store_file.h"
#include "analysis/scheme_store.h"

#include <gtest/gtest.h>

using namespace tarnvel;
using tarnvel::test::countRows;

namespace {

using StoreTest = test::SchemeStore;

} // namespace

TEST_F(StoreTest, AcceptsTheStatementFormsOfTheProgram)
{
    db->execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 3)"));
    const qint64 pid = db->lastInsertId();
    db->execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID) SELECT Points.PointID, `Parameters`.ParameterID "
                               "FROM `Parameters`, Points WHERE (`Parameters`.GroupID = 3) AND (Points.PointNumber = 1)"));
    // A new parameter row carries 0 until a value is entered.
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT ParameterID, ParValue FROM PointParameters WHERE PointID = %1").arg(pid)).mid(0, 2),
              (QStringList{"11 0", "12 0"}));
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM PointParameters")), 11); // 11 to 20 and 33

    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT Groups.`Group`, Points.PointNumber FROM Points, Groups WHERE Points.GroupID = Groups.GroupID")),
              QStringList{QStringLiteral("Цилиндрическое зацепление 1")});
    db->execute(QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (45, 12.5)"));
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT Parameters.Parameter, Reakz.ParamValue FROM [Parameters], Reakz WHERE Parameters.GroupID = 9 "
                                             "AND Reakz.ParameterID = Parameters.ParameterID")),
              QStringList{"Ra 12.5"});

    db->execute(QStringLiteral("INSERT INTO Bearings (`Number`, di, de, b, C, C0, Alfa, TipID) VALUES ('9999', 1, 2, 3, 4, 5, 0, 2)"));
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT Number, Tkah FROM Bearings WHERE TipID = 2 ORDER BY C")).value(0), QStringLiteral("9999 -"));
}

TEST_F(StoreTest, OpenTableKeepsStoredOrderAndRowCountingWorks)
{
    for (int id : {38, 2, 4})
        db->execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (%1, 1)").arg(id));
    Recordset table = db->openTable(QStringLiteral("CommonParameters"));
    QList<int> ids;
    for (; !table.isAfterLast(); table.next())
        ids << table.field(QStringLiteral("ParameterID")).toInt();
    EXPECT_EQ(ids, (QList<int>{38, 2, 4}));
    EXPECT_EQ(table.rowCount(), 3);
    table.first();
    EXPECT_EQ(table.field(QStringLiteral("ParameterID")).toInt(), 38);
    // A column the set lacks is a programming error, not an empty value.
    EXPECT_THROW(table.field(QStringLiteral("ParamValue2")), StoreError);

    Recordset none = db->openRecordset(QStringLiteral("SELECT * FROM CommonParameters WHERE ParameterID = 99"));
    EXPECT_TRUE(none.isBeforeFirst());
    EXPECT_TRUE(none.isAfterLast());
}

TEST_F(StoreTest, RejectedStatementIsAnErrorAndTheStoreGoesOn)
{
    try {
        db->execute(QStringLiteral("INSERT INTO CommonParameters (ParamValue, ParameterID) VALUES ( , 2)"));
        FAIL() << "the engine accepted an empty value";
    } catch (const StoreError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("syntax error"))) << error.message().toStdString();
    }
    EXPECT_THROW(db->openRecordset(QStringLiteral("SELECT Nothing FROM Nowhere")), StoreError);
    // A fault the user can act on leads with Russian words.
    db->execute(QStringLiteral("PRAGMA query_only = 1"));
    try {
        db->execute(QStringLiteral("INSERT INTO CommonParameters (ParamValue, ParameterID) VALUES (1, 2)"));
        FAIL() << "a read-only store took a row";
    } catch (const StoreError &error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Файл хранилища доступен только для чтения")))
            << error.message().toStdString();
    }
    db->execute(QStringLiteral("PRAGMA query_only = 0"));
    db->execute(QStringLiteral("INSERT INTO CommonParameters (ParamValue, ParameterID) VALUES (1, 2)"));
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM CommonParameters")), 1);
}

TEST_F(StoreTest, TransactionsNestAndRollBackWhatTheyDidNotCommit)
{
    auto count = [this] { return countRows(*db, QStringLiteral("SELECT * FROM CommonParameters")); };
    {
        Database::Transaction outer(*db);
        db->execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (2, 100)"));
        {
            Database::Transaction inner(*db);
            db->execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (4, 1)"));
        } // not committed: only the inner insert goes
        EXPECT_EQ(count(), 1);
        outer.commit();
    }
    EXPECT_EQ(count(), 1);

    // A failure in the middle of a rewrite leaves the old rows in place.
    try {
        Database::Transaction rewrite(*db);
        db->execute(QStringLiteral("DELETE  FROM CommonParameters"));
        db->execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (2,  )"));
        rewrite.commit();
    } catch (const StoreError &) {
    }
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT ParameterID, ParamValue FROM CommonParameters")), QStringList{"2 100"});
}
