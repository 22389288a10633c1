// tibboread-sessionbench BOOK: what a reader waits for and what the reader holds, for
// one book: a new book opened to its first painted spread and to the whole book read, a
// restart to the saved spread (with settings.index and without it), scroll mode opened
// on the restored book, the exit, and the peak memory of each, beside the in-run
// iconv decode of the same file. Each stage runs as a process of its own (this program with
// --stage), in an offscreen window and one fresh application folder, so every peak is that stage's.
// A QT_QPA_PLATFORM set by the caller is kept: QT_QPA_PLATFORM=xcb measures under X, with
// the fonts and libraries a reader's desktop loads.
// With --peer PROGRAM, the least-storage program (shared beside the repository as a source
// to build, a measuring stick only) opens the same book and restores from its cache in the
// same run, and the ratios of the reader's stages to the peer's are printed too.
// One "name: value unit" a line; the program never fails on timing.
#include "benchloop.h"
#include "iconvdecode.h"
#include "readerwindow.h"
#include "scrolltext.h"
#include "sessionfiles.h"
#include "timing.h"

#include "text/fileio.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

using tibbo::bench::Clock;
using tibbo::bench::msSince;
using tibbo::window::ReaderWindow;
using tibbo::window::SessionFiles;

namespace {

const Clock::time_point g_processStart = Clock::now();

// The peak resident memory so far of a process ("self" or a process id), MiB; 0 when it
// cannot be read.
double peakMiBOf(const std::string &process)
{
    std::ifstream status("/proc/" + process + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            double kib = 0;
            status >> kib;
            return kib / 1024.0;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

double peakMiB()
{
    return peakMiBOf("self");
}

void runFor(int ms)
{
    QTimer::singleShot(ms, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

// One stage in this process: "open" (a first start with the book on the command line),
// "restart" (a start that brings the saved book back, from settings.index when it
// matches), "restart-without-index" (the same from settings.ini read whole, as a
// settings.ini of an older reader is) or "scroll" (a restart, then scroll mode); each
// ends with the exit.
int runStage(int argc, char **argv, const std::string &stage, const QString &book)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TibboRead"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (stage == "restart-without-index")
        QFile::remove(SessionFiles::folder() + QStringLiteral("/settings.index"));
    SessionFiles::keepTextsInCacheFolder();
    ReaderWindow window;
    window.show();
    window.start(stage == "open" ? book : QString());
    // The first spread may be on show before the whole book is read.
    const std::string path =
        stage == "open" ? QFileInfo(book).absoluteFilePath().toStdString() : std::string();
    tibbo::bench::runUntil([&window, &path] {
        return window.showsSpread() && (path.empty() || window.state().bookPath == path);
    });
    window.repaint();
    std::printf("%s to first spread: %.0f ms\n", stage.c_str(), msSince(g_processStart));
    std::printf("%s peak memory at first spread: %.1f MiB\n", stage.c_str(), peakMiB());
    tibbo::bench::runUntilIdle(window);
    std::printf("%s to whole book: %.0f ms\n", stage.c_str(), msSince(g_processStart));
    // What follows the first paint (the scroll text of a restored book) has come.
    runFor(300);
    if (stage == "scroll") {
        // Scroll mode on the restored book, from the automatic-turn menu as a reader opens it.
        for (QAction *item : window.findChild<QMenu *>(QStringLiteral("autoTurnMenu"))->actions())
            if (item->text() == QStringLiteral("滚动翻页"))
                item->trigger();
        window.repaint();
        runFor(300);
        const auto *text =
            window.findChild<tibbo::window::ScrollText *>(QStringLiteral("scrollText"));
        std::printf("scroll text shown: %lld characters\n",
                    static_cast<long long>(text && text->isVisible() ? text->textLength() : 0));
    }
    const double before = peakMiB();
    std::printf("%s peak memory before exit: %.1f MiB\n", stage.c_str(), before);
    const auto t0 = Clock::now();
    window.exitReader();
    std::printf("%s exit: %.0f ms\n", stage.c_str(), msSince(t0));
    std::printf("%s memory added by the exit: %.1f MiB\n", stage.c_str(), peakMiB() - before);
    return 0;
}

// What one run of the peer printed: its first paint in ms since its start (0 when it never
// painted), and its peak memory when it was ended.
struct PeerRun
{
    double firstPaintMs = 0;
    double peakMiB = 0;
};

// Runs the peer with `args` in the environment `env` ("NAME=value" entries added to this
// process's), reads its stderr until "first paint: N ms" and, when `waitFor` is given, a
// line starting with it, then ends it: the peer itself never exits.
PeerRun runPeer(const std::string &program, const std::vector<std::string> &args,
                const std::vector<std::string> &env, const std::string &waitFor = {})
{
    PeerRun run;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment(env);
    for (char **entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::vector<char *> envp;
    for (auto &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return run;
    }
    FILE *err = ::fdopen(pipeEnds[0], "r");
    char line[512];
    bool waited = waitFor.empty();
    while (err && (run.firstPaintMs == 0 || !waited) && std::fgets(line, sizeof line, err)) {
        const std::string text(line);
        if (text.rfind("first paint: ", 0) == 0)
            run.firstPaintMs = std::atof(text.c_str() + 13);
        if (!waitFor.empty() && text.rfind(waitFor, 0) == 0)
            waited = true;
    }
    run.peakMiB = peakMiBOf(std::to_string(pid));
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    if (err)
        std::fclose(err);
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::string(argv[1]) == "--stage")
        return runStage(1, argv, argv[2], QString::fromLocal8Bit(argv[3]));
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--peer")) {
        std::fprintf(stderr, "usage: tibboread-sessionbench BOOK [--peer LEAST-STORAGE]\n");
        return 2;
    }
    const std::string book = argv[1];
    const auto bytes = tibbo::core::readFile(book);
    if (!bytes) {
        std::fprintf(stderr, "cannot read %s\n", book.c_str());
        return 1;
    }
    std::printf("book: %.1f MB\n", static_cast<double>(bytes->size()) / 1048576.0);
    const double decodeMs = tibbo::bench::iconvDecodeMs(*bytes);
    std::printf("iconv decode: %.0f ms\n", decodeMs);

    QTemporaryDir home;
    // The stages inherit a platform the caller chose.
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const std::string env = "XDG_DATA_HOME='" + home.path().toStdString() + "' XDG_CACHE_HOME='" +
                            home.path().toStdString() + "' " +
                            (platform && *platform ? "" : "QT_QPA_PLATFORM=offscreen ");
    // Each stage's lines are passed on as they come; its times are kept for the ratios.
    std::vector<std::pair<std::string, double>> times;
    for (const char *stage : {"open", "restart", "restart-without-index", "scroll"}) {
        const std::string command =
            env + "'" + argv[0] + "' --stage " + stage + " '" + book + "' 2>/dev/null";
        FILE *out = ::popen(command.c_str(), "r");
        char line[256];
        while (out && std::fgets(line, sizeof line, out)) {
            std::fputs(line, stdout);
            // "NAME: VALUE ms": a time.
            const std::string text(line);
            const size_t colon = text.find(": ");
            if (colon != std::string::npos && text.size() > 4 &&
                text.compare(text.size() - 4, 4, " ms\n") == 0)
                times.emplace_back(text.substr(0, colon), std::atof(text.c_str() + colon + 2));
        }
        if (!out || ::pclose(out) != 0)
            std::fprintf(stderr, "stage %s failed\n", stage);
    }
    for (const auto &[what, ms] : times)
        std::printf("ratio %s / iconv decode: %.2f\n", what.c_str(),
                    decodeMs > 0 ? ms / decodeMs : 0.0);
    if (argc != 4)
        return 0;

    // The peer on the same book and screen, right after the reader's stages.
    const std::string peer = argv[3];
    std::vector<std::string> peerEnv;
    if (!(platform && *platform))
        peerEnv.emplace_back("QT_QPA_PLATFORM=offscreen");
    const std::string cache = home.path().toStdString() + "/least-storage.cache";
    const PeerRun open = runPeer(peer, {book, "--cache", cache}, peerEnv, "cache written");
    const PeerRun restore = runPeer(peer, {"--restore", cache}, peerEnv);
    std::printf("least-storage open to first paint: %.0f ms\n", open.firstPaintMs);
    std::printf("least-storage open peak memory: %.1f MiB\n", open.peakMiB);
    std::printf("least-storage restore to first paint: %.0f ms\n", restore.firstPaintMs);
    std::printf("least-storage restore peak memory: %.1f MiB\n", restore.peakMiB);
    const auto timeOf = [&times](const std::string &what) {
        for (const auto &[name, ms] : times)
            if (name == what)
                return ms;
        return 0.0;
    };
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("ratio open to first spread / least-storage open: %.2f\n",
                ratio(timeOf("open to first spread"), open.firstPaintMs));
    std::printf("ratio restart to first spread / least-storage restore: %.2f\n",
                ratio(timeOf("restart to first spread"), restore.firstPaintMs));
    return 0;
}
