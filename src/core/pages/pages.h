#pragma once
// The page arithmetic the whole reader shares: which page, spread and line label a
// display line or a character of the text is on, where a spread starts, and where the
// last spread that holds text starts. Nothing here moves the reader; the callers do.
//
// Shared terms: L is linesPerPage (taken as 1 when it is 0 or negative, so nothing ever
// divides by zero) and E the entries of the line list (display lines + 1). Spread s
// (0-based) shows lines 2L*s + 1 .. 2L*s + 2L on pages 2s + 1 and 2s + 2; every spread
// starts at line 1 or at 2L*k + 1.

#include "state/linelist.h"

#include <cstdint>

namespace tibbo::core {

struct ReaderState;

// Line numbers and offsets beyond this come only from damaged files; values read from
// files are kept within it so that no page formula can overflow.
inline constexpr int64_t kLineNumberLimit = int64_t{1} << 40;

// linesPerPage as the divisor of every page formula: at least 1.
int64_t pageDivisor(int64_t linesPerPage);

// Int(a / b) for b > 0, rounding towards minus infinity.
int64_t floorDiv(int64_t a, int64_t b);

// ---- A display line (1-based; a line before the first counts by the same formulas) ----

// Int((v - 1) / L) + 1.
int64_t pageOfLine(int64_t line, int64_t linesPerPage);
// 0-based: Int((v - 1) / 2L).
int64_t spreadOfLine(int64_t line, int64_t linesPerPage);
// Where the line sits on its spread, 0 .. 2L - 1: below L on the left page.
int64_t labelOfLine(int64_t line, int64_t linesPerPage);
// The first line of the spread that holds the line: 2L * Int((v - 1) / 2L) + 1.
int64_t spreadStartOfLine(int64_t line, int64_t linesPerPage);
// The first line of the spread whose left page is the odd page at or below `page`.
int64_t spreadStartOfPage(int64_t page, int64_t linesPerPage);

// ---- The last spread --------------------------------------------------------------------

// First line of the last spread that holds text: the spread of the last display line
// (E - 1), or 1 for a book without lines. No move goes past it: End, the right edge
// strip, forward clicks and keys, go-to-page, bookmark jumps, a chapter, a search hit, a
// place kept across a re-flow and the automatic turn all stop here, so an empty spread
// after the last page is never shown.
int64_t lastSpreadStart(int64_t entryCount, int64_t linesPerPage);
// lastSpreadStart of the state's line list and lines per page.
int64_t lastSpreadTop(const ReaderState &state);
// The spread to show for a line: the spread that holds it, or the last spread that holds
// text when the line lies past it.
int64_t spreadToShowLine(int64_t line, int64_t entryCount, int64_t linesPerPage);

// Pages the go-to-page prompt offers and the menu tooltip reports: 1 + Int(E/L).
int64_t promptPageCount(int64_t entryCount, int64_t linesPerPage);

// ---- A character of the paragraph text ------------------------------------------------

// 1-based number of the display line that holds character `offset` (0-based) of the
// text; an offset before the text gives line 1, one at or past its end the last line, an
// empty list line 1.
int64_t lineHolding(const LineList &ends, int64_t offset);
// The page that holds the character.
int64_t pageOfOffset(const LineList &ends, int64_t offset, int64_t linesPerPage);
// topLine of the spread whose lines hold the character: spreadToShowLine of lineHolding,
// and 1 without lines.
int64_t spreadOfOffset(const ReaderState &state, int64_t offset);

// ---- The spread on show -----------------------------------------------------------------

// 0-based spread whose first line is topLine.
int64_t spreadOnShow(const ReaderState &state);

// The characters of the spread on show, [from, to): from the start of line topLine to the
// end of its last line, each kept within the text.
struct CharacterRange
{
    int64_t from = 0;
    int64_t to = 0;
};
CharacterRange charactersOnShow(const ReaderState &state);

// Offset of the last character on the spread on show (the end of its last line, minus
// one); a topLine past the text counts as the last spread. -1 for a book without text.
int64_t lastOffsetOnShow(const ReaderState &state);

} // namespace tibbo::core
