// A restart with settings.index shows the saved spread from the part of settings.ini that
// holds it, then puts the whole book in place: the reader ends exactly where a restart
// without the index puts them, and what they do meanwhile acts on the whole book.
#include "windowfixture.h"

#include "bookview.h"

#include "settings/settingsindex.h"

#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

QString indexPath()
{
    return SessionFiles::folder() + QStringLiteral("/settings.index");
}

// The rows of the spread on show.
QStringList rowsOnShow(const ReaderWindow &w)
{
    QStringList rows;
    for (int k = 0; k < 2 * w.state().linesPerPage; ++k)
        rows << line(&w, k)->text();
    return rows;
}

// What a restart brings back.
struct Restored
{
    std::u32string text;
    core::LineList lineEnds;
    int64_t topLine = 0;
    std::vector<int64_t> bookmarks;
    std::u32string scrollText;
    QStringList rows;
};

Restored restoredOf(const ReaderWindow &w)
{
    const core::ReaderState &s = w.state();
    Restored r{s.paragraphText.substr(0), s.lineEnds, s.topLine, {}, {}, rowsOnShow(w)};
    for (const auto &mark : s.bookmarks)
        r.bookmarks.push_back(mark.line);
    r.scrollText = s.scrollMap.scrollText(s.paragraphText);
    return r;
}

void compareRestored(const Restored &a, const Restored &b)
{
    QVERIFY(a.text == b.text);
    QVERIFY(a.lineEnds == b.lineEnds);
    QCOMPARE(a.topLine, b.topLine);
    QVERIFY(a.bookmarks == b.bookmarks);
    QVERIFY(a.scrollText == b.scrollText);
    QCOMPARE(a.rows, b.rows);
}

// A start without a book argument: the rows of the stored spread, if one was shown.
// `onStored` runs on the stored spread.
struct RestartWatch
{
    std::unique_ptr<ReaderWindow> window = std::make_unique<ReaderWindow>();
    std::optional<QStringList> storedRows;
};

std::unique_ptr<RestartWatch> restart(std::function<void(ReaderWindow &)> onStored = {})
{
    auto watch = std::make_unique<RestartWatch>();
    ReaderWindow &w = *watch->window;
    auto *raw = watch.get();
    QObject::connect(part<BookView>(&w, "bookView"), &BookView::storedSpreadShown, &w,
                     [raw, onStored] {
                         ReaderWindow &rw = *raw->window;
                         QVERIFY(rw.showsStoredSpread());
                         raw->storedRows = rowsOnShow(rw);
                         if (onStored)
                             onStored(rw);
                     });
    w.show();
    w.start();
    [&w] { QTRY_VERIFY(w.isIdle()); }();
    // The scroll text follows the first paint.
    [&w] { QTRY_VERIFY(!w.state().scrollMap.empty()); }();
    return watch;
}

// A plain-text book of 3000 paragraphs (a few hundred thousand characters: the place
// lies past the index's first checkpoints) and an HTML book.
QString plainBook()
{
    return numberedBook(QStringLiteral("restart-plain.txt"), 3000, 90);
}

QString htmlBook()
{
    QString html = QStringLiteral("<html><body>\n");
    for (int i = 0; i < 2000; ++i)
        html += QStringLiteral("<p>第%1段").arg(i) + QString(70 + i % 40, QChar(0x6587 + i % 9)) +
                QStringLiteral("</p>\n");
    html += QStringLiteral("</body></html>\n");
    return writeBook(QStringLiteral("restart.html"), html);
}

} // namespace

class RestartTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void restartWithIndex_endsAsARestartWithout_data()
    {
        QTest::addColumn<bool>("html");
        QTest::newRow("plain text") << false;
        QTest::newRow("HTML") << true;
    }

    void restartWithIndex_endsAsARestartWithout()
    {
        QFETCH(bool, html);
        {
            auto w = startWindow(html ? htmlBook() : plainBook());
            // Far into the book, with a bookmark on the spread.
            QTest::keyClick(w.get(), Qt::Key_End);
            for (int k = 0; k < 7; ++k)
                QTest::keyClick(w.get(), Qt::Key_PageUp);
            QTest::mouseClick(line(w.get(), 3), Qt::LeftButton, {}, QPoint(5, 5));
            QTest::keyClick(w.get(), Qt::Key_A);
            QVERIFY(!w->state().bookmarks.empty());
            QVERIFY(w->state().topLine > 4096);
            w->exitReader();
            QTRY_VERIFY(QFileInfo::exists(indexPath()));
        }
        const QByteArray settings = fileBytes(settingsPath());
        const QByteArray index = fileBytes(indexPath());

        auto withIndex = restart();
        // The stored spread came first, and was the spread the whole book shows.
        QVERIFY(withIndex->storedRows);
        QCOMPARE(*withIndex->storedRows, rowsOnShow(*withIndex->window));
        const Restored fromIndex = restoredOf(*withIndex->window);
        withIndex->window.reset();
        // A start without a save leaves both files as they were.
        QCOMPARE(fileBytes(settingsPath()), settings);
        QCOMPARE(fileBytes(indexPath()), index);

        QVERIFY(QFile::remove(indexPath()));
        auto without = restart();
        QVERIFY(!without->storedRows);
        compareRestored(fromIndex, restoredOf(*without->window));
    }

    // A key pressed on the stored spread turns the whole book's spread: the book is put
    // in place first. An exit then writes settings.ini with the whole book.
    void keyOnTheStoredSpread_actsOnTheWholeBook()
    {
        int64_t savedTop = 0;
        {
            auto w = startWindow(plainBook());
            QTest::keyClick(w.get(), Qt::Key_End);
            QTest::keyClick(w.get(), Qt::Key_PageUp);
            savedTop = w->state().topLine;
            w->exitReader();
        }
        auto watch = restart([](ReaderWindow &w) { QTest::keyClick(&w, Qt::Key_PageDown); });
        ReaderWindow &w = *watch->window;
        QVERIFY(watch->storedRows);
        QVERIFY(!w.showsStoredSpread());
        QCOMPARE(w.state().topLine, savedTop + 2 * w.state().linesPerPage);
        w.exitReader();
        const core::SettingsRead read =
            core::readSettingsFile(fileBytes(settingsPath()).toStdString());
        QVERIFY(read.clean);
        QCOMPARE(*read.topLine, savedTop + 2 * w.state().linesPerPage);
        QVERIFY(read.paragraphText && *read.paragraphText == w.state().paragraphText);
    }

    // An exit (the menu's, a signal's) on the stored spread leaves settings.ini and its
    // index as they were: nothing is written from a part of the book.
    void exitOnTheStoredSpread_leavesTheFilesAsTheyWere()
    {
        {
            auto w = startWindow(plainBook());
            QTest::keyClick(w.get(), Qt::Key_End);
            w->exitReader();
        }
        const QByteArray settings = fileBytes(settingsPath());
        const QByteArray index = fileBytes(indexPath());
        for (const bool bySignal : {false, true}) {
            ReaderWindow w;
            bool stored = false;
            QObject::connect(part<BookView>(&w, "bookView"), &BookView::storedSpreadShown, &w,
                             [&w, &stored, bySignal] {
                                 stored = true;
                                 if (bySignal)
                                     w.exitBySignal();
                                 else
                                     w.exitReader();
                             });
            w.show();
            w.start();
            QTRY_VERIFY(stored);
            QTest::qWait(50);
            QVERIFY(!w.showsStoredSpread());
            QVERIFY(!w.isIdle());
            QCOMPARE(fileBytes(settingsPath()), settings);
            QCOMPARE(fileBytes(indexPath()), index);
        }
    }

    // settings.ini written by a reader that keeps no index: the index beside it is of
    // another file and is not used; the restart is the whole read's.
    void staleIndex_isIgnored()
    {
        {
            auto w = startWindow(plainBook());
            QTest::keyClick(w.get(), Qt::Key_End);
            w->exitReader();
        }
        const QByteArray index = fileBytes(indexPath());
        {
            auto w = startWindow();
            QTest::keyClick(w.get(), Qt::Key_Home);
            w->exitReader();
        }
        QFile f(indexPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(index);
        f.close();
        auto watch = restart();
        QVERIFY(!watch->storedRows);
        QCOMPARE(watch->window->state().topLine, 1);
    }
};

QTEST_MAIN(RestartTest)
#include "restart_test.moc"
