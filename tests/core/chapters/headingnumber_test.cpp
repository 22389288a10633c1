// Heading numbers in every notation novels use, and the numbers a heading names.
#include "chapters/headingnumber.h"

#include <gtest/gtest.h>

#include <string>

using namespace tibbo::core;

TEST(HeadingNumber, readsEveryNotation)
{
    struct Row
    {
        std::u32string digits;
        int64_t value;
    };
    const Row rows[] = {
        {U"312", 312},
        {U"０１２", 12},
        {U"007", 7},
        {U"三百一十二", 312},
        {U"十", 10},
        {U"十二", 12},
        {U"二十", 20},
        {U"一百零五", 105}, // 零 keeps 五 in the ones
        {U"一百一", 101},   // 红楼梦's 第一百一回: a last digit is in the ones
        {U"一百五十", 150},
        {U"两千零一", 2001},
        {U"兩千", 2000},
        {U"一万零一", 10001},
        {U"一万两千三百", 12300},
        {U"一二三", 123}, // digit by digit
        {U"二〇一九", 2019},
        {U"三零一", 301},
        {U"壹佰贰拾叁", 123},
        {U"貳拾參", 23},
        {U"叁仟", 3000},
        {U"廿三", 23},
        {U"卅", 30},
        {U"零", 0},
        {U"〇", 0},
        {U"一亿", 100000000},
    };
    for (const Row &row : rows) {
        const auto value = readHeadingNumber(row.digits);
        ASSERT_TRUE(value) << std::string(row.digits.begin(), row.digits.end()).size();
        EXPECT_EQ(*value, row.value) << row.value;
    }
}

// Text that is not one number: units in a wrong order, two digits before a unit, an
// Arabic digit before a Chinese unit, or a value past the limit.
TEST(HeadingNumber, refusesWhatIsNotOneNumber)
{
    for (const std::u32string digits :
         {U"", U"十十", U"十百", U"五三百", U"3百", U"万万", U"一万一万", U"abc", U"廿十",
          U"九千九百九十九亿", U"1234567890"}) {
        EXPECT_FALSE(readHeadingNumber(digits)) << digits.size();
    }
}

TEST(HeadingNumber, readsTheVolumeAndChapterAHeadingNames)
{
    struct Row
    {
        const char *name;
        std::u32string title;
        std::optional<int64_t> volume;
        std::optional<int64_t> chapter;
    };
    const Row rows[] = {
        {"第N章 and a title", U"第三百一十二章 风起云涌", std::nullopt, 312},
        {"回 with a wide blank", U"第一回　甄士隐梦幻识通灵", std::nullopt, 1},
        {"two-digit 回", U"第01回 王教头私走延安府", std::nullopt, 1},
        {"volume then chapter", U"卷二 第1章 风起", 2, 1},
        {"第X卷 then chapter", U"第一卷 第二章", 1, 2},
        {"volume only", U"第三卷 风起", 3, std::nullopt},
        {"bracketed", U"【012】标题", std::nullopt, 12},
        {"English", U"Chapter 12 The Storm", std::nullopt, 12},
        {"English volume and chapter", U"Volume 3 Chapter 4", 3, 4},
        {"list number", U"12、风起", std::nullopt, 12},
        {"without 第", U"三十章 夜雨", std::nullopt, 30},
        {"financial", U"第壹佰章", std::nullopt, 100},
        {"a named section", U"楔子　张天师祈禳瘟疫", std::nullopt, std::nullopt},
        {"番外 with a number is no chapter", U"番外一 初见", std::nullopt, std::nullopt},
        // The numbers in the title after the heading's own are not read.
        {"numbers in the title", U"第5章 三十六计", std::nullopt, 5},
    };
    for (const Row &row : rows) {
        const HeadingNumbers numbers = readHeadingNumbers(row.title);
        EXPECT_EQ(numbers.volume, row.volume) << row.name;
        EXPECT_EQ(numbers.chapter, row.chapter) << row.name;
    }
}
