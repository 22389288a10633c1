#pragma once
// What one spread shows: the text of each row, the page numbers and where the
// bookmark icon goes. The rows are cut out of the paragraph text on demand, so a
// spread costs the same at the start and at the end of a book.

#include <cstdint>
#include <string>
#include <vector>

namespace tibbo::core {

struct CutRules;
struct ReaderState;

// How a row is set (text/lineplacement.h).
struct RowRole
{
    // The last line of its paragraph, or one before a line the rules begin: never spread.
    // Rows past the end of the book count as such.
    bool endsParagraph = true;
    // A heading under fine typesetting: bold, a little apart from the line above.
    bool heading = false;
};

struct Spread
{
    // 2L rows: the left page's L rows, then the right page's; a row's closing '^' is
    // not shown, and rows past the end of the book are empty.
    std::vector<std::u32string> rows;
    std::vector<RowRole> roles; // one for each row
    int64_t charCount = 0;      // characters shown on the spread
    int64_t leftPage = 1;       // the right page is leftPage + 1
    // Label indexes (0 .. 2L - 1) of the bookmarks on this spread, in list order; the
    // icon ends beside the last one.
    std::vector<int64_t> bookmarkLabels;
};

// The rows under the plain cut, or under `rules` (the rules the line list was cut with).
Spread buildSpread(const ReaderState &state);
Spread buildSpread(const ReaderState &state, const CutRules &rules);

// Label indexes (0 .. 2L-1) of the bookmarks on the spread on show, in list order. The
// icon goes beside the last of them.
std::vector<int64_t> bookmarkLabelsOnShow(const ReaderState &state);

// "第3页": a page label, the number without blanks.
std::string pageCaption(int64_t page);

} // namespace tibbo::core
