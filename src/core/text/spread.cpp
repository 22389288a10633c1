#include "text/spread.h"

#include "pages/pages.h"
#include "state/readerstate.h"
#include "text/typesetting.h"

#include <algorithm>

namespace tibbo::core {

Spread buildSpread(const ReaderState &state)
{
    return buildSpread(state, CutRules{});
}

Spread buildSpread(const ReaderState &state, const CutRules &rules)
{
    Spread spread;
    const int64_t perPage = std::max<int64_t>(state.linesPerPage, 1);
    const int64_t rows = 2 * perPage;
    const int64_t first = state.topLine - 1; // 0-based index of the spread's first line
    const int64_t lines = state.lineCount();
    const auto textSize = static_cast<int64_t>(state.paragraphText.size());
    spread.rows.resize(static_cast<size_t>(rows));
    spread.roles.resize(static_cast<size_t>(rows));
    for (int64_t k = 0; k < rows; ++k) {
        const int64_t j = first + k;
        if (j < 0 || j >= lines)
            continue;
        // Clamped, so a line list that does not fit the text never reads past it.
        const int64_t s = std::clamp<int64_t>(state.lineEnds[static_cast<size_t>(j)], 0, textSize);
        const int64_t e =
            std::clamp<int64_t>(state.lineEnds[static_cast<size_t>(j + 1)], s, textSize);
        std::u32string row =
            state.paragraphText.substr(static_cast<size_t>(s), static_cast<size_t>(e - s));
        if (!row.empty() && row.back() == kParagraphMark)
            row.pop_back();
        spread.roles[static_cast<size_t>(k)] = {lineEndsParagraph(state.paragraphText, rules, e),
                                                lineIsHeading(rules, s)};
        spread.charCount += static_cast<int64_t>(row.size());
        spread.rows[static_cast<size_t>(k)] = std::move(row);
    }
    // Int rounds down, also for a topLine before the first line.
    spread.leftPage = pageOfLine(state.topLine, state.linesPerPage);
    spread.bookmarkLabels = bookmarkLabelsOnShow(state);
    return spread;
}

std::vector<int64_t> bookmarkLabelsOnShow(const ReaderState &state)
{
    std::vector<int64_t> labels;
    const int64_t spread = spreadOnShow(state);
    for (const auto &mark : state.bookmarks)
        if (spreadOfLine(mark.line, state.linesPerPage) == spread)
            labels.push_back(labelOfLine(mark.line, state.linesPerPage));
    return labels;
}

std::string pageCaption(int64_t page)
{
    return "第" + std::to_string(page) + "页";
}

} // namespace tibbo::core
