#include "store/statement_literals.h"

#include <gtest/gtest.h>

using namespace tarnvel;

TEST(SeparateLiterals, TakesOutTheNumbersOfDataStatementsOnly)
{
    const auto insert = separateLiterals(QStringLiteral(
        "INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) VALUES (12, 35, -2.5E-08, -1)"));
    ASSERT_TRUE(insert.has_value());
    EXPECT_EQ(insert->text, QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) VALUES (?, ?, -?, -?)"));
    ASSERT_EQ(insert->values.size(), 4);
    EXPECT_TRUE(insert->values.at(0).whole);
    EXPECT_EQ(insert->values.at(0).integer, 12);
    EXPECT_FALSE(insert->values.at(2).whole);
    EXPECT_EQ(insert->values.at(2).real, 2.5e-8);

    // Quoted texts, names with digits and aliases keep their digits.
    const auto select = separateLiterals(QStringLiteral(
        "SELECT a1, `Number`, Max(x2) AS Kind1 FROM t WHERE n = '205' AND [col 2] = 3 AND v = .5 AND w = 1e3"));
    ASSERT_TRUE(select.has_value());
    EXPECT_EQ(select->text, QStringLiteral("SELECT a1, `Number`, Max(x2) AS Kind1 FROM t WHERE n = '205' AND [col 2] = ? AND v = ? AND w = ?"));
    ASSERT_EQ(select->values.size(), 3);
    EXPECT_EQ(select->values.at(1).real, 0.5);
    EXPECT_EQ(select->values.at(2).real, 1000.0);

    // Column positions of ORDER BY and GROUP BY stay: a bound value would
    // sort and group by a constant. Other numbers there are values.
    EXPECT_EQ(separateLiterals(QStringLiteral("SELECT a, COUNT(*) FROM t WHERE b > 2 GROUP BY 1 HAVING COUNT(*) > 1 ORDER BY 2 DESC, a + 3, 1"))->text,
              QStringLiteral("SELECT a, COUNT(*) FROM t WHERE b > ? GROUP BY 1 HAVING COUNT(*) > ? ORDER BY 2 DESC, a + ?, 1"));

    // Not a number: left for the engine to judge.
    EXPECT_EQ(separateLiterals(QStringLiteral("UPDATE t SET v = 12abc"))->text, QStringLiteral("UPDATE t SET v = 12abc"));
    EXPECT_FALSE(separateLiterals(QStringLiteral("PRAGMA journal_mode=WAL")).has_value());
    EXPECT_FALSE(separateLiterals(QStringLiteral("SAVEPOINT tarnvel_1")).has_value());
}
