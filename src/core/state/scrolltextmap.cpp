#include "state/scrolltextmap.h"

#include <algorithm>
#include <utility>

namespace tibbo::core {

namespace {

// The paragraph marks among characters from .. to, counted a stretch at a time so the
// pages counted can go.
int64_t marksIn(const BookText &text, size_t from, size_t to)
{
    constexpr size_t kStretch = size_t{1} << 20;
    int64_t marks = 0;
    text.visit([&](auto units) {
        PagesBehind behind(text, from);
        for (size_t at = from; at < to;) {
            const size_t end = std::min(to, at + kStretch);
            marks += std::count(units.begin() + static_cast<std::ptrdiff_t>(at),
                                units.begin() + static_cast<std::ptrdiff_t>(end), kParagraphMark);
            at = end;
            behind.passed(at);
        }
    });
    return marks;
}

} // namespace

void ScrollTextMap::insertCharacter(int64_t at, char32_t lineEndCharacter)
{
    // A CR and an LF put in at one offset are one CR LF.
    if (lineEndCharacter == U'\n' && !m_inserts.empty() && m_inserts.back() == pack(at, kCr)) {
        m_inserts.back() = pack(at, kCrLf);
        return;
    }
    m_inserts.push_back(pack(at, lineEndCharacter == U'\r' ? kCr : kLf));
}

void ScrollTextMap::clear()
{
    m_inserts = {};
    m_keptMarks = {};
}

// One walk over both texts. Where they hold the same character both move on (a '^'
// there is the book's own); a CR or LF of the scroll text that the paragraph text does
// not hold is put in; a '^' of the paragraph text that the scroll text does not hold is
// a paragraph mark and is taken out. Replaying these steps gives the scroll text back.
//
// One choice is not local: an LF of the scroll text may be put in or be the book's own
// LF, which may stand after paragraph marks (a trimmed line that starts with a lone LF:
// "^\n" against "\r\n\n"). The line ends the loaders put in are CR LF pairs or lie
// where the paragraph text holds no LF, so an LF that ends a CR put in is put in too,
// and any other LF is the book's own when the paragraph text has one after its marks.
bool ScrollTextMap::Matcher::feed(std::u32string_view piece)
{
    if (m_failed)
        return false;
    // The paragraph text matched so far need not stay in memory.
    if (m_p >= m_released + kReleaseStretch) {
        m_paragraph.release(m_released, m_p);
        m_released = m_p;
    }
    const size_t n = m_paragraph.size();
    for (const char32_t s : piece) {
        if (std::exchange(m_afterInsertedCr, false) && s == U'\n') {
            m_map.insertCharacter(static_cast<int64_t>(m_p), s);
            continue;
        }
        for (;;) {
            const bool more = m_p < n;
            const char32_t p = more ? m_paragraph[m_p] : 0;
            if (more && s == p) {
                if (p == kParagraphMark)
                    m_map.keepMark(static_cast<int64_t>(m_p));
                ++m_p;
                break;
            }
            if (s == U'\n' && p == kParagraphMark) {
                const size_t after = afterMarks();
                if (after < n && m_paragraph[after] == U'\n') {
                    m_p = after + 1;
                    break;
                }
            }
            if (s == U'\r' || s == U'\n') {
                m_map.insertCharacter(static_cast<int64_t>(m_p), s);
                m_afterInsertedCr = s == U'\r';
                break;
            }
            if (more && p == kParagraphMark) {
                ++m_p;
                continue;
            }
            m_failed = true;
            return false;
        }
    }
    return true;
}

// The first offset from m_p on that holds no paragraph mark. Remembered for the run of
// marks it was asked in, so a long run is walked once however many LFs ask.
size_t ScrollTextMap::Matcher::afterMarks()
{
    if (m_p < m_marksFrom || m_p > m_marksEnd) {
        m_marksFrom = m_p;
        m_marksEnd = m_p;
        while (m_marksEnd < m_paragraph.size() && m_paragraph[m_marksEnd] == kParagraphMark)
            ++m_marksEnd;
    }
    return m_marksEnd;
}

std::optional<ScrollTextMap> ScrollTextMap::Matcher::finish()
{
    // Marks after the last character of the scroll text are taken out too.
    while (!m_failed && m_p < m_paragraph.size() && m_paragraph[m_p] == kParagraphMark)
        ++m_p;
    m_paragraph.release(m_released, m_p);
    if (m_failed || m_p != m_paragraph.size())
        return std::nullopt;
    return std::move(m_map);
}

std::optional<ScrollTextMap> ScrollTextMap::match(std::u32string_view scrollText,
                                                  const BookText &paragraphText)
{
    Matcher matcher(paragraphText);
    matcher.feed(scrollText);
    return matcher.finish();
}

ScrollTextMap ScrollTextMap::onePerParagraph(const BookText &paragraphText)
{
    ScrollTextMap map;
    const auto n = static_cast<int64_t>(paragraphText.size());
    paragraphText.visit([&](auto text) {
        PagesBehind behind(paragraphText);
        for (int64_t i = 0; i < n; ++i)
            if (text[static_cast<size_t>(i)] == kParagraphMark) {
                map.insertLineEnd(i);
                behind.passed(static_cast<size_t>(i));
            }
    });
    if (n > 0 && paragraphText[static_cast<size_t>(n - 1)] != kParagraphMark)
        map.insertLineEnd(n);
    return map;
}

void ScrollTextMap::forEachPiece(const BookText &paragraphText, size_t pieceSize,
                                 const std::function<void(std::u32string_view)> &piece) const
{
    std::u32string out;
    out.reserve(pieceSize + 8);
    size_t insert = 0, kept = 0;
    const size_t n = paragraphText.size();
    const auto putInsertsAt = [&](size_t at) {
        while (insert < m_inserts.size() && (m_inserts[insert] >> 2) == at) {
            switch (m_inserts[insert] & 3) {
            case kCr:
                out += U'\r';
                break;
            case kLf:
                out += U'\n';
                break;
            default:
                out += U"\r\n";
                break;
            }
            ++insert;
        }
    };
    paragraphText.visit([&](auto text) {
        PagesBehind behind(paragraphText);
        for (size_t i = 0; i < n; ++i) {
            putInsertsAt(i);
            const char32_t c = text[i];
            if (c != kParagraphMark)
                out += c;
            else if (kept < m_keptMarks.size() && static_cast<size_t>(m_keptMarks[kept]) == i) {
                out += c;
                ++kept;
            }
            if (out.size() >= pieceSize) {
                piece(out);
                out.clear();
                behind.passed(i);
            }
        }
    });
    putInsertsAt(n);
    piece(out);
}

std::u32string ScrollTextMap::scrollText(const BookText &paragraphText) const
{
    std::u32string whole;
    whole.reserve(static_cast<size_t>(scrollLength(paragraphText)));
    forEachPiece(paragraphText, 1 << 16, [&](std::u32string_view piece) { whole += piece; });
    return whole;
}

BookText ScrollTextMap::scrollBookText(const BookText &paragraphText) const
{
    BookText whole;
    whole.reserve(static_cast<size_t>(scrollLength(paragraphText)));
    forEachPiece(paragraphText, 1 << 16, [&](std::u32string_view piece) { whole.append(piece); });
    return whole;
}

std::vector<int64_t> ScrollTextMap::lineStarts() const
{
    std::vector<int64_t> starts;
    starts.reserve(m_inserts.size());
    for (const uint32_t e : m_inserts) {
        const int64_t at = e >> 2;
        if (starts.empty() || starts.back() != at)
            starts.push_back(at);
    }
    return starts;
}

int64_t ScrollTextMap::scrollLength(const BookText &paragraphText) const
{
    int64_t put = 0;
    for (const uint32_t e : m_inserts)
        put += (e & 3) == kCrLf ? 2 : 1;
    const int64_t marks = marksIn(paragraphText, 0, paragraphText.size());
    return static_cast<int64_t>(paragraphText.size()) + put -
           (marks - static_cast<int64_t>(m_keptMarks.size()));
}

int64_t ScrollTextMap::scrollPositionOf(const BookText &paragraphText, int64_t offset) const
{
    offset = std::clamp<int64_t>(offset, 0, static_cast<int64_t>(paragraphText.size()));
    // The inserts are in offset order: those put in before the character at `offset` (at
    // an offset up to it) are a prefix.
    const auto insertsBefore =
        std::upper_bound(m_inserts.begin(), m_inserts.end(), offset,
                         [](int64_t at, uint32_t e) { return at < static_cast<int64_t>(e >> 2); });
    int64_t put = 0;
    for (auto e = m_inserts.begin(); e != insertsBefore; ++e)
        put += (*e & 3) == kCrLf ? 2 : 1;
    const int64_t marks = marksIn(paragraphText, 0, static_cast<size_t>(offset));
    const auto keptBefore =
        std::lower_bound(m_keptMarks.begin(), m_keptMarks.end(), offset) - m_keptMarks.begin();
    return offset + put - (marks - keptBefore);
}

} // namespace tibbo::core
