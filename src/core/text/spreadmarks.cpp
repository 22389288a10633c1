#include "text/spreadmarks.h"

#include "state/readerstate.h"

#include <algorithm>

namespace tibbo::core {

std::vector<RowRun> rowRunsOnShow(const ReaderState &state, int64_t from, int64_t to)
{
    std::vector<RowRun> runs;
    const int64_t rows = 2 * std::max<int64_t>(state.linesPerPage, 1);
    const int64_t lines = state.lineCount();
    const auto textSize = static_cast<int64_t>(state.paragraphText.size());
    for (int64_t k = 0; k < rows; ++k) {
        const int64_t j = state.topLine - 1 + k;
        if (j < 0 || j >= lines)
            continue;
        // As the spread cuts its rows: kept within the text, the closing mark not shown.
        const int64_t s = std::clamp<int64_t>(state.lineEnds[static_cast<size_t>(j)], 0, textSize);
        int64_t e = std::clamp<int64_t>(state.lineEnds[static_cast<size_t>(j + 1)], s, textSize);
        if (e > s && state.paragraphText[static_cast<size_t>(e - 1)] == kParagraphMark)
            --e;
        const int64_t first = std::max(from, s);
        const int64_t past = std::min(to, e);
        if (first < past)
            runs.push_back({k, first - s, past - first});
    }
    return runs;
}

} // namespace tibbo::core
