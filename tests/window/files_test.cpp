// Start-up, exit and opening books: the reader comes back to the same page after a
// restart, without the book file.
#include "windowfixture.h"

#include "referencesession.h"

#include "signalexit.h"

#include "settings/settingsfile.h"
#include "text/fileio.h"

#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <random>
#include <sys/resource.h>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

QString lineText(const ReaderWindow &w, int index)
{
    return line(&w, index)->text();
}

QString recentCaption(const ReaderWindow &w, int index)
{
    return part<QMenu>(&w, "recentMenu")->actions().at(index)->text();
}

// Ends the reader by the menu's exit picture, as the reader does.
void exitByMenu(ReaderWindow &w)
{
    QTest::mouseClick(part(&w, "exitPicture"), Qt::LeftButton, {}, QPoint(5, 5));
}

// The first message that holds `words`; empty when none does.
QString messageWith(const QStringList &messages, const QString &words)
{
    for (const QString &m : messages)
        if (m.contains(words))
            return m;
    return QString();
}

// Files may grow to `bytes` at most while it lives, as on a disk that is nearly full;
// writes past it fail with EFBIG instead of killing the process.
class FileSizeLimit
{
  public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        const rlimit limit{bytes, m_before.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_before); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

  private:
    rlimit m_before{};
};

// preamble: characters of one tag before the text, so the parse takes a while before
// it reaches the first part.
QString bigHtml(const QString &name, int paragraphs, int preamble = 0)
{
    QString html = QStringLiteral("<html><meta content=\"") + QString(preamble, QLatin1Char('x')) +
                   QStringLiteral("\"><body>\n");
    for (int i = 0; i < paragraphs; ++i)
        html += QStringLiteral("<p>第%1段").arg(i) + QString(60, QChar(0x6587)) +
                QStringLiteral("</p>\n");
    html += QStringLiteral("</body></html>\n");
    return writeBook(name, html);
}

} // namespace

class FilesTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void firstStart_exitWritesSettingsFile()
    {
        auto w = startWindow();
        QVERIFY(QFile::exists(SessionFiles::folder() + QStringLiteral("/readme.txt")));
        exitByMenu(*w);
        QVERIFY(!w->isVisible());
        const auto bytes = core::readFile(settingsPath().toStdString());
        QVERIFY(bytes);
        const auto read = core::readSettingsFile(*bytes);
        QVERIFY(read.complete);
        QVERIFY(read.bookPath->ends_with("readme.txt"));
        QVERIFY(QFile::exists(SessionFiles::folder() + QStringLiteral("/Slide.cache")));
    }

    void terminationSignal_exitsThroughTheSettingsWrite()
    {
        auto w = startWindow();
        SignalExit signalExit;
        connect(&signalExit, &SignalExit::exitRequested, w.get(), &ReaderWindow::exitReader);
        QSignalSpy spy(&signalExit, &SignalExit::exitRequested);
        QFile::remove(settingsPath());
        std::raise(SIGTERM);
        QTRY_COMPARE(spy.count(), 1);
        QVERIFY(!w->isVisible());
        QVERIFY(QFile::exists(settingsPath()));
    }

    // A shutdown while Qt and the window were still starting killed the reader outright.
    void signalCaughtBeforeTheWindow_isAnsweredOnceTheWindowIsUp()
    {
        SignalExit::catchSignals();
        std::raise(SIGTERM);
        auto w = startWindow();
        SignalExit signalExit;
        connect(&signalExit, &SignalExit::exitRequested, w.get(), &ReaderWindow::exitReader);
        QSignalSpy spy(&signalExit, &SignalExit::exitRequested);
        QTRY_COMPARE(spy.count(), 1);
        QVERIFY(!w->isVisible());
    }

    // A save that failed at exit said nothing (the program ended before its message could
    // be seen) and had removed the old Slide.cache anyway.
    void failedSaveAtExit_saysWhichFileAndWhyAndKeepsTheOldPair()
    {
        {
            auto w = startWindow(numberedBook(QStringLiteral("small.txt"), 20, 40));
            exitByMenu(*w);
        }
        const QString cachePath = SessionFiles::folder() + QStringLiteral("/Slide.cache");
        const QByteArray oldSettings = fileBytes(settingsPath());
        const QByteArray oldCache = fileBytes(cachePath);
        QVERIFY(!oldSettings.isEmpty() && !oldCache.isEmpty());
        auto w = startWindow(numberedBook(QStringLiteral("large.txt"), 2000, 100));
        Dialogs::takeMessages();
        {
            const FileSizeLimit nearlyFull(64 * 1024);
            exitByMenu(*w);
        }
        QVERIFY(!w->isVisible());
        const QStringList messages = Dialogs::takeMessages();
        const QString told = messageWith(messages, settingsPath());
        QVERIFY2(!told.isEmpty(), qPrintable(messages.join(QLatin1Char('|'))));
        QVERIFY(told.contains(QStringLiteral("文件超过了允许的大小")));
        QCOMPARE(fileBytes(settingsPath()), oldSettings);
        QCOMPARE(fileBytes(cachePath), oldCache);
        Dialogs::acknowledgeMessages();
    }

    // A settings.ini not read whole was written over even when its backup could not be
    // made: the backup is a precondition of the write.
    void damagedSettingsWithoutBackup_isNotWrittenOver()
    {
        {
            auto w = startWindow(numberedBook(QStringLiteral("own.txt"), 50, 40));
            exitByMenu(*w);
        }
        QByteArray bytes = fileBytes(settingsPath());
        bytes.truncate(bytes.indexOf("[Passage]") + 40);
        QFile f(settingsPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        // A folder where the backup would go: it cannot be written.
        const QString backup = settingsPath() + QStringLiteral(".bak");
        QVERIFY(QDir().mkpath(backup + QStringLiteral("/x")));
        auto w = startWindow();
        Dialogs::takeMessages();
        exitByMenu(*w);
        const QStringList messages = Dialogs::takeMessages();
        QVERIFY2(!messageWith(messages, backup).isEmpty(),
                 qPrintable(messages.join(QLatin1Char('|'))));
        QCOMPARE(fileBytes(settingsPath()), bytes);
        Dialogs::acknowledgeMessages();
        QDir(backup).removeRecursively();
    }

    // With a file where the application folder belongs, every start was a first start
    // with a message about the manual.
    void dataFolderIsAFile_saysSoAndReadsTheGivenBook()
    {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir(folder).removeRecursively();
        {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        const QString book = numberedBook(QStringLiteral("given.txt"), 30, 40);
        auto w = startWindow(book);
        const QStringList messages = Dialogs::takeMessages();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().contains(QStringLiteral("程序的文件夹建不起来")));
        QVERIFY(messages.first().contains(folder));
        QVERIFY(messages.first().contains(QStringLiteral("同名的文件")));
        QCOMPARE(QString::fromStdString(w->state().bookPath), book);
        QVERIFY(lineText(*w, 0).startsWith(QStringLiteral("　　")));
        exitByMenu(*w);
        QVERIFY(Dialogs::takeMessages().isEmpty());
        QVERIFY(QFileInfo(folder).isFile());
        QFile::remove(folder);
    }

    void restart_showsSameSpreadWithoutReadingTheBook()
    {
        const QString book = numberedBook(QStringLiteral("own.txt"), 300, 80);
        int64_t topLine = 0;
        QString firstLine;
        {
            auto w = startWindow(book);
            QCOMPARE(recentCaption(*w, 0), QStringLiteral("own.txt"));
            QCOMPARE(recentCaption(*w, 1), QStringLiteral("readme.txt"));
            QTest::keyClick(w.get(), Qt::Key_PageDown);
            QTest::keyClick(w.get(), Qt::Key_PageDown);
            topLine = w->state().topLine;
            firstLine = lineText(*w, 0);
            exitByMenu(*w);
        }
        QVERIFY(QFile::remove(book));
        auto again = startWindow();
        QCOMPARE(QString::fromStdString(again->state().bookPath), book);
        QCOMPARE(again->state().topLine, topLine);
        QCOMPARE(lineText(*again, 0), firstLine);
        // The reader has a book of their own: no welcome panel, no manual.
        QVERIFY(!again->state().welcomeMode);
        QVERIFY(!again->state().menuShown);
    }

    void damagedLineList_isReflowedFromText()
    {
        const QString book = numberedBook(QStringLiteral("own.txt"), 50, 40);
        {
            auto w = startWindow(book);
            exitByMenu(*w);
        }
        // Cut the settings file in the middle of the line list: the list no longer
        // fits the text, so the book is re-flowed instead of cut at wrong places.
        QByteArray bytes = fileBytes(settingsPath());
        const int passage = bytes.indexOf("[Passage]");
        QVERIFY(passage > 0);
        bytes.truncate(passage + 40);
        QFile f(settingsPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        auto again = startWindow();
        const auto &ends = again->state().lineEnds;
        QCOMPARE(ends.back(), static_cast<int64_t>(again->state().paragraphText.size()));
        QVERIFY(lineText(*again, 0).startsWith(QStringLiteral("　　")));
    }

    void savedPlaceOffEveryScreen_centresWindowOnPrimaryScreen()
    {
        // A place a previous run left far off every screen.
        core::SettingsData data;
        data.normalLeft = -900000;
        data.normalTop = -900000;
        data.recent = std::vector<std::string>(5, "\\none");
        data.paragraphText = U"　　一段文字^";
        QVERIFY(core::writeFileAtomically(settingsPath().toStdString(),
                                          core::test::writeSettingsFile(data)));
        auto w = startWindow();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY(screen.intersects(w->geometry()));
        QCOMPARE(w->geometry().center(), screen.center());
    }

    void damagedSettingsFile_neverCrashesStartUp()
    {
        const QString book = numberedBook(QStringLiteral("own.txt"), 40, 60);
        {
            auto w = startWindow(book);
            QTest::mouseClick(line(w.get(), 2), Qt::LeftButton, {}, QPoint(3, 3));
            menuItem(w.get(), "bookmarkMenu", QStringLiteral("添加书签"))->trigger();
            exitByMenu(*w);
        }
        const QByteArray valid = fileBytes(settingsPath());
        QFile f(settingsPath());
        // Seeded damage: bytes overwritten, lines dropped, numbers made huge or negative.
        std::mt19937 random(7);
        const QByteArray wild[] = {"-99999999999", "1e300", "abc", "", "[/Marks]", "\xff\xfe", "0"};
        for (int round = 0; round < 24; ++round) {
            QList<QByteArray> lines = valid.split('\n');
            for (int k = 0; k < 4; ++k) {
                const auto at =
                    static_cast<qsizetype>(random() % static_cast<unsigned>(lines.size()));
                switch (random() % 3) {
                case 0:
                    lines[at] = wild[random() % std::size(wild)] + '\r';
                    break;
                case 1:
                    lines.removeAt(at);
                    break;
                default:
                    lines[at].insert(0, wild[random() % std::size(wild)]);
                    break;
                }
            }
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(lines.join('\n'));
            f.close();
            auto w = startWindow();
            QVERIFY(w->isVisible() || w->isMinimized());
            // Whatever came back, the spread on show is cut from the text it holds.
            const auto &state = w->state();
            QCOMPARE(state.lineEnds.back(), static_cast<int64_t>(state.paragraphText.size()));
            QTest::keyClick(w.get(), Qt::Key_End);
            QTest::keyClick(w.get(), Qt::Key_PageDown);
            exitByMenu(*w);
            Dialogs::takeMessages();
            // The next round starts from the valid file again.
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(valid);
            f.close();
        }
    }

    void openDialog_cancelOpensNothingAndChoiceOpens()
    {
        auto w = startWindow();
        const std::string before = w->state().bookPath;
        Dialogs::setNextOpenFile(QString());
        QTest::mouseClick(part(w.get(), "openPicture"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(w->state().bookPath, before);
        const QString book = numberedBook(QStringLiteral("chosen.txt"), 20, 30);
        Dialogs::setNextOpenFile(book);
        QTest::mouseClick(part(w.get(), "openPicture"), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(QString::fromStdString(w->state().bookPath), book);
        QCOMPARE(w->state().topLine, 1);
        QVERIFY(!w->state().loadingBusy);
    }

    void unreadableBook_keepsBookOnShowAndSaysSo()
    {
        auto w = startWindow(numberedBook(QStringLiteral("own.txt"), 50, 40));
        const auto before = w->state().paragraphText;
        const auto recent = w->state().recent;
        w->openBook(QStringLiteral("/nonexistent/gone.txt"));
        QCOMPARE(Dialogs::takeMessages().size(), 1);
        QVERIFY(w->state().paragraphText == before);
        QVERIFY(w->state().recent == recent);
        QVERIFY(!w->state().loadingBusy);
    }

    void loadWhileBusy_isRefused()
    {
        auto w = startWindow();
        // A long preamble keeps the parse busy for many slices.
        w->openBook(bigHtml(QStringLiteral("busy.html"), 300, 1000000));
        QVERIFY(w->state().loadingBusy);
        w->openBook(numberedBook(QStringLiteral("other.txt"), 5, 5));
        QCOMPARE(Dialogs::takeMessages(),
                 QStringList{QStringLiteral("这个文件都还没读取完呢.等读完再读其它文件吧.")});
        QVERIFY(QString::fromStdString(w->state().bookPath).endsWith(QStringLiteral("readme.txt")));
        QTest::mouseClick(part(w.get(), "cancelLoad"), Qt::LeftButton);
        QTRY_VERIFY(w->isIdle());
    }

    // A reader who acknowledged the first-part message gets the completion message.
    void largeHtml_showsFirstPartThenWhole()
    {
        auto w = startWindow();
        // Long enough after its first part that the test sees that part on show.
        const QString html = bigHtml(QStringLiteral("big.html"), 30000);
        w->openBook(html);
        QTRY_VERIFY(w->state().partialShown || !w->state().loadingBusy);
        QVERIFY(w->state().loadingBusy);
        QCOMPARE(Dialogs::takeMessages(),
                 QStringList{QStringLiteral(
                     "这本书的字数有点多,我给你读取一部分出来先,剩下的部分我会在后台处理")});
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(Dialogs::takeMessages(), QStringList{QStringLiteral("终于读完了")});
        QCOMPARE(w->state().topLine, 1);
        QVERIFY(lineText(*w, 0).startsWith(QStringLiteral("第0段")));
        QCOMPARE(QString::fromStdString(w->state().recent[0]), html);
        QVERIFY(!w->state().loadingBusy);
        QVERIFY(!w->state().partialShown);
        QVERIFY(!part(w.get(), "loadingPanel")->isVisible());
    }

    // A book read whole before the first message was acknowledged stacked a second
    // message on the first: the one message on show says the book is read.
    void htmlReadBeforeFirstMessageIsAcknowledged_oneMessageSaysSo()
    {
        auto w = startWindow();
        w->openBook(bigHtml(QStringLiteral("quick.html"), 200));
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(Dialogs::takeMessages(), QStringList{QStringLiteral("终于读完了")});
        QVERIFY(lineText(*w, 0).startsWith(QStringLiteral("第0段")));
    }

    void smallHtml_noMessage()
    {
        auto w = startWindow();
        w->openBook(bigHtml(QStringLiteral("small.htm"), 10));
        QTRY_VERIFY(w->isIdle());
        QVERIFY(Dialogs::takeMessages().isEmpty());
        QCOMPARE(w->state().lineEnds.back(), static_cast<int64_t>(w->state().paragraphText.size()));
    }

    void cancelledHtml_leavesBookOnShowWhole()
    {
        auto w = startWindow(numberedBook(QStringLiteral("own.txt"), 50, 40));
        const auto path = w->state().bookPath;
        const auto text = w->state().paragraphText;
        const auto scroll = core::test::scrollTextOf(w->state());
        // The cancel lands long before the first part.
        const QString html = bigHtml(QStringLiteral("huge.html"), 300, 1000000);
        w->openBook(html);
        QVERIFY(part(w.get(), "loadingPanel")->isVisible());
        QTest::mouseClick(part(w.get(), "cancelLoad"), Qt::LeftButton);
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(w->state().bookPath, path);
        QVERIFY(w->state().paragraphText == text);
        QVERIFY(core::test::scrollTextOf(w->state()) == scroll);
        QVERIFY(!w->state().loadingBusy);
        for (const auto &entry : w->state().recent)
            QVERIFY(entry != html.toStdString());
        // A plain book opens at once afterwards.
        w->openBook(numberedBook(QStringLiteral("next.txt"), 5, 5));
        QTRY_VERIFY(w->isIdle());
        QVERIFY(QString::fromStdString(w->state().bookPath).endsWith(QStringLiteral("next.txt")));
    }

    void manualButton_goesToManualAndBackToSamePlace()
    {
        const QString book = numberedBook(QStringLiteral("own.txt"), 300, 80);
        auto w = startWindow(book);
        auto *caption = part<CaptionLabel>(w.get(), "manualCaption");
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        const int64_t topLine = w->state().topLine;
        openMenu(w.get());
        QTest::mouseClick(part(w.get(), "manualPicture"), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(Dialogs::takeMessages(), QStringList());
        QVERIFY(QString::fromStdString(w->state().bookPath).endsWith(QStringLiteral("readme.txt")));
        QCOMPARE(caption->caption(), QStringLiteral("不想看了"));
        openMenu(w.get());
        QTest::mouseClick(part(w.get(), "manualPicture"), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(caption->caption(), QStringLiteral("看看说明书"));
        QCOMPARE(QString::fromStdString(w->state().bookPath), book);
        QCOMPARE(w->state().topLine, topLine);
    }

    // While the manual was on show the welcome panel covered the menu at every opening,
    // so its 不想看了 could never be clicked.
    void manualWithOwnBook_menuAndWayBackStayReachable()
    {
        const QString book = numberedBook(QStringLiteral("mine.txt"), 300, 80);
        auto w = startWindow(book);
        openMenu(w.get());
        QTest::mouseClick(part(w.get(), "manualCaption"), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(w->isIdle());
        openMenu(w.get());
        QVERIFY(part(w.get(), "menuPanel")->isVisible());
        QVERIFY(!part(w.get(), "welcomePanel")->isVisible());
        QWidget *caption = part(w.get(), "manualCaption");
        QCOMPARE(w->childAt(caption->mapTo(w.get(), QPoint(5, 5))), caption);
        QTest::mouseClick(caption, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(QString::fromStdString(w->state().bookPath), book);
    }

    // A book named relative to the current folder was stored as it was typed, so the
    // recent entry failed from any other folder.
    void relativeBookPath_isStoredAbsolute()
    {
        const QString book = numberedBook(QStringLiteral("relative.txt"), 20, 30);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QFileInfo(book).absolutePath());
        auto w = startWindow(QStringLiteral("relative.txt"));
        QDir::setCurrent(previous);
        QCOMPARE(QString::fromStdString(w->state().bookPath), QFileInfo(book).absoluteFilePath());
        QCOMPARE(QString::fromStdString(w->state().recent[0]), QFileInfo(book).absoluteFilePath());
    }
};

QTEST_MAIN(FilesTest)
#include "files_test.moc"
