#include "text/reflow.h"

#include "bookmarks/anchors.h"
#include "state/readerstate.h"

#include <algorithm>

namespace tibbo::core {

LineCutter::LineCutter(std::u32string_view text, int64_t charsPerLine)
    : m_text(text), m_width(charsPerLine < 1 ? 1 : charsPerLine)
{
    // A rough guess of the line count saves most reallocations on a large book.
    m_ends.reserve(text.size() / static_cast<size_t>(m_width) + text.size() / 200 + 2);
}

bool LineCutter::cut(int64_t budget)
{
    const auto n = static_cast<int64_t>(m_text.size());
    const int64_t stop = std::min(n, m_pos + std::max<int64_t>(budget, 1));
    const char32_t *data = m_text.data();
    while (m_pos < stop) {
        const int64_t limit = std::min(n, m_pos + m_width);
        const char32_t *mark = std::find(data + m_pos, data + limit, U'^');
        const int64_t end = mark != data + limit ? (mark - data) + 1 : limit;
        m_ends.push_back(end);
        m_pos = end;
    }
    return done();
}

double LineCutter::progress() const
{
    return m_text.empty() ? 1.0 : static_cast<double>(m_pos) / static_cast<double>(m_text.size());
}

std::vector<int64_t> cutLines(std::u32string_view text, int64_t charsPerLine)
{
    LineCutter cutter(text, charsPerLine);
    cutter.cut(static_cast<int64_t>(text.size()));
    return cutter.takeEnds();
}

int64_t lineHolding(const std::vector<int64_t> &ends, int64_t offset)
{
    const auto lines = static_cast<int64_t>(ends.size()) - 1;
    if (lines < 1)
        return 1;
    const auto it = std::upper_bound(ends.begin(), ends.end(), offset);
    const auto k = static_cast<int64_t>(it - ends.begin());
    return std::clamp<int64_t>(k, 1, lines);
}

void applyReflow(ReaderState &state, std::vector<int64_t> newEnds)
{
    const int64_t spread = 2 * std::max<int64_t>(state.linesPerPage, 1);
    const int64_t n = state.topLine + state.selectedLine;
    int64_t line = n;
    if (n >= 1 && state.lineEndsFitText() && n <= state.lineCount())
        line = lineHolding(newEnds, state.lineEnds[static_cast<size_t>(n - 1)]);
    state.topLine = line >= 1 ? spread * ((line - 1) / spread) + 1 : 1;

    reanchorBookmarks(state.bookmarks, newEnds);
    state.lineEnds = std::move(newEnds);
    state.lineEndsVersion = state.textVersion;
}

} // namespace tibbo::core
