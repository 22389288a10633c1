#include "corefixtures.h"

#include "navigation/readingmodes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

struct TickLog
{
    std::vector<int> turns;
    std::vector<int> closes;
};

TickLog runTicks(ReaderState &state, int ticks)
{
    TickLog log;
    for (int t = 1; t <= ticks; ++t) {
        const AutoTurnTick tick = autoTurnTick(state);
        if (tick.turned)
            log.turns.push_back(t);
        if (tick.closeMenu)
            log.closes.push_back(t);
    }
    return log;
}

TEST(AutoTurn, intervalThree_turnsEveryThirdTickAndClosesTheMenuOneTickBefore)
{
    ReaderState state = book(200, 10);
    state.autoTurnSeconds = 3;
    const TickLog log = runTicks(state, 9);
    EXPECT_EQ(log.turns, (std::vector<int>{3, 6, 9}));
    EXPECT_EQ(log.closes, (std::vector<int>{2, 5, 8}));
    EXPECT_EQ(state.topLine, 61);
    EXPECT_EQ(state.elapsedSeconds, 0);
}

TEST(AutoTurn, countAlreadyRunning_isNotReset)
{
    // Switching turning on keeps the count, so the first turn may come at once.
    ReaderState state = book(200, 10);
    state.autoTurnSeconds = 3;
    state.elapsedSeconds = 2;
    EXPECT_TRUE(autoTurnTick(state).turned);
}

TEST(AutoTurn, intervalZeroOrBelow_turnsAtEveryTickAndNeverClosesTheMenu)
{
    for (const double interval : {0.0, -4.0}) {
        SCOPED_TRACE(interval);
        ReaderState state = book(200, 10);
        state.autoTurnSeconds = interval;
        const TickLog log = runTicks(state, 4);
        EXPECT_EQ(log.turns, (std::vector<int>{1, 2, 3, 4}));
        EXPECT_TRUE(log.closes.empty());
        EXPECT_EQ(state.topLine, 81);
    }
}

TEST(AutoTurn, lastSpreadThatHoldsText_wrapsToTheFirst)
{
    struct Row
    {
        const char *name;
        int64_t lines, from, to;
    };
    const Row rows[] = {
        {"50 lines: Int(E/L) odd, the last spread wraps", 50, 41, 1},
        {"50 lines: from an empty spread past the end back to the start", 50, 61, 1},
        {"35 lines", 35, 21, 1},
        {"40 lines: a multiple of 2L, no blank spread before wrapping", 40, 21, 1},
        {"fewer lines than a page", 5, 1, 1},
        {"15 lines: one spread only", 15, 1, 1},
        {"middle of the book", 50, 21, 41},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ReaderState state = book(row.lines, 10, row.from);
        state.autoTurnSeconds = 1;
        EXPECT_TRUE(autoTurnTick(state).turned);
        EXPECT_EQ(state.topLine, row.to);
    }
}

TEST(AutoTurn, caption_showsTheIntervalOrOffOnItsFirstLine)
{
    struct Row
    {
        bool on;
        double seconds;
        std::string caption;
    };
    const Row rows[] = {
        {true, 240, "自动翻页 (240秒)\r(左键开关自动翻页\r右键设置翻页时间)"},
        {true, 0, "自动翻页 (0秒)\r(左键开关自动翻页\r右键设置翻页时间)"},
        {true, 7.5, "自动翻页 (7.5秒)\r(左键开关自动翻页\r右键设置翻页时间)"},
        {false, 240, "自动翻页 (关)\r(左键开关自动翻页\r右键设置翻页时间)"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.seconds);
        EXPECT_EQ(autoTurnCaption(row.on, row.seconds), row.caption);
    }
}

TEST(SpeedTest, twelveTicks_becomeTheIntervalAndTheMessage)
{
    ReaderState state;
    state.elapsedSeconds = 7; // left over from automatic turning
    startSpeedTest(state);
    for (int i = 0; i < 12; ++i)
        speedTestTick(state);
    EXPECT_EQ(stopSpeedTest(state), "你看一页需要 12秒");
    EXPECT_EQ(state.autoTurnSeconds, 12);
}

TEST(SpeedTest, stopBeforeTheFirstTick_givesZero)
{
    ReaderState state;
    state.elapsedSeconds = 30;
    startSpeedTest(state);
    EXPECT_EQ(stopSpeedTest(state), "你看一页需要 0秒");
    EXPECT_EQ(state.autoTurnSeconds, 0);
}

TEST(ScrollMode, start_isCharsPerLineTimesTopLine)
{
    ReaderState state;
    state.charsPerLine = 30;
    state.topLine = 41;
    EXPECT_EQ(scrollStartPosition(state), 1230);
}

TEST(ScrollMode, step_advancesAndWrapsToOneAfterTheEnd)
{
    struct Row
    {
        int64_t position, length, next;
    };
    const Row rows[] = {{0, 5, 1}, {4, 5, 5}, {5, 5, 1}, {9, 5, 1}, {0, 0, 1}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.position);
        EXPECT_EQ(nextScrollPosition(row.position, row.length), row.next);
    }
}

TEST(ScrollMode, speedCaption_hasStrBlank)
{
    EXPECT_EQ(scrollSpeedCaption(130), "速度: 130");
    EXPECT_EQ(scrollSpeedCaption(300), "速度: 300");
}

} // namespace
} // namespace tibbo::core
