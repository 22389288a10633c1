#pragma once
// The scroll text (the text of scroll mode and of Slide.cache: the book's own lines,
// each ended by CR LF) is the paragraph text with the paragraph marks '^' taken out and
// the line ends put in. This map records exactly that difference, so the book is held
// once, as paragraph text, and the scroll text is made from it when it is needed: the
// line ends put in before each paragraph offset, and the offsets of the '^' that are
// the book's own characters and stay.

#include "state/booktext.h"
#include "state/linelist.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

class ScrollTextMap
{
  public:
    // CR LF (or a lone CR or LF) put in before paragraph offset `at`; offsets never
    // decrease from one call to the next.
    void insertLineEnd(int64_t at) { m_inserts.push_back(pack(at, kCrLf)); }
    void insertCharacter(int64_t at, char32_t lineEndCharacter);
    // The '^' at paragraph offset `at` is the book's own and stays in the scroll text.
    void keepMark(int64_t at) { m_keptMarks.push_back(static_cast<uint32_t>(at)); }
    void clear();
    bool empty() const { return m_inserts.empty() && m_keptMarks.empty(); }
    size_t byteSize() const { return (m_inserts.capacity() + m_keptMarks.capacity()) * 4; }

    // The map of a scroll text that belongs to the paragraph text: both hold the same
    // characters in the same order, the scroll text adding only CR and LF, the
    // paragraph text only '^'. Nothing when they do not belong together.
    static std::optional<ScrollTextMap> match(std::u32string_view scrollText,
                                              const BookText &paragraphText);
    // Matches a scroll text given in pieces (as a file is decoded); call finish() after
    // the last piece.
    class Matcher;

    // A scroll text made from the paragraph text alone: each paragraph (closed by '^',
    // or the text after the last '^') on a line of its own.
    static ScrollTextMap onePerParagraph(const BookText &paragraphText);

    // The scroll text, whole, or handed to `piece` in runs of about `pieceSize`
    // characters (the last piece may be empty).
    std::u32string scrollText(const BookText &paragraphText) const;
    // The scroll text, whole, held as a book's text is (in a file when it is large).
    BookText scrollBookText(const BookText &paragraphText) const;
    void forEachPiece(const BookText &paragraphText, size_t pieceSize,
                      const std::function<void(std::u32string_view)> &piece) const;
    // The paragraph offsets where a line of the scroll text begins after a line end put
    // in, each once, increasing: the starts of the book's own lines (a heading line
    // joined to the paragraph before it starts one).
    std::vector<int64_t> lineStarts() const;
    // Characters of the scroll text.
    int64_t scrollLength(const BookText &paragraphText) const;
    // The scroll-text position of the character at paragraph offset `offset` (the line
    // ends put in before it count, the marks taken out do not). Counts the marks before it: about
    // as long as a look at that much text.
    int64_t scrollPositionOf(const BookText &paragraphText, int64_t offset) const;

    friend bool operator==(const ScrollTextMap &, const ScrollTextMap &) = default;

  private:
    // An offset and its kind share 32 bits: a book's offsets stay below 2^30.
    static_assert(kMaxBookChars < (int64_t{1} << 30));
    enum Kind : uint32_t { kCr = 0, kLf = 1, kCrLf = 2 };
    static uint32_t pack(int64_t at, Kind kind) { return static_cast<uint32_t>(at) << 2 | kind; }

    std::vector<uint32_t> m_inserts;   // (offset << 2) | kind, offsets never decreasing
    std::vector<uint32_t> m_keptMarks; // increasing offsets of '^' that stay
};

class ScrollTextMap::Matcher
{
  public:
    explicit Matcher(const BookText &paragraphText) : m_paragraph(paragraphText) {}
    // False as soon as the texts are seen not to belong together.
    bool feed(std::u32string_view piece);
    // The map when the whole scroll text belongs to the paragraph text.
    std::optional<ScrollTextMap> finish();

  private:
    size_t afterMarks();

    static constexpr size_t kReleaseStretch = size_t{1} << 20;

    const BookText &m_paragraph;
    ScrollTextMap m_map;
    size_t m_p = 0;
    size_t m_released = 0;
    bool m_failed = false;
    // The last character of the scroll text was a CR put in: an LF after it is put in too.
    bool m_afterInsertedCr = false;
    // The run of paragraph marks last walked over: m_marksFrom .. m_marksEnd (exclusive).
    size_t m_marksFrom = 1;
    size_t m_marksEnd = 0;
};

} // namespace tibbo::core
