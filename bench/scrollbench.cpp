// tibboread-scrollbench BOOK: scroll mode on a large book, in an offscreen window.
// Prints one "name: value" a line; never fails on timing.
//
//   scroll open             the automatic-turn menu's scroll item: the copy into the
//                           scroll text, the caret near the spread on show, and the
//                           first paint
//   scroll step             one step of the scroll timer, mean over 10,000 (no painting)
//   scroll step with paint  one step and the repaint it asks for
//   event latency at speed 1  the worst wait of a posted event while the scroll timer
//                           steps every millisecond and the window paints
//
// The window runs on a throw-away application folder, so the reader's own settings
// are neither read nor written.
#include "benchloop.h"
#include "dialogs.h"
#include "readerwindow.h"
#include "scrolltext.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace tibbo::window;

namespace {

double msOf(qint64 ns)
{
    return static_cast<double>(ns) / 1e6;
}

// Receives posted probes and keeps the longest wait between post and delivery.
class LatencyProbe : public QObject
{
  public:
    static constexpr QEvent::Type kType = QEvent::User;
    struct Probe : QEvent
    {
        explicit Probe(qint64 postedAt) : QEvent(kType), postedAt(postedAt) {}
        qint64 postedAt;
    };

    explicit LatencyProbe(const QElapsedTimer &clock) : m_clock(clock) {}
    qint64 worst = 0;
    int received = 0;

    bool event(QEvent *e) override
    {
        if (e->type() != kType)
            return QObject::event(e);
        worst = std::max(worst, m_clock.nsecsElapsed() - static_cast<Probe *>(e)->postedAt);
        ++received;
        return true;
    }

  private:
    const QElapsedTimer &m_clock;
};

// The longest line of the text and where it starts.
std::pair<int64_t, int64_t> longestLine(const std::u32string &text)
{
    int64_t bestStart = 0, bestLength = 0, start = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == U'\r' && text[i + 1] == U'\n') {
            const int64_t length = static_cast<int64_t>(i) - start;
            if (length > bestLength) {
                bestLength = length;
                bestStart = start;
            }
            start = static_cast<int64_t>(i) + 2;
            ++i;
        }
    }
    return {bestStart, bestLength};
}

// Mean time of a step of the scroll timer, run back to back from the event loop.
// Without painting the scroll text ignores the updates the steps ask for.
double meanStepMs(QTimer &stepTimer, ScrollText &text, int64_t steps, bool paint)
{
    const int interval = stepTimer.interval();
    text.setUpdatesEnabled(paint);
    int64_t done = 0;
    const auto counter = QObject::connect(&stepTimer, &QTimer::timeout, &stepTimer, [&] {
        if (++done >= steps) {
            stepTimer.stop();
            QCoreApplication::exit(0);
        }
    });
    QElapsedTimer t;
    t.start();
    stepTimer.start(0);
    QCoreApplication::exec();
    const double ms = msOf(t.nsecsElapsed()) / static_cast<double>(steps);
    QObject::disconnect(counter);
    stepTimer.setInterval(interval);
    text.setUpdatesEnabled(true);
    return ms;
}

// Puts the scroll caret at position by a click there, as the reader would.
void placeCaret(ScrollText &text, int64_t position)
{
    text.setSelection(position, 1);
    const QRect r = text.characterRect(position);
    QTest::mouseClick(text.viewport(), Qt::LeftButton, {},
                      QPoint(r.left() + r.width() / 4, r.center().y()));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tibboread-scrollbench BOOK\n");
        return 2;
    }
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TibboRead"));
    Dialogs::setTestMode(true);

    ReaderWindow window;
    window.show();
    QElapsedTimer t;
    t.start();
    window.start(QString::fromLocal8Bit(argv[1]));
    tibbo::bench::runUntilIdle(window);
    const double loadMs = msOf(t.nsecsElapsed());
    const auto &state = window.state();
    const std::u32string scroll = state.scrollMap.scrollText(state.paragraphText);
    if (scroll.empty()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    // The middle of the book, as a reader would be, by the go-to-page prompt.
    const int64_t spread = 2 * std::max<int64_t>(1, state.linesPerPage);
    const int64_t middlePage = 2 * (state.lineCount() / 2 / spread) + 1;
    QTest::keyClick(&window, Qt::Key_G);
    auto *answer = window.findChild<QLineEdit *>(QStringLiteral("promptAnswer"));
    answer->setText(QString::number(middlePage));
    QTest::keyClick(answer, Qt::Key_Return);
    tibbo::bench::runUntil([] { return true; });

    auto *text = window.findChild<ScrollText *>(QStringLiteral("scrollText"));
    auto *stepTimer = window.findChild<QTimer *>(QStringLiteral("scrollStepTimer"));
    QAction *scrollItem = nullptr;
    for (QAction *item : window.findChild<QMenu *>(QStringLiteral("autoTurnMenu"))->actions())
        if (item->text() == QStringLiteral("滚动翻页"))
            scrollItem = item;
    t.restart();
    scrollItem->trigger();
    text->repaint();
    const double openMs = msOf(t.nsecsElapsed());

    const int steps = 10000;
    const double stepMs = meanStepMs(*stepTimer, *text, steps, false);
    const double paintedStepMs = meanStepMs(*stepTimer, *text, 2000, true);

    // The same inside the longest line, where the rows of one line fill the view.
    const auto [longStart, longLength] = longestLine(scroll);
    placeCaret(*text, longStart);
    tibbo::bench::runUntil([] { return true; });
    const double longStepMs =
        meanStepMs(*stepTimer, *text, std::min<int64_t>(steps, longLength), false);
    placeCaret(*text, longStart);
    const double longPaintedStepMs =
        meanStepMs(*stepTimer, *text, std::min<int64_t>(2000, longLength), true);

    // Speed 1: a step every millisecond, painted as the reader would see it, with a
    // probe posted every 10 ms for three seconds.
    window.findChild<QScrollBar *>(QStringLiteral("speedSlider"))->setValue(1);
    auto *scrollBox = window.findChild<QCheckBox *>(QStringLiteral("scrollBox"));
    QTest::mouseClick(scrollBox, Qt::LeftButton);
    QElapsedTimer clock;
    clock.start();
    LatencyProbe probe(clock);
    QTimer poster;
    poster.setInterval(10);
    QObject::connect(&poster, &QTimer::timeout, &probe, [&] {
        QCoreApplication::postEvent(&probe, new LatencyProbe::Probe(clock.nsecsElapsed()));
    });
    poster.start();
    const int64_t before = state.scrollPos;
    QTimer::singleShot(3000, &app, [] { QCoreApplication::exit(0); });
    app.exec();
    const int64_t stepped = state.scrollPos - before;

    std::printf("book: %lld characters, %lld text lines, longest %lld characters\n",
                static_cast<long long>(scroll.size()),
                static_cast<long long>(std::count(scroll.begin(), scroll.end(), U'\n')),
                static_cast<long long>(longLength));
    std::printf("book load (start-up with the book): %.0f ms\n", loadMs);
    std::printf("scroll open: %.1f ms\n", openMs);
    std::printf("scroll step: %.4f ms\n", stepMs);
    std::printf("scroll step with paint: %.3f ms\n", paintedStepMs);
    std::printf("scroll step in the longest line: %.4f ms (with paint %.3f ms)\n", longStepMs,
                longPaintedStepMs);
    std::printf("event latency at speed 1: %.2f ms (%d probes, %lld steps in 3 s)\n",
                msOf(probe.worst), probe.received, static_cast<long long>(stepped));
    QTest::mouseClick(scrollBox, Qt::LeftButton);
    return 0;
}
