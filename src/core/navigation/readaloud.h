#pragma once
// Reading aloud as plain functions of the reader state: the sentence reading starts with
// on the spread on show or at a chosen character, the sentence after one read, the spread
// a sentence is read on, and where the chapter being read ends (for the sleep timer).

#include "state/readerstate.h"
#include "text/headings.h"
#include "text/sentences.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tibbo::core {

// The first sentence that begins on the spread on show. When none begins there (a run-on
// that covers the whole spread) reading starts at the spread's first character. Nothing
// when the spread shows nothing that is read.
std::optional<Sentence> firstSentenceOnShow(const ReaderState &state);

// The sentence that holds character `offset` of the paragraph text, or the next one.
std::optional<Sentence> sentenceAtOffset(const ReaderState &state, int64_t offset);

// The sentence read after `sentence`; nothing at the end of the book.
std::optional<Sentence> sentenceAfter(const ReaderState &state, const Sentence &sentence);

// topLine of the spread a sentence is read on: the one showing its first character.
int64_t spreadOfSentence(const ReaderState &state, const Sentence &sentence);

// Where the chapter holding character `offset` ends: the offset of the next heading, or
// `textSize` when no heading follows.
int64_t chapterEndAfter(const std::vector<Chapter> &chapters, int64_t offset, int64_t textSize);

} // namespace tibbo::core
