#include "corefixtures.h"

#include "navigation/bookinfo.h"
#include "navigation/prompt.h"

#include <gtest/gtest.h>

#include <string>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

TEST(Progress, spreadOnShow_givesTheShareOfCharactersBeforeIt)
{
    struct Row
    {
        const char *name;
        int64_t lines, linesPerPage, topLine;
        double percent;
    };
    // 10 characters a line.
    const Row rows[] = {
        {"first spread", 80, 10, 1, 0},
        {"second spread of four", 80, 10, 21, 25},
        {"last spread, exactly full", 80, 10, 61, 75},
        {"last spread, partial", 70, 10, 61, 60 * 100.0 / 70},
        {"past the last spread: counted as it", 70, 10, 81, 60 * 100.0 / 70},
        {"topLine 0 before the first re-flow", 70, 10, 0, 0},
        {"book without lines", 0, 10, 1, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(progressPercent(book(row.lines, row.linesPerPage, row.topLine)),
                         row.percent);
    }
}

TEST(Progress, caption_cutsToOneDecimalAndNeverRoundsUp)
{
    const std::pair<double, const char *> rows[] = {
        {0, "0%"},        {37.5, "37.5%"}, {37.0, "37%"}, {37.46, "37.4%"},
        {99.99, "99.9%"}, {100, "100%"},   {-3, "0%"},    {0.05, "0%"},
        {12.3, "12.3%"},  {57.1, "57.1%"}, {120, "100%"},
    };
    for (const auto &[percent, caption] : rows) {
        SCOPED_TRACE(percent);
        EXPECT_EQ(progressCaption(percent), caption);
    }
}

TEST(GoToPage, percentAnswer_showsTheSpreadHoldingThatShareOfTheText)
{
    struct Row
    {
        std::string text;
        PromptOutcome outcome;
        int64_t topLine;
    };
    // 35 lines of 10 characters at L = 10 (spreads at 1, 21; the prompt starts at 41,
    // past the text). 350 characters: 60% is character 210, on line 22.
    const Row rows[] = {
        {"60%", PromptOutcome::PageShown, 21},
        {"57.1%", PromptOutcome::PageShown, 1}, // character 199, line 20
        {"57.2%", PromptOutcome::PageShown, 21},
        {" 60 % ", PromptOutcome::PageShown, 21},
        {"60％", PromptOutcome::PageShown, 21},
        {"0%", PromptOutcome::PageShown, 1},
        {"100%", PromptOutcome::PageShown, 21}, // the last character, not past it
        {"100.5%", PromptOutcome::PageOutOfRange, 41},
        {"-5%", PromptOutcome::PageOutOfRange, 41},
        {"%", PromptOutcome::PageOutOfRange, 41},
        {"abc%", PromptOutcome::PageOutOfRange, 41},
        {"1.2.3%", PromptOutcome::PageOutOfRange, 41},
        {"4 %x", PromptOutcome::PageShown, 21}, // not a share: page 4
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        ReaderState state = book(35, 10, 41);
        state.promptMode = PromptMode::GoToPage;
        EXPECT_EQ(confirmPrompt(state, row.text), row.outcome);
        EXPECT_EQ(state.topLine, row.topLine);
    }
}

TEST(GoToPage, percentAnswerInSettime_isAnIntervalAsBefore)
{
    ReaderState state = book(35, 10, 41);
    state.promptMode = PromptMode::Interval;
    EXPECT_EQ(confirmPrompt(state, "37%"), PromptOutcome::IntervalStored);
    EXPECT_EQ(state.autoTurnSeconds, 37);
    EXPECT_EQ(state.topLine, 41);
}

TEST(BookInfo, tooltipWithPlace_appendsChapterAndShareReadToTheTooltip)
{
    ReaderState state = book(80, 10, 21);
    state.bookPath = "/books/xiyouji.txt";
    const std::string base = bookInfoTooltip(state);
    EXPECT_EQ(bookInfoTooltipWithPlace(state, "第三回　四海千山皆拱伏"),
              base + "\n当前章节: 第三回　四海千山皆拱伏\n已读: 25%");
    EXPECT_EQ(bookInfoTooltipWithPlace(state, ""), base + "\n已读: 25%");
}

} // namespace
} // namespace tibbo::core
