#pragma once
// What one spread shows: the text of each row, the page numbers and where the
// bookmark icon goes. The rows are cut out of the paragraph text on demand, so a
// spread costs the same at the start and at the end of a book.

#include <cstdint>
#include <string>
#include <vector>

namespace tibbo::core {

struct ReaderState;

struct Spread
{
    // 2L rows: the left page's L rows, then the right page's; a row's closing '^' is
    // not shown, and rows past the end of the book are empty.
    std::vector<std::u32string> rows;
    int64_t charCount = 0; // characters shown on the spread
    int64_t leftPage = 1;  // the right page is leftPage + 1
    // Label indexes (0 .. 2L - 1) of the bookmarks on this spread, in list order; the
    // icon ends beside the last one.
    std::vector<int64_t> bookmarkLabels;
};

Spread buildSpread(const ReaderState &state);

// Label indexes (0 .. 2L-1) of the bookmarks on the spread on show, in list order. The
// icon goes beside the last of them.
std::vector<int64_t> bookmarkLabelsOnShow(const ReaderState &state);

// "第3页": a page label, the number without blanks.
std::string pageCaption(int64_t page);

} // namespace tibbo::core
