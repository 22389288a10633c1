#include "navigation/readingplace.h"
#include "navigation/search.h"
#include "state/readerstate.h"
#include "text/reflow.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tibbo::core {
namespace {

TEST(FindText, needleAndStart_giveTheMatchThatWay)
{
    struct Row
    {
        const char *name;
        std::u32string text, needle;
        int64_t from;
        bool forward;
        std::optional<int64_t> offset;
    };
    // "宝玉" stands at 2 and 9; "pao" at 13 and 17, full-width at 21 and 25.
    const std::u32string text = U"贾母宝玉黛玉^湘云宝玉。^PAO paO ｐａｏ ＰＡＯ^";
    const Row rows[] = {
        {"forward from the start", text, U"宝玉", 0, true, 2},
        {"forward from a match takes it", text, U"宝玉", 2, true, 2},
        {"forward from just past it", text, U"宝玉", 3, true, 9},
        {"forward past the last", text, U"宝玉", 10, true, std::nullopt},
        {"backward from the end", text, U"宝玉", int64_t(text.size()), false, 9},
        {"backward from a match skips it", text, U"宝玉", 9, false, 2},
        {"backward from just past it", text, U"宝玉", 10, false, 9},
        {"backward before the first", text, U"宝玉", 2, false, std::nullopt},
        {"ASCII letters in any case", text, U"pao", 0, true, 13},
        {"ASCII, second occurrence", text, U"PaO", 14, true, 17},
        {"full-width letters fold among themselves", text, U"ＰａＯ", 0, true, 21},
        {"full-width after the first", text, U"ｐａｏ", 22, true, 25},
        {"ASCII does not match full-width", U"ｐａｏ", U"pao", 0, true, std::nullopt},
        {"Chinese never folds", text, U"宝王", 0, true, std::nullopt},
        {"paragraph mark is text like any other", text, U"玉^湘", 0, true, 5},
        {"match ending at the text's end", U"abcd", U"CD", 0, true, 2},
        {"backward: match ending at the end", U"abcd", U"cd", 4, false, 2},
        {"needle longer than the text", U"ab", U"abc", 0, true, std::nullopt},
        {"empty needle", text, U"", 0, true, std::nullopt},
        {"from before the text", text, U"宝玉", -7, true, 2},
        {"from past the text, forward", text, U"宝玉", 999, true, std::nullopt},
        {"from past the text, backward", text, U"宝玉", 999, false, 9},
        {"overlapping candidates", U"aaab", U"aab", 0, true, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(findText(BookText(row.text), row.needle, row.from, row.forward), row.offset);
    }
}

TEST(FindText, charactersBeyondSixteenBits_matchInAWideTextOnly)
{
    const BookText narrow(U"一二三");
    EXPECT_EQ(findText(narrow, U"\U00020000", 0, true), std::nullopt);
    // U+20000 must not match its low 16 bits.
    EXPECT_EQ(findText(BookText(std::u32string(1, char32_t(0x0000))), U"\U00020000", 0, true),
              std::nullopt);
    const BookText wide(U"甲\U00020000乙Ab\U00020000");
    ASSERT_TRUE(wide.wide());
    EXPECT_EQ(findText(wide, U"\U00020000乙", 0, true), 1);
    EXPECT_EQ(findText(wide, U"aB", 0, true), 3);
    EXPECT_EQ(findText(wide, U"\U00020000", 6, false), 5);
}

TEST(FindText, matchAcrossALineBreakOfTheDisplay_isFound)
{
    ReaderState state;
    setParagraphText(state, BookText(U"一二三四五六七八九十^"));
    applyReflow(state, cutLines(state.paragraphText, 4));
    ASSERT_GE(state.lineCount(), 2);
    const int64_t firstLineEnd = state.lineEnds[1];
    const auto hit = findText(state.paragraphText, U"四五", 0, true);
    ASSERT_TRUE(hit);
    EXPECT_LT(*hit, firstLineEnd);
    EXPECT_GT(*hit + 2, firstLineEnd);
}

TEST(FindNextWrapping, noMatchThatWay_goesOnFromTheOtherEnd)
{
    struct Row
    {
        const char *name;
        std::u32string needle;
        int64_t from;
        bool forward;
        std::optional<SearchHit> hit;
    };
    const std::u32string text = U"林黛玉^宝玉^林黛玉。^";
    const Row rows[] = {
        {"forward, ahead", U"黛玉", 0, true, SearchHit{1, false}},
        {"forward past the last: wraps to the first", U"黛玉", 9, true, SearchHit{1, true}},
        {"forward from the end", U"黛玉", int64_t(text.size()), true, SearchHit{1, true}},
        {"backward, behind", U"黛玉", 9, false, SearchHit{8, false}},
        {"backward before the first: wraps to the last", U"黛玉", 1, false, SearchHit{8, true}},
        {"backward from the start", U"黛玉", 0, false, SearchHit{8, true}},
        {"the only match, from just past it", U"宝玉", 5, true, SearchHit{4, true}},
        {"nowhere", U"宝钗", 0, true, std::nullopt},
        {"nowhere, backward", U"宝钗", 5, false, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto hit = findNextWrapping(BookText(text), row.needle, row.from, row.forward);
        ASSERT_EQ(hit.has_value(), row.hit.has_value());
        if (hit) {
            EXPECT_EQ(hit->offset, row.hit->offset);
            EXPECT_EQ(hit->wrapped, row.hit->wrapped);
        }
    }
}

} // namespace
} // namespace tibbo::core
