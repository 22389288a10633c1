#include "navigation/readingplace.h"
#include "navigation/search.h"
#include "navigation/searchpattern.h"
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

// The text's units as the scan sees them, counting how often it reads one.
struct CountedUnits
{
    using value_type = char16_t;
    std::u16string_view units;
    size_t *reads;
    size_t size() const { return units.size(); }
    char16_t operator[](size_t i) const
    {
        ++*reads;
        return units[i];
    }
};

// Regression: a 1000-character needle over ten million copies of one character took
// 6 s, because the scan compared the needle afresh at every start (n·m reads). Each row
// is a text on which such a scan is quadratic; the search reads every unit at most once.
TEST(SearchPattern, textsThatDefeatAPlainScan_areReadOnce)
{
    struct Row
    {
        const char *name;
        std::u16string text;
        std::u32string needle;
    };
    const std::u16string same(200000, u'啊');
    std::u32string nearMiss(999, U'啊');
    nearMiss += U'哦';
    std::u16string abab;
    for (int i = 0; i < 50000; ++i)
        abab += u"ab";
    const Row rows[] = {
        {"one character, the needle's last differs", same, nearMiss},
        {"one character, the needle's first differs", same, U"哦" + std::u32string(999, U'啊')},
        // Letters fold: the needle's case must not break the fall-back.
        {"alternating letters, mixed case", abab, U"AbAbAbAbAbAbAbAbAbAbAc"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const SearchPattern pattern(row.needle);
        size_t reads = 0;
        EXPECT_EQ(pattern.findForward(CountedUnits{row.text, &reads}, 0), std::nullopt);
        EXPECT_LE(reads, row.text.size());
        reads = 0;
        EXPECT_EQ(pattern.findBackward(CountedUnits{row.text, &reads}, row.text.size()),
                  std::nullopt);
        EXPECT_LE(reads, row.text.size());
    }
}

// The search agrees with a plain comparison at every start, in both directions, on
// needles whose parts repeat (where a wrong fall-back skips a match).
TEST(SearchPattern, repeatingNeedles_findWhatAPlainComparisonFinds)
{
    const std::u32string text = U"aabaabaaabaabaabaabbaaAbAAbaaba^aab";
    const std::u32string needles[] = {U"aab", U"aabaab", U"abaa",  U"aabaabaa", U"baab", U"a",
                                      U"AAB", U"aa",     U"ab^aa", U"bb",       U"aaa"};
    const auto plainAt = [&](const std::u32string &needle, size_t at) {
        for (size_t k = 0; k < needle.size(); ++k)
            if (foldSearchCase(text[at + k]) != foldSearchCase(needle[k]))
                return false;
        return true;
    };
    for (const std::u32string &needle : needles) {
        for (size_t from = 0; from <= text.size(); ++from) {
            std::optional<int64_t> forward, backward;
            for (size_t at = from; !forward && at + needle.size() <= text.size(); ++at)
                if (plainAt(needle, at))
                    forward = static_cast<int64_t>(at);
            for (size_t at = std::min(from, text.size() - needle.size() + 1);
                 !backward && at-- > 0;)
                if (plainAt(needle, at))
                    backward = static_cast<int64_t>(at);
            SCOPED_TRACE(testing::Message() << "needle " << needle.size() << " from " << from);
            EXPECT_EQ(findText(BookText(text), needle, int64_t(from), true), forward);
            EXPECT_EQ(findText(BookText(text), needle, int64_t(from), false), backward);
        }
    }
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

TEST(AllMatches, countsAsAReaderDoes)
{
    struct Row
    {
        const char *name;
        std::u32string text, needle;
        std::vector<int64_t> offsets;
    };
    const Row rows[] = {
        {"across a paragraph mark only as text", U"宝玉^宝玉。宝^玉", U"宝玉", {0, 3}},
        {"case folded as the moves fold it", U"Pao pAO pao", U"pao", {0, 4, 8}},
        // A needle that repeats itself: counted past each match's end, so a long run of
        // one character costs one scan.
        {"a self-repeating needle", U"哈哈哈哈哈", U"哈哈", {0, 2}},
        {"at the very end", U"^^玉", U"玉", {2}},
        {"none", U"林黛玉", U"宝钗", {}},
        {"empty needle", U"林黛玉", U"", {}},
        {"a character beyond the text's units", U"林黛玉", U"\U00020000", {}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(allMatches(BookText(row.text), row.needle), row.offsets) << row.name;
}

} // namespace
} // namespace tibbo::core
