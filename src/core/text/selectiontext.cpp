#include "text/selectiontext.h"

#include "state/readerstate.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace tibbo::core {

std::optional<int64_t> characterOnRow(const ReaderState &state, int64_t row, int64_t column)
{
    const int64_t rows = 2 * std::max<int64_t>(state.linesPerPage, 1);
    const int64_t j = state.topLine - 1 + row;
    if (row < 0 || row >= rows || j < 0 || j >= state.lineCount())
        return std::nullopt;
    // As the spread cuts its rows: kept within the text, the closing mark not shown.
    const auto textSize = static_cast<int64_t>(state.paragraphText.size());
    const int64_t s = std::clamp<int64_t>(state.lineEnds[static_cast<size_t>(j)], 0, textSize);
    int64_t e = std::clamp<int64_t>(state.lineEnds[static_cast<size_t>(j + 1)], s, textSize);
    if (e > s && state.paragraphText[static_cast<size_t>(e - 1)] == kParagraphMark)
        --e;
    if (e == s)
        return s;
    return s + std::clamp<int64_t>(column, 0, e - s - 1);
}

namespace {

// One word-break iterator for the thread: making one loads ICU's rules and dictionaries.
icu::BreakIterator *wordBreaker()
{
    thread_local std::unique_ptr<icu::BreakIterator> breaker = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createWordInstance(icu::Locale::getChinese(), status));
        return U_FAILURE(status) ? nullptr : std::move(made);
    }();
    return breaker.get();
}

} // namespace

TextSpan wordAt(const BookText &text, int64_t offset)
{
    const auto n = static_cast<int64_t>(text.size());
    if (offset < 0 || offset >= n)
        return {};
    const TextSpan single{offset, offset + 1};
    if (text[static_cast<size_t>(offset)] == kParagraphMark)
        return single;
    // The paragraph around the character, at most kWordWindow characters either way.
    int64_t first = offset;
    while (first > 0 && offset - first < kWordWindow &&
           text[static_cast<size_t>(first - 1)] != kParagraphMark)
        --first;
    int64_t past = offset + 1;
    while (past < n && past - offset < kWordWindow &&
           text[static_cast<size_t>(past)] != kParagraphMark)
        ++past;
    icu::BreakIterator *breaker = wordBreaker();
    if (!breaker)
        return single;
    // UTF-16 for ICU: a character beyond the Basic Multilingual Plane takes two units.
    icu::UnicodeString units;
    std::vector<int32_t> unitOf; // unit index of each character, and of the end
    for (int64_t k = first; k < past; ++k) {
        unitOf.push_back(units.length());
        units.append(static_cast<UChar32>(text[static_cast<size_t>(k)]));
    }
    unitOf.push_back(units.length());
    breaker->setText(units);
    const int32_t at = unitOf[static_cast<size_t>(offset - first)];
    const int32_t end = breaker->following(at);
    // The status of the run that ends at `end`; 0 is a run that is no word (blanks,
    // punctuation).
    const int32_t status = breaker->getRuleStatus();
    const int32_t start = breaker->previous();
    if (end == icu::BreakIterator::DONE || start == icu::BreakIterator::DONE ||
        status == UBRK_WORD_NONE)
        return single;
    const auto characterOf = [&](int32_t unit) {
        return first + (std::lower_bound(unitOf.begin(), unitOf.end(), unit) - unitOf.begin());
    };
    const TextSpan word{characterOf(start), characterOf(end)};
    return word.from <= offset && offset < word.to ? word : single;
}

std::u32string copiedText(const BookText &text, int64_t from, int64_t to)
{
    const auto n = static_cast<int64_t>(text.size());
    from = std::clamp<int64_t>(from, 0, n);
    to = std::clamp<int64_t>(to, from, n);
    std::u32string copied = text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
    std::replace(copied.begin(), copied.end(), kParagraphMark, U'\n');
    return copied;
}

} // namespace tibbo::core
