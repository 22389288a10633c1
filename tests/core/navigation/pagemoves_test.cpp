#include "corefixtures.h"

#include "navigation/bookinfo.h"
#include "navigation/pagemoves.h"
#include "navigation/prompt.h"
#include "pages/pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

// Every topLine that repeated forward clicks visit until the click refuses.
std::vector<int64_t> clickForwardUntilRefused(ReaderState state)
{
    std::vector<int64_t> visited{state.topLine};
    while (pageForwardByClick(state))
        visited.push_back(state.topLine);
    return visited;
}

TEST(PageClicks, forwardClicks_stopAtTheLastSpreadStart)
{
    struct Row
    {
        const char *name;
        int64_t lines;
        std::vector<int64_t> visited;
    };
    const Row rows[] = {
        {"35 lines: pages 1-4", 35, {1, 21}},
        {"50 lines: pages 1-6", 50, {1, 21, 41}},
        // A multiple of 2L lines: the spread after the last line is empty and not shown.
        {"40 lines", 40, {1, 21}},
        {"one spread", 15, {1}},
        {"no lines", 0, {1}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(clickForwardUntilRefused(book(row.lines, 10)), row.visited);
    }
}

TEST(LastSpread, everyForwardMove_stopsAtTheLastSpreadThatHoldsText)
{
    struct Book
    {
        const char *name;
        int64_t lines, lastSpread;
    };
    // The line count as an exact multiple of 2L and of L, E as a multiple of 2L, and
    // Int(E/L) odd are the shapes that used to reach a spread of empty lines.
    const Book books[] = {
        {"35 lines", 35, 21},         {"40 lines: 2L * 2", 40, 21},
        {"39 lines: E = 40", 39, 21}, {"50 lines: Int(E/L) = 5", 50, 41},
        {"60 lines: 2L * 3", 60, 41}, {"10 lines: one page", 10, 1},
        {"no lines", 0, 1},
    };
    struct Move
    {
        const char *name;
        void (*apply)(ReaderState &);
    };
    const Move moves[] = {
        {"right page click", [](ReaderState &s) { pageForwardByClick(s); }},
        {"next spread", [](ReaderState &s) { runPageCommand(s, PageCommand::NextSpread); }},
        {"last spread", [](ReaderState &s) { runPageCommand(s, PageCommand::LastSpread); }},
        {"strip forward four", [](ReaderState &s) { pressEdgeStrip(s, EdgeStrip::Right, 0.1); }},
        {"strip forward ten", [](ReaderState &s) { pressEdgeStrip(s, EdgeStrip::Right, 0.6); }},
        {"strip last spread", [](ReaderState &s) { pressEdgeStrip(s, EdgeStrip::Right, 0.9); }},
        {"go to the highest page offered",
         [](ReaderState &s) {
             s.promptMode = PromptMode::GoToPage;
             const auto last = promptPageCount(s.entryCount(), s.linesPerPage);
             confirmPrompt(s, std::to_string(last));
         }},
    };
    for (const auto &b : books) {
        for (const auto &move : moves) {
            SCOPED_TRACE(std::string(b.name) + ", " + move.name);
            ReaderState state = book(b.lines, 10);
            for (int step = 0; step < 10; ++step) {
                move.apply(state);
                EXPECT_LE(state.topLine, std::max<int64_t>(b.lines, 1));
            }
            EXPECT_EQ(state.topLine, b.lastSpread);
        }
    }
}

TEST(PageClicks, backClick_stepsOneSpreadAndStopsAtTheFirst)
{
    ReaderState state = book(100, 10, 41);
    EXPECT_TRUE(pageBack(state));
    EXPECT_EQ(state.topLine, 21);
    EXPECT_TRUE(pageBack(state));
    EXPECT_EQ(state.topLine, 1);
    EXPECT_FALSE(pageBack(state));
    EXPECT_EQ(state.topLine, 1);
}

TEST(PageClicks, backClickBeforeFirstReflow_doesNothing)
{
    ReaderState state = book(100, 10, 0);
    EXPECT_FALSE(pageBack(state));
    EXPECT_EQ(state.topLine, 0);
}

TEST(PageCommands, firstAndLast_goToTheFirstAndLastSpreadStart)
{
    struct Row
    {
        int64_t lines, from, end;
    };
    const Row rows[] = {{35, 1, 21}, {50, 1, 41}, {50, 61, 41}, {0, 1, 1}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.lines);
        ReaderState state = book(row.lines, 10, row.from);
        EXPECT_TRUE(runPageCommand(state, PageCommand::LastSpread));
        EXPECT_EQ(state.topLine, row.end);
        EXPECT_TRUE(runPageCommand(state, PageCommand::FirstSpread));
        EXPECT_EQ(state.topLine, 1);
    }
}

