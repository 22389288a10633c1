#pragma once
// The book's chapter headings, found in the paragraph text: where each starts and what
// it says. The chapter moves (navigation/chaptermoves.h) and fine typesetting use them.

#include "state/booktext.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tibbo::core {

struct Chapter
{
    // Offset in the paragraph text of the heading's first character ("第" or the first
    // character of a named section).
    int64_t offset = 0;
    // The heading as written, without blanks or U+3000 around it, cut to
    // kChapterTitleLimit characters.
    std::u32string title;
};

// A heading runs from its first character to the end of its paragraph and holds at most
// this many characters; a longer run is prose ("第一封信到了，他……" opening a long
// paragraph).
inline constexpr int64_t kHeadingLengthLimit = 60;
inline constexpr size_t kChapterTitleLimit = 40;

// The headings of the paragraph text, in text order, at most one a paragraph.
//
// A heading is "第" + a number + a unit, or a named section (序, 序章, 楔子, 引子, 前言,
// 尾声, 后记, 番外, 外传), and reaches to the end of its paragraph:
// - the number is Chinese numerals (零〇一二三四五六七八九十百千万两), Arabic or full-width
//   digits, at most ten of them;
// - the units 章 节 回 话 篇 may be followed directly by the title; 卷 本 册 部 封 集, which
//   are also measure words in prose, only by a separator (blank, U+3000, tab, ：:、.，-—)
//   or the end of the paragraph ("第四本书记载着" is prose);
// - a named section is followed by a separator or the end of the paragraph; 番外 and 外传
//   may also be followed directly by a title;
// - a heading holds no "。" (a sentence is prose: "第四回中既将……此回则暂不能写矣。").
// It stands at the start of its paragraph (leading blanks and U+3000 skipped), or ends a
// paragraph that began before it: a heading line that opens no paragraph of its own is
// joined to the text before it (a book's title line, the last line of the chapter
// before), so "……且听下回分解。第二回　悟彻菩提真妙理" holds the heading of 第二回. Such
// a joined named section must be followed by a blank or U+3000 and a title.
//
// Scans the stored units directly: about ten milliseconds for a 20 MB book.
std::vector<Chapter> findChapters(const BookText &paragraphText);
// What findChapters finds in the paragraphs of [from, to): both are paragraph
// boundaries (0, the text's size, or just after a '^'), so a text still being read can
// be searched a part at a time as its paragraphs come.
std::vector<Chapter> findChaptersIn(const BookText &paragraphText, int64_t from, int64_t to);

// Index of the last chapter whose heading offset is at most `offset`; -1 when there is
// none (no chapters, or `offset` before the first heading).
int64_t chapterAt(const std::vector<Chapter> &chapters, int64_t offset);

} // namespace tibbo::core
