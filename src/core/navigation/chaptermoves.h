#pragma once
// Moving by the book's chapters: the chapter of the spread on show, and the spreads of the
// previous and next headings.

#include "state/readerstate.h"
#include "text/headings.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tibbo::core {

// The chapter of the spread on show: the last one whose heading stands on or before it,
// so a spread that holds a heading belongs to that chapter (the chapter of the last
// character on show). -1 before the first heading or without chapters.
int64_t currentChapter(const ReaderState &state, const std::vector<Chapter> &chapters);

// topLine of the spread holding the first heading after the spread on show; nothing when
// no heading follows it.
std::optional<int64_t> nextChapterSpread(const ReaderState &state,
                                         const std::vector<Chapter> &chapters);

// topLine of the spread holding the current chapter's heading when that lies before the
// spread on show; when the spread on show holds it, the spread of the nearest heading on
// an earlier spread. Nothing when there is none.
std::optional<int64_t> previousChapterSpread(const ReaderState &state,
                                             const std::vector<Chapter> &chapters);

} // namespace tibbo::core