TEST(PageCommands, nextSpread_stopsAtTheLastSpreadThatHoldsText)
{
    struct Row
    {
        const char *name;
        int64_t lines, from, to;
    };
    const Row rows[] = {
        {"middle of the book", 50, 21, 41},
        // Int(E/L) = 5 is odd: the key used to go on to an empty spread.
        {"50 lines from the last spread", 50, 41, 41},
        {"35 lines from the last spread", 35, 21, 21},
        {"40 lines: a multiple of 2L", 40, 21, 21},
        {"no lines", 0, 1, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ReaderState state = book(row.lines, 10, row.from);
        const bool redraw = runPageCommand(state, PageCommand::NextSpread);
        EXPECT_EQ(state.topLine, row.to);
        EXPECT_EQ(redraw, row.from != row.to);
    }
}

TEST(PageCommands, previousSpread_stepsBackAndStopsAtTheFirstSpread)
{
    ReaderState state = book(50, 10, 21);
    EXPECT_TRUE(runPageCommand(state, PageCommand::PreviousSpread));
    EXPECT_EQ(state.topLine, 1);
    EXPECT_FALSE(runPageCommand(state, PageCommand::PreviousSpread));
    EXPECT_EQ(state.topLine, 1);
}

TEST(EdgeStrips, tooltip_followsTheQuarterOfTheStrip)
{
    struct Row
    {
        EdgeStrip strip;
        double r;
        std::string_view tooltip;
    };
    // The middle bands include both their bounds; the rows sit on and beside them.
    const Row rows[] = {
        {EdgeStrip::Left, 0.0, "翻到第一页"},      {EdgeStrip::Left, 0.249, "翻到第一页"},
        {EdgeStrip::Left, 0.25, "前翻十页"},       {EdgeStrip::Left, 0.5, "前翻十页"},
        {EdgeStrip::Left, 0.501, "前翻四页"},      {EdgeStrip::Left, 1.0, "前翻四页"},
        {EdgeStrip::Right, 0.0, "后翻四页"},       {EdgeStrip::Right, 0.499, "后翻四页"},
        {EdgeStrip::Right, 0.5, "后翻十页"},       {EdgeStrip::Right, 0.75, "后翻十页"},
        {EdgeStrip::Right, 0.751, "翻到最后一页"}, {EdgeStrip::Right, 1.0, "翻到最后一页"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.r);
        EXPECT_EQ(edgeTooltipAt(row.strip, row.r), row.tooltip);
    }
}

TEST(EdgeStrips, press_movesByTheZoneAndClampsOnlyAtItsOwnEnd)
{
    struct Row
    {
        const char *name;
        int64_t lines, from;
        EdgeStrip strip;
        double r;
        int64_t to;
    };
    const Row rows[] = {
        {"left outer quarter from far in", 490, 241, EdgeStrip::Left, 0.1, 1},
        {"left outer quarter from the first spread", 490, 1, EdgeStrip::Left, 0.1, 1},
        {"left back ten pages", 490, 241, EdgeStrip::Left, 0.4, 141},
        {"left back four pages", 490, 241, EdgeStrip::Left, 0.9, 201},
        {"left right half on the second spread clamps", 490, 21, EdgeStrip::Left, 0.9, 1},
        {"left back ten near the start clamps", 490, 81, EdgeStrip::Left, 0.4, 1},
        {"right forward four pages", 490, 1, EdgeStrip::Right, 0.1, 41},
        {"right forward ten pages", 490, 1, EdgeStrip::Right, 0.6, 101},
        {"right outer quarter", 490, 1, EdgeStrip::Right, 0.9, 481},
        {"right forward four near the end clamps", 50, 21, EdgeStrip::Right, 0.1, 41},
        {"right from an empty spread past the end clamps back", 50, 61, EdgeStrip::Right, 0.1, 41},
        {"right outer quarter, a multiple of 2L lines", 40, 1, EdgeStrip::Right, 0.9, 21},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ReaderState state = book(row.lines, 10, row.from);
        pressEdgeStrip(state, row.strip, row.r);
        EXPECT_EQ(state.topLine, row.to);
    }
}

TEST(GoToPage, tooltip_countsPagesWithStrBlank)
{
    EXPECT_EQ(goToPageTooltip(book(35, 10)), "一共 4页");
    EXPECT_EQ(goToPageTooltip(book(559, 10)), "一共 57页");
}

TEST(GoToPage, defaultText_isThePageOfTheChosenLine)
{
    struct Row
    {
        const char *name;
        int64_t linesPerPage, topLine, selectedLine;
        std::string text;
    };
    const Row rows[] = {
        {"no line chosen: left page", 10, 21, 0, "3"},
        {"line on the right page", 10, 21, 15, "4"},
        {"one line per page: the right page even unchosen", 1, 1, 0, "2"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ReaderState state = book(100, row.linesPerPage, row.topLine);
        state.selectedLine = row.selectedLine;
        EXPECT_EQ(goToPageDefaultText(state), row.text);
    }
}

TEST(GoToPage, confirmInSetpage_movesToTheSpreadOrRefuses)
{
    struct Row
    {
        std::string text;
        PromptOutcome outcome;
        int64_t topLine;
    };
    // 35 lines at L = 10: four pages. The prompt starts on the spread at 41.
    const Row rows[] = {
        {"1", PromptOutcome::PageShown, 1},        {"2", PromptOutcome::PageShown, 1},
        {"4", PromptOutcome::PageShown, 21},       {"3.5", PromptOutcome::PageShown, 21},
        {"2.99", PromptOutcome::PageShown, 1},     {" 4 ", PromptOutcome::PageShown, 21},
        {"5", PromptOutcome::PageOutOfRange, 41},  {"4.5", PromptOutcome::PageOutOfRange, 41},
        {"0", PromptOutcome::PageOutOfRange, 41},  {"0.99", PromptOutcome::PageOutOfRange, 41},
        {"-2", PromptOutcome::PageOutOfRange, 41}, {"abc", PromptOutcome::PageOutOfRange, 41},
        {"", PromptOutcome::PageOutOfRange, 41},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        ReaderState state = book(35, 10, 41);
        state.promptMode = PromptMode::GoToPage;
        EXPECT_EQ(confirmPrompt(state, row.text), row.outcome);
        EXPECT_EQ(state.topLine, row.topLine);
        EXPECT_EQ(state.autoTurnSeconds, 240);
    }
}

TEST(GoToPage, confirmInSettime_storesAnyValueWithoutRangeCheck)
{
    struct Row
    {
        std::string text;
        double seconds;
    };
    const Row rows[] = {{"2", 2},   {"0", 0},     {"-5", -5},
                        {"abc", 0}, {"7.5", 7.5}, {"100000", 100000}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        ReaderState state = book(35, 10, 21);
        state.promptMode = PromptMode::Interval;
        EXPECT_EQ(confirmPrompt(state, row.text), PromptOutcome::IntervalStored);
        EXPECT_EQ(state.autoTurnSeconds, row.seconds);
        EXPECT_EQ(state.topLine, 21);
    }
}

TEST(GoToPage, confirmWithoutAQuestion_changesNothing)
{
    ReaderState state = book(35, 10, 21);
    state.promptMode = PromptMode::None;
    EXPECT_EQ(confirmPrompt(state, "1"), PromptOutcome::Ignored);
    EXPECT_EQ(state.topLine, 21);
    EXPECT_EQ(state.autoTurnSeconds, 240);
}

TEST(PromptArrows, eachMode_stepsWithinItsOwnLimits)
{
    struct Row
    {
        PromptMode mode;
        std::string text, increased, decreased;
    };
    // 35 lines at L = 10: four pages. A refused step hands back the text as typed.
    const Row rows[] = {
        {PromptMode::GoToPage, "1", "2", "1"},     {PromptMode::GoToPage, "2", "3", "1"},
        {PromptMode::GoToPage, "4", "4", "3"},     {PromptMode::GoToPage, "3.5", "4.5", "2.5"},
        {PromptMode::GoToPage, "9", "9", "8"},     {PromptMode::GoToPage, "abc", "1", "abc"},
        {PromptMode::Interval, "5", "6", "5"},     {PromptMode::Interval, "6", "7", "5"},
        {PromptMode::Interval, "2", "3", "2"},     {PromptMode::Interval, "240", "241", "239"},
        {PromptMode::Interval, "abc", "1", "abc"}, {PromptMode::None, "3", "3", "3"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::to_string(static_cast<int>(row.mode)) + " " + row.text);
        ReaderState state = book(35, 10);
        state.promptMode = row.mode;
        EXPECT_EQ(promptIncrease(state, row.text), row.increased);
        EXPECT_EQ(promptDecrease(state, row.text), row.decreased);
    }
}

TEST(PromptArrows, repeatedDecrease_floorsAtFiveAndOne)
{
    ReaderState state = book(35, 10);
    std::string text = "9";
    state.promptMode = PromptMode::Interval;
    for (int i = 0; i < 10; ++i)
        text = promptDecrease(state, text);
    EXPECT_EQ(text, "5");
    state.promptMode = PromptMode::GoToPage;
    for (int i = 0; i < 10; ++i)
        text = promptDecrease(state, text);
    EXPECT_EQ(text, "1");
}

TEST(BookInfo, name_endsAtTheFirstDotOfTheWholePath)
{
    struct Row
    {
        std::string path, name;
    };
    const Row rows[] = {
        {"D:\\novels\\abc.txt", "abc"},
        {"D:\\my.books\\abc.txt", "my"},
        {"/home/reader/小说/红楼梦.txt", "红楼梦"},
        {"/home/.config/book.txt", ""}, // the first dot comes right after a slash
        {"/books/noextension", "noextension"},
        {"C:/mixed\\sep/name.htm", "name"},
        {"", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(bookDisplayName(row.path), row.name);
    }
}

TEST(BookInfo, tooltip_reportsSpreadCharactersBookCharactersAndPages)
{
    struct Row
    {
        int64_t entries;
        std::string tooltip;
    };
    // 95 entries at L = 10 give 10 pages, 100 entries 11: the count uses Int(E/L) + 1.
    const Row rows[] = {
        {95, "您正在看《abc》,这一页有 812个字,本书共有 940个字, 10页."},
        {100, "您正在看《abc》,这一页有 812个字,本书共有 990个字, 11页."},
        {1, "您正在看《abc》,这一页有 812个字,本书共有 0个字, 1页."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.entries);
        ReaderState state = book(row.entries - 1, 10);
        state.bookPath = "D:\\novels\\abc.txt";
        state.spreadCharCount = 812;
        EXPECT_EQ(bookInfoTooltip(state), row.tooltip);
    }
}

// The counts of a book whose rest is still being read would be those of its first part.
TEST(BookInfo, tooltipWhileTheRestIsRead_saysTheCountsAreComing)
{
    ReaderState state = book(94, 10);
    state.bookPath = "/novels/abc.txt";
    state.spreadCharCount = 812;
    state.partialShown = true;
    EXPECT_EQ(bookInfoTooltip(state),
              "您正在看《abc》,这一页有 812个字,全书的字数和页数还在计算中.");
    EXPECT_EQ(bookInfoTooltipWithPlace(state, "第一回"),
              bookInfoTooltip(state) + "\n当前章节: 第一回\n已读: 全书的字数和页数还在计算中");
}

TEST(BookInfo, tooltipWithEmptyLineListAndNoLinesPerPage_reportsZeroCharacters)
{
    ReaderState state;
    state.lineEnds.clear();
    state.linesPerPage = 0;
    EXPECT_EQ(bookInfoTooltip(state), "您正在看《》,这一页有 0个字,本书共有 0个字, 1页.");
}

} // namespace
} // namespace tibbo::core
