#include "reading/recap.h"

#include "text/codepage.h"

#include <algorithm>
#include <string_view>

namespace tibbo::core {

namespace {

// About this many characters of sentences are recalled.
constexpr size_t kRecalledCharacters = 80;
constexpr size_t kMostSentences = 3;

bool endsSentence(char32_t c)
{
    return c == U'。' || c == U'！' || c == U'？' || c == U'!' || c == U'?' || c == U'…';
}

bool closesQuote(char32_t c)
{
    return c == U'”' || c == U'’' || c == U'」' || c == U'』' || c == U'"' || c == U'）';
}

bool isBlank(char32_t c)
{
    return c == U' ' || c == U'\u3000' || c == U'\t';
}

// The end of the paragraph that starts at `from` (the offset of its paragraph mark, or the
// end of the text).
int64_t paragraphEnd(const BookText &text, int64_t from)
{
    const auto size = static_cast<int64_t>(text.size());
    while (from < size && text[static_cast<size_t>(from)] != kParagraphMark)
        ++from;
    return from;
}

std::string chapterName(const std::vector<Chapter> &chapters, int64_t index)
{
    if (index < 0 || index >= static_cast<int64_t>(chapters.size()))
        return std::string();
    return "「" + toUtf8(chapters[static_cast<size_t>(index)].title) + "」";
}

} // namespace

std::string timeAwayCaption(int64_t milliseconds)
{
    const int64_t days = std::max<int64_t>(milliseconds, 0) / (24 * 60 * 60 * 1000);
    if (days < 30)
        return std::to_string(days) + " 天";
    if (days < 365)
        return std::to_string(days / 30) + " 个多月";
    return std::to_string(days / 365) + " 年多";
}

std::u32string sentencesBefore(const BookText &text, const std::vector<Chapter> &chapters,
                               int64_t place)
{
    place = std::clamp<int64_t>(place, 0, static_cast<int64_t>(text.size()));
    // Never reach back into a heading: the text of the chapter the place is in starts after
    // its heading's paragraph; a place right there recalls the chapter before.
    int64_t lowest = 0;
    int64_t chapter = chapterAt(chapters, std::max<int64_t>(place - 1, 0));
    while (chapter >= 0) {
        const Chapter &heading = chapters[static_cast<size_t>(chapter)];
        const int64_t bodyStart = paragraphEnd(text, heading.offset) + 1;
        if (place > bodyStart || heading.offset == 0) {
            lowest = std::min(bodyStart, place);
            break;
        }
        // Nothing of this chapter is read yet: the end of the chapter before.
        place = heading.offset;
        chapter -= 1;
    }

    // What counts of the text: not the paragraph marks and blanks at the end.
    int64_t end = place;
    while (end > lowest && (text[static_cast<size_t>(end - 1)] == kParagraphMark ||
                            isBlank(text[static_cast<size_t>(end - 1)])))
        --end;
    // A sentence starts after a paragraph mark, or after the mark that ends the one before
    // it and the closing quotes that follow that mark ("……", "？！" and "。”" are one ending).
    const auto at = [&text](int64_t i) { return text[static_cast<size_t>(i)]; };
    const auto startsSentence = [&](int64_t i) {
        if (at(i - 1) == kParagraphMark)
            return true;
        if (endsSentence(at(i)) || closesQuote(at(i)))
            return false;
        int64_t j = i - 1;
        while (j > lowest && closesQuote(at(j)))
            --j;
        return endsSentence(at(j));
    };
    int64_t start = end;
    size_t sentences = 0;
    while (start > lowest && sentences < kMostSentences) {
        // The paragraph marks and indents between two sentences belong to neither.
        int64_t from = start;
        while (from > lowest && (at(from - 1) == kParagraphMark || isBlank(at(from - 1))))
            --from;
        if (from == lowest)
            break;
        --from;
        while (from > lowest && !startsSentence(from))
            --from;
        if (sentences > 0 && static_cast<size_t>(end - from) > kRecalledCharacters)
            break;
        start = from;
        ++sentences;
        if (static_cast<size_t>(end - start) >= kRecalledCharacters)
            break;
    }

    std::u32string recalled;
    bool cut = false;
    if (static_cast<size_t>(end - start) > kRecalledCharacters + kRecalledCharacters / 4) {
        start = end - static_cast<int64_t>(kRecalledCharacters);
        cut = true;
    }
    for (int64_t i = start; i < end; ++i) {
        const char32_t c = text[static_cast<size_t>(i)];
        // Paragraph marks and the indents after them go; the sentences run on.
        if (c == kParagraphMark)
            continue;
        if (isBlank(c) && (i == start || text[static_cast<size_t>(i - 1)] == kParagraphMark ||
                           isBlank(text[static_cast<size_t>(i - 1)])))
            continue;
        recalled.push_back(c);
    }
    return cut ? U"……" + recalled : recalled;
}

std::string recapText(const BookText &text, const std::vector<Chapter> &chapters,
                      CharacterRange onShow, int64_t millisecondsAway, const CharactersLeft &left,
                      std::optional<double> charsPerMinute)
{
    std::string recap = "隔了 " + timeAwayCaption(millisecondsAway) + "没见啦!";
    const auto size = static_cast<int64_t>(text.size());
    const auto count = static_cast<int64_t>(chapters.size());
    // The first heading on the spread on show, if any.
    const auto onSpread = std::lower_bound(
        chapters.begin(), chapters.end(), onShow.from,
        [](const Chapter &chapter, int64_t offset) { return chapter.offset < offset; });
    const bool headingOnShow = onSpread != chapters.end() && onSpread->offset < onShow.to;

    std::string where;
    if (onShow.to >= size) {
        where = "上次已经读到最后一页了";
        if (count > 0)
            where += "，最后一章是" + chapterName(chapters, count - 1);
        where += "。";
    } else if (headingOnShow) {
        const auto starting = static_cast<int64_t>(onSpread - chapters.begin());
        where = starting > 0 ? "上次读完了" + chapterName(chapters, starting - 1) + "，该读" +
                                   chapterName(chapters, starting) + "了。"
                             : "上次正要开始读" + chapterName(chapters, starting) + "。";
    } else if (const int64_t current = chapterAt(chapters, onShow.from); current >= 0) {
        where = "上次读到" + chapterName(chapters, current);
        if (current > 0)
            where += "，前一章是" + chapterName(chapters, current - 1);
        where += "。";
    }
    if (!where.empty())
        recap += "\n" + where;

    const std::u32string recalled = sentencesBefore(text, chapters, onShow.from);
    if (!recalled.empty())
        recap += "\n最后读到的是：“" + toUtf8(recalled) + "”";

    if (charsPerMinute && *charsPerMinute > 0 && left.inBook > 0) {
        recap += "\n按你的速度，";
        if (left.inChapter)
            recap += "这一章还要" + durationCaption(*left.inChapter, *charsPerMinute) + "，";
        recap += "全书还要" + durationCaption(left.inBook, *charsPerMinute) + "。";
    }
    return recap;
}

} // namespace tibbo::core
