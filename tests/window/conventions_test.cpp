// The controls every desktop reader has: the wheel, Space, F11, Esc, Ctrl+O, a title that
// names the book, a dropped file, and one reader at a time.
#include "windowfixture.h"

#include "singleinstance.h"

#include <QLineEdit>
#include <QLocalServer>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QWheelEvent>
#include <QtTest>

#include <atomic>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

// A wheel turned over the pages: angle in eighths of a degree, 120 a notch, up positive.
void turnWheel(ReaderWindow &w, int angle)
{
    QWidget *pages = part(&w, "bookView");
    const QPointF at(pages->width() / 2.0, pages->height() / 2.0);
    QWheelEvent wheel(at, pages->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(pages, &wheel);
}

int64_t spreadLines(const ReaderWindow &w)
{
    return 2 * w.state().linesPerPage;
}

// Drops files (or, without files, a piece of text) on the window.
bool dropOn(ReaderWindow &w, const QList<QUrl> &urls, const QString &text = QString())
{
    QMimeData mime;
    if (!urls.isEmpty())
        mime.setUrls(urls);
    if (!text.isEmpty())
        mime.setText(text);
    const QPoint at(200, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    return drop.isAccepted();
}

// A local socket file that no one listens on, as a reader killed by SIGKILL leaves it.
bool makeStaleSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    if (fd < 0 || bytes.size() >= static_cast<qsizetype>(sizeof(address.sun_path)))
        return false;
    std::copy(bytes.begin(), bytes.end(), address.sun_path);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFile::exists(path);
}

} // namespace

class ConventionsTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    // ---- the wheel -----------------------------------------------------------------

    void wheel_turnsOneSpreadANotch_data()
    {
        QTest::addColumn<int>("startSpread");
        QTest::addColumn<QList<int>>("angles");
        QTest::addColumn<int>("endSpread");
        QTest::newRow("down one notch") << 0 << QList<int>{-120} << 1;
        QTest::newRow("up one notch") << 3 << QList<int>{120} << 2;
        QTest::newRow("three notches at once") << 0 << QList<int>{-360} << 3;
        // Touch pads report parts of a notch: two halves make one turn, one half none.
        QTest::newRow("two half notches") << 0 << QList<int>{-60, -60} << 1;
        QTest::newRow("half a notch") << 0 << QList<int>{-60} << 0;
        QTest::newRow("half up, half down") << 2 << QList<int>{60, -60} << 2;
        QTest::newRow("up at the first spread") << 0 << QList<int>{120} << 0;
        QTest::newRow("down past the last spread") << 0 << QList<int>{-120 * 50} << -1;
    }

    void wheel_turnsOneSpreadANotch()
    {
        QFETCH(int, startSpread);
        QFETCH(QList<int>, angles);
        QFETCH(int, endSpread);
        auto w = startWindow(numberedBook(QStringLiteral("wheel.txt"), 60, 80));
        for (int i = 0; i < startSpread; ++i)
            QTest::keyClick(w.get(), Qt::Key_PageDown);
        for (int angle : angles)
            turnWheel(*w, angle);
        const auto &s = w->state();
        const int64_t expected = endSpread < 0
                                     ? 1 + spreadLines(*w) * ((s.lineCount() - 1) / spreadLines(*w))
                                     : 1 + endSpread * spreadLines(*w);
        QCOMPARE(s.topLine, expected);
    }

    void wheel_turnsNothingBehindThePromptOrScrollMode()
    {
        auto w = startWindow(numberedBook(QStringLiteral("wheel-prompt.txt"), 60, 80));
        QTest::keyClick(w.get(), Qt::Key_G);
        QVERIFY(part(w.get(), "prompt")->isVisible());
        turnWheel(*w, -120);
        QCOMPARE(w->state().topLine, 1);
        QTest::keyClick(part(w.get(), "promptAnswer"), Qt::Key_Escape);
        QVERIFY(!part(w.get(), "prompt")->isVisible());
        turnWheel(*w, -120);
        QCOMPARE(w->state().topLine, 1 + spreadLines(*w));
    }

    // ---- keys --------------------------------------------------------------------------

    void spaceKeys_turnForwardAndBack_data()
    {
        QTest::addColumn<int>("startSpread");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("endSpread");
        QTest::newRow("Space forward") << 1 << int(Qt::NoModifier) << 2;
        QTest::newRow("Shift+Space back") << 2 << int(Qt::ShiftModifier) << 1;
        QTest::newRow("Shift+Space at the first spread") << 0 << int(Qt::ShiftModifier) << 0;
        // Ctrl+Space is no reading key: the page stays.
        QTest::newRow("Ctrl+Space") << 1 << int(Qt::ControlModifier) << 1;
    }

    void spaceKeys_turnForwardAndBack()
    {
        QFETCH(int, startSpread);
        QFETCH(int, modifiers);
        QFETCH(int, endSpread);
        auto w = startWindow(numberedBook(QStringLiteral("space.txt"), 60, 80));
        for (int i = 0; i < startSpread; ++i)
            QTest::keyClick(w.get(), Qt::Key_PageDown);
        QTest::keyClick(w.get(), Qt::Key_Space, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w->state().topLine, 1 + endSpread * spreadLines(*w));
    }

    void space_turnsNothingBehindThePrompt()
    {
        auto w = startWindow(numberedBook(QStringLiteral("space-prompt.txt"), 60, 80));
        QTest::keyClick(w.get(), Qt::Key_G);
        QTest::keyClick(w.get(), Qt::Key_Space);
        QCOMPARE(w->state().topLine, 1);
    }

    void f11_switchesFullScreenOnAndOff()
    {
        auto w = startWindow(numberedBook(QStringLiteral("f11.txt"), 60, 80));
        const QRect normal = w->geometry();
        QTest::keyClick(w.get(), Qt::Key_F11);
        QTRY_VERIFY(w->windowState() & Qt::WindowFullScreen);
        QCOMPARE(fullScreenCaption(*w), QStringLiteral("恢复到一般大小"));
        QTRY_VERIFY(w->isIdle());
        QTest::keyClick(w.get(), Qt::Key_F11);
        QTRY_VERIFY(!(w->windowState() & Qt::WindowFullScreen));
        QCOMPARE(fullScreenCaption(*w), QStringLiteral("放大到全屏幕"));
        QTRY_COMPARE(w->geometry(), normal);
    }

    // Esc takes away one thing at a time: the prompt, then the menu, then full screen.
    void escape_closesPromptThenMenuThenFullScreen()
    {
        auto w = startWindow(numberedBook(QStringLiteral("esc.txt"), 60, 80));
        QTest::keyClick(w.get(), Qt::Key_F11);
        QTRY_VERIFY(w->windowState() & Qt::WindowFullScreen);
        QTRY_VERIFY(w->isIdle());
        openMenu(w.get());
        QVERIFY(w->state().menuShown);
        QTest::keyClick(w.get(), Qt::Key_G);
        QWidget *prompt = part(w.get(), "prompt");
        QVERIFY(prompt->isVisible());

        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!prompt->isVisible());
        QVERIFY(w->state().menuShown);
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!w->state().menuShown);
        QVERIFY(!part(w.get(), "menuPanel")->isVisible());
        QVERIFY(w->windowState() & Qt::WindowFullScreen);
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QTRY_VERIFY(!(w->windowState() & Qt::WindowFullScreen));
        QCOMPARE(fullScreenCaption(*w), QStringLiteral("放大到全屏幕"));
        // Nothing left to close: the page stays where it is.
        QTRY_VERIFY(w->isIdle());
        const int64_t topLine = w->state().topLine;
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QCOMPARE(w->state().topLine, topLine);
        QVERIFY(!(w->windowState() & Qt::WindowFullScreen));
    }

    void escape_leavesScrollModeOpen()
    {
        auto w = startWindow(numberedBook(QStringLiteral("esc-scroll.txt"), 60, 80));
        openMenu(w.get());
        QAction *scroll = menuItem(w.get(), "autoTurnMenu", QStringLiteral("滚动翻页"));
        QVERIFY(scroll);
        scroll->trigger();
        QWidget *scrollPanel = part(w.get(), "scrollPanel");
        QVERIFY(scrollPanel->isVisible());
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(scrollPanel->isVisible());
    }

    // The dialog started in the working folder instead of the folder of the book on show.
    void ctrlO_opensTheDialogsBook_fromTheFolderOfTheBookOnShow()
    {
        const QString first = numberedBook(QStringLiteral("ctrl-o-first.txt"), 60, 80);
        auto w = startWindow(first);
        const QString book = numberedBook(QStringLiteral("ctrl-o-second.txt"), 60, 80);
        Dialogs::setNextOpenFile(book);
        QTest::keyClick(w.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(Dialogs::lastOpenFolder(), QFileInfo(first).absolutePath());
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(QString::fromStdString(w->state().bookPath), book);
    }

    // ---- the title -----------------------------------------------------------------

    void title_namesTheBookOnShow()
    {
        // These books have no chapter headings: the title holds the share read.
        auto w = startWindow(numberedBook(QStringLiteral("红楼梦.txt"), 20, 40));
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("红楼梦 · 0% — TibboRead"));
        w->openBook(numberedBook(QStringLiteral("西游记.第一部.txt"), 20, 40));
        QTRY_VERIFY(w->isIdle());
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("西游记.第一部 · 0% — TibboRead"));
        // A book that cannot be read leaves the title with the book on show.
        w->openBook(QStringLiteral("/nowhere/水浒传.txt"));
        QTRY_VERIFY(w->isIdle());
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("西游记.第一部 · 0% — TibboRead"));
    }

    void windowTitle_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("details");
        QTest::addColumn<QString>("title");
        QTest::newRow("no book") << QString() << QStringList() << QStringLiteral("TibboRead");
        QTest::newRow("html") << QStringLiteral("/b/三国.html") << QStringList()
                              << QStringLiteral("三国 — TibboRead");
        QTest::newRow("no extension")
            << QStringLiteral("/b/book") << QStringList() << QStringLiteral("book — TibboRead");
        QTest::newRow("details") << QStringLiteral("/b/a.txt")
                                 << QStringList{QStringLiteral("第三回"), QString(),
                                                QStringLiteral("12%")}
                                 << QStringLiteral("a · 第三回 · 12% — TibboRead");
    }

    void windowTitle()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, details);
        QFETCH(QString, title);
        QCOMPARE(DesktopControls::windowTitle(path.toStdString(), details), title);
    }

    // ---- a dropped file ------------------------------------------------------------

    void drop_opensFirstLocalFile()
    {
        auto w = startWindow(numberedBook(QStringLiteral("drop-first.txt"), 60, 80));
        const QString book = numberedBook(QStringLiteral("drop-second.txt"), 60, 80);
        openMenu(w.get());
        QVERIFY(dropOn(*w, {QUrl(QStringLiteral("https://example.invalid/x.txt")),
                            QUrl::fromLocalFile(book),
                            QUrl::fromLocalFile(QStringLiteral("/nowhere/else.txt"))}));
        QTRY_COMPARE(QString::fromStdString(w->state().bookPath), book);
        QTRY_VERIFY(w->isIdle());
        QVERIFY(!w->state().menuShown);
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("drop-second · 0% — TibboRead"));
    }

    void drop_refusesWhatIsNoLocalFile()
    {
        auto w = startWindow(numberedBook(QStringLiteral("drop-keep.txt"), 60, 80));
        const std::string before = w->state().bookPath;
        QVERIFY(!dropOn(*w, {}, QStringLiteral("some text")));
        QVERIFY(!dropOn(*w, {QUrl(QStringLiteral("https://example.invalid/x.txt"))}));
        QTest::qWait(50);
        QCOMPARE(w->state().bookPath, before);
    }

    // ---- one reader at a time -----------------------------------------------------------

    void secondLaunch_handsItsBookToTheFirst()
    {
        QTemporaryDir folder;
        const QString name = SingleInstance::serverNameFor(folder.path());
        SingleInstance first(name);
        QCOMPARE(first.listen(), SingleInstance::Listen::Listening);
        QSignalSpy handed(&first, &SingleInstance::bookHandedOver);
        // Hand-overs while the window starts wait for it.
        std::atomic<bool> tookEarly = false;
        std::thread early(
            [&] { tookEarly = SingleInstance(name).handOver(QStringLiteral("/books/早.txt")); });
        QTRY_VERIFY(tookEarly);
        early.join();
        QVERIFY(tookEarly);
        QCOMPARE(handed.count(), 0);
        first.startReceiving();
        QCOMPARE(handed.count(), 1);
        QCOMPARE(handed.at(0).at(0).toString(), QStringLiteral("/books/早.txt"));

        for (const QString &book : {QStringLiteral("/books/红 楼 梦.txt"), QString()}) {
            std::atomic<bool> took = false;
            std::thread second([&] { took = SingleInstance(name).handOver(book); });
            QTRY_VERIFY(took);
            second.join();
            QCOMPARE(handed.last().at(0).toString(), book);
        }
        // The same folder cannot have a second listener; another folder can.
        SingleInstance again(name);
        QCOMPARE(again.listen(), SingleInstance::Listen::AnotherAnswers);
        QTemporaryDir otherFolder;
        SingleInstance other(SingleInstance::serverNameFor(otherFolder.path()));
        QCOMPARE(other.listen(), SingleInstance::Listen::Listening);
    }

    void firstLaunch_takesOverSocketOfKilledReader()
    {
        QTemporaryDir folder;
        const QString name = SingleInstance::serverNameFor(folder.path());
        QVERIFY(makeStaleSocket(name));
        QVERIFY(!SingleInstance(name).handOver(QStringLiteral("/books/a.txt"), 500));
        SingleInstance first(name);
        QCOMPARE(first.listen(), SingleInstance::Listen::Listening);
        first.startReceiving();
        QSignalSpy handed(&first, &SingleInstance::bookHandedOver);
        std::atomic<bool> took = false;
        std::thread second(
            [&] { took = SingleInstance(name).handOver(QStringLiteral("/books/b.txt")); });
        QTRY_VERIFY(took);
        second.join();
        QCOMPARE(handed.count(), 1);
    }

    void noReader_handOverFails()
    {
        QTemporaryDir folder;
        QVERIFY(!SingleInstance(SingleInstance::serverNameFor(folder.path()))
                     .handOver(QStringLiteral("/books/a.txt"), 500));
    }
};

QTEST_MAIN(ConventionsTest)
#include "conventions_test.moc"
