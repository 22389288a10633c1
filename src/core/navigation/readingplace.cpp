#include "navigation/readingplace.h"

#include "bookmarks/anchors.h"
#include "pages/pages.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace tibbo::core {

namespace {

// The character the reader is at, in the current text, before the new list is installed.
// Nothing when nothing has been shown yet (topLine + selectedLine < 1).
std::optional<int64_t> placeBeforeReflow(const ReaderState &state, const LineList &newEnds)
{
    const auto &kept = state.readingPlace;
    if (kept && kept->textVersion == state.textVersion && kept->topLine == state.topLine &&
        kept->selectedLine == state.selectedLine)
        return kept->offset;
    const int64_t n = state.topLine + state.selectedLine;
    if (n < 1)
        return std::nullopt;
    // A line number beyond the list is taken as its last line.
    if (state.lineEndsFitText() && state.lineCount() >= 1)
        return state.lineEnds[static_cast<size_t>(std::min(n, state.lineCount()) - 1)];
    // A list restored for another text: the line number is kept as it is.
    const auto lines = static_cast<int64_t>(newEnds.size()) - 1;
    return lines >= 1 ? newEnds[static_cast<size_t>(std::min(n, lines) - 1)] : 0;
}

// Puts the reader on the new list at the character they were at, and the bookmarks with
// their anchors.
void placeReader(ReaderState &state, const LineList &newEnds)
{
    const std::optional<int64_t> offset = placeBeforeReflow(state, newEnds);
    if (offset) {
        state.topLine = spreadToShowLine(lineHolding(newEnds, *offset),
                                         static_cast<int64_t>(newEnds.size()), state.linesPerPage);
    } else {
        state.topLine = 1;
    }
    state.readingPlace =
        ReadingPlace{offset.value_or(0), state.topLine, state.selectedLine, state.textVersion};

    reanchorBookmarks(state.bookmarks, newEnds);
}

} // namespace

void applyReflow(ReaderState &state, LineList newEnds)
{
    placeReader(state, newEnds);
    state.lineEnds = std::move(newEnds);
    state.lineEndsVersion = state.textVersion;
}

void keepLineList(ReaderState &state)
{
    placeReader(state, state.lineEnds);
    state.lineEndsVersion = state.textVersion;
}

} // namespace tibbo::core
