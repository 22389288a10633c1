#pragma once
// Ranges of characters marked on the spread on show (the sentence read aloud; a
// selection, search hits and highlights the same way) as the rows of the spread draw
// them: a run of columns on each row a range touches.

#include <cstdint>
#include <vector>

namespace tibbo::core {

struct ReaderState;

struct RowRun
{
    int64_t row = 0;         // 0 .. 2L - 1, the left page's rows first
    int64_t firstColumn = 0; // characters of the row's text before the run
    int64_t columns = 0;     // at least 1
    friend bool operator==(const RowRun &, const RowRun &) = default;
};

// The parts of characters [from, to) of the paragraph text that lie on the spread on
// show, in row order. A row's closing paragraph mark is not drawn and never marked.
std::vector<RowRun> rowRunsOnShow(const ReaderState &state, int64_t from, int64_t to);

} // namespace tibbo::core
