#include "script/displayspread.h"

#include "state/readerstate.h"

#include <algorithm>

namespace tibbo::core {

void showRowsInScript(Spread &spread, const ReaderState &state, const DisplayText &display)
{
    if (!display.converting())
        return;
    const int64_t first = state.topLine - 1;
    const int64_t lines = state.lineCount();
    const auto textSize = static_cast<int64_t>(state.paragraphText.size());
    for (size_t k = 0; k < spread.rows.size(); ++k) {
        const int64_t j = first + static_cast<int64_t>(k);
        if (j < 0 || j >= lines)
            continue;
        const int64_t s = std::clamp<int64_t>(state.lineEnds[static_cast<size_t>(j)], 0, textSize);
        const int64_t e =
            std::clamp<int64_t>(state.lineEnds[static_cast<size_t>(j + 1)], s, textSize);
        std::u32string row = display.displayOf(s, e);
        if (!row.empty() && row.back() == kParagraphMark)
            row.pop_back();
        spread.rows[k] = std::move(row);
    }
}

void showRunsInScript(std::vector<RowRun> &runs, const ReaderState &state,
                      const DisplayText &display)
{
    if (!display.converting())
        return;
    const int64_t lines = state.lineCount();
    const auto textSize = static_cast<int64_t>(state.paragraphText.size());
    for (RowRun &run : runs) {
        const int64_t j = state.topLine - 1 + run.row;
        if (j < 0 || j >= lines)
            continue;
        const int64_t s = std::clamp<int64_t>(state.lineEnds[static_cast<size_t>(j)], 0, textSize);
        const int64_t first = display.columnOf(s, s + run.firstColumn);
        const int64_t past = display.columnOf(s, s + run.firstColumn + run.columns);
        run.firstColumn = first;
        run.columns = std::max<int64_t>(past - first, 1);
    }
}

} // namespace tibbo::core
