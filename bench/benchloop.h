#pragma once
// The event loop as the window benchmarks run it. The loop is left by exit, not quit:
// quit closes the windows first, and closing the reader's window ends the reader.

#include "readerwindow.h"

#include <QCoreApplication>
#include <QTimer>

namespace tibbo::bench {

// Runs the event loop until `done` holds, looking every millisecond. (A zero interval
// kept the window's thread busy while it waits for the read-ahead thread, and on two
// cores took half the machine from the very work being measured.)
template <typename Done> void runUntil(Done done)
{
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&done] {
        if (done())
            QCoreApplication::exit(0);
    });
    poll.start();
    QCoreApplication::exec();
}

// Runs the event loop until the window has nothing left to do: start-up, loads and
// sliced re-flows are over.
inline void runUntilIdle(const window::ReaderWindow &window)
{
    runUntil([&window] { return window.isIdle(); });
}

} // namespace tibbo::bench
