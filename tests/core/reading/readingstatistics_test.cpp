#include "reading/readingstatistics.h"

#include <gtest/gtest.h>

namespace tibbo::core {
namespace {

constexpr int64_t kMinute = 60 * 1000;
constexpr int64_t kHour = 60 * kMinute;
constexpr int64_t kDay = 24 * kHour;

// A reader in Beijing: local days begin at 16:00 UTC, so what is one UTC day is two local
// ones and a session read at 17:00 UTC belongs to the next local day.
class BeijingCalendar : public LocalCalendar
{
  public:
    int64_t dayOf(int64_t time) const override
    {
        const int64_t local = time + 8 * kHour;
        return local >= 0 ? local / kDay : (local - kDay + 1) / kDay;
    }
    int64_t startOf(int64_t day) const override { return day * kDay - 8 * kHour; }
};

// 2024-01-01, a Monday.
constexpr int64_t kMonday = 19723;

int64_t at(int64_t day, int hour, int minute = 0)
{
    return BeijingCalendar().startOf(day) + hour * kHour + minute * kMinute;
}

TEST(ReadingStatistics, weekStart_isTheMondayOnOrBefore)
{
    EXPECT_EQ(weekStart(kMonday), kMonday);
    EXPECT_EQ(weekStart(kMonday + 6), kMonday);     // Sunday
    EXPECT_EQ(weekStart(kMonday + 7), kMonday + 7); // the next Monday
    EXPECT_EQ(weekStart(kMonday - 1), kMonday - 7); // the Sunday before
    EXPECT_EQ(weekStart(0), -3);                    // 1970-01-01 was a Thursday
    EXPECT_EQ(weekStart(-1), -3);
}

TEST(ReadingStatistics, sessionsAcrossMidnightAndTheWeek_countOnEachDayByTheirTime)
{
    const BeijingCalendar calendar;
    // "Now" is Monday 2024-01-08, 12:00 in Beijing.
    const int64_t monday = kMonday + 7;
    const int64_t now = at(monday, 12);
    const std::vector<ReadingSession> sessions = {
        // Sunday night into Monday: 10 minutes before midnight, 20 after, 3000 characters.
        {"a.txt", at(monday - 1, 23, 50), at(monday, 0, 20), 3000},
        // Monday morning.
        {"b.txt", at(monday, 8), at(monday, 8, 30), 1500},
        // Last week's Saturday: in the 30 days, not in this week.
        {"a.txt", at(monday - 2, 20), at(monday - 2, 21), 6000},
        // Forty days ago: in nothing.
        {"a.txt", at(monday - 40, 20), at(monday - 40, 21), 9000},
        // Running now: counted up to now.
        {"b.txt", at(monday, 11, 50), at(monday, 12, 10), 400},
        // Damaged rows: ending before they start, or claiming years.
        {"c.txt", at(monday, 9), at(monday, 8), 100},
        {"c.txt", at(monday - 4000, 0), at(monday - 29, 0), 0},
    };
    const ReadingDays days = summariseDays(sessions, calendar, now);

    // Today: 20 minutes of the midnight session (2000 characters), the morning and the
    // ten minutes of the running session (its 400 characters are for 20 minutes).
    EXPECT_EQ(days.today.milliseconds, 20 * kMinute + 30 * kMinute + 10 * kMinute);
    EXPECT_EQ(days.today.characters, 2000 + 1500 + 200);
    // The week began this Monday at midnight, Beijing time.
    EXPECT_EQ(days.thisWeek.milliseconds, days.today.milliseconds);
    EXPECT_EQ(days.thisWeek.characters, days.today.characters);

    ASSERT_EQ(days.lastDays.size(), 30u);
    const ReadingTotals &sunday = days.lastDays[28];
    const ReadingTotals &saturday = days.lastDays[27];
    EXPECT_EQ(sunday.milliseconds, 10 * kMinute);
    EXPECT_EQ(sunday.characters, 1000);
    EXPECT_EQ(saturday.characters, 6000);
    EXPECT_EQ(days.lastDays[29].characters, days.today.characters);
    // The claimed years reach into the 30 days only with their last day, which holds no
    // time of them: day 29 before now is days.lastDays[0].
    EXPECT_EQ(days.lastDays[0].characters, 0);
    int64_t all = 0;
    for (const ReadingTotals &day : days.lastDays)
        all += day.characters;
    EXPECT_EQ(all, 1000 + 6000 + days.today.characters);
}

TEST(ReadingStatistics, aWeekInProgress_countsFromMondayOnly)
{
    const BeijingCalendar calendar;
    const int64_t sunday = kMonday + 6;
    const std::vector<ReadingSession> sessions = {
        {"a.txt", at(kMonday, 7), at(kMonday, 8), 100},         // Monday
        {"a.txt", at(kMonday + 3, 7), at(kMonday + 3, 8), 200}, // Thursday
        {"a.txt", at(kMonday - 1, 7), at(kMonday - 1, 8), 400}, // the Sunday before
        {"a.txt", at(sunday, 23, 0), at(sunday, 23, 30), 800},  // tonight
    };
    const ReadingDays days = summariseDays(sessions, calendar, at(sunday, 23, 59));
    EXPECT_EQ(days.thisWeek.characters, 100 + 200 + 800);
    EXPECT_EQ(days.today.characters, 800);
    ASSERT_TRUE(days.thisWeek.charactersPerMinute());
    EXPECT_DOUBLE_EQ(*days.thisWeek.charactersPerMinute(), 1100.0 / 150);
    EXPECT_FALSE(ReadingTotals{}.charactersPerMinute());
}

TEST(ReadingStatistics, books_mergeByFileNameNewestFirst)
{
    const std::vector<BookTotals> byPath = {
        {"/home/a/小说/凡人修仙传.txt", {10 * kMinute, 5000}, 100},
        {"/home/a/下载/凡人修仙传.txt", {20 * kMinute, 9000}, 300},
        {"/home/a/红楼梦.html", {5 * kMinute, 2000}, 200},
    };
    const auto books = mergeBooksByName(byPath);
    ASSERT_EQ(books.size(), 2u);
    EXPECT_EQ(books[0].book, "凡人修仙传");
    EXPECT_EQ(books[0].totals.characters, 14000);
    EXPECT_EQ(books[0].totals.milliseconds, 30 * kMinute);
    EXPECT_EQ(books[0].lastRead, 300);
    EXPECT_EQ(books[1].book, "红楼梦");
}

TEST(ReadingStatistics, captions)
{
    const std::pair<int64_t, const char *> times[] = {
        {0, "0分钟"},
        {20 * 1000, "不到1分钟"},
        {12 * kMinute, "12分钟"},
        {60 * kMinute, "1小时"},
        {65 * kMinute, "1小时5分钟"},
    };
    for (const auto &[ms, text] : times)
        EXPECT_EQ(readingTimeCaption(ms), text);
    const std::pair<int64_t, const char *> counts[] = {
        {0, "0字"},         {8600, "8600字"},         {10000, "1万字"},
        {32900, "3.2万字"}, {99999999, "9999.9万字"}, {120000000, "1.2亿字"},
    };
    for (const auto &[n, text] : counts)
        EXPECT_EQ(characterCountCaption(n), text);
}

} // namespace
} // namespace tibbo::core
