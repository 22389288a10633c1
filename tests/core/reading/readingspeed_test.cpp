#include "reading/readingspeed.h"
#include "reading/readingtracker.h"

#include <gtest/gtest.h>

#include <vector>

namespace tibbo::core {
namespace {

constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;

// A reader's evening: each step shows the spread [from, to) of `book` at `at` (ms).
struct Show
{
    const char *why;
    int64_t at;
    int64_t from, to;
    const char *book = "a.txt";
    uint64_t textVersion = 1;
    // What the show counts for the spread before it.
    int64_t read = 0;
};

TEST(ReadingTracker, turnsAndPauses_countOnlySpreadsReadThroughInOrder)
{
    // Spreads of 500 characters.
    const Show shows[] = {
        {"book opened", 0, 0, 500},
        {"turned on after a minute", 1 * kMinute, 500, 1000, "a.txt", 1, 500},
        {"and again", 2 * kMinute, 1000, 1500, "a.txt", 1, 500},
        {"a pause of six minutes is not reading", 8 * kMinute, 1500, 2000},
        {"reading goes on", 9 * kMinute, 2000, 2500, "a.txt", 1, 500},
        {"turned back: not in order", 9 * kMinute + 30 * kSecond, 1500, 2000},
        {"forward again to a spread read before", 10 * kMinute, 2000, 2500, "a.txt", 1, 500},
        {"a jump to a chapter", 11 * kMinute, 9000, 9500},
        {"leafing through: 500 characters in 5 s", 11 * kMinute + 5 * kSecond, 9500, 10000},
        {"read after the leafing", 12 * kMinute + 5 * kSecond, 10000, 10500, "a.txt", 1, 500},
        {"the same spread shown again (a redraw)", 12 * kMinute + 20 * kSecond, 10000, 10500},
        {"a re-flow: the next spread starts elsewhere", 12 * kMinute + 40 * kSecond, 9900, 10400},
        {"in order after the re-flow", 13 * kMinute + 40 * kSecond, 10400, 10900, "a.txt", 1, 500},
        {"another book opens at the offset that follows", 14 * kMinute, 10900, 11400, "b.txt"},
        {"the text replaced (same book read again)", 15 * kMinute, 11400, 11900, "b.txt", 2},
        {"exactly five minutes still counts", 20 * kMinute, 11900, 12400, "b.txt", 2, 500},
    };
    ReadingTracker tracker;
    SpeedRecord speed;
    std::vector<ReadingSession> ended;
    for (const Show &show : shows) {
        SCOPED_TRACE(show.why);
        const auto outcome =
            tracker.show({show.book, show.textVersion, show.from, show.to}, show.at);
        EXPECT_EQ(outcome.readCharacters, show.read);
        if (outcome.readCharacters > 0)
            addReading(speed, outcome.readCharacters, outcome.readMilliseconds);
        if (outcome.ended)
            ended.push_back(*outcome.ended);
    }
    if (auto last = tracker.stop())
        ended.push_back(*last);

    // Seven spreads read in ten and a half minutes (the five-minute one included).
    EXPECT_EQ(speed.measuredCharacters, 3500);
    EXPECT_EQ(speed.measuredSeconds, 630);
    ASSERT_TRUE(charactersPerMinute(speed));
    EXPECT_DOUBLE_EQ(*charactersPerMinute(speed), 3500 * 60.0 / 630);

    // Each run of spreads read in order is one session.
    struct Expected
    {
        int64_t start, end, characters;
        const char *book;
    };
    const Expected sessions[] = {
        {0, 2 * kMinute, 1000, "a.txt"},
        {8 * kMinute, 9 * kMinute, 500, "a.txt"},
        {9 * kMinute + 30 * kSecond, 10 * kMinute, 500, "a.txt"},
        {11 * kMinute + 5 * kSecond, 12 * kMinute + 5 * kSecond, 500, "a.txt"},
        {12 * kMinute + 40 * kSecond, 13 * kMinute + 40 * kSecond, 500, "a.txt"},
        {15 * kMinute, 20 * kMinute, 500, "b.txt"},
    };
    ASSERT_EQ(ended.size(), std::size(sessions));
    for (size_t i = 0; i < ended.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ended[i].start, sessions[i].start);
        EXPECT_EQ(ended[i].end, sessions[i].end);
        EXPECT_EQ(ended[i].characters, sessions[i].characters);
        EXPECT_EQ(ended[i].book, sessions[i].book);
    }
}

TEST(ReadingTracker, clockGoingBackwards_countsNothing)
{
    ReadingTracker tracker;
    tracker.show({"a.txt", 1, 0, 500}, 10 * kMinute);
    EXPECT_EQ(tracker.show({"a.txt", 1, 500, 1000}, 9 * kMinute).readCharacters, 0);
    EXPECT_FALSE(tracker.session());
}

TEST(ReadingSpeed, seedFromTheTest_countsUntilEnoughReadingIsMeasured)
{
    struct Row
    {
        const char *name;
        int64_t seed, characters, seconds;
        std::optional<double> expected;
    };
    const Row rows[] = {
        {"nothing known", 0, 0, 0, std::nullopt},
        {"the seed alone", 600, 0, 0, 600},
        {"no seed, too little reading to tell", 0, 900, 90, std::nullopt},
        {"no seed, two minutes read", 0, 800, 120, 400},
        {"half of enough reading: half each", 600, 6000, 15 * 60, 500},
        {"enough reading: the seed no longer counts", 600, 12000, 30 * 60, 400},
        {"more than enough", 600, 24000, 60 * 60, 400},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const SpeedRecord record{row.seed, row.characters, row.seconds};
        EXPECT_EQ(charactersPerMinute(record), row.expected);
    }
}

TEST(ReadingSpeed, speedTest_seedsFromTheSpreadAndItsSeconds)
{
    SpeedRecord record;
    seedSpeed(record, 740, 60);
    EXPECT_EQ(record.seedCharsPerMinute, 740);
    // A test stopped before the first tick, or made on an empty spread, leaves the seed.
    seedSpeed(record, 740, 0);
    seedSpeed(record, 0, 30);
    EXPECT_EQ(record.seedCharsPerMinute, 740);
}

// Past ten hours the older reading is scaled down, characters and seconds alike: the speed
// of the moment stays, and later reading weighs more.
TEST(ReadingSpeed, longReading_fadesTheOldestKeepingTheSpeed)
{
    SpeedRecord record{0, 300 * 600, 10 * 60 * 60}; // ten hours at 300 a minute
    addReading(record, 600 * 60, 60 * kMinute);     // one hour at 600
    EXPECT_EQ(record.measuredSeconds, kRememberedReadingSeconds);
    ASSERT_TRUE(charactersPerMinute(record));
    EXPECT_NEAR(*charactersPerMinute(record), (300.0 * 600 + 600 * 60) / 660, 0.01);
}

TEST(ReadingSpeed, speedTestMessage_comparesWithTheUsualSpeed)
{
    struct Row
    {
        const char *name;
        SpeedRecord before;
        int64_t characters;
        double seconds;
        std::string text;
    };
    const Row rows[] = {
        {"no usual speed yet", {}, 620, 60, "也就是每分钟 620 字,以后就按这个速度估计还要读多久."},
        {"faster",
         {0, 5000, 600},
         620,
         60,
         "也就是每分钟 620 字,比你平时读书(每分钟 500 字)快 24%."},
        {"slower",
         {0, 5000, 600},
         400,
         60,
         "也就是每分钟 400 字,比你平时读书(每分钟 500 字)慢 20%."},
        {"about the same",
         {0, 5000, 600},
         510,
         60,
         "也就是每分钟 510 字,比你平时读书(每分钟 500 字)差不多."},
        {"stopped before the first tick", {0, 5000, 600}, 620, 0, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(speedTestComparison(row.before, row.characters, row.seconds), row.text);
    }
}

} // namespace
} // namespace tibbo::core
