#include "navigation/pagemoves.h"

#include "pages/pages.h"

namespace tibbo::core {

namespace {

// Shared by the thresholds of both strips: the middle band includes both its bounds.
bool inBand(double r, double low, double high)
{
    return r >= low && r <= high;
}

} // namespace

bool pageBack(ReaderState &state)
{
    if (state.topLine < 2)
        return false;
    state.topLine -= 2 * pageDivisor(state.linesPerPage);
    return true;
}

// The end test of every forward move: the last spread that holds text is on show, or
// topLine lies beyond it.
bool pageForwardByClick(ReaderState &state)
{
    if (state.topLine >= lastSpreadTop(state))
        return false;
    state.topLine += 2 * pageDivisor(state.linesPerPage);
    return true;
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
        return pageForwardByClick(state);
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

} // namespace tibbo::core
