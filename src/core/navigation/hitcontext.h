#pragma once
// A match shown in a list of search results: a few characters of the book on either side
// of it, on one line. Paragraph marks and the blanks that indent a paragraph become one
// blank, and "…" says the text goes on beyond what is shown.

#include "state/booktext.h"

#include <cstdint>
#include <string>

namespace tibbo::core {

struct HitContext
{
    std::u32string before; // ends just before the match
    std::u32string hit;    // the match, cut to twice `around` characters and "…"
    std::u32string after;  // starts just after the match
};

// The context of the match of `length` characters at `offset`, `around` characters of the
// book at most on each side (blanks and paragraph marks count before they are joined).
// The match is clamped to the text; no characters are read beyond its ends, so a match at
// the book's start has nothing before it and one at its end nothing after it.
HitContext hitContext(const BookText &text, int64_t offset, int64_t length, int64_t around);

} // namespace tibbo::core
