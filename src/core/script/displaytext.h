#pragma once
// The book as the reader sees it: the paragraph text, or its conversion to the other
// script. What is stored (the line list, places, bookmarks, search hits, chapter offsets)
// stays in offsets of the book's own text; whatever shows text asks this layer for the
// display text of a range of those offsets, and for the original offset of a character
// on show and back. Without a converter every answer is the original's.
//
// The text is converted piece by piece, as it is asked for: pieces of about kPieceSize
// characters that end after a paragraph mark '^' where one is near (no phrase runs across
// one), so a piece converts exactly as the whole text would. The pieces last asked for
// are kept; a spread costs one or two pieces, the first spread of a book the same as a
// spread of its own text but for the conversion of those pieces.
//
// One thread: the cache is not guarded.

#include "script/phraseconverter.h"
#include "state/booktext.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace tibbo::core {

class DisplayText
{
  public:
    static constexpr int64_t kPieceSize = 4096;
    // Pieces kept at most (about kPieceSize × 4 bytes each).
    static constexpr size_t kKeptPieces = 256;

    // Shows `text` through `converter` (nothing: as it is). `text` must outlive this and
    // stay unchanged until the next call; a new text or converter empties the kept pieces.
    void show(const BookText *text, std::shared_ptr<const PhraseConverter> converter);
    // As written again.
    void reset() { show(nullptr, nullptr); }
    bool converting() const { return m_text && m_converter; }

    // The display text of the original characters [begin, end). A phrase whose length
    // changed and that a range's end cuts shows whole in the range after the cut, so
    // consecutive ranges (the lines of a spread) show every character once.
    std::u32string displayOf(int64_t begin, int64_t end) const;
    // The number of display characters of [begin, offset): the column, in the display
    // text of a range that starts at `begin`, of the character at `offset`.
    int64_t columnOf(int64_t begin, int64_t offset) const;
    // The original offset of the character at `column` of the display text of a range
    // that starts at `begin` (inside a changed phrase: the phrase's first character);
    // the text's size past its end.
    int64_t originalAt(int64_t begin, int64_t column) const;
    // A short text not taken from the book (a heading, a caption) converted whole.
    std::u32string convert(std::u32string_view text) const;

    // Pieces converted since show(), for the benchmark.
    int64_t piecesConverted() const { return m_converted; }

  private:
    struct Piece
    {
        int64_t start = 0;
        int64_t end = 0;
        ConvertedRun run;
        uint64_t lastUse = 0;
    };

    int64_t size() const { return m_text ? static_cast<int64_t>(m_text->size()) : 0; }
    // The start of piece `index`: the first piece starts at 0.
    int64_t pieceStart(int64_t index) const;
    int64_t pieceIndexOf(int64_t offset) const;
    const Piece &piece(int64_t index) const;

    const BookText *m_text = nullptr;
    std::shared_ptr<const PhraseConverter> m_converter;
    mutable std::map<int64_t, Piece> m_pieces;
    mutable uint64_t m_uses = 0;
    mutable int64_t m_converted = 0;
};

} // namespace tibbo::core
