#include "text/sentences.h"

#include <algorithm>
#include <string_view>

namespace tibbo::core {

namespace {

// How far back from where reading starts a sentence boundary is looked for.
constexpr int64_t kBoundarySearch = 4 * kSentenceLengthLimit;

bool isBlank(char32_t c)
{
    return c == U' ' || c == U'\u3000' || c == U'\t' || c == U'\u00A0' || c == U'\r' ||
           c == U'\n' || c == U'\uFEFF';
}

bool isEndMark(char32_t c)
{
    return std::u32string_view(U"。！？!?；;…⋯｡").find(c) != std::u32string_view::npos;
}

// Marks that close what an end mark ended. ASCII quotes count only after an end mark:
// elsewhere they may as well open a quotation.
bool isClosingMark(char32_t c)
{
    return std::u32string_view(U"”’」』）)》〉】〕］]｝}〗〙〛").find(c) !=
           std::u32string_view::npos;
}

bool isCommaLike(char32_t c)
{
    return std::u32string_view(U"，、,：:—–").find(c) != std::u32string_view::npos || isBlank(c);
}

// Whether a character is heard: letters, digits and ideographs; not marks or symbols.
bool isRead(char32_t c)
{
    if (c < 0x80)
        return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
    if (c <= 0xBF || (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F) ||
        (c >= 0xFE30 && c <= 0xFE4F) || c == 0xFFFD || c == 0xFEFF)
        return false;
    // Full-width forms: only digits and letters are read.
    if (c >= 0xFF00 && c <= 0xFFEF)
        return (c >= U'０' && c <= U'９') || (c >= U'Ａ' && c <= U'Ｚ') ||
               (c >= U'ａ' && c <= U'ｚ');
    return true;
}

template <typename Text> struct Cutter
{
    Text text;
    int64_t size() const { return static_cast<int64_t>(text.size()); }
    char32_t at(int64_t i) const { return static_cast<char32_t>(text[static_cast<size_t>(i)]); }

    // "." is an end mark only as part of "..".
    bool endsAt(int64_t i) const
    {
        const char32_t c = at(i);
        if (isEndMark(c))
            return true;
        return c == U'.' && ((i + 1 < size() && at(i + 1) == U'.') || (i > 0 && at(i - 1) == U'.'));
    }

    // Past the end marks and closing marks from i on, ASCII quotes included.
    int64_t pastEndRun(int64_t i) const
    {
        while (i < size() && (endsAt(i) || isClosingMark(at(i)) || at(i) == U'"' || at(i) == U'\''))
            ++i;
        return i;
    }

    // Whether nothing but blanks lies between `end` and the paragraph's mark.
    bool closesParagraph(int64_t end) const
    {
        while (end < size() && isBlank(at(end)))
            ++end;
        return end == size() || at(end) == kParagraphMark;
    }

    // One sentence from `begin`, which holds a character that may start one.
    Sentence cutFrom(int64_t begin) const
    {
        int64_t lastComma = -1;
        for (int64_t i = begin; i < size(); ++i) {
            const char32_t c = at(i);
            if (c == kParagraphMark)
                return {begin, i, true};
            if (endsAt(i)) {
                const int64_t end = pastEndRun(i);
                return {begin, end, closesParagraph(end)};
            }
            if (i - begin >= kSentenceLengthLimit) {
                int64_t cut = lastComma > begin ? lastComma : i;
                while (cut < size() && isClosingMark(at(cut)))
                    ++cut;
                return {begin, cut, closesParagraph(cut)};
            }
            if (isCommaLike(c))
                lastComma = i + 1;
        }
        return {begin, size(), true};
    }

    std::optional<Sentence> from(int64_t boundary) const
    {
        for (int64_t i = std::max<int64_t>(boundary, 0); i < size();) {
            const char32_t c = at(i);
            if (c == kParagraphMark || isBlank(c) || isClosingMark(c)) {
                ++i;
                continue;
            }
            const Sentence sentence = cutFrom(i);
            for (int64_t k = sentence.begin; k < sentence.end; ++k)
                if (isRead(at(k)))
                    return sentence;
            i = std::max(sentence.end, i + 1);
        }
        return std::nullopt;
    }

    // A place at or before `offset` where a sentence begins whatever came before it: after
    // a paragraph mark or after a run of end marks. Within a run-on with neither for
    // kBoundarySearch characters, the start of that search.
    int64_t boundaryBefore(int64_t offset) const
    {
        offset = std::clamp<int64_t>(offset, 0, size());
        const int64_t low = std::max<int64_t>(0, offset - kBoundarySearch);
        for (int64_t i = offset - 1; i >= low; --i) {
            if (at(i) == kParagraphMark)
                return i + 1;
            // A run of end marks that reaches past `offset` still ends a sentence before
            // any that begins at `offset` or after.
            if (endsAt(i))
                return pastEndRun(i);
        }
        return low;
    }
};

template <typename F> decltype(auto) withCutter(const BookText &text, F &&f)
{
    return text.visit([&f](auto units) { return f(Cutter<decltype(units)>{units}); });
}

} // namespace

std::optional<Sentence> sentenceFrom(const BookText &text, int64_t boundary)
{
    return withCutter(text, [boundary](const auto &cutter) { return cutter.from(boundary); });
}

std::optional<Sentence> firstSentenceIn(const BookText &text, int64_t from, int64_t to)
{
    return withCutter(text, [from, to](const auto &cutter) -> std::optional<Sentence> {
        int64_t boundary = cutter.boundaryBefore(from);
        while (auto sentence = cutter.from(boundary)) {
            if (sentence->begin >= to)
                return std::nullopt;
            if (sentence->begin >= from)
                return sentence;
            boundary = sentence->end;
        }
        return std::nullopt;
    });
}

std::optional<Sentence> sentenceHolding(const BookText &text, int64_t offset)
{
    return withCutter(text, [offset](const auto &cutter) -> std::optional<Sentence> {
        int64_t boundary = cutter.boundaryBefore(offset);
        // Inside a run of end marks: the sentence it ends began before the run.
        if (boundary > offset) {
            int64_t runStart = offset;
            while (runStart > 0 && cutter.pastEndRun(runStart - 1) > runStart - 1)
                --runStart;
            boundary = cutter.boundaryBefore(runStart);
        }
        while (auto sentence = cutter.from(boundary)) {
            if (sentence->end > offset)
                return sentence;
            boundary = sentence->end;
        }
        return std::nullopt;
    });
}

std::u32string spokenText(const BookText &text, const Sentence &sentence)
{
    std::u32string spoken;
    const int64_t end = std::min<int64_t>(sentence.end, static_cast<int64_t>(text.size()));
    bool blankPending = false;
    for (int64_t i = std::max<int64_t>(sentence.begin, 0); i < end; ++i) {
        const char32_t c = text[static_cast<size_t>(i)];
        if (isBlank(c)) {
            blankPending = !spoken.empty();
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == kParagraphMark)
            continue;
        if (blankPending)
            spoken.push_back(U' ');
        blankPending = false;
        spoken.push_back(c);
    }
    return spoken;
}

} // namespace tibbo::core
