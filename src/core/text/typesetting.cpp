#include "text/typesetting.h"

#include "text/headings.h"

#include <algorithm>
#include <string_view>

namespace tibbo::core {

// Full-width marks first: they are the ones Chinese text holds.
constexpr std::u32string_view kClosingMarks = U"，。、；：？！…—」』”’）》〉］｝〕〗】．,.;:?!)]}";
constexpr std::u32string_view kOpeningMarks = U"「『“‘（《〈【〔〖［｛([{";

namespace {

// Every mark lies in ASCII, General Punctuation, CJK Symbols and Punctuation or the
// Halfwidth and Fullwidth Forms: nearly every character of a book (an ideograph) is
// told apart by its range alone, without a look at the lists.
bool mayBeMark(char32_t c)
{
    return c < 0x80 || (c >= 0x2010 && c < 0x2030) || (c >= 0x3000 && c < 0x3020) ||
           (c >= 0xFF00 && c < 0xFF60);
}

} // namespace

bool isClosingMark(char32_t c)
{
    return mayBeMark(c) && kClosingMarks.find(c) != std::u32string_view::npos;
}

bool isOpeningMark(char32_t c)
{
    return mayBeMark(c) && kOpeningMarks.find(c) != std::u32string_view::npos;
}

CutRules fineCutRules(const BookText &text)
{
    return fineCutRules(findChapters(text));
}

CutRules fineCutRules(const std::vector<Chapter> &chapters)
{
    CutRules rules;
    rules.fine = true;
    rules.headingStarts.reserve(chapters.size());
    for (const Chapter &chapter : chapters)
        rules.headingStarts.push_back(chapter.offset);
    return rules;
}

namespace {

bool isBlank(char32_t c)
{
    return c == U' ' || c == U'\u3000' || c == U'\t';
}

template <typename Text> bool opensParagraphIn(Text text, int64_t offset)
{
    int64_t at = std::min<int64_t>(offset, static_cast<int64_t>(text.size()));
    while (at > 0 && isBlank(text[static_cast<size_t>(at - 1)]))
        --at;
    return at == 0 || text[static_cast<size_t>(at - 1)] == kParagraphMark;
}

template <typename Text>
int64_t lineEndIn(Text text, int64_t start, int64_t width, int64_t breakBefore)
{
    const auto n = static_cast<int64_t>(text.size());
    const auto at = [&](int64_t i) { return static_cast<char32_t>(text[static_cast<size_t>(i)]); };
    const int64_t limit = std::min(n, start + width);
    const auto *data = text.data();
    const auto *mark = std::find(data + start, data + limit, kParagraphMark);
    if (mark != data + limit)
        return std::min((mark - data) + 1, breakBefore);
    if (breakBefore <= limit)
        return breakBefore;
    if (limit == n)
        return n;

    // A full line: [start, full) holds width characters and more text follows.
    const int64_t full = limit;
    if (at(full) == kParagraphMark)
        return full + 1;
    int64_t hanging = 0;
    while (hanging < kMaxHangingMarks && full + hanging < n && isClosingMark(at(full + hanging)))
        ++hanging;
    if (hanging > 0) {
        int64_t end = full + hanging;
        if (end == n || !isClosingMark(at(end))) {
            if (end < n && at(end) == kParagraphMark)
                ++end;
            return std::min(end, breakBefore);
        }
    } else if (!isOpeningMark(at(full - 1))) {
        return full;
    }
    // Too many closing marks to hang, or an opening mark at the end: break earlier, where
    // no closing mark follows and no opening mark precedes.
    for (int64_t end = full - 1; end > start; --end)
        if (!isClosingMark(at(end)) && !isOpeningMark(at(end - 1)))
            return end;
    return full;
}

} // namespace

bool opensParagraph(std::u16string_view text, int64_t offset)
{
    return opensParagraphIn(text, offset);
}

bool opensParagraph(std::u32string_view text, int64_t offset)
{
    return opensParagraphIn(text, offset);
}

int64_t fineLineEnd(std::u16string_view text, int64_t start, int64_t width, int64_t breakBefore)
{
    return lineEndIn(text, start, width, breakBefore);
}

int64_t fineLineEnd(std::u32string_view text, int64_t start, int64_t width, int64_t breakBefore)
{
    return lineEndIn(text, start, width, breakBefore);
}

} // namespace tibbo::core
