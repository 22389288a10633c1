#include "navigation/prompt.h"

#include "pages/pages.h"
#include "text/numbers.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace tibbo::core {

std::string goToPageTooltip(const ReaderState &state)
{
    const auto pages = promptPageCount(state.entryCount(), state.linesPerPage);
    return "一共" + str(static_cast<double>(pages)) + "页";
}

std::string goToPageDefaultText(const ReaderState &state)
{
    const int64_t line = state.topLine + state.selectedLine;
    return plainNumber(static_cast<double>(1 + floorDiv(line, pageDivisor(state.linesPerPage))));
}

namespace {

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Nothing when the answer is not a share of the book (no "%" or "％" at its end); -1
// when it is one but not a plain decimal from 0 to 100.
std::optional<double> percentAnswer(std::string_view text)
{
    text = trimBlanks(text);
    constexpr std::string_view kFullWidthPercent = "\xEF\xBC\x85";
    if (text.ends_with('%'))
        text.remove_suffix(1);
    else if (text.ends_with(kFullWidthPercent))
        text.remove_suffix(kFullWidthPercent.size());
    else
        return std::nullopt;
    text = trimBlanks(text);
    const bool digitsAndOnePoint =
        !text.empty() && text != "." && std::count(text.begin(), text.end(), '.') <= 1 &&
        std::all_of(text.begin(), text.end(),
                    [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
    const double share = digitsAndOnePoint ? val(text) : -1;
    return share <= 100 ? share : -1;
}

PromptOutcome showShareOfBook(ReaderState &state, double percent)
{
    if (percent < 0)
        return PromptOutcome::PageOutOfRange;
    const int64_t total = state.lineEnds.empty() ? 0 : state.lineEnds.back();
    const auto offset =
        static_cast<int64_t>(std::floor(percent / 100 * static_cast<double>(total)));
    state.topLine = spreadOfOffset(state, std::min(offset, total - 1));
    return PromptOutcome::PageShown;
}

} // namespace

PromptOutcome confirmPrompt(ReaderState &state, std::string_view text)
{
    if (state.promptMode == PromptMode::Interval) {
        state.autoTurnSeconds = val(text);
        return PromptOutcome::IntervalStored;
    }
    if (state.promptMode != PromptMode::GoToPage)
        return PromptOutcome::Ignored;
    if (const auto share = percentAnswer(text))
        return showShareOfBook(state, *share);
    const double page = val(text);
    const auto pages = promptPageCount(state.entryCount(), state.linesPerPage);
    if (page < 1 || page > static_cast<double>(pages))
        return PromptOutcome::PageOutOfRange;
    state.topLine =
        std::min(spreadStartOfPage(intFloor(page), state.linesPerPage), lastSpreadTop(state));
    return PromptOutcome::PageShown;
}

std::string promptIncrease(const ReaderState &state, std::string_view text)
{
    const double v = val(text);
    if (state.promptMode == PromptMode::Interval)
        return plainNumber(v + 1);
    const auto pages = promptPageCount(state.entryCount(), state.linesPerPage);
    if (state.promptMode == PromptMode::GoToPage && v < static_cast<double>(pages))
        return plainNumber(v + 1);
    return std::string(text);
}

std::string promptDecrease(const ReaderState &state, std::string_view text)
{
    const double v = val(text);
    const bool allowed = (state.promptMode == PromptMode::GoToPage && v > 1) ||
                         (state.promptMode == PromptMode::Interval && v > 5);
    return allowed ? plainNumber(v - 1) : std::string(text);
}

} // namespace tibbo::core
