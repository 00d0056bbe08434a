#include "store/sql_dialect.h"

#include <gtest/gtest.h>

using namespace tarnvel;

TEST(NormalizeDelete, AccessFormsBecomePlainDeletes)
{
    EXPECT_EQ(normalizeDelete(QStringLiteral("DELETE * FROM Powers WHERE RezNumber > 2")),
              QStringLiteral("DELETE FROM Powers WHERE RezNumber > 2"));
    EXPECT_EQ(normalizeDelete(QStringLiteral("DELETE * FROM BearRep WHERE Side = 1")),
              QStringLiteral("DELETE FROM BearRep WHERE Side = 1"));
    EXPECT_EQ(normalizeDelete(QStringLiteral(
                  "DELETE PointID, ParameterID, ParValue FROM PointParameters WHERE ParameterID > 7 And ParameterID < 11 AND PointID = 4")),
              QStringLiteral("DELETE FROM PointParameters WHERE ParameterID > 7 And ParameterID < 11 AND PointID = 4"));
    // Plain deletes stay as they are, the double blank included.
    EXPECT_EQ(normalizeDelete(QStringLiteral("DELETE  FROM CommonParameters")), QStringLiteral("DELETE  FROM CommonParameters"));
    EXPECT_EQ(normalizeDelete(QStringLiteral("DELETE FROM Points WHERE (PointID = 3)")),
              QStringLiteral("DELETE FROM Points WHERE (PointID = 3)"));
    EXPECT_EQ(normalizeDelete(QStringLiteral("SELECT * FROM Points")), QStringLiteral("SELECT * FROM Points"));
}

TEST(SplitTopLevel, KeepsParenthesesAndQuotesTogether)
{
    EXPECT_EQ(splitTopLevel(QStringLiteral("a, First(b, c) AS x, [d,e], 'f,g'")),
              (QStringList{QStringLiteral("a"), QStringLiteral("First(b, c) AS x"), QStringLiteral("[d,e]"),
                           QStringLiteral("'f,g'")}));
}

TEST(ParseCrosstab, SplitsTheClauses)
{
    const auto q = parseCrosstab(QStringLiteral(
        "TRANSFORM First(Powers.Speed) AS FSpeed SELECT Powers.RezNumber, Powers.Coeff, FIRST(Powers.Speed) AS FFSpeed "
        "FROM Powers GROUP BY Powers.RezNumber, Powers.Coeff PIVOT Powers.PointID"));
    ASSERT_TRUE(q.has_value());
    EXPECT_EQ(q->value, QStringLiteral("First(Powers.Speed)"));
    EXPECT_EQ(q->headings, (QStringList{QStringLiteral("Powers.RezNumber"), QStringLiteral("Powers.Coeff"),
                                        QStringLiteral("FIRST(Powers.Speed) AS FFSpeed")}));
    EXPECT_EQ(q->from, QStringLiteral("FROM Powers"));
    EXPECT_EQ(q->groupBy, (QStringList{QStringLiteral("Powers.RezNumber"), QStringLiteral("Powers.Coeff")}));
    EXPECT_EQ(q->pivot, QStringLiteral("Powers.PointID"));

    const auto withWhere = parseCrosstab(QStringLiteral(
        "TRANSFORM First(Power) AS FPower SELECT RezNumber, Speed, Coeff FROM Powers WHERE (PointID = 7) "
        "GROUP BY RezNumber, Speed, Coeff PIVOT PowerID"));
    ASSERT_TRUE(withWhere.has_value());
    EXPECT_EQ(withWhere->from, QStringLiteral("FROM Powers WHERE (PointID = 7)"));
    EXPECT_EQ(withWhere->value, QStringLiteral("First(Power)"));

    EXPECT_FALSE(parseCrosstab(QStringLiteral("SELECT * FROM Powers")).has_value());
    EXPECT_FALSE(parseCrosstab(QStringLiteral("TRANSFORM First(x) SELECT a FROM t")).has_value());
}
