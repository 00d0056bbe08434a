#include "store/database.h"
#include "store/numbers.h"
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

    static QStringList text(const Recordset &rs, const QStringList &columns)
    {
        QStringList row;
        for (const QString &column : columns)
            row << (rs.field(column).isNull() ? QStringLiteral("-") : SqlNum(rs.field(column)));
        return row;
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

QString loadsForReport(int pid)
{
    return QStringLiteral("TRANSFORM First(Power) AS FPower SELECT RezNumber, Speed, Coeff FROM Powers WHERE (PointID = %1) "
                          "GROUP BY RezNumber, Speed, Coeff PIVOT PowerID")
        .arg(pid);
}

QString loadsByKind(int pid)
{
    return QStringLiteral("TRANSFORM First(Powers.Power) AS Power SELECT Powers.PowerNumber, Powers.Speed, Powers.Coeff "
                          "FROM Powers WHERE (Powers.PointID = %1) GROUP BY Powers.PowerNumber, Powers.Speed, "
                          "Powers.Coeff PIVOT Powers.PowerID")
        .arg(pid);
}

QString meshForces(int pid, int r)
{
    return QStringLiteral("TRANSFORM FIRST(PointForses.ParameterValue) AS FPV SELECT PointForses.RezNumber FROM PointForses "
                          "WHERE PointForses.PointID = %1 AND PointForses.RezNumber = %2 GROUP BY PointForses.RezNumber "
                          "PIVOT PointForses.ParameterID")
        .arg(pid)
        .arg(r);
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
        { "the report's form", {}, loadsForReport(1),
            { "RezNumber Speed Coeff 1 2 3 4", "1 1000 0.7 13.596 10 9.7371 95.493",
                "2 500 0.3 6.798 5 9.7371 95.493" } },
        { "the three projections", {}, loadsByMode(2),
            { "RezNumber Speed Coeff 5 6 7", "1 1000 0.7 100 -200 0", "2 500 0.3 50 -100 10" } },
        { "by the kind entered, then speed", {}, loadsByKind(1),
            { "PowerNumber Speed Coeff 1 2 3 4", "2 500 0.3 6.798 5 9.7371 95.493",
                "2 1000 0.7 13.596 10 9.7371 95.493" } },
    };
    for (const auto &c : cases) {
        db->execute(QStringLiteral("DELETE FROM Powers"));
        addTwoPointScheme();
        if (!c.change.isEmpty())
            db->execute(c.change);
        Recordset rs = db->openRecordset(c.statement);
        QStringList rows { rs.columns().join(QLatin1Char(' ')) };
        for (; !rs.isAfterLast(); rs.next())
            rows << text(rs, rs.columns()).join(QLatin1Char(' '));
        EXPECT_EQ(rows, c.rows) << c.name;
    }
    Recordset none = db->openRecordset(loadsByMode(99));
    EXPECT_TRUE(none.isBeforeFirst());
    EXPECT_TRUE(none.isAfterLast());
}

TEST_F(StoreTest, MeshForceCrosstabNamesColumnsByParameterNumber)
{
    auto force = [this](int pid, int parameter, double value, int rez) {
        db->execute(QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) VALUES (%1, %2, %3, %4)")
                        .arg(pid)
                        .arg(parameter)
                        .arg(SqlNum(value))
                        .arg(rez));
    };
    const int modeParameters[] = {35, 36, 37, 8, 9, 10};
    const int equivalentParameters[] = {5, 6, 7, 46, 47, 48};
    for (int i = 0; i < 6; ++i) {
        force(4, modeParameters[i], 100 + i, 1);
        force(4, modeParameters[i], 200 + i, 2);
        force(4, equivalentParameters[i], -1.5 * i, -1);
        force(5, modeParameters[i], 999, 1);
    }

    Recordset mode = db->openRecordset(meshForces(4, 2));
    EXPECT_EQ(mode.columns(), (QStringList{"RezNumber", "8", "9", "10", "35", "36", "37"}));
    ASSERT_EQ(mode.rowCount(), 1);
    EXPECT_EQ(text(mode, {"RezNumber", "35", "36", "37", "8", "9", "10"}),
              (QStringList{"2", "200", "201", "202", "203", "204", "205"}));
    EXPECT_FALSE(mode.hasField(QStringLiteral("46")));
    EXPECT_THROW(mode.field(QStringLiteral("46")), StoreError);

    Recordset equivalent = db->openRecordset(meshForces(4, -1));
    EXPECT_EQ(equivalent.columns(), (QStringList{"RezNumber", "5", "6", "7", "46", "47", "48"}));
    EXPECT_EQ(text(equivalent, {"RezNumber", "5", "48"}), (QStringList{"-1", "0", "-7.5"}));
}

