#include "navigation/navigation.h"

#include "text/codepage.h"
#include "text/fileio.h"
#include "text/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace tibbo::core {

namespace {

int64_t spreadLines(const ReaderState &state)
{
    return 2 * pageDivisor(state.linesPerPage);
}

// The end test of every forward move: the last spread that holds text is on show, or
// topLine lies beyond it.
bool atLastSpread(const ReaderState &state)
{
    return state.topLine >= lastSpreadTop(state);
}

bool stepForward(ReaderState &state)
{
    if (atLastSpread(state))
        return false;
    state.topLine += spreadLines(state);
    return true;
}

// Shared by the thresholds of both strips: the middle band includes both its bounds.
bool inBand(double r, double low, double high)
{
    return r >= low && r <= high;
}

} // namespace

int64_t pageDivisor(int64_t linesPerPage)
{
    return linesPerPage > 0 ? linesPerPage : 1;
}

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t lastSpreadStart(int64_t entryCount, int64_t linesPerPage)
{
    const int64_t lines = entryCount - 1;
    if (lines < 1)
        return 1;
    const int64_t spread = 2 * pageDivisor(linesPerPage);
    return spread * floorDiv(lines - 1, spread) + 1;
}

int64_t lastSpreadTop(const ReaderState &state)
{
    return lastSpreadStart(state.entryCount(), state.linesPerPage);
}

int64_t promptPageCount(int64_t entryCount, int64_t linesPerPage)
{
    return 1 + floorDiv(entryCount, pageDivisor(linesPerPage));
}

int64_t spreadStartOfPage(double page, int64_t linesPerPage)
{
    return 2 * pageDivisor(linesPerPage) * intFloor((page - 1) / 2) + 1;
}

int64_t spreadOfOffset(const ReaderState &state, int64_t offset)
{
    const int64_t lines = state.lineCount();
    if (lines < 1)
        return 1;
    // The first line whose end lies past the character is the line that holds it.
    const auto past = std::upper_bound(state.lineEnds.begin() + 1, state.lineEnds.end(),
                                       std::max<int64_t>(offset, 0));
    const int64_t line = std::min<int64_t>(past - state.lineEnds.begin(), lines);
    const int64_t spread = spreadLines(state);
    return std::min(spread * floorDiv(line - 1, spread) + 1, lastSpreadTop(state));
}

int64_t lastOffsetOnShow(const ReaderState &state)
{
    const int64_t lines = state.lineCount();
    if (lines < 1)
        return -1;
    const int64_t first = std::clamp<int64_t>(state.topLine, 1, lastSpreadTop(state)) - 1;
    const int64_t past = std::min(first + spreadLines(state), lines);
    return state.lineEnds[static_cast<size_t>(past)] - 1;
}

bool pageBack(ReaderState &state)
{
    if (state.topLine < 2)
        return false;
    state.topLine -= spreadLines(state);
    return true;
}

bool pageForwardByClick(ReaderState &state)
{
    return stepForward(state);
}

bool runPageCommand(ReaderState &state, PageCommand command)
{
    switch (command) {
    case PageCommand::FirstSpread:
        state.topLine = 1;
        return true;
    case PageCommand::LastSpread:
        state.topLine = lastSpreadTop(state);
        return true;
    case PageCommand::PreviousSpread:
        return pageBack(state);
    case PageCommand::NextSpread:
        return stepForward(state);
    }
    return false;
}

EdgeAction edgeActionAt(EdgeStrip strip, double r)
{
    if (strip == EdgeStrip::Left) {
        if (r < 0.25)
            return EdgeAction::FirstSpread;
        return inBand(r, 0.25, 0.5) ? EdgeAction::BackTen : EdgeAction::BackFour;
    }
    if (r < 0.5)
        return EdgeAction::ForwardFour;
    return inBand(r, 0.5, 0.75) ? EdgeAction::ForwardTen : EdgeAction::LastSpread;
}

std::string_view edgeTooltipAt(EdgeStrip strip, double r)
{
    switch (edgeActionAt(strip, r)) {
    case EdgeAction::FirstSpread:
        return "翻到第一页";
    case EdgeAction::BackTen:
        return "前翻十页";
    case EdgeAction::BackFour:
        return "前翻四页";
    case EdgeAction::ForwardFour:
        return "后翻四页";
    case EdgeAction::ForwardTen:
        return "后翻十页";
    case EdgeAction::LastSpread:
        break;
    }
    return "翻到最后一页";
}

