#pragma once
// The reader's statistics from their reading sessions: today, this week, the last 30
// days day by day, and every book. Days and weeks are the reader's local ones, which the
// caller knows (LocalCalendar); a session across midnight counts on both days, its
// characters shared by the time on each.

#include "reading/readingtracker.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tibbo::core {

// The reader's calendar. Day numbers count local days from 1970-01-01 (day 0, a
// Thursday); times are milliseconds since 1970-01-01 UTC.
class LocalCalendar
{
  public:
    virtual ~LocalCalendar() = default;
    // The local day a moment falls on.
    virtual int64_t dayOf(int64_t time) const = 0;
    // The moment a local day begins.
    virtual int64_t startOf(int64_t day) const = 0;
};

// The first day (a Monday) of the week that holds `day`.
int64_t weekStart(int64_t day);

struct ReadingTotals
{
    int64_t milliseconds = 0;
    int64_t characters = 0;

    // Characters a minute; nothing without reading time.
    std::optional<double> charactersPerMinute() const;
    ReadingTotals &operator+=(const ReadingTotals &other);
};

struct ReadingDays
{
    ReadingTotals today;
    // Monday to now.
    ReadingTotals thisWeek;
    // The last `days` days, the oldest first and today last.
    std::vector<ReadingTotals> lastDays;
};

// Today, this week and the last `days` days at `now`, from the sessions (those wholly
// before all of them are passed over). A session still running at `now` counts up to its
// end.
ReadingDays summariseDays(const std::vector<ReadingSession> &sessions,
                          const LocalCalendar &calendar, int64_t now, int days = 30);

// The reading of one book over all time.
struct BookTotals
{
    std::string book;
    ReadingTotals totals;
    // The end of its last session.
    int64_t lastRead = 0;
};

// Totals per book path merged by the book's file name without its ending, so a book
// downloaded again into another folder stays one book; the most recently read first.
// `book` becomes that name.
std::vector<BookTotals> mergeBooksByName(const std::vector<BookTotals> &byPath);

// "1小时5分钟", "12分钟", "不到1分钟" (no reading at all: "0分钟").
std::string readingTimeCaption(int64_t milliseconds);
// "3.2万字", "8600字", "1.2亿字".
std::string characterCountCaption(int64_t characters);

} // namespace tibbo::core
