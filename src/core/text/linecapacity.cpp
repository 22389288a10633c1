#include "text/linecapacity.h"

#include "state/readerstate.h"
#include "text/numbers.h"

#include <cmath>

namespace tibbo::core {

namespace {

// Largest n with widthOfRun(n) <= area, so that a full line of "发" ends inside the
// page's text area (a line that merely reached the area would run up to one character
// past it: into the fold on the left page and into the edge strip on the right page
// once a character is wider than the inner margin). Starts from the estimate that one
// character's width gives and corrects it with a few measurements, so a resize costs a
// handful of string measurements instead of one per character. A page narrower than one
// character still gets one a line.
int64_t largestRunWithin(const TextMeasurer &m, double area)
{
    if (!(area > 0))
        return 0;
    const double one = m.widthOfRun(1);
    if (!(one > 0) || one >= area)
        return 1;   // a font without width, or room for at most one character
    int64_t lo = 1; // widthOfRun(lo) <= area
    int64_t hi = static_cast<int64_t>(std::floor(area / one)) + 1;
    // Grow hi until it passes the area (kerning may make long runs narrower).
    while (m.widthOfRun(hi) <= area) {
        lo = hi;
        hi *= 2;
    }
    // The estimate is usually exact or one off: probe just below it before bisecting.
    if (hi - 1 > lo) {
        if (m.widthOfRun(hi - 1) <= area)
            return hi - 1;
        hi = hi - 1;
    }
    while (hi - lo > 1) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (m.widthOfRun(mid) <= area)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

} // namespace

Capacity measureCapacity(const TextMeasurer &measurer, double width, double height,
                         double leftMargin, double rightMargin, double topMargin,
                         double bottomMargin, double lineSpacing)
{
    Capacity c;
    const double area = width / 2 - leftMargin - rightMargin;
    c.charsPerLine = largestRunWithin(measurer, area);
    const double pitch = measurer.lineHeight() + lineSpacing;
    const double usable = height - topMargin - bottomMargin;
    // A window too low for one line, or a pitch of zero or less, still shows one line.
    const int64_t lines = pitch > 0 ? intFloor(usable / pitch) : 1;
    c.linesPerPage = lines < 1 ? 1 : lines;
    return c;
}

void updateCapacity(ReaderState &state, const TextMeasurer &measurer, double width, double height)
{
    state.previousCharsPerLine = state.charsPerLine;
    const Capacity c = measureCapacity(measurer, width, height, state.leftMargin, state.rightMargin,
                                       state.topMargin, state.bottomMargin, state.lineSpacing);
    state.charsPerLine = c.charsPerLine;
    state.linesPerPage = c.linesPerPage;
}

} // namespace tibbo::core
