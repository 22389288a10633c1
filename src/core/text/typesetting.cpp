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

bool someLineBeginsWithClosingMark(const BookText &text, const LineList &ends, int64_t firstLine,
                                   int64_t count)
{
    const int64_t lines = static_cast<int64_t>(ends.size()) - 1;
    const int64_t from = std::max<int64_t>(firstLine, 1);
    const int64_t to = std::min(lines, firstLine + count - 1);
    for (int64_t line = from; line <= to; ++line) {
        const auto start = static_cast<size_t>(ends[static_cast<size_t>(line - 1)]);
        if (start < text.size() && isClosingMark(text[start]))
            return true;
    }
    return false;
}

namespace {

bool isBlank(char32_t c)
{
    return c == U' ' || c == U'\u3000' || c == U'\t';
}

// The end of the paragraph that holds `at`: the offset just past its '^', or the text's end.
int64_t paragraphEndAfter(const BookText &text, int64_t at)
{
    const auto n = static_cast<int64_t>(text.size());
    while (at < n && text[static_cast<size_t>(at)] != kParagraphMark)
        ++at;
    return std::min(at + 1, n);
}

bool isAuthorLabelAt(const BookText &text, int64_t at, int64_t end)
{
    if (at + 2 >= end || text[static_cast<size_t>(at)] != U'作' ||
        text[static_cast<size_t>(at + 1)] != U'者')
        return false;
    const char32_t after = text[static_cast<size_t>(at + 2)];
    return after == U'：' || after == U':' || isBlank(after);
}

} // namespace

BookHead findBookHead(const BookText &text, int64_t firstHeading)
{
    BookHead head;
    const auto n = static_cast<int64_t>(text.size());
    int64_t first = 0;
    while (first < n && isBlank(text[static_cast<size_t>(first)]))
        ++first;
    // The first paragraph, or as much of it as a head line may take.
    int64_t end = first;
    while (end < n && end - first < kHeadingLengthLimit &&
           text[static_cast<size_t>(end)] != kParagraphMark)
        ++end;
    const auto at = [&](int64_t i) { return text[static_cast<size_t>(i)]; };

    // "《诗经》有云：……" opens prose, not a title line: a title ends its line, stands before
    // blanks, the author line or the first heading.
    int64_t afterTitle = first;
    if (first < end && at(first) == U'《') {
        for (int64_t k = first + 1; k < end && at(k) != U'《'; ++k) {
            if (at(k) != U'》')
                continue;
            int64_t next = k + 1;
            while (next < n && isBlank(at(next)))
                ++next;
            if (next == n || at(next) == kParagraphMark || next > k + 1 ||
                isAuthorLabelAt(text, next, n) || next == firstHeading) {
                head.title = {first, k + 1};
                afterTitle = next;
            }
            break;
        }
    }
    // After a bracketed title only an author line that follows it at once counts. Without
    // one, the author line may stand a short way into a first paragraph that holds no
    // clause before it, and what stands before it is the title.
    if (head.title.end > head.title.start) {
        if (isAuthorLabelAt(text, afterTitle, n))
            head.authorStart = afterTitle;
        return head;
    }
    const int64_t searchEnd = std::min(end, first + kHeadingLengthLimit / 2);
    for (int64_t k = first; k < searchEnd && at(k) != U'。' && at(k) != U'，'; ++k) {
        if (!isAuthorLabelAt(text, k, n))
            continue;
        head.authorStart = k;
        int64_t titleEnd = k;
        while (titleEnd > first && isBlank(at(titleEnd - 1)))
            --titleEnd;
        if (titleEnd > first)
            head.title = {first, titleEnd};
        break;
    }
    return head;
}

CutRules fineCutRules(const BookText &text)
{
    return fineCutRules(text, findChapters(text));
}

CutRules fineCutRules(const BookText &text, const std::vector<Chapter> &chapters)
{
    CutRules rules;
    rules.fine = true;
    const BookHead head = findBookHead(text, chapters.empty() ? -1 : chapters.front().offset);
    const int64_t n = static_cast<int64_t>(text.size());
    const auto beginsLine = [&](int64_t at) {
        if (at > 0 && at < n && text[static_cast<size_t>(at)] != kParagraphMark &&
            (rules.lineStarts.empty() || rules.lineStarts.back() < at))
            rules.lineStarts.push_back(at);
    };
    if (head.title.end > head.title.start) {
        rules.headings.push_back(head.title);
        int64_t next = head.title.end;
        while (next < n && isBlank(text[static_cast<size_t>(next)]))
            ++next;
        beginsLine(next);
    }
    if (head.authorStart >= 0)
        beginsLine(head.authorStart);
    rules.lineStarts.reserve(rules.lineStarts.size() + chapters.size());
    rules.headings.reserve(rules.headings.size() + chapters.size());
    text.visit([&](auto units) {
        // A page read at every heading maps the pages about it too: over a long book of
        // short chapters that is the whole book, let go as it is passed.
        PagesBehind behind(text);
        for (const Chapter &chapter : chapters) {
            behind.passed(static_cast<size_t>(std::max<int64_t>(chapter.offset - 1, 0)));
            beginsLine(chapter.offset);
            // An indented heading is set apart from its indent on.
            int64_t start = chapter.offset;
            if (opensParagraph(units, start))
                while (start > 0 && isBlank(units[static_cast<size_t>(start - 1)]))
                    --start;
            if (!rules.headings.empty() && rules.headings.back().end > start)
                continue;
            rules.headings.push_back({start, paragraphEndAfter(text, chapter.offset)});
        }
    });
    return rules;
}

bool lineEndsParagraph(const BookText &text, const CutRules &rules, int64_t end)
{
    const auto n = static_cast<int64_t>(text.size());
    if (end <= 0 || end >= n)
        return true;
    if (text[static_cast<size_t>(end - 1)] == kParagraphMark)
        return true;
    return rules.fine && std::binary_search(rules.lineStarts.begin(), rules.lineStarts.end(), end);
}

bool lineIsHeading(const CutRules &rules, int64_t start)
{
    if (!rules.fine)
        return false;
    const auto after =
        std::upper_bound(rules.headings.begin(), rules.headings.end(), start,
                         [](int64_t value, const HeadingSpan &span) { return value < span.start; });
    return after != rules.headings.begin() && start < std::prev(after)->end;
}

namespace {

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
