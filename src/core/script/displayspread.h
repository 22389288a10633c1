#pragma once
// A spread as the reader sees it in the script they chose: the rows of buildSpread taken
// through the display layer. Everything else of the spread (page numbers, the characters
// counted, the bookmark icons) stays the book's own.

#include "script/displaytext.h"
#include "text/spread.h"
#include "text/spreadmarks.h"

#include <vector>

namespace tibbo::core {

struct ReaderState;

// Replaces each row of `spread`, built from `state`, by the display text of its line.
// Nothing changes while `display` does not convert.
void showRowsInScript(Spread &spread, const ReaderState &state, const DisplayText &display);

// Moves the runs of marked characters (rowRunsOnShow) on to the columns their characters
// show at in the rows of showRowsInScript, so a band stays on its text where a phrase
// before it on the row changed length. Nothing changes while `display` does not convert.
void showRunsInScript(std::vector<RowRun> &runs, const ReaderState &state,
                      const DisplayText &display);

} // namespace tibbo::core
