#include "settings/pagelayoutcheck.h"

#include <gtest/gtest.h>

#include <limits>

namespace tibbo::core {
namespace {

// The default window (794 x 488 px) with a 14 px line of 14 px characters.
constexpr PageFigures kPage{794, 488, 14, 14};
constexpr PageSpacing kDefaults{5, 10, 20, 40, 20};

PageSpacing with(double PageSpacing::*field, double value)
{
    PageSpacing s = kDefaults;
    s.*field = value;
    return s;
}

// The settings panel took any value: a left margin of 500 swapped the two columns, a
// line spacing of -16 drew 458 lines a page on top of each other, and a top margin of
// -1E+12 sized tens of millions of line labels.
TEST(PageLayoutCheck, valuesThatLeaveNoPage_areRefused)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Row
    {
        const char *name;
        PageFigures page;
        PageSpacing spacing;
        PageLayoutProblem problem;
    };
    const Row rows[] = {
        {"defaults", kPage, kDefaults, PageLayoutProblem::None},
        {"negative margin within reason", kPage, with(&PageSpacing::rightMargin, -3),
         PageLayoutProblem::None},
        {"top margin -1E+12", kPage, with(&PageSpacing::topMargin, -1e12),
         PageLayoutProblem::OutOfRange},
        {"spacing not a number", kPage, with(&PageSpacing::lineSpacing, inf),
         PageLayoutProblem::OutOfRange},
        {"spacing -16 against a 14 px line", kPage, with(&PageSpacing::lineSpacing, -16),
         PageLayoutProblem::LinesOverlap},
        {"spacing exactly minus the line", kPage, with(&PageSpacing::lineSpacing, -14),
         PageLayoutProblem::LinesOverlap},
        // Rows one pixel closer than a character is wide overlap; at its width they touch.
        {"pitch below a character", kPage,
         with(&PageSpacing::lineSpacing, kPage.charWidth - kPage.lineHeight - 1),
         PageLayoutProblem::LinesOverlap},
        {"pitch of a character", kPage,
         with(&PageSpacing::lineSpacing, kPage.charWidth - kPage.lineHeight),
         PageLayoutProblem::None},
        // 488 - 10 - 460 = 18 px: one 19 px pitch does not fit.
        {"bottom margin 460", kPage, with(&PageSpacing::bottomMargin, 460),
         PageLayoutProblem::NoRoomForLine},
        {"bottom margin 459: one line", kPage, with(&PageSpacing::bottomMargin, 459),
         PageLayoutProblem::None},
        // 397 - 500 - 20 < 0: the left page would reach into the right one.
        {"left margin 500", kPage, with(&PageSpacing::leftMargin, 500),
         PageLayoutProblem::NoRoomForChar},
        {"room for less than a character", kPage, with(&PageSpacing::leftMargin, 364),
         PageLayoutProblem::NoRoomForChar},
        {"top margin -9000: 500 lines", kPage, with(&PageSpacing::topMargin, -9000),
         PageLayoutProblem::None},
        {"tiny font, huge negative margins", PageFigures{794, 488, 1, 1},
         with(&PageSpacing::topMargin, -9000), PageLayoutProblem::TooManyLines},
        {"characters of a tenth of a pixel", PageFigures{794, 488, 14, 0.1}, kDefaults,
         PageLayoutProblem::TooManyChars},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const PageLayoutCheck check = checkPageLayout(row.page, row.spacing);
        EXPECT_EQ(check.problem, row.problem);
        EXPECT_EQ(pageLayoutMessage(check.problem).empty(), check.fits());
        if (check.fits()) {
            EXPECT_GE(check.linesPerPage, 1);
            EXPECT_LE(check.linesPerPage, kMostLinesPerPage);
            EXPECT_GE(check.charsPerLine, 1);
            EXPECT_LE(check.charsPerLine, kMostCharsPerLine);
        }
    }
}

// Ctrl+= and Ctrl+- step the page font through the quick sizes.
TEST(QuickFontSize, steppedFontSize_goesToTheNextWholePointWithinTheQuickSizes)
{
    struct Case
    {
        const char *name;
        double points;
        bool larger;
        double expected;
    };
    const Case cases[] = {
        {"the default's half point up", 10.5, true, 11},
        {"the default's half point down", 10.5, false, 10},
        {"a whole size up", 11, true, 12},
        {"a whole size down", 11, false, 10},
        {"the largest stays", 30, true, 30},
        {"the smallest stays", 6, false, 6},
        // settings.ini may hold sizes the menu does not offer.
        {"far above, down", 72, false, 30},
        {"far above, up", 72, true, 30},
        {"far below, up", 2, true, 6},
        {"no number", std::numeric_limits<double>::quiet_NaN(), true, defaults::kFontSize},
    };
    for (const Case &c : cases)
        EXPECT_EQ(steppedFontSize(c.points, c.larger), c.expected) << c.name;
}

} // namespace
} // namespace tibbo::core
