#include "reading/readingstatistics.h"

#include "text/fileio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace tibbo::core {

namespace {

// One decimal, cut, without a ".0".
std::string tenthsCaption(int64_t value, int64_t unit)
{
    const int64_t tenths = value * 10 / unit;
    char text[32];
    if (tenths % 10 == 0)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(tenths / 10));
    else
        std::snprintf(text, sizeof text, "%lld.%lld", static_cast<long long>(tenths / 10),
                      static_cast<long long>(tenths % 10));
    return text;
}

std::string bookName(const std::string &path)
{
    std::string name = fileNameOf(path);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

} // namespace

int64_t weekStart(int64_t day)
{
    // Day 0 was a Thursday: Monday is three days before it.
    const int64_t sinceMonday = ((day + 3) % 7 + 7) % 7;
    return day - sinceMonday;
}

std::optional<double> ReadingTotals::charactersPerMinute() const
{
    if (milliseconds <= 0)
        return std::nullopt;
    return static_cast<double>(characters) * 60000.0 / static_cast<double>(milliseconds);
}

ReadingTotals &ReadingTotals::operator+=(const ReadingTotals &other)
{
    milliseconds += other.milliseconds;
    characters += other.characters;
    return *this;
}

ReadingDays summariseDays(const std::vector<ReadingSession> &sessions,
                          const LocalCalendar &calendar, int64_t now, int days)
{
    days = std::max(days, 1);
    const int64_t today = calendar.dayOf(now);
    const int64_t firstDay = today - (days - 1);
    const int64_t monday = weekStart(today);
    const int64_t lowest = std::min(firstDay, monday);

    std::map<int64_t, ReadingTotals> byDay;
    for (const ReadingSession &session : sessions) {
        const int64_t start = session.start;
        const int64_t end = std::min(session.end, now);
        if (end <= start)
            continue;
        // The characters are shared by the session's whole time, also the part after now.
        const auto length = static_cast<double>(session.end - start);
        // Only the days on show are visited, however long a (damaged) session claims to be.
        const int64_t from = std::max(calendar.dayOf(start), lowest);
        const int64_t to = std::min(calendar.dayOf(end), today);
        for (int64_t day = from; day <= to; ++day) {
            const int64_t partStart = std::max(start, calendar.startOf(day));
            const int64_t partEnd = std::min(end, calendar.startOf(day + 1));
            if (partEnd <= partStart)
                continue;
            ReadingTotals &totals = byDay[day];
            totals.milliseconds += partEnd - partStart;
            totals.characters += std::llround(static_cast<double>(session.characters) *
                                              static_cast<double>(partEnd - partStart) / length);
        }
    }

    ReadingDays summary;
    summary.lastDays.resize(static_cast<size_t>(days));
    for (const auto &[day, totals] : byDay) {
        if (day == today)
            summary.today += totals;
        if (day >= monday && day <= today)
            summary.thisWeek += totals;
        if (day >= firstDay && day <= today)
            summary.lastDays[static_cast<size_t>(day - firstDay)] += totals;
    }
    return summary;
}

std::vector<BookTotals> mergeBooksByName(const std::vector<BookTotals> &byPath)
{
    std::map<std::string, BookTotals> merged;
    for (const BookTotals &book : byPath) {
        const std::string name = bookName(book.book);
        BookTotals &into = merged[name];
        into.book = name;
        into.totals += book.totals;
        into.lastRead = std::max(into.lastRead, book.lastRead);
    }
    std::vector<BookTotals> books;
    books.reserve(merged.size());
    for (auto &[name, book] : merged)
        books.push_back(std::move(book));
    std::stable_sort(books.begin(), books.end(), [](const BookTotals &a, const BookTotals &b) {
        return a.lastRead > b.lastRead;
    });
    return books;
}

std::string readingTimeCaption(int64_t milliseconds)
{
    if (milliseconds <= 0)
        return "0分钟";
    const int64_t minutes = milliseconds / 60000;
    if (minutes == 0)
        return "不到1分钟";
    if (minutes < 60)
        return std::to_string(minutes) + "分钟";
    const std::string hours = std::to_string(minutes / 60) + "小时";
    return minutes % 60 == 0 ? hours : hours + std::to_string(minutes % 60) + "分钟";
}

std::string characterCountCaption(int64_t characters)
{
    characters = std::max<int64_t>(characters, 0);
    if (characters < 10'000)
        return std::to_string(characters) + "字";
    if (characters < 100'000'000)
        return tenthsCaption(characters, 10'000) + "万字";
    return tenthsCaption(characters, 100'000'000) + "亿字";
}

} // namespace tibbo::core