TEST_F(StoreTest, FirstTakesTheFirstSourceRowOfEachGroup)
{
    addTwoPointScheme();
    Recordset rs = db->openRecordset(
        QStringLiteral("SELECT First(Speed) AS Spd, First(Coeff) AS Coff FROM Powers GROUP BY RezNumber ORDER BY RezNumber"));
    ASSERT_EQ(rs.rowCount(), 2);
    EXPECT_EQ(text(rs, {"Spd", "Coff"}), (QStringList{"1000", "0.7"}));
    rs.next();
    EXPECT_EQ(text(rs, {"Spd", "Coff"}), (QStringList{"500", "0.3"}));

    // The value of the first row, not the smallest or the largest.
    db->execute(QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (39, 5)"));
    db->execute(QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (39, 1)"));
    db->execute(QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (39, 9)"));
    Recordset first = db->openRecordset(QStringLiteral("SELECT First(ParamValue) AS V FROM Reakz GROUP BY ParameterID"));
    EXPECT_EQ(first.field(QStringLiteral("V")).toDouble(), 5.0);
}

TEST_F(StoreTest, AcceptsTheStatementFormsOfTheProgram)
{
    db->execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 3)"));
    const qint64 pid = db->lastInsertId();
    db->execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID) SELECT Points.PointID, `Parameters`.ParameterID "
                               "FROM `Parameters`, Points WHERE (`Parameters`.GroupID = 3) AND (Points.PointNumber = 1)"));
    // A new parameter row carries 0 until a value is entered.
    Recordset parameters = db->openRecordset(QStringLiteral("SELECT ParameterID, ParValue FROM PointParameters WHERE PointID = %1").arg(pid));
    EXPECT_EQ(parameters.rowCount(), 11); // 11 to 20 and 33
    EXPECT_EQ(parameters.field(QStringLiteral("ParValue")).toDouble(), 0.0);

    db->execute(QStringLiteral("INSERT INTO PointParameters (ParValue, ParameterID, PointID) VALUES (7, 8, %1)").arg(pid));
    db->execute(QStringLiteral("DELETE PointID, ParameterID, ParValue FROM PointParameters WHERE ParameterID > 7 And ParameterID < 11 AND PointID = %1").arg(pid));
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM PointParameters WHERE ParameterID = 8")), 0);

    Recordset caption = db->openRecordset(QStringLiteral(
        "SELECT Groups.`Group`, Points.PointID, Points.PointNumber FROM Points, Groups WHERE Points.GroupID = Groups.GroupID ORDER BY Points.PointNumber"));
    EXPECT_EQ(caption.field(QStringLiteral("Group")).toString(), QStringLiteral("Цилиндрическое зацепление"));

    db->execute(QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (45, 12.5)"));
    Recordset axial = db->openRecordset(QStringLiteral(
        "SELECT Parameters.Parameter, Reakz.ParamValue FROM [Parameters], Reakz WHERE Parameters.GroupID = 9 AND Reakz.ParameterID = Parameters.ParameterID"));
    EXPECT_EQ(axial.field(QStringLiteral("Parameter")).toString(), QStringLiteral("Ra"));
    EXPECT_EQ(axial.field(QStringLiteral("ParamValue")).toDouble(), 12.5);

    db->execute(QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) VALUES (%1, 35, 1, 3)").arg(pid));
    Recordset max = db->openRecordset(QStringLiteral(
        "SELECT Max(PointForses.RezNumber) AS RezNumber FROM PointForses GROUP BY PointForses.PointID HAVING PointForses.PointID = %1").arg(pid));
    EXPECT_EQ(max.field(QStringLiteral("RezNumber")).toInt(), 3);

    db->execute(QStringLiteral("INSERT INTO BearRep (Side, BearingID, Kb, Kt, RollRing, Radial, Osev) VALUES (0, 1, 1.3, 1, 0, 1, 1)"));
    db->execute(QStringLiteral("DELETE * FROM BearRep WHERE Side = 0"));
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM BearRep")), 0);

    db->execute(QStringLiteral("INSERT INTO Bearings (`Number`, di, de, b, C, C0, Alfa, TipID) VALUES ('9999', 1, 2, 3, 4, 5, 0, 2)"));
    Recordset added = db->openRecordset(QStringLiteral("SELECT Number, di, de, b, C, C0, Alfa, Tkah, BearingID FROM Bearings WHERE TipID = 2 ORDER BY C"));
    EXPECT_EQ(added.field(QStringLiteral("Number")).toString(), QStringLiteral("9999"));
    EXPECT_TRUE(added.field(QStringLiteral("Tkah")).isNull());
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
    table.last();
    EXPECT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.field(QStringLiteral("ParameterID")).toInt(), 4);
    table.first();
    EXPECT_EQ(table.field(QStringLiteral("ParameterID")).toInt(), 38);

    Recordset empty = db->openRecordset(QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = 53"));
    EXPECT_TRUE(empty.isBeforeFirst());
    EXPECT_TRUE(empty.isAfterLast());
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
    Recordset rs = db->openRecordset(QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = 2"));
    ASSERT_FALSE(rs.isBeforeFirst());
    EXPECT_EQ(rs.field(QStringLiteral("ParamValue")).toDouble(), 100.0);
}

// The program's statements go to the engine with their numbers bound; the
// positions of ORDER BY and GROUP BY must still sort and group.
TEST_F(StoreTest, ColumnPositionsStillSortAndGroup)
{
    db->execute(QStringLiteral("CREATE TABLE Sample (v INTEGER)"));
    for (int v : {3, 1, 3, 2})
        db->execute(QStringLiteral("INSERT INTO Sample (v) VALUES (%1)").arg(v));
    Recordset rs = db->openRecordset(QStringLiteral("SELECT v, COUNT(*) AS n FROM Sample WHERE v > 0 GROUP BY 1 ORDER BY 1 DESC"));
    QStringList rows;
    for (; !rs.isAfterLast(); rs.next())
        rows << rs.field(QStringLiteral("v")).toString() + QLatin1Char(':') + rs.field(QStringLiteral("n")).toString();
    EXPECT_EQ(rows, (QStringList{"3:2", "2:1", "1:1"}));
}
