#pragma once
// A spread as the reader sees it in the script they chose: the rows of buildSpread taken
// through the display layer. Everything else of the spread (page numbers, the characters
// counted, the bookmark icons) stays the book's own.

#include "script/displaytext.h"
#include "text/spread.h"

namespace tibbo::core {

struct ReaderState;

// Replaces each row of `spread`, built from `state`, by the display text of its line.
// Nothing changes while `display` does not convert.
void showRowsInScript(Spread &spread, const ReaderState &state, const DisplayText &display);

} // namespace tibbo::core
