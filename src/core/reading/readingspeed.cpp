#include "reading/readingspeed.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tibbo::core {

namespace {

std::optional<double> measuredSpeed(const SpeedRecord &record)
{
    if (record.measuredSeconds <= 0)
        return std::nullopt;
    return static_cast<double>(record.measuredCharacters) * 60.0 /
           static_cast<double>(record.measuredSeconds);
}

std::string wholeNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(std::llround(value)));
    return text;
}

} // namespace

bool countsAsReading(int64_t characters, int64_t milliseconds)
{
    if (characters <= 0 || milliseconds <= 0 || milliseconds > kLongestReadMilliseconds)
        return false;
    return static_cast<double>(characters) * 60000.0 / static_cast<double>(milliseconds) <=
           kFastestCharsPerMinute;
}

void addReading(SpeedRecord &record, int64_t characters, int64_t milliseconds)
{
    if (characters <= 0 || milliseconds <= 0)
        return;
    // Whole seconds are kept; the parts of a second are carried by rounding, so a series
    // of short spreads does not lose its time.
    record.measuredCharacters += characters;
    record.measuredSeconds += (milliseconds + 500) / 1000;
    if (record.measuredSeconds > kRememberedReadingSeconds) {
        const double keep = static_cast<double>(kRememberedReadingSeconds) /
                            static_cast<double>(record.measuredSeconds);
        record.measuredCharacters =
            std::llround(static_cast<double>(record.measuredCharacters) * keep);
        record.measuredSeconds = kRememberedReadingSeconds;
    }
}

void seedSpeed(SpeedRecord &record, int64_t characters, double seconds)
{
    if (characters <= 0 || !(seconds > 0))
        return;
    record.seedCharsPerMinute = std::llround(static_cast<double>(characters) * 60.0 / seconds);
}

std::optional<double> charactersPerMinute(const SpeedRecord &record)
{
    const std::optional<double> measured = measuredSpeed(record);
    if (record.seedCharsPerMinute <= 0) {
        if (measured && record.measuredSeconds >= kFirstSpeedSeconds)
            return measured;
        return std::nullopt;
    }
    const auto seed = static_cast<double>(record.seedCharsPerMinute);
    if (!measured)
        return seed;
    const double weight = std::min(1.0, static_cast<double>(record.measuredSeconds) /
                                            static_cast<double>(kEnoughReadingSeconds));
    return weight * *measured + (1 - weight) * seed;
}

std::string speedTestComparison(const SpeedRecord &before, int64_t characters, double seconds)
{
    if (characters <= 0 || !(seconds > 0))
        return std::string();
    const double test = static_cast<double>(characters) * 60.0 / seconds;
    std::string text = "也就是每分钟 " + wholeNumber(test) + " 字";
    const std::optional<double> usual = measuredSpeed(before);
    if (!usual || before.measuredSeconds < kFirstSpeedSeconds)
        return text + ",以后就按这个速度估计还要读多久.";
    text += ",比你平时读书(每分钟 " + wholeNumber(*usual) + " 字)";
    const double change = (test - *usual) / *usual * 100;
    if (std::abs(change) < 5)
        return text + "差不多.";
    return text + (change > 0 ? "快 " : "慢 ") + wholeNumber(std::abs(change)) + "%.";
}

} // namespace tibbo::core
