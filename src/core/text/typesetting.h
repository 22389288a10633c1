#pragma once
// Fine typesetting: where a line may end when the cut follows the rules of Chinese
// typesetting rather than a plain character count.
//
// With the rules on, a line that would be full at charsPerLine characters ends so that:
// - no line begins with a closing mark (，。、；：？！…—」』”’）》〉 and the like): up to
//   kMaxHangingMarks of them hang at the end of the full line instead, so a line shows at
//   most charsPerLine + kMaxHangingMarks characters; a longer run of closing marks is
//   carried down to the next line together with the character before it;
// - no line ends with an opening mark (「『“‘（《〈【〔〖 and the like): it is carried down to
//   the next line, and the line before gets shorter;
// - a paragraph that fills its line exactly (or fills it with hanging marks) keeps its
//   '^' on that line, so no display line holds the '^' alone;
// - a chapter heading joined to the paragraph before it ("……且听下回分解。第二回　……")
//   begins a display line of its own. A heading reaches to the end of its paragraph (as
//   the chapter finder gives it), so the line after it begins a new one anyway;
// - at the head of the book, a title line ("《红楼梦》") and an author line ("作者：曹雪芹")
//   that the loader joined into one paragraph begin lines of their own.
// Where a full line offers no place to break by these rules (a line of nothing but
// punctuation), it is cut at charsPerLine characters as without them.
//
// The rules change only where lines end: the line list still holds character ends into
// the unchanged paragraph text. How the characters of a line are then spread over the
// page's measure is text/lineplacement.h.

#include "state/booktext.h"
#include "state/linelist.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tibbo::core {

struct Chapter;

// Closing marks that may hang past the end of a full line.
inline constexpr int64_t kMaxHangingMarks = 2;

// A run of the paragraph text set apart as a heading (in the bold face, with space above):
// a chapter heading from its paragraph's start to the end of its paragraph, or the
// book's title line. [start, end) in paragraph-text offsets.
struct HeadingSpan
{
    int64_t start = 0;
    int64_t end = 0;
    friend bool operator==(const HeadingSpan &, const HeadingSpan &) = default;
};

struct CutRules
{
    // Off: a line ends after a '^', after charsPerLine characters, or at the text's end.
    bool fine = false;
    // Paragraph-text offsets where a line must begin, increasing: the chapter headings'
    // first characters (Chapter::offset) and the title and author lines at the book's
    // head. One that already opens its paragraph (after blanks at most) needs no break;
    // one inside a paragraph begun before it gets one.
    std::vector<int64_t> lineStarts;
    // What is set as a heading, in text order (only with the rules on).
    std::vector<HeadingSpan> headings;
};

// The head of a book as downloaded novels write it, a title line and an author line that
// the loader joined into the first paragraph: "《红楼梦》作者：曹雪芹第一回……".
struct BookHead
{
    // The title line: "《…》" at the very start (after blanks) when it ends its line or
    // stands before blanks, the author line or the first heading; or what stands before
    // an author line in the first paragraph. Empty (start == end) when there is none.
    HeadingSpan title;
    // Where "作者" followed by "：", ":" or a blank begins, when it follows the title (or
    // opens the book) within the first paragraph's first kHeadingLengthLimit characters;
    // -1 when there is none.
    int64_t authorStart = -1;
};

// `firstHeading`: the offset of the book's first chapter heading, -1 when it has none; a
// bracketed title directly before it is a title line too.
BookHead findBookHead(const BookText &text, int64_t firstHeading = -1);

bool isClosingMark(char32_t c);
bool isOpeningMark(char32_t c);

// Whether one of display lines [firstLine, firstLine + count) (1-based) of the line list
// `ends` begins with a closing mark: what the plain cut does and the fine rules never do.
// Lines past the end of the list are not looked at.
bool someLineBeginsWithClosingMark(const BookText &text, const LineList &ends, int64_t firstLine,
                                   int64_t count);

// The rules on, with the headings the chapter finder finds in `text` (about ten
// milliseconds for a 20 MB book) and the book's head, or with headings already found.
CutRules fineCutRules(const BookText &text);
CutRules fineCutRules(const BookText &text, const std::vector<Chapter> &chapters);

// Whether the line [start, end) of the text ends its paragraph under `rules`: it closes
// with a '^', ends the text, or ends where the rules begin a line (before a joined
// heading, after a title line). Such a line is set flush left, never spread.
bool lineEndsParagraph(const BookText &text, const CutRules &rules, int64_t end);
// Whether the line beginning at `start` is (part of) a heading under `rules`.
bool lineIsHeading(const CutRules &rules, int64_t start);

// True when only blanks (space, U+3000, tab) lie between the start of the paragraph that
// holds `offset` and `offset`.
bool opensParagraph(std::u16string_view text, int64_t offset);
bool opensParagraph(std::u32string_view text, int64_t offset);

// The end (exclusive) of the line that begins at `start` under the fine rules, for a
// width of at least one character. `breakBefore` is the next offset past `start` before
// which a line must end (the next heading that needs a line of its own), or the text's
// size when there is none.
int64_t fineLineEnd(std::u16string_view text, int64_t start, int64_t width, int64_t breakBefore);
int64_t fineLineEnd(std::u32string_view text, int64_t start, int64_t width, int64_t breakBefore);

} // namespace tibbo::core
