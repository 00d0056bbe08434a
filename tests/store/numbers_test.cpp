#include "store/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tarnvel;

TEST(SqlNum, WritesStatementForm)
{
    const struct
    {
        double value;
        const char *text;
    } cases[] = {
        {0.00000001, "1E-08"},             // exponent form, two-digit exponent
        {2.5, "2.5"},                      // point, whatever the locale says
        {-2.5, "-2.5"},
        {0.0, "0"},
        {-0.0, "0"},
        {100.0, "100"},
        {0.0001, "0.0001"},                // still fixed form
        {0.00001, "1E-05"},                // switches below 1E-4
        {123456789012345.0, "123456789012345"}, // 15 digits fit
        {1234567890123456.0, "1.23456789012346E+15"},
        {1.0 / 3.0, "0.333333333333333"},  // 15 significant digits
        {0.1, "0.1"},
        {1.7976931348623157E+308, "1.7976931348623157E+308"}, // 15 digits overflow to infinity
        {4.9E-324, "4.94065645841247E-324"},  // the smallest denormal reads back from 15
        {716.2, "716.2"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SqlNum(c.value), QString::fromLatin1(c.text)) << c.value;
}

TEST(SqlNum, TextAndEmptyValues)
{
    EXPECT_EQ(SqlNum(QString()), QStringLiteral(" "));
    EXPECT_EQ(SqlNum(QStringLiteral("2,5")), QStringLiteral("2.5"));
    EXPECT_EQ(SqlNum(QVariant()), QStringLiteral(" "));
    EXPECT_EQ(SqlNum(QVariant(qlonglong(42))), QStringLiteral("42"));
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart)
{
    const struct
    {
        const char *text;
        double value;
    } cases[] = {
        {"38 ID", 38},        {"3 N", 3},       {"  2.5", 2.5},  {"-4.25abc", -4.25}, {"1E-08", 1e-8},
        {"2.5e3 мм", 2500},   {"1E", 1},        {"20° (ГОСТ)", 20}, {"14.5°", 14.5},  {".5", 0.5},
        {"abc", 0},           {"", 0},          {"-", 0},        {"2,5", 2},          {"1 - правое", 1}, {"12٣", 12},
        {"+7", 7},            {"1e999", HUGE_VAL}, {"-1E999 мм", -HUGE_VAL}, // beyond range: the sign kept
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(RoundHalfEven, WholeNumbersAndThreePlaces)
{
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(3.5), 4.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(2.6), 3.0);
    EXPECT_EQ(wholeNumber(0.5), 0);
    EXPECT_EQ(wholeNumber(1.5), 2);
    EXPECT_EQ(wholeNumber(1e12), INT_MAX);
    EXPECT_EQ(wholeNumber(-1e12), INT_MIN);
    EXPECT_EQ(wholeNumber(std::nan("")), 0);
    // 0.0125 is stored a little below the half; 1.2345 a little below too.
    EXPECT_DOUBLE_EQ(roundHalfEven(0.0125, 3), 0.012);
    EXPECT_DOUBLE_EQ(roundHalfEven(2.0625, 3), 2.062); // exact binary half: to even
    EXPECT_DOUBLE_EQ(roundHalfEven(-1.23456, 3), -1.235);
    EXPECT_EQ(SqlNum(roundHalfEven(1234.56789, 3)), QStringLiteral("1234.568"));
}
