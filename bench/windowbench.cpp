// tibboread-windowbench BOOK: the window's figures for a large book, measured on an
// offscreen window in a fresh application folder. One "name: value unit" a line; the
// program never fails on timing.
#include "benchloop.h"
#include "linelabel.h"
#include "readaloudcommands.h"
#include "readerwindow.h"
#include "speechengine.h"
#include "widgets.h"

#include "reading/highlights.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using tibbo::window::ReaderWindow;

namespace {

// Stands for the speech engine: notes when a sentence reaches it, and says it spoken when
// the bench asks.
class RecordingEngine : public tibbo::window::SpeechEngine
{
  public:
    void say(quint64 id, const QString &) override
    {
        lastId = id;
        saidAt.restart();
        ++said;
    }
    void stop() override {}
    void setSettings(const tibbo::window::SpeechSettings &) override {}
    void findVoices() override {}
    void finish() { emit spoken(lastId); }

    quint64 lastId = 0;
    int said = 0;
    QElapsedTimer saidAt;
};

double msOf(const QElapsedTimer &t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// Start-up until the first spread has been painted.
double startUp(std::unique_ptr<ReaderWindow> &window)
{
    QElapsedTimer t;
    t.start();
    window = std::make_unique<ReaderWindow>();
    window->show();
    window->start();
    tibbo::bench::runUntilIdle(*window);
    window->repaint();
    return msOf(t);
}

double saveSession(ReaderWindow &window)
{
    QElapsedTimer t;
    t.start();
    window.saveSession();
    return msOf(t);
}

// Key press until the new spread is painted, at 50 lines a page.
void timePageTurns(QApplication &app, ReaderWindow &window, const char *label)
{
    window.resize(1200, 1090);
    for (QAction *size : window.findChild<QMenu *>(QStringLiteral("fontSizeMenu"))->actions())
        if (size->text() == QStringLiteral("8"))
            size->trigger();
    // The size the resize gave settles before the turns are timed.
    QTimer::singleShot(500, &app, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    tibbo::bench::runUntilIdle(window);
    double spreadTotal = 0;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(&window, Qt::Key_PageDown);
        spreadTotal += msOf(t);
    }
    std::printf("page turn without painting%s: %.2f ms mean\n", label, spreadTotal / 50);
    std::vector<double> times;
    const int turns = 200;
    for (int i = 0; i < turns; ++i) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(&window, Qt::Key_PageDown);
        window.repaint();
        times.push_back(msOf(t));
    }
    std::printf("lines per page%s: %lld\n", label,
                static_cast<long long>(window.state().linesPerPage));
    std::printf("first page turns%s: %.2f %.2f %.2f ms\n", label, times[0], times[1], times[2]);
    std::sort(times.begin(), times.end());
    std::printf("page turn%s: %.2f ms median, %.2f ms 95th percentile, %.2f ms worst\n", label,
                times[times.size() / 2], times[times.size() * 95 / 100], times.back());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tibboread-windowbench BOOK\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TibboRead"));
    const QString book = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();

    std::unique_ptr<ReaderWindow> window;
    const double firstStart = startUp(window); // no settings.ini: the manual
    window->exitReader();
    const double manualStart = startUp(window); // settings.ini with the manual
    const double manualWrite = saveSession(*window);
    std::printf("start-up with the manual: %.1f ms\n", manualStart);
    std::printf("settings write with the manual: %.1f ms\n", manualWrite);
    std::printf("first start (no settings.ini): %.1f ms\n", firstStart);

    QElapsedTimer open;
    open.start();
    window->openBook(book);
    tibbo::bench::runUntilIdle(*window);
    std::printf("open book: %.1f ms\n", msOf(open));
    std::printf("settings write with the book (settings.ini and Slide.cache): %.1f ms\n",
                saveSession(*window));
    window->exitReader();
    std::printf("start-up with the book: %.1f ms\n", startUp(window));

    // Page turns with 50 lines a page, plain and with fine typesetting (switched on as the
    // reader does, in the settings panel).
    timePageTurns(app, *window, "");
    window->findChild<QCheckBox *>(QStringLiteral("fineBox"))->setChecked(true);
    window->findChild<QPushButton *>(QStringLiteral("settingsOk"))->click();
    tibbo::bench::runUntilIdle(*window);
    timePageTurns(app, *window, " with fine typesetting");

    // A Ctrl + drag over the spread: each move of the pointer to another character, over
    // the rows of both pages, until the band is painted. No move re-cuts lines.
    {
        const int rows = static_cast<int>(2 * window->state().linesPerPage);
        const auto lineLabel = [&window](int row) {
            return window->findChild<tibbo::window::LineLabel *>(QStringLiteral("line%1").arg(row));
        };
        QTest::mousePress(lineLabel(0), Qt::LeftButton, Qt::ControlModifier, QPoint(4, 4));
        std::vector<double> moves;
        for (int i = 0; i < 200; ++i) {
            tibbo::window::LineLabel *to = lineLabel((i * 7) % rows);
            QElapsedTimer t;
            t.start();
            QTest::mouseMove(to, QPoint(4 + (i * 13) % std::max(1, to->width() - 8), 4));
            window->repaint();
            moves.push_back(msOf(t));
        }
        QTest::mouseRelease(lineLabel(rows - 1), Qt::LeftButton, Qt::ControlModifier, QPoint(4, 4));
        QTest::keyClick(window.get(), Qt::Key_Escape);
        std::sort(moves.begin(), moves.end());
        std::printf("selection drag step: %.2f ms median, %.2f ms 95th percentile, %.2f ms "
                    "worst\n",
                    moves[moves.size() / 2], moves[moves.size() * 95 / 100], moves.back());
    }

    // The search list of the commonest character: from Ctrl+Enter in the box to the list
    // painted (every match counted, the rows in view made), then the list scrolled to its
    // end and painted there. Twice each: the first count is made, the second one reused.
    {
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        auto *box = window->findChild<QLineEdit *>(QStringLiteral("searchBox"));
        auto *list = window->findChild<QListView *>(QStringLiteral("searchResults"));
        box->setText(QStringLiteral("的"));
        for (const char *pass : {"first", "again"}) {
            QElapsedTimer t;
            t.start();
            QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
            if (!list)
                list = window->findChild<QListView *>(QStringLiteral("searchResults"));
            window->repaint();
            const double openMs = msOf(t);
            t.restart();
            list->scrollToBottom();
            list->viewport()->repaint();
            std::printf("search list of 的 (%d matches), %s: %.1f ms open, %.1f ms to its end\n",
                        list->model()->rowCount(), pass, openMs, msOf(t));
            QTest::keyClick(list, Qt::Key_Escape);
        }
        QTest::keyClick(box, Qt::Key_Escape);
    }

    // Reading aloud: from the key to the first sentence given to the engine, on a spread in
    // the middle of the book; then the turns the reading makes by itself, from the engine's
    // report of the spread's last sentence until the next spread is painted.
    RecordingEngine *engine = nullptr;
    tibbo::window::ReadAloudCommands::setEngineMaker([&engine] {
        auto made = std::make_unique<RecordingEngine>();
        engine = made.get();
        return made;
    });
    // Sentences follow each other at once: the pause between paragraphs is a timer.
    window->findChild<tibbo::window::ReadAloud *>(QStringLiteral("readAloud"))
        ->setParagraphPause(0);
    std::vector<double> starts;
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(window.get(), Qt::Key_PageDown);
        QElapsedTimer t;
        t.start();
        QTest::keyClick(window.get(), Qt::Key_R);
        starts.push_back(static_cast<double>(t.nsecsElapsed() - engine->saidAt.nsecsElapsed()) /
                         1e6);
        QTest::keyClick(window.get(), Qt::Key_Escape);
    }
    std::sort(starts.begin(), starts.end());
    std::printf("read aloud, command to first sentence at the engine: %.2f ms median, %.2f ms "
                "worst\n",
                starts[starts.size() / 2], starts.back());
    QTest::keyClick(window.get(), Qt::Key_R);
    std::vector<double> readTurns;
    for (int guard = 0; readTurns.size() < 50 && guard < 100000; ++guard) {
        const int64_t topLine = window->state().topLine;
        QElapsedTimer t;
        t.start();
        engine->finish();
        if (window->state().topLine == topLine)
            continue;
        window->repaint();
        readTurns.push_back(msOf(t));
    }
    std::sort(readTurns.begin(), readTurns.end());
    if (!readTurns.empty())
        std::printf("page turn while reading aloud: %.2f ms median, %.2f ms worst\n",
                    readTurns[readTurns.size() / 2], readTurns.back());
    QTest::keyClick(window.get(), Qt::Key_Escape);

