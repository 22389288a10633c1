#include "navigation/readingmodes.h"

#include "navigation/pagemoves.h"
#include "text/numbers.h"

namespace tibbo::core {

AutoTurnTick autoTurnTick(ReaderState &state)
{
    AutoTurnTick tick;
    state.elapsedSeconds += 1;
    if (state.elapsedSeconds >= state.autoTurnSeconds) {
        state.elapsedSeconds = 0;
        // From the last spread that holds text (or past it) back to the first.
        if (!pageForwardByClick(state))
            state.topLine = 1;
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

} // namespace tibbo::core
