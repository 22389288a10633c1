#include "navigation/chaptermoves.h"

#include "pages/pages.h"

#include <algorithm>

namespace tibbo::core {

int64_t currentChapter(const ReaderState &state, const std::vector<Chapter> &chapters)
{
    const int64_t last = lastOffsetOnShow(state);
    return last < 0 ? -1 : chapterAt(chapters, last);
}

std::optional<int64_t> nextChapterSpread(const ReaderState &state,
                                         const std::vector<Chapter> &chapters)
{
    const auto next = static_cast<size_t>(chapterAt(chapters, lastOffsetOnShow(state)) + 1);
    if (next >= chapters.size())
        return std::nullopt;
    return spreadOfOffset(state, chapters[next].offset);
}

std::optional<int64_t> previousChapterSpread(const ReaderState &state,
                                             const std::vector<Chapter> &chapters)
{
    const int64_t shown = std::clamp<int64_t>(state.topLine, 1, lastSpreadTop(state));
    for (int64_t k = currentChapter(state, chapters); k >= 0; --k) {
        const int64_t spread = spreadOfOffset(state, chapters[static_cast<size_t>(k)].offset);
        if (spread < shown)
            return spread;
    }
    return std::nullopt;
}

} // namespace tibbo::core
