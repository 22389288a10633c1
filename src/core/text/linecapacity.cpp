#include "text/linecapacity.h"

#include "state/readerstate.h"
#include "text/numbers.h"

#include <cmath>

namespace tibbo::core {

namespace {

// Smallest n with widthOfRun(n) >= area. Starts from the estimate that one character's
// width gives and corrects it with a few measurements, so a resize costs a handful of
// string measurements instead of one per character.
int64_t smallestRunReaching(const TextMeasurer &m, double area)
{
    if (!(area > 0))
        return 0;
    const double one = m.widthOfRun(1);
    if (one >= area)
        return 1;
    if (!(one > 0))
        return 1;   // a font without width: every count is "wide enough" only at 1
    int64_t lo = 1; // widthOfRun(lo) < area
    int64_t hi = std::max<int64_t>(2, static_cast<int64_t>(std::ceil(area / one)));
    // Grow hi until it reaches the area (kerning may make long runs narrower).
    while (m.widthOfRun(hi) < area) {
        lo = hi;
        hi *= 2;
    }
    // The estimate is usually exact or one off: probe just below it before bisecting.
    if (hi - 1 > lo) {
        if (m.widthOfRun(hi - 1) < area)
            return hi;
        hi = hi - 1;
    }
    while (hi - lo > 1) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (m.widthOfRun(mid) >= area)
            hi = mid;
        else
            lo = mid;
    }
    return hi;
}

} // namespace

Capacity measureCapacity(const TextMeasurer &measurer, double width, double height,
                         double leftMargin, double rightMargin, double topMargin,
                         double bottomMargin, double lineSpacing)
{
    Capacity c;
    const double area = width / 2 - leftMargin - rightMargin;
    c.charsPerLine = smallestRunReaching(measurer, area);
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
