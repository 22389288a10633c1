#pragma once
// The check of proposed page margins and line spacing, before they are applied or saved:
// the page must keep room for at least one line of at least one character, lines must
// not run into each other, and neither count may grow so large that the page needs
// more line labels than the window can sensibly make.

#include "state/defaults.h"

#include <cstdint>
#include <string_view>

namespace tibbo::core {

inline constexpr int64_t kMostLinesPerPage = 1000;
inline constexpr int64_t kMostCharsPerLine = 1000;

// What the window knows of the page, in pixels: its inner size (both pages together,
// as the line capacity takes it), the page font's line height and the width of one
// "发" in it.
struct PageFigures
{
    double windowWidth = 0;
    double windowHeight = 0;
    double lineHeight = 0;
    double charWidth = 0;
};

enum class PageLayoutProblem {
    None,
    OutOfRange,    // a value is no finite number or lies beyond +-10000
    LinesOverlap,  // line height + spacing is less than one character's width
    NoRoomForLine, // top and bottom margins leave less than one line
    NoRoomForChar, // left and right margins leave less than one character a line
    TooManyLines,  // more than kMostLinesPerPage lines a page
    TooManyChars,  // more than kMostCharsPerLine characters a line
};

struct PageLayoutCheck
{
    PageLayoutProblem problem = PageLayoutProblem::None;
    // The counts the values give (0 where the check stopped before them): lines a page
    // Int((height - top - bottom) / (line height + spacing)), characters a line
    // Int((width / 2 - left - right) / char width).
    int64_t linesPerPage = 0;
    int64_t charsPerLine = 0;
    bool fits() const { return problem == PageLayoutProblem::None; }
};

// Checks the values in the order of the problems above and stops at the first one. The
// window calls it when the settings panel is confirmed (refusing values that do not fit,
// with pageLayoutMessage, keeping the old ones and saving nothing) and after settings.ini
// brought page values back (falling back to the defaults when they do not fit this
// window and font).
PageLayoutCheck checkPageLayout(const PageFigures &page, const PageSpacing &spacing);

// The message for a refused layout (Simplified Chinese, UTF-8); empty for None.
std::string_view pageLayoutMessage(PageLayoutProblem problem);

// The quick sizes of the page font, whole points: the size menu offers them, and
// Ctrl+= / Ctrl+- step through them.
inline constexpr int kSmallestQuickSize = 6;
inline constexpr int kLargestQuickSize = 30;

// The page font's size one quick step up (`larger`) or down from `points`: the next whole
// point that way (10.5 goes to 11 or 10), never beyond the quick sizes; a size already
// outside them (settings.ini allows 1 to 200) comes to the nearest one, and one that is
// no number to the default size.
double steppedFontSize(double points, bool larger);

} // namespace tibbo::core
