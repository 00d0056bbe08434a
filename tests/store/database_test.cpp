#include "store/database.h"
#include "store/store_file.h"
#include "analysis/scheme_store.h"

#include <gtest/gtest.h>

using namespace tarnvel;
using tarnvel::test::countRows;

namespace {

class StoreTest : public test::SchemeStore
{
protected:
    // Two points sharing two modes: gear point 1 (loads in kW, kind 2) and
    // free-force point 2.
    void addTwoPointScheme()
    {
        addPowers(1, 1, 1000, 0.7, {{1, 13.596}, {2, 10}, {3, 9.7371}, {4, 95.4930}}, 2);
        addPowers(1, 2, 500, 0.3, {{1, 6.798}, {2, 5}, {3, 9.7371}, {4, 95.4930}}, 2);
        addPowers(2, 1, 1000, 0.7, {{5, 100}, {6, -200}, {7, 0}}, 1);
        addPowers(2, 2, 500, 0.3, {{5, 50}, {6, -100}, {7, 10}}, 1);
    }
};

const QString kModeSpeeds = QStringLiteral(
    "TRANSFORM First(Powers.Speed) AS FSpeed SELECT Powers.RezNumber, Powers.Coeff, FIRST(Powers.Speed) AS FFSpeed "
    "FROM Powers GROUP BY Powers.RezNumber, Powers.Coeff PIVOT Powers.PointID");

QString loadsByMode(int pid)
{
    return QStringLiteral("TRANSFORM First(Powers.Power) AS Power SELECT Powers.RezNumber, Powers.Speed, Powers.Coeff "
                          "FROM Powers WHERE (Powers.PointID = %1) GROUP BY Powers.RezNumber, Powers.Speed, Powers.Coeff "
                          "PIVOT Powers.PowerID")
        .arg(pid);
}

} // namespace

TEST_F(StoreTest, CrosstabsOfTheModesAndLoads)
{
    // Rows ascending by the row headings; a pivot value without rows in a group
    // leaves its cell empty ("-").
    const struct
    {
        const char *name;
        QString change, statement;
        QStringList rows; // the column names first
    } cases[] = {
        { "one row per mode, a column per point", {}, kModeSpeeds,
            { "RezNumber Coeff FFSpeed 1 2", "1 0.7 1000 1000 1000", "2 0.3 500 500 500" } },
        { "points that disagree on a coefficient split a mode",
            QStringLiteral("UPDATE Powers SET Coeff = 0.4 WHERE PointID = 2 AND RezNumber = 2"), kModeSpeeds,
            { "RezNumber Coeff FFSpeed 1 2", "1 0.7 1000 1000 1000", "2 0.3 500 500 -", "2 0.4 500 - 500" } },
        { "the four gear kinds", QStringLiteral("DELETE FROM Powers WHERE PointID = 1 AND RezNumber = 2 AND PowerID = 3"),
            loadsByMode(1),
            { "RezNumber Speed Coeff 1 2 3 4", "1 1000 0.7 13.596 10 9.7371 95.493", "2 500 0.3 6.798 5 - 95.493" } },
        { "the three projections", {}, loadsByMode(2),
            { "RezNumber Speed Coeff 5 6 7", "1 1000 0.7 100 -200 0", "2 500 0.3 50 -100 10" } },
    };
    for (const auto &c : cases) {
        db->execute(QStringLiteral("DELETE FROM Powers"));
        addTwoPointScheme();
        if (!c.change.isEmpty())
            db->execute(c.change);
        const QStringList rows = QStringList{db->openRecordset(c.statement).columns().join(QLatin1Char(' '))} + test::rows(*db, c.statement);
        EXPECT_EQ(rows, c.rows) << c.name;
    }
    Recordset none = db->openRecordset(loadsByMode(99));
    EXPECT_TRUE(none.isBeforeFirst());
    EXPECT_TRUE(none.isAfterLast());
    // A kind the point has no rows of is no column.
    Recordset projections = db->openRecordset(loadsByMode(2));
    EXPECT_FALSE(projections.hasField(QStringLiteral("4")));
    EXPECT_THROW(projections.field(QStringLiteral("4")), StoreError);
}

TEST_F(StoreTest, FirstTakesTheFirstSourceRowOfEachGroup)
{
    addTwoPointScheme();
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT First(Speed) AS Spd, First(Coeff) AS Coff FROM Powers GROUP BY RezNumber ORDER BY RezNumber")),
              (QStringList{"1000 0.7", "500 0.3"}));
    // The value of the first row, not the smallest or the largest.
    for (int v : {5, 1, 9})
        db->execute(QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (39, %1)").arg(v));
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT First(ParamValue) AS V FROM Reakz GROUP BY ParameterID")), QStringList{"5"});
}

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

    db->execute(QStringLiteral("INSERT INTO PointParameters (ParValue, ParameterID, PointID) VALUES (7, 8, %1)").arg(pid));
    db->execute(QStringLiteral("DELETE PointID, ParameterID, ParValue FROM PointParameters WHERE ParameterID > 7 And ParameterID < 11 AND PointID = %1").arg(pid));
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM PointParameters WHERE ParameterID = 8")), 0);

    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT Groups.`Group`, Points.PointNumber FROM Points, Groups WHERE Points.GroupID = Groups.GroupID")),
              QStringList{QStringLiteral("Цилиндрическое зацепление 1")});
    db->execute(QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (45, 12.5)"));
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT Parameters.Parameter, Reakz.ParamValue FROM [Parameters], Reakz WHERE Parameters.GroupID = 9 "
                                             "AND Reakz.ParameterID = Parameters.ParameterID")),
              QStringList{"Ra 12.5"});

    db->execute(QStringLiteral("INSERT INTO BearRep (Side, BearingID, Kb, Kt, RollRing, Radial, Osev) VALUES (0, 1, 1.3, 1, 0, 1, 1)"));
    db->execute(QStringLiteral("DELETE * FROM BearRep WHERE Side = 0"));
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM BearRep")), 0);
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
