#include "scheme/scheme_edits.h"

#include "analysis/scheme_store.h"

#include <gtest/gtest.h>

using namespace tarnvel;
using SchemeEdits = test::SchemeStore;

TEST_F(SchemeEdits, AChoiceShowsTheEntryItsValueStandsFor)
{
    // The force unit's entries in the catalogue: 1 "Н", 2 "кГс".
    const struct
    {
        QVariant stored; // invalid: no row at all
        const char *shown; // nullptr: no entry, the number is shown
    } cases[] = {
        { QVariant(), "Н" }, // never set: entry 1
        { QVariant(QMetaType::fromType<double>()), "Н" }, // an empty field is not set either
        { 2.0, "кГс" },
        { 2.0000000000000004, "кГс" }, // equal to 15 digits, as a statement carries it
        { 2.5, nullptr },
        { 3.0, nullptr },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        db->execute(QStringLiteral("DELETE FROM CommonParameters"));
        if (c.stored.isValid())
            db->execute(
                QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (4, ?)"), { c.stored });
        const QVector<ParameterRow> rows = generalDataRows(*db);
        ASSERT_EQ(rows.size(), 5);
        EXPECT_EQ(rows.at(1).caption, QStringLiteral("Единица силы"));
        EXPECT_EQ(rows.at(1).choice ? rows.at(1).choice->text : QString(), QString::fromUtf8(c.shown));
    }
    // A number has no entries, whatever its value.
    setCommon(2, 1);
    EXPECT_FALSE(generalDataRows(*db).at(0).choice.has_value());
}

TEST_F(SchemeEdits, DeletingAPointNumbersTheRestInTheirOrder)
{
    // Numbers with gaps and not in the order the points were made.
    const qint64 last = addFreeForce(9, 0, 0, 90, 0, 1, 0);
    const qint64 first = addFreeForce(1, 0, 0, 10, 1, 0, 0);
    const qint64 third = addSpurGear(4, 80);
    const qint64 gone = addSpurGear(3, 50);
    for (qint64 point : { gone, third }) {
        addPowers(point, 1, 1000, 1, { { 4, 100 } });
        addEquivalentForces(point, 0, 0, 50, 1, 2, 3);
    }
    deleteSchemePoint(*db, gone);

    QStringList points;
    for (const SchemePoint &p : schemePoints(*db))
        points << QStringLiteral("%1 %2 %3").arg(p.number).arg(p.pointId).arg(p.kind);
    EXPECT_EQ(points,
        (QStringList { QStringLiteral("1 %1 Произвольная сила").arg(first),
            QStringLiteral("2 %1 Цилиндрическое зацепление").arg(third),
            QStringLiteral("3 %1 Произвольная сила").arg(last) }));
    for (const char *table : { "PointParameters", "Powers", "PointForses" }) {
        const QString rowsOf = QStringLiteral("SELECT * FROM %1 WHERE PointID = %2").arg(QLatin1String(table));
        EXPECT_EQ(test::countRows(*db, rowsOf.arg(gone)), 0) << table;
        EXPECT_GT(test::countRows(*db, rowsOf.arg(third)), 0) << table;
    }
}

TEST_F(SchemeEdits, RewrittenParametersAreStoredInTheirOrderAndReadBack)
{
    const qint64 point = addSchemePoint(*db, 1, 3);
    const qint64 other = addSpurGear(2, 120);
    const QStringList otherRows
        = test::rows(*db, QStringLiteral("SELECT * FROM PointParameters WHERE PointID = %1").arg(other));

    rewritePointParameters(*db, point, { { 33, 75 }, { 11, 2.5 }, { 15, 2 } });
    EXPECT_EQ(test::rows(*db,
                  QStringLiteral("SELECT ParameterID, ParValue FROM PointParameters WHERE PointID = %1 ORDER BY rowid")
                      .arg(point)),
        (QStringList { "33 75", "11 2.5", "15 2" }));
    EXPECT_EQ(
        test::rows(*db, QStringLiteral("SELECT * FROM PointParameters WHERE PointID = %1").arg(other)), otherRows);

    const std::optional<PointParameters> read = pointParameters(*db, 1);
    ASSERT_TRUE(read.has_value());
    EXPECT_FALSE(read->unset);
    QStringList shown;
    for (const ParameterRow &row : read->rows)
        shown << QStringLiteral("%1 %2 %3")
                     .arg(row.parameterId)
                     .arg(row.value)
                     .arg(row.choice ? row.choice->text : QString());
    EXPECT_EQ(shown, (QStringList { "11 2.5 ", "15 2 25°", "33 75 " }));
    EXPECT_FALSE(pointParameters(*db, 3).has_value());
}

TEST_F(SchemeEdits, AnyEnteredValueIsInputToLose)
{
    const char *entered[] = {
        "INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (2, 300)",
        "INSERT INTO Points (PointNumber, GroupID) VALUES (1, 2)",
        "INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) VALUES (1, 5, 1, 1, 5, 5, 1)",
        "INSERT INTO RequiredLife (Side, Lh) VALUES (1, 10000)",
    };
    for (const char *statement : entered) {
        SCOPED_TRACE(statement);
        for (const char *table : {"CommonParameters", "Points", "Powers", "BearRep", "RequiredLife"})
            db->execute(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
        // Unset general values are no input.
        db->execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (4, 0), (53, NULL)"));
        EXPECT_FALSE(schemeHasInput(*db));
        db->execute(QString::fromUtf8(statement));
        EXPECT_TRUE(schemeHasInput(*db));
    }
}
