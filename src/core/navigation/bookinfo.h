#pragma once
// What the reader is told about the book and the place in it: the book's name, the menu
// tooltip and the share of the book read.

#include "state/readerstate.h"

#include <string>
#include <string_view>

namespace tibbo::core {

// ---- The book --------------------------------------------------------------------------------

// The book's name as the menu tooltip shows it: bookPath cut before the first "." of the
// whole path, then the part after the last "/" or "\" ("D:\my.books\abc.txt" -> "my").
std::string bookDisplayName(std::string_view bookPath);

// What the counts of a book say while the rest of it is still being read.
inline constexpr std::string_view kStillCounting = "全书的字数和页数还在计算中";

// "您正在看《name》,这一页有 N个字,本书共有 M个字, P页." with N the characters on the
// spread, M the last line-list entry (0 without lines) and P promptPageCount; while the
// rest of the book is still being read (partialShown) the counts after N say so
// (kStillCounting).
std::string bookInfoTooltip(const ReaderState &state);

// ---- The place in the book -------------------------------------------------------------

// Percentage of the book's characters (the last line-list entry) that lie before the
// spread on show: 0 at the first spread, below 100 at the last one that holds text (a
// topLine past it counts as it), 0 for a book without text.
double progressPercent(const ReaderState &state);

// The percentage cut (never rounded up) to one decimal, without a ".0": "37.5%", "0%",
// so that only the very end would read "100%".
std::string progressCaption(double percent);

// bookInfoTooltip followed by the place in the book, one line each: "当前章节: " and the
// chapter's title (UTF-8; the line is left out when the title is empty) and "已读: " and
// progressCaption (kStillCounting while the rest of the book is being read).
std::string bookInfoTooltipWithPlace(const ReaderState &state, std::string_view chapterTitle);

} // namespace tibbo::core
