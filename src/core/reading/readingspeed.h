#pragma once
// The reader's own speed, in characters a minute: measured from real reading (the
// spreads they read through in order), seeded by the reading-speed test until enough
// reading is measured. One speed per reader, not per book.

#include <cstdint>
#include <optional>
#include <string>

namespace tibbo::core {

// A spread counts as read when the reader turned on to the next one within this time;
// a longer stay is a pause (the reader went away), not reading.
inline constexpr int64_t kLongestReadMilliseconds = 5 * 60 * 1000;
// Faster than this is leafing through, not reading (careful readers of Chinese read 300
// to 600 characters a minute, fast ones about 1000).
inline constexpr double kFastestCharsPerMinute = 3000;
// With this much reading measured the test's seed no longer counts.
inline constexpr int64_t kEnoughReadingSeconds = 30 * 60;
// Without a seed, the speed is told from this much reading on.
inline constexpr int64_t kFirstSpeedSeconds = 2 * 60;
// Older reading fades: the measure keeps about the last ten hours, so a reader who
// speeds up over a long novel sees it.
inline constexpr int64_t kRememberedReadingSeconds = 10 * 60 * 60;

// What is kept of the reader's speed (in options.ini).
struct SpeedRecord
{
    // The speed the reading-speed test measured; 0 when it never ran.
    int64_t seedCharsPerMinute = 0;
    // Reading measured: characters read through and the seconds it took.
    int64_t measuredCharacters = 0;
    int64_t measuredSeconds = 0;
};

// Whether reading `characters` in `milliseconds` counts as reading: more than no time,
// at most kLongestReadMilliseconds, and no faster than kFastestCharsPerMinute.
bool countsAsReading(int64_t characters, int64_t milliseconds);

// Adds a spread read through. When more than kRememberedReadingSeconds are measured, the
// older reading is scaled down so that they stay that many.
void addReading(SpeedRecord &record, int64_t characters, int64_t milliseconds);

// The speed-test result as a seed: the characters of the spread the test was made on, read
// in `seconds`. Nothing changes for a test of no time or no characters.
void seedSpeed(SpeedRecord &record, int64_t characters, double seconds);

// The reader's speed: the measured speed blended with the seed by how much reading is
// measured (the seed alone before any, the measure alone from kEnoughReadingSeconds on);
// without a seed, the measured speed from kFirstSpeedSeconds of reading on. Nothing when
// neither is known.
std::optional<double> charactersPerMinute(const SpeedRecord &record);

// What the speed test's message adds under "你看一页需要 N秒": the test's speed, and how it
// compares with the reading measured before it, e.g. "也就是每分钟 620 字,比你平时读书
// (每分钟 500 字) 快 24%." Empty for a test of no time or no characters.
std::string speedTestComparison(const SpeedRecord &before, int64_t characters, double seconds);

} // namespace tibbo::core
