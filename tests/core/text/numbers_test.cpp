#include "text/numbers.h"

#include <gtest/gtest.h>

using namespace tibbo::core;

TEST(Numbers, str_putsBlankBeforeNonNegative)
{
    EXPECT_EQ(str(12), " 12");
    EXPECT_EQ(str(0), " 0");
    EXPECT_EQ(str(-3), "-3");
    EXPECT_EQ(str(10.5), " 10.5");
    // Fractions below one are written without the leading zero, as the stored files hold them.
    EXPECT_EQ(str(0.5), " .5");
    EXPECT_EQ(str(-0.25), "-.25");
    EXPECT_EQ(str(1e20), " 1E+20");
    EXPECT_EQ(plainNumber(240), "240");
}

TEST(Numbers, val_takesLeadingNumberSkippingBlanks)
{
    struct Row
    {
        const char *text;
        double value;
    };
    const Row rows[] = {
        {"12.5px", 12.5}, // trailing unit ignored
        {"abc", 0},       // no number at all
        {"", 0},          // empty box
        {" 1 2 3", 123},  // blanks inside are skipped, not separators
        {"\t7\n", 7},     // tabs and line feeds too
        {"-4", -4},       {".5", 0.5}, {"3.", 3},
        {"1e3", 1000},    {"1e", 1}, // an exponent without digits is not part of the number
        {"+8x", 8},       {"--1", 0},
    };
    for (const Row &r : rows)
        EXPECT_DOUBLE_EQ(val(r.text), r.value) << r.text;
}

TEST(Numbers, toInteger_acceptsOnlyAWholeNumber)
{
    EXPECT_EQ(toInteger(" 2 "), 2);
    EXPECT_EQ(toInteger("-1"), -1);
    EXPECT_EQ(toInteger("2.5"), 2); // halves round to even
    EXPECT_EQ(toInteger("3.5"), 4);
    EXPECT_FALSE(toInteger(""));
    EXPECT_FALSE(toInteger("2x"));
    EXPECT_FALSE(toInteger("True"));
    EXPECT_FALSE(toInteger("1 2"));
}

TEST(Numbers, toBoolean_wordsOrNumbers)
{
    EXPECT_EQ(toBoolean("True"), true);
    EXPECT_EQ(toBoolean("false"), false);
    EXPECT_EQ(toBoolean("0"), false);
    EXPECT_EQ(toBoolean("-1"), true);
    EXPECT_FALSE(toBoolean("yes"));
}

TEST(Numbers, intFloor_roundsDown)
{
    EXPECT_EQ(intFloor(2.9), 2);
    EXPECT_EQ(intFloor(-0.5), -1);
    EXPECT_EQ(intFloor(-2), -2);
    EXPECT_EQ(intFloor(1e30), INT64_MAX);
}
