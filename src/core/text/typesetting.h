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
//   the chapter finder gives it), so the line after it begins a new one anyway.
// Where a full line offers no place to break by these rules (a line of nothing but
// punctuation), it is cut at charsPerLine characters as without them.
//
// The rules change only where lines end: the line list still holds character ends into
// the unchanged paragraph text.

#include "state/booktext.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tibbo::core {

struct Chapter;

// Closing marks that may hang past the end of a full line.
inline constexpr int64_t kMaxHangingMarks = 2;

struct CutRules
{
    // Off: a line ends after a '^', after charsPerLine characters, or at the text's end.
    bool fine = false;
    // The paragraph-text offsets of the chapter headings' first characters, in text order
    // (Chapter::offset). A heading that already opens its paragraph (after blanks at
    // most) needs no break; one that ends a paragraph begun before it gets one.
    std::vector<int64_t> headingStarts;
};

bool isClosingMark(char32_t c);
bool isOpeningMark(char32_t c);

// The rules on, with the headings the chapter finder finds in `text` (about ten
// milliseconds for a 20 MB book), or with headings already found.
CutRules fineCutRules(const BookText &text);
CutRules fineCutRules(const std::vector<Chapter> &chapters);

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
