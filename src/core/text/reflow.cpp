#include "text/reflow.h"

#include "bookmarks/anchors.h"
#include "navigation/navigation.h"
#include "state/readerstate.h"

#include <algorithm>
#include <optional>
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
    const auto n = static_cast<int64_t>(m_text.size());
    const int64_t stop = std::min(n, m_pos + std::max<int64_t>(budget, 1));
    if (m_rules.fine) {
        m_text.visit([&](auto text) {
            int64_t breakBefore = nextHeadingBreak();
            while (m_pos < stop) {
                if (breakBefore <= m_pos)
                    breakBefore = nextHeadingBreak();
                m_pos = fineLineEnd(text, m_pos, m_width, breakBefore);
                m_ends.push_back(static_cast<LineEnd>(m_pos));
            }
        });
        return done();
    }
    m_text.visit([&](auto text) {
        const auto *data = text.data();
        while (m_pos < stop) {
            const int64_t limit = std::min(n, m_pos + m_width);
            const auto *mark = std::find(data + m_pos, data + limit, kParagraphMark);
            const int64_t end = mark != data + limit ? (mark - data) + 1 : limit;
            m_ends.push_back(static_cast<LineEnd>(end));
            m_pos = end;
        }
    });
    return done();
}

int64_t LineCutter::nextHeadingBreak()
{
    const auto &starts = m_rules.headingStarts;
    return m_text.visit([&](auto text) {
        while (m_nextHeading < starts.size() &&
               (starts[m_nextHeading] <= m_pos || opensParagraph(text, starts[m_nextHeading])))
            ++m_nextHeading;
        return m_nextHeading < starts.size()
                   ? std::min(starts[m_nextHeading], static_cast<int64_t>(text.size()))
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
        for (size_t k = 1; k < ends.size(); ++k) {
            const int64_t start = ends[k - 1], end = ends[k];
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

int64_t lineHolding(const LineList &ends, int64_t offset)
{
    const auto lines = static_cast<int64_t>(ends.size()) - 1;
    if (lines < 1)
        return 1;
    const auto it = std::upper_bound(ends.begin(), ends.end(), offset);
    const auto k = static_cast<int64_t>(it - ends.begin());
    return std::clamp<int64_t>(k, 1, lines);
}

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
    const int64_t spread = 2 * pageDivisor(state.linesPerPage);
    const std::optional<int64_t> offset = placeBeforeReflow(state, newEnds);
    const int64_t newLastSpread =
        lastSpreadStart(static_cast<int64_t>(newEnds.size()), state.linesPerPage);
    if (offset) {
        const int64_t line = lineHolding(newEnds, *offset);
        state.topLine = std::min(spread * ((line - 1) / spread) + 1, newLastSpread);
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
