#pragma once
// Finding a word or a name in the book: the paragraph text is searched as it is stored,
// so a match may run across a line break of the display (those breaks are not in the
// text). Letters A-Z and full-width Ａ-Ｚ match their lower-case forms; nothing else is
// folded.

#include "state/booktext.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tibbo::core {

// The offset of a match: forward, the first one starting at or after `from`; backward,
// the last one starting before `from`. `from` outside 0 .. size is taken as the nearer
// end. Nothing for an empty needle or when no match lies that way; never wraps.
// Scans the stored units directly: well under 100 ms through a 20 MB book.
std::optional<int64_t> findText(const BookText &text, std::u32string_view needle, int64_t from,
                                bool forward);

struct SearchHit
{
    int64_t offset = 0;
    // The search went past the end (forward) or the start (backward) of the book and went
    // on from the other end; the reader is told.
    bool wrapped = false;
};

// findText, then, when nothing lies that way, the same search from the other end of the
// book (forward from 0, backward from the end). Nothing only when the book holds no match.
std::optional<SearchHit> findNextWrapping(const BookText &text, std::u32string_view needle,
                                          int64_t from, bool forward);

// The offsets of the matches in the book, in book order, as a reader counts them: the next
// is looked for past the end of the one before ("哈哈" is twice in "哈哈哈哈", not three
// times), which keeps the count one linear scan however the needle repeats itself. Empty
// for an empty needle.
std::vector<int64_t> allMatches(const BookText &text, std::u32string_view needle);

} // namespace tibbo::core