    // The same book with 10,000 highlights spread over it (a quarter with a note): opening
    // it, and turning pages, against the figures without (fine typesetting off, as above).
    window->findChild<QCheckBox *>(QStringLiteral("fineBox"))->setChecked(false);
    window->findChild<QPushButton *>(QStringLiteral("settingsOk"))->click();
    tibbo::bench::runUntilIdle(*window);
    QElapsedTimer again;
    again.start();
    window->openBook(book);
    tibbo::bench::runUntilIdle(*window);
    std::printf("open book again, no highlights: %.1f ms\n", msOf(again));
    timePageTurns(app, *window, " again, no highlights");
    {
        const auto &text = window->state().paragraphText;
        const auto size = static_cast<int64_t>(text.size());
        tibbo::core::HighlightFile file;
        file.identity = tibbo::core::identityOf(text);
        const int count = 10000;
        for (int i = 0; i < count; ++i) {
            tibbo::core::Highlight h;
            h.start = size / count * i;
            h.length = std::min<int64_t>(12, size - h.start);
            h.colour = i % tibbo::core::kHighlightColours;
            h.created = QDateTime::currentSecsSinceEpoch();
            if (i % 4 == 0)
                h.note = U"一条笔记，说说这一句为什么值得记下来。";
            h.anchor = tibbo::core::anchorAt(text, {}, h.start);
            file.highlights.push_back(std::move(h));
        }
        const std::string appDir =
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
        tibbo::core::saveHighlights(appDir, book.toStdString(), file);
    }
    QElapsedTimer reopen;
    reopen.start();
    window->openBook(book);
    tibbo::bench::runUntilIdle(*window);
    std::printf("open book with 10,000 highlights: %.1f ms\n", msOf(reopen));
    timePageTurns(app, *window, " with 10,000 highlights");
    window->exitReader();
    return 0;
}
