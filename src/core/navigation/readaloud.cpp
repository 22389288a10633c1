#include "navigation/readaloud.h"

#include "pages/pages.h"

#include <algorithm>

namespace tibbo::core {

std::optional<Sentence> firstSentenceOnShow(const ReaderState &state)
{
    if (!state.lineEndsFitText() || state.lineCount() < 1)
        return std::nullopt;
    const auto [from, to] = charactersOnShow(state);
    if (from >= to)
        return std::nullopt;
    if (auto first = firstSentenceIn(state.paragraphText, from, to))
        return first;
    const auto cut = sentenceFrom(state.paragraphText, from);
    if (cut && cut->begin < to)
        return cut;
    return std::nullopt;
}

std::optional<Sentence> sentenceAtOffset(const ReaderState &state, int64_t offset)
{
    return sentenceHolding(state.paragraphText, std::max<int64_t>(offset, 0));
}

std::optional<Sentence> sentenceAfter(const ReaderState &state, const Sentence &sentence)
{
    return sentenceFrom(state.paragraphText, sentence.end);
}

int64_t spreadOfSentence(const ReaderState &state, const Sentence &sentence)
{
    return spreadOfOffset(state, sentence.begin);
}

int64_t chapterEndAfter(const std::vector<Chapter> &chapters, int64_t offset, int64_t textSize)
{
    const auto next =
        std::upper_bound(chapters.begin(), chapters.end(), offset,
                         [](int64_t at, const Chapter &chapter) { return at < chapter.offset; });
    return next == chapters.end() ? textSize : next->offset;
}

} // namespace tibbo::core
