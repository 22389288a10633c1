#include "text/headings.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tibbo::core {

namespace {

constexpr char32_t kChapterPrefix = U'第';
constexpr size_t kNumberLimit = 10;

bool isBlank(char32_t c)
{
    return c == U' ' || c == U'\u3000' || c == U'\t';
}

bool isNumeral(char32_t c)
{
    return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９') ||
           std::u32string_view(U"零〇一二三四五六七八九十百千万两").find(c) !=
               std::u32string_view::npos;
}

// Units that are not words of prose after "第" + a number: the title may follow at once.
bool isChapterUnit(char32_t c)
{
    return std::u32string_view(U"章节回话篇").find(c) != std::u32string_view::npos;
}

// Units that are also measure words ("第一封信"): a heading only before a separator.
bool isMeasureUnit(char32_t c)
{
    return std::u32string_view(U"卷本册部封集").find(c) != std::u32string_view::npos;
}

bool isSeparator(char32_t c)
{
    return isBlank(c) || std::u32string_view(U"：:、.，-—").find(c) != std::u32string_view::npos;
}

struct NamedSection
{
    std::u32string_view name;
    bool titleMayFollow; // "番外一", "外传之……"
};

// "序章" before "序", so the longer name is taken.
constexpr std::array<NamedSection, 9> kNamedSections{{
    {U"序章", false},
    {U"序", false},
    {U"楔子", false},
    {U"引子", false},
    {U"前言", false},
    {U"尾声", false},
    {U"后记", false},
    {U"番外", true},
    {U"外传", true},
}};

bool mayStartHeading(char32_t c)
{
    return c == kChapterPrefix || c == U'序' || c == U'楔' || c == U'引' || c == U'前' ||
           c == U'尾' || c == U'后' || c == U'番' || c == U'外';
}

// Whether a heading starts at `at` and runs to `end` (the paragraph mark or the text's
// end). `opensParagraph`: nothing but blanks stands before it in its paragraph.
template <typename Text> bool headingAt(Text text, size_t at, size_t end, bool opensParagraph)
{
    if (text[at] == kChapterPrefix) {
        size_t k = at + 1;
        while (k < end && k - at - 1 < kNumberLimit && isNumeral(text[k]))
            ++k;
        if (k == at + 1 || k == end)
            return false;
        if (isChapterUnit(text[k]))
            return true;
        return isMeasureUnit(text[k]) && (k + 1 == end || isSeparator(text[k + 1]));
    }
    for (const NamedSection &section : kNamedSections) {
        const size_t length = section.name.size();
        if (end - at < length ||
            !std::equal(section.name.begin(), section.name.end(), text.begin() + at,
                        [](char32_t a, auto b) { return a == static_cast<char32_t>(b); }))
            continue;
        const size_t after = at + length;
        if (!opensParagraph) // joined to the text before it: only with a title after a blank
            return after < end && isBlank(text[after]);
        return after == end || isSeparator(text[after]) || section.titleMayFollow;
    }
    return false;
}

template <typename Text> std::u32string titleOf(Text text, size_t at, size_t end)
{
    while (end > at && isBlank(text[end - 1]))
        --end;
    end = std::min(end, at + kChapterTitleLimit);
    return std::u32string(text.begin() + at, text.begin() + end);
}

// The heading of paragraph [start, end), if any: only its last kHeadingLengthLimit
// characters, after its last "。", can hold one.
template <typename Text>
void findInParagraph(Text text, size_t start, size_t end, std::vector<Chapter> &chapters)
{
    size_t first = start;
    while (first < end && isBlank(text[first]))
        ++first;
    size_t from = std::max(first, end - std::min<size_t>(end, kHeadingLengthLimit));
    for (size_t k = end; k > from; --k) {
        if (text[k - 1] == U'。') {
            from = k;
            break;
        }
    }
    for (size_t at = from; at < end; ++at) {
        if (mayStartHeading(text[at]) && headingAt(text, at, end, at == first)) {
            chapters.push_back({static_cast<int64_t>(at), titleOf(text, at, end)});
            return;
        }
    }
}

} // namespace

std::vector<Chapter> findChapters(const BookText &paragraphText)
{
    return findChaptersIn(paragraphText, 0, static_cast<int64_t>(paragraphText.size()));
}

std::vector<Chapter> findChaptersIn(const BookText &paragraphText, int64_t from, int64_t to)
{
    std::vector<Chapter> chapters;
    paragraphText.visit([&](auto whole) {
        using Unit = typename decltype(whole)::value_type;
        const auto text = whole.substr(
            0, static_cast<size_t>(std::clamp<int64_t>(to, 0, static_cast<int64_t>(whole.size()))));
        auto start =
            static_cast<size_t>(std::clamp<int64_t>(from, 0, static_cast<int64_t>(text.size())));
        PagesBehind behind(paragraphText, start);
        while (start < text.size()) {
            behind.passed(start);
            size_t end = text.find(static_cast<Unit>(kParagraphMark), start);
            if (end == decltype(text)::npos)
                end = text.size();
            findInParagraph(text, start, end, chapters);
            start = end + 1;
        }
    });
    return chapters;
}

int64_t chapterAt(const std::vector<Chapter> &chapters, int64_t offset)
{
    const auto after = std::upper_bound(
        chapters.begin(), chapters.end(), offset,
        [](int64_t value, const Chapter &chapter) { return value < chapter.offset; });
    return static_cast<int64_t>(after - chapters.begin()) - 1;
}

} // namespace tibbo::core
