#pragma once
// The reader's highlights and notes of a book as a text of their own, to keep or share:
// Markdown (the book's title, a heading for each chapter that holds some, each highlight
// as a "> " quote and its note below it) or plain text (the same order, the quote in 「」,
// the note after "笔记："). Highlights whose text was not found in a changed book come
// last, under "未找到", with the words that stood around them.

#include "reading/highlights.h"
#include "state/booktext.h"
#include "text/headings.h"

#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

enum class ExportFormat { Markdown, PlainText };

// `highlights` in book order; `chapters` the book's headings, in order. UTF-8, LF line ends.
std::string exportHighlights(std::u32string_view title, const BookText &text,
                             const std::vector<Chapter> &chapters,
                             const std::vector<Highlight> &highlights, ExportFormat format);

// The chapter holding character `offset`: its index in `chapters`, -1 before the first.
int64_t chapterHolding(const std::vector<Chapter> &chapters, int64_t offset);

} // namespace tibbo::core
