#include "pages/pages.h"

#include "state/readerstate.h"

#include <algorithm>

namespace tibbo::core {

namespace {

int64_t spreadLines(int64_t linesPerPage)
{
    return 2 * pageDivisor(linesPerPage);
}

} // namespace

int64_t pageDivisor(int64_t linesPerPage)
{
    return linesPerPage > 0 ? linesPerPage : 1;
}

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t pageOfLine(int64_t line, int64_t linesPerPage)
{
    return floorDiv(line - 1, pageDivisor(linesPerPage)) + 1;
}

int64_t spreadOfLine(int64_t line, int64_t linesPerPage)
{
    return floorDiv(line - 1, spreadLines(linesPerPage));
}

int64_t labelOfLine(int64_t line, int64_t linesPerPage)
{
    return (line - 1) - spreadLines(linesPerPage) * spreadOfLine(line, linesPerPage);
}

int64_t spreadStartOfLine(int64_t line, int64_t linesPerPage)
{
    return spreadLines(linesPerPage) * spreadOfLine(line, linesPerPage) + 1;
}

int64_t spreadStartOfPage(int64_t page, int64_t linesPerPage)
{
    return spreadLines(linesPerPage) * floorDiv(page - 1, 2) + 1;
}

int64_t lastSpreadStart(int64_t entryCount, int64_t linesPerPage)
{
    const int64_t lines = entryCount - 1;
    return lines < 1 ? 1 : spreadStartOfLine(lines, linesPerPage);
}

int64_t lastSpreadTop(const ReaderState &state)
{
    return lastSpreadStart(state.entryCount(), state.linesPerPage);
}

int64_t spreadToShowLine(int64_t line, int64_t entryCount, int64_t linesPerPage)
{
    return std::min(spreadStartOfLine(line, linesPerPage),
                    lastSpreadStart(entryCount, linesPerPage));
}

int64_t promptPageCount(int64_t entryCount, int64_t linesPerPage)
{
    return 1 + floorDiv(entryCount, pageDivisor(linesPerPage));
}

int64_t lineHolding(const LineList &ends, int64_t offset)
{
    const auto lines = static_cast<int64_t>(ends.size()) - 1;
    if (lines < 1)
        return 1;
    const auto it = std::upper_bound(ends.begin(), ends.end(), offset);
    return std::clamp<int64_t>(it - ends.begin(), 1, lines);
}

int64_t pageOfOffset(const LineList &ends, int64_t offset, int64_t linesPerPage)
{
    return pageOfLine(lineHolding(ends, offset), linesPerPage);
}

int64_t spreadOfOffset(const ReaderState &state, int64_t offset)
{
    if (state.lineCount() < 1)
        return 1;
    return spreadToShowLine(lineHolding(state.lineEnds, offset), state.entryCount(),
                            state.linesPerPage);
}

int64_t spreadOnShow(const ReaderState &state)
{
    return spreadOfLine(state.topLine, state.linesPerPage);
}

CharacterRange charactersOnShow(const ReaderState &state)
{
    const auto endOfLine = [&state](int64_t line) {
        return state.lineEnds[static_cast<size_t>(std::clamp<int64_t>(line, 0, state.lineCount()))];
    };
    const int64_t first = state.topLine - 1;
    return {endOfLine(first), endOfLine(first + spreadLines(state.linesPerPage))};
}

int64_t lastOffsetOnShow(const ReaderState &state)
{
    const int64_t lines = state.lineCount();
    if (lines < 1)
        return -1;
    const int64_t first = std::clamp<int64_t>(state.topLine, 1, lastSpreadTop(state)) - 1;
    const int64_t past = std::min(first + spreadLines(state.linesPerPage), lines);
    return state.lineEnds[static_cast<size_t>(past)] - 1;
}

} // namespace tibbo::core
