#pragma once
// How long the rest of the chapter and of the book take at the reader's speed: the
// characters from the first one on show to the next heading and to the end.

#include "state/readerstate.h"
#include "text/headings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tibbo::core {

struct CharactersLeft
{
    // To the next heading (the end of the book after the last one); nothing for a book
    // without chapters.
    std::optional<int64_t> inChapter;
    int64_t inBook = 0;
};

// From the first character of the spread on show (a topLine past the text counts as the
// last spread that holds text); a book without lines has nothing left.
CharactersLeft charactersLeft(const ReaderState &state, const std::vector<Chapter> &chapters);

// "约 8 分钟", "约 2 小时 10 分钟", "约 3 小时" (whole minutes rounded, over ten hours whole
// hours), "不到 1 分钟" for less than half a minute of reading, "读完了" for none.
std::string durationCaption(int64_t characters, double charsPerMinute);

// The lines the progress tooltip and the chapter list add: "本章还需: 约 8 分钟" (for a
// book with chapters) and "全书还需: 约 12 小时 30 分钟", joined by "\n". Empty when the
// speed is not known.
std::string timeLeftLines(const CharactersLeft &left, std::optional<double> charsPerMinute);

} // namespace tibbo::core
