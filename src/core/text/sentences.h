#pragma once
// The sentences the book is read aloud in, cut from the paragraph text where a reader
// of Chinese hears one end:
// - after a run of end marks (。！？!?；; …… ⋯⋯ and "..."), with the closing quotes and
//   brackets that follow them ("。」", "！”", "？』"), so that no sentence starts with a
//   closing mark;
// - at the end of a paragraph;
// - in a run-on, before it grows past kSentenceLengthLimit characters: after the last
//   comma-like mark (，、,：: — or a blank) within the limit, or at the limit when it has
//   none.
// Paragraph indents, blank lines and sentences of nothing but marks ("※※※", a lone
// "……") are not read. The cut is lazy: a sentence is cut when it is asked for, from the
// end of the one before or from a boundary found a little way back from where reading
// starts, never over the whole book.

#include "state/booktext.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tibbo::core {

// Characters [begin, end) of the paragraph text: what is spoken and tinted. It begins
// with a character that is read (never a blank, a paragraph mark or a closing mark) and
// holds no paragraph mark.
struct Sentence
{
    int64_t begin = 0;
    int64_t end = 0;
    // The last sentence of its paragraph: the pause between paragraphs follows it.
    bool endsParagraph = false;
    friend bool operator==(const Sentence &, const Sentence &) = default;
};

// A run-on is cut before it holds more characters than this (the closing marks after an
// end may add a few).
inline constexpr int64_t kSentenceLengthLimit = 200;

// The first sentence that begins at or after `boundary`, which must be where a sentence
// may begin: 0, the end of a sentence, or a place reading is made to start at. Nothing
// when no character that is read follows.
std::optional<Sentence> sentenceFrom(const BookText &text, int64_t boundary);

// The first sentence that begins in [from, to), cut as reading from the start of the book
// would cut it (run-ons longer than about four times the limit may be cut elsewhere);
// nothing when none begins there.
std::optional<Sentence> firstSentenceIn(const BookText &text, int64_t from, int64_t to);

// The sentence that holds character `offset`, or the first one after it when the offset
// lies between sentences (on a blank, a mark that is not read, a paragraph mark); cut as
// firstSentenceIn cuts. Nothing when no sentence holds or follows it.
std::optional<Sentence> sentenceHolding(const BookText &text, int64_t offset);

// What the engine is given for the sentence: its characters as plain text, U+3000 and
// other blanks as one ASCII blank each run, control characters left out.
std::u32string spokenText(const BookText &text, const Sentence &sentence);

} // namespace tibbo::core
