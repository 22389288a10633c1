// The page arithmetic every part of the reader shares.
#include "pages/pages.h"

#include "corefixtures.h"

#include <gtest/gtest.h>

namespace tibbo::core {
namespace {

TEST(PageArithmetic, limits_followTheLineListEntryCount)
{
    struct Row
    {
        const char *name;
        int64_t entries, linesPerPage, lastSpread, pages;
    };
    // E counts the leading 0 of the line list: the last spread is that of line E - 1,
    // while the page count keeps its Int(E/L) + 1.
    const Row rows[] = {
        {"35 lines", 36, 10, 21, 4},
        {"50 lines", 51, 10, 41, 6},
        {"39 lines: E is a multiple of 2L", 40, 10, 21, 5},
        {"40 lines: a multiple of 2L", 41, 10, 21, 5},
        {"41 lines: one line on the last spread", 42, 10, 41, 5},
        {"no lines", 1, 10, 1, 1},
        {"one line per page", 5, 1, 3, 6},
        {"zero lines per page counts as one", 5, 0, 3, 6},
        {"negative lines per page counts as one", 5, -3, 3, 6},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(lastSpreadStart(row.entries, row.linesPerPage), row.lastSpread);
        EXPECT_EQ(promptPageCount(row.entries, row.linesPerPage), row.pages);
    }
}

TEST(PageArithmetic, spreadStartOfPage_isTheSpreadOfTheOddPageAtOrBelow)
{
    struct Row
    {
        int64_t page;
        int64_t topLine;
    };
    // A fractional page is the prompt's to cut (GoToPage.confirmInSetpage_*).
    const Row rows[] = {{1, 1}, {2, 1}, {3, 21}, {4, 21}, {5, 41}, {12, 101}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.page);
        EXPECT_EQ(spreadStartOfPage(row.page, 10), row.topLine);
    }
}

TEST(LineArithmetic, pageSpreadAndLabel_atPageAndSpreadBoundaries)
{
    struct Row
    {
        int64_t line, page, spread, label;
        bool left;
    };
    // L = 10: the last line of each page and the first of the next.
    const Row rows[] = {
        {1, 1, 0, 0, true},    {10, 1, 0, 9, true}, {11, 2, 0, 10, false},
        {20, 2, 0, 19, false}, {21, 3, 1, 0, true}, {36, 4, 1, 15, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(pageOfLine(row.line, 10), row.page);
        EXPECT_EQ(spreadOfLine(row.line, 10), row.spread);
        EXPECT_EQ(labelOfLine(row.line, 10), row.label);
        EXPECT_EQ(labelOfLine(row.line, 10) < 10, row.left);
    }
}

TEST(LineArithmetic, spreadOnShow_followsTopLine)
{
    EXPECT_EQ(spreadOnShow(test::book(200, 10, 1)), 0);
    EXPECT_EQ(spreadOnShow(test::book(200, 10, 21)), 1);
    EXPECT_EQ(spreadOnShow(test::book(200, 10, 101)), 5);
}

} // namespace
} // namespace tibbo::core
