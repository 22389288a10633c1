// tibboread-scrollbench BOOK: scroll mode on a large book, in an offscreen window.
// Prints one "name: value" a line; never fails on timing.
//
//   scroll open             MnSlide_Click: the copy into Text2, the caret near the
//                           spread on show, and the first paint
//   scroll step             one Timer3 step, mean over 10,000 (no painting)
//   scroll step with paint  one step and the repaint it asks for
//   event latency at speed 1  the worst wait of a posted event while Timer3 steps
//                           every millisecond and the window paints
//
// The window runs on a throw-away application folder, so the reader's own settings
// are neither read nor written.
#include "dialogs.h"
#include "form1.h"
#include "scrollpanel.h"
#include "scrolltext.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QScrollBar>
#include <QTemporaryDir>
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

double meanStepMs(Form1 &form, int steps, bool paint)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < steps; ++i) {
        form.Timer3_Timer();
        if (paint)
            QCoreApplication::processEvents();
    }
    return msOf(t.nsecsElapsed()) / steps;
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

    Form1 form;
    form.show();
    QElapsedTimer t;
    t.start();
    form.Form_Load(QString::fromLocal8Bit(argv[1]));
    const double loadMs = msOf(t.nsecsElapsed());
    auto &state = form.state();
    if (state.bookText.empty()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    // The middle of the book, as a reader would be.
    const int64_t spread = 2 * std::max<int64_t>(1, state.linesPerPage);
    state.topLine = spread * (state.lineCount() / 2 / spread) + 1;
    form.LookUp();
    QCoreApplication::processEvents();

    ScrollText *text = form.Picture8->Text2;
    t.restart();
    form.MnSlide_Click();
    QCoreApplication::processEvents();
    const double openMs = msOf(t.nsecsElapsed());

    const int steps = 10000;
    const double stepMs = meanStepMs(form, steps, false);
    const double paintedStepMs = meanStepMs(form, 2000, true);

    // The same inside the longest line, where the rows of one line fill the view.
    const auto [longStart, longLength] = longestLine(state.bookText);
    state.scrollPos = longStart;
    text->setSelection(longStart, 1);
    QCoreApplication::processEvents();
    const double longStepMs = meanStepMs(form, std::min<int64_t>(steps, longLength), false);
    state.scrollPos = longStart;
    const double longPaintedStepMs = meanStepMs(form, std::min<int64_t>(2000, longLength), true);

    // Speed 1: a step every millisecond, painted as the reader would see it, with a
    // probe posted every 10 ms for three seconds.
    form.Picture8->HScroll1->setValue(1);
    form.Picture8->Check5->setChecked(true);
    form.Check5_Click();
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
    QTimer::singleShot(3000, &app, &QCoreApplication::quit);
    app.exec();
    const int64_t stepped = state.scrollPos - before;

    std::printf(
        "book: %lld characters, %lld text lines, longest %lld characters\n",
        static_cast<long long>(state.bookText.size()),
        static_cast<long long>(std::count(state.bookText.begin(), state.bookText.end(), U'\n')),
        static_cast<long long>(longLength));
    std::printf("book load (start-up with the book): %.0f ms\n", loadMs);
    std::printf("scroll open: %.1f ms\n", openMs);
    std::printf("scroll step: %.4f ms\n", stepMs);
    std::printf("scroll step with paint: %.3f ms\n", paintedStepMs);
    std::printf("scroll step in the longest line: %.4f ms (with paint %.3f ms)\n", longStepMs,
                longPaintedStepMs);
    std::printf("event latency at speed 1: %.2f ms (%d probes, %lld steps in 3 s)\n",
                msOf(probe.worst), probe.received, static_cast<long long>(stepped));
    form.Timer3.stop();
    return 0;
}
