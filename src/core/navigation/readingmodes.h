#pragma once
// The reading modes as plain functions of the reader state: the automatic page turn, the
// reading-speed test and the steps of scroll mode. The window's timers call them.

#include "state/readerstate.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tibbo::core {

// ---- Automatic page turning -------------------------------------------------------------

struct AutoTurnTick
{
    bool turned = false;    // topLine moved; redraw
    bool closeMenu = false; // two seconds after a turn the menu panel closes
};

// One second of automatic turning. The counter is shared with the speed test. At the
// interval the counter restarts and the book turns one spread, or back to the first
// spread from the last spread that holds text (or from anywhere past it).
AutoTurnTick autoTurnTick(ReaderState &state);

// Caption of the automatic-turning label, lines separated by CR:
// "自动翻页 (240秒)\r(左键开关自动翻页\r右键设置翻页时间)" when on, "自动翻页 (关)..." when off.
std::string autoTurnCaption(bool on, double seconds);

// ---- Reading-speed test -------------------------------------------------------------------

inline constexpr std::string_view kSpeedTestStartCaption = "开始测试读速";
inline constexpr std::string_view kSpeedTestStopCaption = "停止测试读速";

void startSpeedTest(ReaderState &state);
void speedTestTick(ReaderState &state);
// Ends the test: the counted seconds become the turning interval unchanged (0 when
// stopped before the first tick). Returns the message, e.g. "你看一页需要 37秒".
std::string stopSpeedTest(ReaderState &state);

// ---- Scroll mode ------------------------------------------------------------------------

// Caret position to start scrolling from: charsPerLine * topLine, an estimate of the
// spread on show in the scroll text.
int64_t scrollStartPosition(const ReaderState &state);

// One scroll step: the next caret position, back to 1 after the end of a text of
// textLength characters.
int64_t nextScrollPosition(int64_t position, int64_t textLength);

// "速度: 130"
std::string scrollSpeedCaption(int speed);

} // namespace tibbo::core
