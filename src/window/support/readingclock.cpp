#include "readingclock.h"

#include <QDate>
#include <QDateTime>

#include <optional>

namespace tibbo::window {

namespace {

// Only the window's thread reads the clock.
std::optional<qint64> g_testTime;

const QDate kEpochDay(1970, 1, 1);

} // namespace

qint64 ReadingClock::now()
{
    return g_testTime ? *g_testTime : QDateTime::currentMSecsSinceEpoch();
}

void ReadingClock::setForTests(qint64 time)
{
    g_testTime = time;
}

void ReadingClock::advanceForTests(qint64 milliseconds)
{
    g_testTime = now() + milliseconds;
}

void ReadingClock::releaseForTests()
{
    g_testTime.reset();
}

int64_t SystemCalendar::dayOf(int64_t time) const
{
    return kEpochDay.daysTo(QDateTime::fromMSecsSinceEpoch(time).date());
}

int64_t SystemCalendar::startOf(int64_t day) const
{
    return kEpochDay.addDays(day).startOfDay().toMSecsSinceEpoch();
}

} // namespace tibbo::window
