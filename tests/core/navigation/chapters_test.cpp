#include "corefixtures.h"
#include "navigation/chaptermoves.h"
#include "pages/pages.h"
#include "referencebook.h"
#include "text/codepage.h"
#include "text/headings.h"
#include "text/plaintext.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

struct Found
{
    int64_t offset;
    std::u32string title;
    friend bool operator==(const Found &, const Found &) = default;
    friend void PrintTo(const Found &f, std::ostream *os)
    {
        *os << f.offset << " " << toUtf8(f.title);
    }
};

std::vector<Found> found(const BookText &text)
{
    std::vector<Found> result;
    for (const Chapter &c : findChapters(text))
        result.push_back({c.offset, c.title});
    return result;
}

TEST(FindChapters, headingsAndProse_eachFoundOrLeftAsItShould)
{
    struct Row
    {
        const char *name;
        std::u32string text;
        std::vector<Found> chapters;
    };
    const Row rows[] = {
        {"indented heading, title after U+3000",
         U"　　第一章　风起^正文。^",
         {{2, U"第一章　风起"}}},
        {"title directly after 章", U"第十二章风起云涌^", {{0, U"第十二章风起云涌"}}},
        {"Arabic and full-width digits",
         U"第12回 甲^第３４节乙^",
         {{0, U"第12回 甲"}, {7, U"第３４节乙"}}},
        {"numerals 零〇百千万两",
         U"第两千零一话^第一百〇八篇^第一万章^",
         {{0, U"第两千零一话"}, {7, U"第一百〇八篇"}, {14, U"第一万章"}}},
        {"trailing blanks trimmed from the title", U"第三卷　 ^", {{0, U"第三卷"}}},
        // Measure words count only before a separator or the paragraph's end.
        {"卷 before a blank", U"第一卷 江湖^", {{0, U"第一卷 江湖"}}},
        {"部 before a full-width colon", U"第二部：归来^", {{0, U"第二部：归来"}}},
        {"册 at the paragraph's end", U"第三册^", {{0, U"第三册"}}},
        {"集 before a dash", U"第四集—终^", {{0, U"第四集—终"}}},
        {"封 before a word is prose", U"第一封信到了，他没有拆。^", {}},
        {"本 before a word is prose", U"第四本书记载着许多旧事^", {}},
        {"本 in a long paragraph's opening is prose",
         U"第一封信到了，他……" + std::u32string(70, U'字') + U"^",
         {}},
        // A heading holds no sentence, and no more than the length limit.
        {"回 opening a sentence is prose",
         U"　　第四回中既将薛家母子略已表明，此回则暂不能写矣。^",
         {}},
        {"heading-like run of 61 characters is prose",
         U"第一章" + std::u32string(58, U'字') + U"^",
         {}},
        {"heading of 60 characters is taken",
         U"第一章" + std::u32string(57, U'字') + U"^",
         {{0, U"第一章" + std::u32string(37, U'字')}}},
        {"no number", U"第章^第 一章^", {}},
        {"no unit", U"第一人^第十^", {}},
        {"number of eleven numerals", U"第一二三四五六七八九十一章^", {}},
        // Named sections.
        {"序 alone", U"序^", {{0, U"序"}}},
        {"序章 with a title", U"序章 开端^", {{0, U"序章 开端"}}},
        {"楔子 before a colon", U"楔子：缘起^", {{0, U"楔子：缘起"}}},
        {"番外 with a title directly", U"番外一 旧梦^", {{0, U"番外一 旧梦"}}},
        {"外传 at the end", U"外传^", {{0, U"外传"}}},
        {"named words opening prose", U"序言很短^前言不搭后语^引子里有话^后记写完了^", {}},
        // A heading line that opened no paragraph of its own ends the one before it.
        {"heading joined to the title line",
         U"《西游记》作者：吴承恩第一回　灵根育孕^　　诗曰：^",
         {{11, U"第一回　灵根育孕"}}},
        {"heading joined to the last sentence of a chapter",
         U"　　" + std::u32string(80, U'文') + U"且听下回分解。第二回　悟彻菩提真妙理^",
         {{89, U"第二回　悟彻菩提真妙理"}}},
        {"heading joined after a word, no punctuation",
         U"雨村忙回头看时第三回　贾雨村夤缘复旧职^",
         {{7, U"第三回　贾雨村夤缘复旧职"}}},
        {"named section joined, with a title",
         U"《水浒传》作者：施耐庵楔子 张天师祈禳瘟疫^",
         {{11, U"楔子 张天师祈禳瘟疫"}}},
        {"named words joined without a blank", U"这里有个楔子^写完后记^", {}},
        {"chapter word late in a sentence", U"这是第二回了。你怎么尝不出来？^", {}},
        {"text without paragraph mark at the end", U"第一章 起", {{0, U"第一章 起"}}},
        {"empty text", U"", {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(found(BookText(row.text)), row.chapters);
    }
}

TEST(FindChapters, wideText_findsTheSameAsNarrow)
{
    // A character beyond the Basic Multilingual Plane makes the store 32-bit.
    const std::u32string text = U"\U00020000^第一章 起^";
    const BookText wide(text);
    ASSERT_TRUE(wide.wide());
    EXPECT_EQ(found(wide), (std::vector<Found>{{2, U"第一章 起"}}));
}

// The heading lines of a novel file, found line by line with a regular expression on the
// file's own lines (not on the paragraph text): "第" + numerals + "回", or a named
// section before a blank. By hand: `iconv -f gbk -t utf-8 FILE | grep -c '^第'` gives
// 120 (红楼梦), 100 (西游记), 120 (水浒传, 第01回 .. 第120回), and 水浒传 opens with the
// line "楔子 张天师祈禳瘟疫 洪太尉误走妖魔".
std::vector<std::u32string> headingLines(const std::u32string &text)
{
    const std::regex heading("^(第(0|1|2|3|4|5|6|7|8|9|一|二|三|四|五|六|七|八|九|十|百|零)+回|"
                             "楔子 )");
    std::vector<std::u32string> lines;
    for (const std::u32string_view line : splitLines(text)) {
        if (std::regex_search(toUtf8(line), heading))
            lines.emplace_back(line.substr(0, kChapterTitleLimit));
    }
    return lines;
}

TEST(FindChapters, corpusNovels_findEveryHeadingLineAndNothingElse)
{
    struct Row
    {
        const char *file;
        size_t headings;
    };
    const Row rows[] = {{"hongloumeng.txt", 120}, {"xiyouji.txt", 100}, {"shuihuzhuan.txt", 121}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.file);
        const auto text = readBook(std::string(TIBBO_CORPUS_DIR) + "/" + row.file);
        if (!text)
            FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
        const std::vector<std::u32string> expected = headingLines(*text);
        EXPECT_EQ(expected.size(), row.headings);
        // Joined into the paragraphs before them, and with every line a paragraph.
        for (const bool trimParagraphs : {false, true}) {
            SCOPED_TRACE(trimParagraphs);
            const BookText paragraphs = buildPlainBook(*text, trimParagraphs).paragraphText;
            std::vector<std::u32string> titles;
            for (const Chapter &c : findChapters(paragraphs)) {
                titles.push_back(c.title);
                EXPECT_EQ(paragraphs.substr(static_cast<size_t>(c.offset), 1),
                          c.title.substr(0, 1));
            }
            EXPECT_EQ(titles, expected);
        }
    }
}

TEST(ChapterAt, offsets_giveTheLastHeadingAtOrBefore)
{
    const std::vector<Chapter> chapters{{10, U"a"}, {20, U"b"}, {35, U"c"}};
    const std::pair<int64_t, int64_t> rows[] = {
        {-1, -1}, {0, -1}, {9, -1}, {10, 0}, {19, 0}, {20, 1}, {34, 1}, {35, 2}, {1000, 2},
    };
    for (const auto &[offset, index] : rows) {
        SCOPED_TRACE(offset);
        EXPECT_EQ(chapterAt(chapters, offset), index);
    }
    EXPECT_EQ(chapterAt({}, 5), -1);
}

TEST(SpreadOfOffset, offsets_giveTheSpreadWhoseLinesHoldThem)
{
    // 25 lines of 10 characters at L = 3: spreads of 60 characters, the last at line 25.
    const ReaderState state = book(25, 3);
    const std::pair<int64_t, int64_t> rows[] = {
        {-5, 1},   {0, 1},    {59, 1},   {60, 7},   {119, 7},
        {120, 13}, {240, 25}, {249, 25}, {250, 25}, {100000, 25},
    };
    for (const auto &[offset, topLine] : rows) {
        SCOPED_TRACE(offset);
        EXPECT_EQ(spreadOfOffset(state, offset), topLine);
    }
}

TEST(SpreadOfOffset, emptyLineBeforeTheCharacter_isNotTheLineThatHoldsIt)
{
    ReaderState state = book(0, 1);
    state.lineEnds = {0, 10, 10, 20};
    EXPECT_EQ(spreadOfOffset(state, 9), 1);
    EXPECT_EQ(spreadOfOffset(state, 10), 3);
    EXPECT_EQ(spreadOfOffset(book(0, 5), 7), 1);
}

TEST(ChapterMoves, spreadOnShow_givesCurrentNextAndPrevious)
{
    // 40 lines of 10 characters at L = 2: spreads of 40 characters at lines 1, 5, 9, ...
    // Headings at 45 and 50 share the spread at 5; the one at 130 opens the spread at 13
    // in its second line.
    const std::vector<Chapter> chapters{{0, U"序"}, {45, U"一"}, {50, U"二"}, {130, U"三"}};
    struct Row
    {
        int64_t topLine;
        int64_t current;
        std::optional<int64_t> next, previous;
    };
    const Row rows[] = {
        {1, 0, 5, std::nullopt}, // the first heading is on show: nothing before it
        {5, 2, 13, 1},           // two headings on show: the later one is current
        {9, 2, 13, 5},           // inside a chapter: previous goes to its own heading
        {13, 3, std::nullopt, 5},
        {37, 3, std::nullopt, 13}, // the last spread
        {61, 3, std::nullopt, 13}, // past the text: taken as the last spread
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.topLine);
        const ReaderState state = book(40, 2, row.topLine);
        EXPECT_EQ(currentChapter(state, chapters), row.current);
        EXPECT_EQ(nextChapterSpread(state, chapters), row.next);
        EXPECT_EQ(previousChapterSpread(state, chapters), row.previous);
    }
}

TEST(ChapterMoves, beforeTheFirstHeadingOrWithoutChapters_hasNoCurrentChapter)
{
    const ReaderState state = book(40, 2, 1);
    const std::vector<Chapter> late{{100, U"一"}};
    EXPECT_EQ(currentChapter(state, late), -1);
    EXPECT_EQ(nextChapterSpread(state, late), 9);
    EXPECT_EQ(previousChapterSpread(state, late), std::nullopt);
    EXPECT_EQ(currentChapter(state, {}), -1);
    EXPECT_EQ(nextChapterSpread(state, {}), std::nullopt);
    const ReaderState empty = book(0, 2, 1);
    EXPECT_EQ(currentChapter(empty, late), -1);
}

} // namespace
} // namespace tibbo::core
