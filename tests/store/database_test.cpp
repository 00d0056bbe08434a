#include "store/database.h"
#include "store/store_file.h"
#include "analysis/scheme_store.h"

#include <QScopeGuard>

#include <gtest/gtest.h>

#include <sqlite3.h>

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

// A store another program holds, or a full disk, is what the user reads: the
// statement that met it would only puzzle.
TEST_F(StoreTest, FaultsOfTheMachineAreToldWithoutTheStatement)
{
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(db->path().toUtf8().constData(), &other), SQLITE_OK);
    const auto release = qScopeGuard([other] { sqlite3_close(other); });
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        db->execute(QStringLiteral("DELETE  FROM CommonParameters"));
        ADD_FAILURE() << "a held store took a change";
    } catch (const StoreError &error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("База данных занята другой программой. Закройте её и повторите действие."));
        EXPECT_EQ(error.fault(), StoreError::Fault::Locked);
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);

    // The store may grow no further than it is: as a full disk would.
    const qint64 pages = db->openRecordset(QStringLiteral("PRAGMA page_count")).value(0).toLongLong();
    db->execute(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
    try {
        Database::Transaction transaction(*db);
        db->execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) "
                                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                                   "SELECT i + 1000, i FROM n"));
        transaction.commit();
        ADD_FAILURE() << "a full store took a change";
    } catch (const StoreError &error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Нет места на диске"))) << error.message().toStdString();
        EXPECT_FALSE(error.message().contains(QStringLiteral("INSERT"))) << error.message().toStdString();
    }
    // The program's own faults keep their statement: it is what finds them.
    try {
        db->execute(QStringLiteral("SELECT Nothing FROM Nowhere"));
        ADD_FAILURE();
    } catch (const StoreError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("SELECT Nothing FROM Nowhere")));
    }
}
