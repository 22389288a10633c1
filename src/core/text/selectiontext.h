#pragma once
// A selection on the pages as characters of the paragraph text: the character a row of
// the spread shows at a column, the word around a character, and the text a selection
// gives the clipboard. Offsets are always the book's own, so a re-flow, another font or
// fine typesetting keeps a selection on the same characters.

#include "state/booktext.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tibbo::core {

struct ReaderState;

// Characters [from, to) of the paragraph text.
struct TextSpan
{
    int64_t from = 0;
    int64_t to = 0;
    bool empty() const { return to <= from; }
    friend bool operator==(const TextSpan &, const TextSpan &) = default;
};

// The character row `row` of the spread on show (0 .. 2L - 1, the left page first) shows
// at `column`: a column past the row's last character counts as that character, one
// before the first as the first. A row without characters (a paragraph's lone mark)
// gives its line's first offset. Nothing for a row past the book's last line.
std::optional<int64_t> characterOnRow(const ReaderState &state, int64_t row, int64_t column);

// The word that holds character `offset`, as ICU's word break finds it: Chinese by its
// dictionary (贾宝玉, 刘姥姥), Latin letters and digits up to the next blank or
// punctuation ("don't" and "3.14" stay whole). A blank, a punctuation mark or a paragraph
// mark is a word of one character. The search looks no further than the paragraph, and
// at most kWordWindow characters either side. Empty for an offset outside the text.
inline constexpr int64_t kWordWindow = 256;
TextSpan wordAt(const BookText &text, int64_t offset);

// Characters [from, to) as the clipboard gets them: the breaks of the display are not in
// the text, and each paragraph mark becomes a line break ("\n"). Kept within the text.
std::u32string copiedText(const BookText &text, int64_t from, int64_t to);

} // namespace tibbo::core