void pressEdgeStrip(ReaderState &state, EdgeStrip strip, double r)
{
    const int64_t l = pageDivisor(state.linesPerPage);
    const int64_t last = lastSpreadTop(state);
    // Four and ten pages are whole spreads, so the steps keep the spread alignment.
    switch (edgeActionAt(strip, r)) {
    case EdgeAction::FirstSpread:
        state.topLine = 1;
        break;
    case EdgeAction::BackTen:
        state.topLine -= 10 * l;
        break;
    case EdgeAction::BackFour:
        state.topLine -= 4 * l;
        break;
    case EdgeAction::ForwardFour:
        state.topLine += 4 * l;
        break;
    case EdgeAction::ForwardTen:
        state.topLine += 10 * l;
        break;
    case EdgeAction::LastSpread:
        state.topLine = last;
        break;
    }
    if (strip == EdgeStrip::Left && state.topLine < 1)
        state.topLine = 1;
    if (strip == EdgeStrip::Right && state.topLine > last)
        state.topLine = last;
}

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
    if (state.promptMode == kPromptSetTime) {
        state.autoTurnSeconds = val(text);
        return PromptOutcome::IntervalStored;
    }
    if (state.promptMode != kPromptSetPage)
        return PromptOutcome::Ignored;
    if (const auto share = percentAnswer(text))
        return showShareOfBook(state, *share);
    const double page = val(text);
    const auto pages = promptPageCount(state.entryCount(), state.linesPerPage);
    if (page < 1 || page > static_cast<double>(pages))
        return PromptOutcome::PageOutOfRange;
    state.topLine = std::min(spreadStartOfPage(page, state.linesPerPage), lastSpreadTop(state));
    return PromptOutcome::PageShown;
}

std::string promptIncrease(const ReaderState &state, std::string_view text)
{
    const double v = val(text);
    if (state.promptMode == kPromptSetTime)
        return plainNumber(v + 1);
    const auto pages = promptPageCount(state.entryCount(), state.linesPerPage);
    if (state.promptMode == kPromptSetPage && v < static_cast<double>(pages))
        return plainNumber(v + 1);
    return std::string(text);
}

std::string promptDecrease(const ReaderState &state, std::string_view text)
{
    const double v = val(text);
    const bool allowed = (state.promptMode == kPromptSetPage && v > 1) ||
                         (state.promptMode == kPromptSetTime && v > 5);
    return allowed ? plainNumber(v - 1) : std::string(text);
}

AutoTurnTick autoTurnTick(ReaderState &state)
{
    AutoTurnTick tick;
    state.elapsedSeconds += 1;
    if (state.elapsedSeconds >= state.autoTurnSeconds) {
        state.elapsedSeconds = 0;
        state.topLine = atLastSpread(state) ? 1 : state.topLine + spreadLines(state);
        tick.turned = true;
    }
    tick.closeMenu = state.elapsedSeconds == 2;
    return tick;
}

std::string autoTurnCaption(bool on, double seconds)
{
    // The number without the sign position Str gives it (a minus sign goes with it).
    const std::string state = on ? str(seconds).substr(1) + "秒" : std::string("关");
    return "自动翻页 (" + state + ")\r(左键开关自动翻页\r右键设置翻页时间)";
}

void startSpeedTest(ReaderState &state)
{
    state.elapsedSeconds = 0;
}

void speedTestTick(ReaderState &state)
{
    state.elapsedSeconds += 1;
}

std::string stopSpeedTest(ReaderState &state)
{
    state.autoTurnSeconds = state.elapsedSeconds;
    return "你看一页需要" + str(state.autoTurnSeconds) + "秒";
}

int64_t scrollStartPosition(const ReaderState &state)
{
    return state.charsPerLine * state.topLine;
}

int64_t nextScrollPosition(int64_t position, int64_t textLength)
{
    return position + 1 > textLength ? 1 : position + 1;
}

std::string scrollSpeedCaption(int speed)
{
    return "速度:" + str(speed);
}

std::string bookDisplayName(std::string_view bookPath)
{
    return fileNameOf(bookPath.substr(0, bookPath.find('.')));
}

std::string bookInfoTooltip(const ReaderState &state)
{
    const auto total = state.lineEnds.empty() ? 0 : state.lineEnds.back();
    const auto pages = promptPageCount(state.entryCount(), state.linesPerPage);
    return "您正在看《" + bookDisplayName(state.bookPath) + "》,这一页有" +
           str(static_cast<double>(state.spreadCharCount)) + "个字,本书共有" +
           str(static_cast<double>(total)) + "个字," + str(static_cast<double>(pages)) + "页.";
}

double progressPercent(const ReaderState &state)
{
    const int64_t total = state.lineEnds.empty() ? 0 : state.lineEnds.back();
    if (total <= 0)
        return 0;
    const int64_t top = std::clamp<int64_t>(state.topLine, 1, lastSpreadTop(state));
    const int64_t before = state.lineEnds[static_cast<size_t>(top - 1)];
    return 100.0 * static_cast<double>(before) / static_cast<double>(total);
}

std::string progressCaption(double percent)
{
    // Tenths, cut; the small allowance keeps 37.5 from reading 37.4 through rounding of
    // the product.
    const auto tenths =
        static_cast<int64_t>(std::clamp(std::floor(percent * 10 + 1e-6), 0.0, 1000.0));
    char caption[32];
    if (tenths % 10 == 0)
        std::snprintf(caption, sizeof caption, "%lld%%", static_cast<long long>(tenths / 10));
    else
        std::snprintf(caption, sizeof caption, "%lld.%lld%%", static_cast<long long>(tenths / 10),
                      static_cast<long long>(tenths % 10));
    return caption;
}

std::string bookInfoTooltipWithPlace(const ReaderState &state, std::string_view chapterTitle)
{
    std::string tooltip = bookInfoTooltip(state);
    if (!chapterTitle.empty())
        tooltip += "\n当前章节: " + std::string(chapterTitle);
    return tooltip + "\n已读: " + progressCaption(progressPercent(state));
}

} // namespace tibbo::core
