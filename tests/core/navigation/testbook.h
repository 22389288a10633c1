#pragma once
// A book for the navigation tests: `lines` display lines of 10 characters each, L lines
// a page, the spread of topLine on show.

#include "state/readerstate.h"

namespace tibbo::core::test {

inline ReaderState book(int64_t lines, int64_t linesPerPage, int64_t topLine = 1)
{
    ReaderState state;
    state.lineEnds.clear();
    for (int64_t k = 0; k <= lines; ++k)
        state.lineEnds.push_back(10 * k);
    state.linesPerPage = linesPerPage;
    state.topLine = topLine;
    return state;
}

} // namespace tibbo::core::test
