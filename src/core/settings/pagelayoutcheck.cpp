#include "settings/pagelayoutcheck.h"

#include "settings/settingsfile.h"
#include "text/numbers.h"

#include <algorithm>
#include <cmath>

namespace tibbo::core {

namespace {

bool inRange(double value)
{
    return std::isfinite(value) && value >= kPageSpacingRange.low &&
           value <= kPageSpacingRange.high;
}

} // namespace

PageLayoutCheck checkPageLayout(const PageFigures &page, const PageSpacing &spacing)
{
    PageLayoutCheck check;
    for (const double value : {spacing.lineSpacing, spacing.topMargin, spacing.bottomMargin,
                               spacing.leftMargin, spacing.rightMargin})
        if (!inRange(value)) {
            check.problem = PageLayoutProblem::OutOfRange;
            return check;
        }
    // A Chinese character is about as high as it is wide: rows closer than the width of
    // "发" draw into each other.
    const double pitch = page.lineHeight + spacing.lineSpacing;
    if (!(pitch > 0) || pitch < page.charWidth) {
        check.problem = PageLayoutProblem::LinesOverlap;
        return check;
    }
    // The window's own figures are finite; the division by the pitch and the character
    // width cannot overflow once the spacing values are within range.
    const double lines =
        std::floor((page.windowHeight - spacing.topMargin - spacing.bottomMargin) / pitch);
    if (!(lines >= 1)) {
        check.problem = PageLayoutProblem::NoRoomForLine;
        return check;
    }
    check.linesPerPage = lines > kMostLinesPerPage ? kMostLinesPerPage + 1 : intFloor(lines);
    const double area = page.windowWidth / 2 - spacing.leftMargin - spacing.rightMargin;
    const double chars = page.charWidth > 0 ? std::floor(area / page.charWidth) : 0;
    if (!(chars >= 1)) {
        check.problem = PageLayoutProblem::NoRoomForChar;
        return check;
    }
    check.charsPerLine = chars > kMostCharsPerLine ? kMostCharsPerLine + 1 : intFloor(chars);
    if (check.linesPerPage > kMostLinesPerPage)
        check.problem = PageLayoutProblem::TooManyLines;
    else if (check.charsPerLine > kMostCharsPerLine)
        check.problem = PageLayoutProblem::TooManyChars;
    return check;
}

std::string_view pageLayoutMessage(PageLayoutProblem problem)
{
    switch (problem) {
    case PageLayoutProblem::None:
        return {};
    case PageLayoutProblem::OutOfRange:
        return "页边距和行距要填-10000到10000之间的数.";
    case PageLayoutProblem::LinesOverlap:
        return "行距太小了,行和行会叠在一起,请改大一点.";
    case PageLayoutProblem::NoRoomForLine:
        return "上下页边距太大了,书页上放不下一行字,请改小一点.";
    case PageLayoutProblem::NoRoomForChar:
        return "左右页边距太大了,一行放不下一个字,请改小一点.";
    case PageLayoutProblem::TooManyLines:
        return "这样一页会有上千行,请把页边距或行距改大一点.";
    case PageLayoutProblem::TooManyChars:
        return "这样一行会有上千个字,请把左右页边距改大一点.";
    }
    return {};
}

double steppedFontSize(double points, bool larger)
{
    if (!std::isfinite(points))
        return defaults::kFontSize;
    const double step = larger ? std::floor(points) + 1 : std::ceil(points) - 1;
    return std::clamp(step, double(kSmallestQuickSize), double(kLargestQuickSize));
}

} // namespace tibbo::core
