#pragma once
// Reading the number of a chapter heading, in every notation novels write it: Arabic or
// full-width digits (12, ０１２), Chinese numerals with units (三百一十二, 两千零一, 一百五 =
// 150, 廿三), digit by digit (一二三, 二〇一九), and financial numerals (壹佰贰拾, 貳拾參),
// in Simplified and Traditional forms (两/兩, 万/萬).

#include <cstdint>
#include <optional>
#include <string_view>

namespace tibbo::core {

// Largest value read: anything larger is not a chapter number.
inline constexpr int64_t kLargestHeadingNumber = 999'999'999;

// Whether `c` can be part of a number as headings write it.
bool isHeadingNumeral(char32_t c);

// The value of `digits`, which must be one number and nothing else; nothing for text that
// is not one (empty, "十十", "五三百", letters) or is larger than kLargestHeadingNumber.
std::optional<int64_t> readHeadingNumber(std::u32string_view digits);

// The numbers a heading names. "卷二 第1章 风起" names volume 2 and chapter 1; "第三卷"
// only a volume; "【012】", "Chapter 12", "12、风起" and "三十章" a chapter; "楔子" none.
struct HeadingNumbers
{
    std::optional<int64_t> volume;
    std::optional<int64_t> chapter;
};
HeadingNumbers readHeadingNumbers(std::u32string_view title);

} // namespace tibbo::core
