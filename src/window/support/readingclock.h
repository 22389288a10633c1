#pragma once
// The time the reading statistics, the reader's speed and the recap go by: milliseconds
// since 1970-01-01 UTC, and the reader's local days. Tests set the clock and move it
// instead of waiting.

#include "reading/readingstatistics.h"

#include <QtGlobal>

namespace tibbo::window {

class ReadingClock
{
  public:
    static qint64 now();
    // Tests: the clock stands at `time` until it is moved or let go.
    static void setForTests(qint64 time);
    static void advanceForTests(qint64 milliseconds);
    static void releaseForTests();
};

// Local days as the system's time zone has them (summer time included).
class SystemCalendar : public core::LocalCalendar
{
  public:
    int64_t dayOf(int64_t time) const override;
    int64_t startOf(int64_t day) const override;
};

} // namespace tibbo::window
