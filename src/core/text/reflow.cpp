#include "text/reflow.h"

#include "state/readerstate.h"

#include <algorithm>
#include <utility>

namespace tibbo::core {

LineCutter::LineCutter(const BookText &text, int64_t charsPerLine, CutRules rules)
    : m_text(text), m_width(charsPerLine < 1 ? 1 : charsPerLine), m_rules(std::move(rules))
{
    // A rough guess of the line count saves most reallocations on a large book.
    m_ends.reserve(text.size() / static_cast<size_t>(m_width) + text.size() / 200 + 2);
}

bool LineCutter::cut(int64_t budget)
{
    const int64_t n = textEnd();
    const int64_t stop = std::min(n, m_pos + std::max<int64_t>(budget, 1));
    // A whole book cut at once lets the pages it has cut go as it goes.
    PagesBehind behind(m_text, static_cast<size_t>(m_pos));
    if (m_rules.fine) {
        m_text.visit([&](auto whole) {
            const auto text = whole.substr(0, static_cast<size_t>(n));
            int64_t breakBefore = nextLineStart();
            while (m_pos < stop) {
                if (breakBefore <= m_pos)
                    breakBefore = nextLineStart();
                m_pos = fineLineEnd(text, m_pos, m_width, breakBefore);
                m_ends.push_back(static_cast<LineEnd>(m_pos));
                behind.passed(static_cast<size_t>(m_pos));
            }
        });
        return done();
    }
    m_text.visit([&](auto text) {
        const auto *data = text.data();
        while (m_pos < stop) {
            behind.passed(static_cast<size_t>(m_pos));
            const int64_t limit = std::min(n, m_pos + m_width);
            const auto *mark = std::find(data + m_pos, data + limit, kParagraphMark);
            const int64_t end = mark != data + limit ? (mark - data) + 1 : limit;
            m_ends.push_back(static_cast<LineEnd>(end));
            m_pos = end;
        }
    });
    return done();
}

void LineCutter::addHeadingStarts(const std::vector<int64_t> &starts)
{
    m_rules.lineStarts.insert(m_rules.lineStarts.end(), starts.begin(), starts.end());
}

void LineCutter::handEndsTo(LineList &list)
{
    list.insert(list.end(), m_ends.begin(), m_ends.end());
    m_ends.clear();
}

int64_t LineCutter::nextLineStart()
{
    const auto &starts = m_rules.lineStarts;
    return m_text.visit([&](auto whole) {
        const auto text = whole.substr(0, static_cast<size_t>(textEnd()));
        while (m_nextLineStart < starts.size() &&
               (starts[m_nextLineStart] <= m_pos || opensParagraph(text, starts[m_nextLineStart])))
            ++m_nextLineStart;
        return m_nextLineStart < starts.size()
                   ? std::min(starts[m_nextLineStart], static_cast<int64_t>(text.size()))
                   : static_cast<int64_t>(text.size());
    });
}

double LineCutter::progress() const
{
    return m_text.empty() ? 1.0 : static_cast<double>(m_pos) / static_cast<double>(m_text.size());
}

LineList cutLines(const BookText &text, int64_t charsPerLine, const CutRules &rules)
{
    LineCutter cutter(text, charsPerLine, rules);
    cutter.cut(static_cast<int64_t>(text.size()));
    return cutter.takeEnds();
}

bool lineListMatchesCapacity(const ReaderState &state, const CutRules &rules)
{
    const auto &ends = state.lineEnds;
    const int64_t width = std::max<int64_t>(state.charsPerLine, 1);
    if (!state.lineEndsFitText() || ends.size() < 2)
        return false;
    if (rules.fine)
        return ends == cutLines(state.paragraphText, width, rules);
    return state.paragraphText.visit([&](auto text) {
        PagesBehind behind(state.paragraphText);
        for (size_t k = 1; k < ends.size(); ++k) {
            const int64_t start = ends[k - 1], end = ends[k];
            behind.passed(static_cast<size_t>(start));
            const int64_t length = end - start;
            const bool closesParagraph = text[static_cast<size_t>(end - 1)] == kParagraphMark;
            const bool last = k + 1 == ends.size();
            if (length > width || (!closesParagraph && !last && length != width))
                return false;
            // A mark inside the line would have ended it there.
            const auto *first = text.data() + start;
            if (std::find(first, first + length - 1, kParagraphMark) != first + length - 1)
                return false;
        }
        return true;
    });
}

} // namespace tibbo::core
