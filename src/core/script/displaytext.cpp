#include "script/displaytext.h"

#include <algorithm>

namespace tibbo::core {

namespace {

// Where a piece may end when no paragraph mark is near: after punctuation or a blank,
// which no phrase of the dictionaries holds.
bool endsPhrase(char32_t c)
{
    return std::u32string_view(U"。！？，；：、」』”）\u3000 \t\r\n").find(c) !=
           std::u32string_view::npos;
}

} // namespace

void DisplayText::show(const BookText *text, std::shared_ptr<const PhraseConverter> converter)
{
    m_text = text;
    m_converter = std::move(converter);
    m_pieces.clear();
    m_converted = 0;
}

int64_t DisplayText::pieceStart(int64_t index) const
{
    const int64_t n = size();
    const int64_t from = index * kPieceSize;
    if (index <= 0)
        return 0;
    if (from >= n)
        return n;
    const int64_t limit = std::min(n, from + kPieceSize / 2);
    for (int64_t k = from; k < limit; ++k) {
        if ((*m_text)[static_cast<size_t>(k)] == kParagraphMark)
            return k + 1;
    }
    for (int64_t k = from; k < limit; ++k) {
        if (endsPhrase((*m_text)[static_cast<size_t>(k)]))
            return k + 1;
    }
    return from;
}

int64_t DisplayText::pieceIndexOf(int64_t offset) const
{
    const int64_t index = offset / kPieceSize;
    return index > 0 && offset < pieceStart(index) ? index - 1 : index;
}

const DisplayText::Piece &DisplayText::piece(int64_t index) const
{
    auto found = m_pieces.find(index);
    if (found == m_pieces.end()) {
        if (m_pieces.size() >= kKeptPieces) {
            const auto oldest = std::min_element(
                m_pieces.begin(), m_pieces.end(),
                [](const auto &a, const auto &b) { return a.second.lastUse < b.second.lastUse; });
            m_pieces.erase(oldest);
        }
        Piece fresh;
        fresh.start = pieceStart(index);
        fresh.end = std::max(fresh.start, pieceStart(index + 1));
        fresh.run = m_converter->convert(m_text->substr(
            static_cast<size_t>(fresh.start), static_cast<size_t>(fresh.end - fresh.start)));
        ++m_converted;
        found = m_pieces.emplace(index, std::move(fresh)).first;
    }
    found->second.lastUse = ++m_uses;
    return found->second;
}

std::u32string DisplayText::displayOf(int64_t begin, int64_t end) const
{
    begin = std::clamp<int64_t>(begin, 0, size());
    end = std::clamp<int64_t>(end, begin, size());
    if (!converting())
        return m_text ? m_text->substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin))
                      : std::u32string();
    std::u32string out;
    for (int64_t index = pieceIndexOf(begin); begin < end; ++index) {
        const Piece &p = piece(index);
        const int64_t to = std::min(end, p.end);
        const int64_t from = p.run.map.toConverted(begin - p.start);
        const int64_t upTo = p.run.map.toConverted(to - p.start);
        out.append(p.run.text, static_cast<size_t>(from), static_cast<size_t>(upTo - from));
        begin = to;
    }
    return out;
}

int64_t DisplayText::columnOf(int64_t begin, int64_t offset) const
{
    begin = std::clamp<int64_t>(begin, 0, size());
    offset = std::clamp<int64_t>(offset, begin, size());
    if (!converting())
        return offset - begin;
    int64_t column = 0;
    for (int64_t index = pieceIndexOf(begin); begin < offset; ++index) {
        const Piece &p = piece(index);
        const int64_t to = std::min(offset, p.end);
        column += p.run.map.toConverted(to - p.start) - p.run.map.toConverted(begin - p.start);
        begin = to;
    }
    return column;
}

int64_t DisplayText::originalAt(int64_t begin, int64_t column) const
{
    const int64_t n = size();
    begin = std::clamp<int64_t>(begin, 0, n);
    column = std::max<int64_t>(column, 0);
    if (!converting())
        return std::min(n, begin + column);
    for (int64_t index = pieceIndexOf(begin); begin < n; ++index) {
        const Piece &p = piece(index);
        const int64_t from = p.run.map.toConverted(begin - p.start);
        const auto length = static_cast<int64_t>(p.run.text.size());
        if (column < length - from)
            return p.start + p.run.map.toOriginal(from + column);
        column -= length - from;
        begin = p.end;
    }
    return n;
}

std::u32string DisplayText::convert(std::u32string_view text) const
{
    return m_converter ? m_converter->convert(text).text : std::u32string(text);
}

} // namespace tibbo::core
