// A reader's life with a book over weeks: the way back after a jump, the reading that
// makes the statistics and the speed, the statistics database when it is damaged or
// locked, a book downloaded again with more or other text, and the recap after days away.
#include "windowfixture.h"

#include "readingclock.h"
#include "sessionfiles.h"
#include "statisticsdatabase.h"

#include "navigation/chaptermoves.h"
#include "pages/pages.h"
#include "text/headings.h"

#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

// A paragraph no other paragraph of the book repeats: characters from a generator seeded
// by its number, so every place has text of its own around it.
QString paragraph(int number)
{
    uint32_t seed = 2654435761u * static_cast<uint32_t>(number + 1);
    QString text = QStringLiteral("　　");
    for (int i = 0; i < 70; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += QChar(0x4E00 + static_cast<int>((seed >> 16) % 3000));
    }
    return text + QStringLiteral("。\n");
}

// Chapters `first`..`last`, each a heading and 30 paragraphs; a chapter's paragraphs are
// the same in every book made here.
QString chapters(int first, int last)
{
    QString text;
    for (int c = first; c <= last; ++c) {
        text += QStringLiteral("第%1章　标题%1\n").arg(c);
        for (int p = 0; p < 30; ++p)
            text += paragraph(c * 100 + p);
    }
    return text;
}

int64_t spreadStart(const ReaderWindow &w)
{
    return core::charactersOnShow(w.state()).from;
}

bool spreadHolds(const ReaderWindow &w, int64_t offset)
{
    const core::CharacterRange shown = core::charactersOnShow(w.state());
    return shown.from <= offset && offset < shown.to;
}

// Where `needle` is in the book's text; -1 when it is not there.
int64_t offsetOf(const ReaderWindow &w, const QString &needle)
{
    const std::u32string text = w.state().paragraphText.substr(0);
    const auto at = text.find(needle.toStdU32String());
    return at == std::u32string::npos ? -1 : static_cast<int64_t>(at);
}

QString messageText(const ReaderWindow &w)
{
    return part<QLabel>(&w, "mascotSpeechText")->text();
}

// What Tibbo says now; empty while the bubble holds nothing of his.
QString saidNow(const ReaderWindow &w)
{
    return part(&w, "mascotSpeech")->isVisible() ? messageText(w) : QString();
}

void openAndWait(ReaderWindow &w, const QString &book)
{
    w.openBook(book);
    QTRY_VERIFY(w.isIdle());
}

} // namespace

class ReadingLifeTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }
    void cleanup() { ReadingClock::releaseForTests(); }

    // ---- the way back

    void wayBack_returnsFromEveryJump_andForwardAgain_data()
    {
        QTest::addColumn<std::function<void(ReaderWindow &)>>("jump");
        QTest::newRow("next chapter") << std::function<void(ReaderWindow &)>(
            [](ReaderWindow &w) { QTest::keyClick(&w, Qt::Key_Right, Qt::ControlModifier); });
        QTest::newRow("previous chapter") << std::function<void(ReaderWindow &)>(
            [](ReaderWindow &w) { QTest::keyClick(&w, Qt::Key_Left, Qt::ControlModifier); });
        QTest::newRow("last spread") << std::function<void(ReaderWindow &)>(
            [](ReaderWindow &w) { QTest::keyClick(&w, Qt::Key_End); });
        QTest::newRow("page typed in") << std::function<void(ReaderWindow &)>([](ReaderWindow &w) {
            QTest::keyClick(&w, Qt::Key_G);
            auto *answer = part<QLineEdit>(&w, "promptAnswer");
            answer->setText(QStringLiteral("30"));
            QTest::keyClick(answer, Qt::Key_Return);
        });
        QTest::newRow("share typed in") << std::function<void(ReaderWindow &)>([](ReaderWindow &w) {
            QTest::keyClick(&w, Qt::Key_G);
            auto *answer = part<QLineEdit>(&w, "promptAnswer");
            answer->setText(QStringLiteral("80%"));
            QTest::keyClick(answer, Qt::Key_Return);
        });
        QTest::newRow("search") << std::function<void(ReaderWindow &)>([](ReaderWindow &w) {
            QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
            auto *box = part<QLineEdit>(&w, "searchBox");
            box->setText(QStringLiteral("标题9"));
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QTest::newRow("chapter list") << std::function<void(ReaderWindow &)>([](ReaderWindow &w) {
            QTest::keyClick(&w, Qt::Key_T);
            auto *list = part<QTreeWidget>(&w, "chapterList");
            emit list->itemActivated(list->topLevelItem(1), 0);
        });
    }

    void wayBack_returnsFromEveryJump_andForwardAgain()
    {
        QFETCH(std::function<void(ReaderWindow &)>, jump);
        auto w = startWindow(writeBook(QStringLiteral("wayback.txt"), chapters(1, 12)));
        QAction *wayBack = menuItem(w.get(), "bookmarkMenu", QStringLiteral("回到刚才"));
        QVERIFY(!wayBack->isEnabled());
        // Somewhere in chapter 5, reached by turning: turns are not jumps.
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(w.get(), Qt::Key_PageDown);
        QTest::keyClick(w.get(), Qt::Key_Left, Qt::AltModifier);
        const int64_t before = spreadStart(*w);
        QVERIFY(before > 0);

        jump(*w);
        QTRY_VERIFY(w->isIdle());
        const int64_t there = spreadStart(*w);
        QVERIFY(there != before);
        QVERIFY(wayBack->isEnabled());

        QTest::keyClick(w.get(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(spreadStart(*w), before);
        QTest::keyClick(w.get(), Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(spreadStart(*w), there);
        // 回到刚才 in the bookmark menu goes back as Alt+Left does, and closes the menu.
        openMenu(w.get());
        wayBack->trigger();
        QCOMPARE(spreadStart(*w), before);
        QVERIFY(!part(w.get(), "menuPanel")->isVisible());
    }

    // The places are characters, not lines: after a re-flow for another font size the way
    // back shows the spread that holds the text the reader jumped from.
    void wayBack_afterAReflow_landsOnTheSameText()
    {
        auto w = startWindow(writeBook(QStringLiteral("wayback-reflow.txt"), chapters(1, 8)));
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(w.get(), Qt::Key_PageDown);
        const core::CharacterRange from = core::charactersOnShow(w->state());
        QTest::keyClick(w.get(), Qt::Key_Right, Qt::ControlModifier);
        QAction *size = menuItem(w.get(), "fontSizeMenu", QStringLiteral("16"));
        QVERIFY(size);
        size->trigger();
        QTRY_VERIFY(w->isIdle());
        QTest::keyClick(w.get(), Qt::Key_Left, Qt::AltModifier);
        QVERIFY(spreadHolds(*w, from.from));
    }

    // ---- reading, the speed and the statistics

    void spreadsReadInOrder_makeTodaysStatistics_andTheTimeLeft()
    {
        // Noon, so the reading stays on one day wherever the test runs.
        ReadingClock::setForTests(
            QDateTime(QDate::currentDate(), QTime(12, 0)).toMSecsSinceEpoch());
        auto w = startWindow(writeBook(QStringLiteral("statistics.txt"), chapters(1, 10)));
        // Five spreads read through at 40 seconds each; the sixth on show is being read.
        for (int i = 0; i < 5; ++i) {
            ReadingClock::advanceForTests(40000);
            QTest::keyClick(w.get(), Qt::Key_PageDown);
        }
        // A pause of more than five minutes is not reading, nor is a jump.
        ReadingClock::advanceForTests(6 * 60000);
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        ReadingClock::advanceForTests(30000);
        QTest::keyClick(w.get(), Qt::Key_End);

        QAction *statistics = menuItem(w.get(), "autoTurnMenu", QStringLiteral("阅读统计"));
        QVERIFY(statistics);
        statistics->trigger();
        QVERIFY(part(w.get(), "statisticsPanel")->isVisible());
        auto *today = part<QLabel>(w.get(), "statisticsToday");
        QTRY_VERIFY(!today->text().startsWith(QStringLiteral("正在读取")));
        QVERIFY2(today->text().startsWith(QStringLiteral("3分钟")), qPrintable(today->text()));
        auto *books = part<QTreeWidget>(w.get(), "statisticsBooks");
        QCOMPARE(books->topLevelItemCount(), 1);
        QCOMPARE(books->topLevelItem(0)->text(0), QStringLiteral("statistics"));
        QTest::keyClick(part(w.get(), "statisticsPanel"), Qt::Key_Escape);
        QVERIFY(!part(w.get(), "statisticsPanel")->isVisible());

        // Over two minutes of reading tell the reader's speed: the chapter list tells the
        // time left at it.
        QTest::keyClick(w.get(), Qt::Key_Home);
        QTest::keyClick(w.get(), Qt::Key_T);
        auto *timeLeft = part<QLabel>(w.get(), "chapterTimeLeft");
        QVERIFY(timeLeft->isVisible());
        QVERIFY2(timeLeft->text().startsWith(QStringLiteral("本章还需: 约 ")),
                 qPrintable(timeLeft->text()));
        QVERIFY(timeLeft->text().contains(QStringLiteral("全书还需: 约 ")));
        // The footer tells the chapter's beside the percentage.
        QTRY_VERIFY2(part<QLabel>(w.get(), "progressCaption")
                             ->toolTip()
                             .contains(QStringLiteral("本章还需: 约 ")) ||
                         part<QLabel>(w.get(), "progressCaption")
                             ->text()
                             .contains(QStringLiteral("本章还需")),
                     qPrintable(part<QLabel>(w.get(), "progressCaption")->text()));
    }

    void speedTest_seedsTheTimeLeft_beforeAnyReading()
    {
        auto w = startWindow(writeBook(QStringLiteral("seed.txt"), chapters(1, 4)));
        openMenu(w.get());
        QVERIFY(!part(w.get(), "menuPanel")->toolTip().contains(QStringLiteral("还需")));
        QAction *test = menuItem(w.get(), "autoTurnMenu", QStringLiteral("开始测试读速"));
        test->trigger();
        stepTimer(w->findChild<QTimer *>(QStringLiteral("speedTestTimer")), 60);
        menuItem(w.get(), "autoTurnMenu", QStringLiteral("停止测试读速"))->trigger();
        const QStringList messages = Dialogs::takeMessages();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(QStringLiteral("以后就按这个速度估计还要读多久")));
        openMenu(w.get());
        const QString tooltip = part(w.get(), "menuPanel")->toolTip();
        QVERIFY2(tooltip.contains(QStringLiteral("本章还需: 约 ")) &&
                     tooltip.contains(QStringLiteral("全书还需: 约 ")),
                 qPrintable(tooltip));
    }

    void database_damaged_isSetAside_andANewOneKeepsTheSession()
    {
        const QString path = SessionFiles::folder() + QStringLiteral("/statistics.db");
        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray("SQLite format 3") + QByteArray(4000, '\x5a'));
        damaged.close();
        StatisticsDatabase database(path);
        QStringList problems;
        connect(&database, &StatisticsDatabase::problem, this,
                [&problems](const QString &text) { problems << text; });
        database.record({"/books/a.txt", 1000, 61000, 500});
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems[0].startsWith(QStringLiteral("阅读统计的数据库打不开或者坏了")));
        const QStringList aside =
            QDir(SessionFiles::folder()).entryList({QStringLiteral("statistics.db.damaged-*")});
        QCOMPARE(aside.size(), 1);
        // Set aside whole, never removed.
        QCOMPARE(fileBytes(SessionFiles::folder() + QLatin1Char('/') + aside[0]).size(), 4015);
        const auto contents = database.read(0);
        QCOMPARE(contents.recent.size(), size_t{1});
        QCOMPARE(contents.recent[0].characters, 500);
    }

    void database_lockedByAnotherProgram_isSetAside_andANewOneStarted()
    {
        const QString path = SessionFiles::folder() + QStringLiteral("/statistics.db");
        {
            StatisticsDatabase first(path);
            first.record({"/books/a.txt", 1000, 61000, 500});
        }
        // Another program holds the file locked for good.
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                           QStringLiteral("other-program"));
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            StatisticsDatabase database(path);
            QStringList problems;
            connect(&database, &StatisticsDatabase::problem, this,
                    [&problems](const QString &text) { problems << text; });
            database.record({"/books/b.txt", 2000, 62000, 700});
            QCOMPARE(problems.size(), 1);
            const auto contents = database.read(0);
            QCOMPARE(contents.recent.size(), size_t{1});
            QCOMPARE(contents.recent[0].book, std::string("/books/b.txt"));
            lock.exec(QStringLiteral("ROLLBACK"));
            lock.finish();
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
        QCOMPARE(QDir(SessionFiles::folder())
                     .entryList({QStringLiteral("statistics.db.damaged-*")})
                     .size(),
                 1);
    }

    // The file may have been written by another program or by hand: a row that is not a
    // sane session counts nowhere.
    void database_rowsThatAreNotSessions_arePassedOver()
    {
        const QString path = SessionFiles::folder() + QStringLiteral("/statistics.db");
        {
            StatisticsDatabase database(path);
            database.record({"/books/a.txt", 1000, 61000, 500});
        }
        {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("hand-edited"));
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery insert(other);
            for (const char *row : {
                     "'/books/a.txt', 5000, 4000, 10",     // ends before it starts
                     "'/books/a.txt', 1000, 2000, -5",     // characters below zero
                     "'', 1000, 2000, 10",                 // no book
                     "'/books/a.txt', 'soon', 2000, 10",   // a number as text
                     "'/books/a.txt', 0, 90000000000, 10", // longer than a day
                     "'/books/a.txt', -7, 1000, 10",       // before 1970
                 })
                QVERIFY(insert.exec(
                    QStringLiteral("INSERT INTO sessions (book, start, end, characters) "
                                   "VALUES (%1)")
                        .arg(QLatin1String(row))));
            insert.finish();
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("hand-edited"));
        StatisticsDatabase database(path);
        const auto contents = database.read(0);
        QCOMPARE(contents.recent.size(), size_t{1});
        QCOMPARE(contents.books.size(), size_t{1});
        QCOMPARE(contents.books[0].totals.milliseconds, 60000);
        QCOMPARE(contents.books[0].totals.characters, 500);
    }

    // ---- a book downloaded again

    void grownBook_placeAndBookmarkFoundByText_andTheNewChaptersOffered()
    {
        const QString book = writeBook(QStringLiteral("serial.txt"), chapters(1, 10));
        const QString other = writeBook(QStringLiteral("serial-other.txt"), chapters(1, 2));
        auto w = startWindow(book);
        QTest::keyClick(w.get(), Qt::Key_G);
        auto *answer = part<QLineEdit>(w.get(), "promptAnswer");
        answer->setText(QStringLiteral("50%"));
        QTest::keyClick(answer, Qt::Key_Return);
        // A bookmark on the third line of the spread, and the text it marks.
        QTest::mouseClick(line(w.get(), 3), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClick(w.get(), Qt::Key_A);
        QCOMPARE(w->state().bookmarks.size(), size_t{1});
        const auto &s = w->state();
        const int64_t markedAt = s.lineEnds[static_cast<size_t>(s.bookmarks[0].line - 1)];
        const QString markedText =
            QString::fromStdU32String(s.paragraphText.substr(static_cast<size_t>(markedAt), 12));
        const QString placeText = QString::fromStdU32String(
            s.paragraphText.substr(static_cast<size_t>(spreadStart(*w)), 12));
        openAndWait(*w, other);

        // The new download: a word from the author before chapter 1, and three chapters
        // more.
        writeBook(QStringLiteral("serial.txt"), paragraph(9999) + chapters(1, 13));
        openAndWait(*w, book);
        QVERIFY(spreadHolds(*w, offsetOf(*w, placeText)));
        const auto &now = w->state();
        QCOMPARE(now.bookmarks.size(), size_t{1});
        QCOMPARE(now.lineEnds[static_cast<size_t>(now.bookmarks[0].line - 1)],
                 offsetOf(*w, markedText));
        QTRY_VERIFY(part(w.get(), "mascotSpeech")->isVisible());
        QVERIFY2(messageText(*w).contains(QStringLiteral("新增 3 章，第11–13章")),
                 qPrintable(messageText(*w)));
        // The offer goes on at the first new chapter, and the way back returns.
        const int64_t before = spreadStart(*w);
        auto *offer = part<QPushButton>(w.get(), "mascotSpeechAnswer0");
        QVERIFY(offer->isVisible());
        QTest::mouseClick(offer, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(spreadHolds(*w, offsetOf(*w, QStringLiteral("第11章　标题11"))));
        QVERIFY(!saidNow(*w).contains(QStringLiteral("新增")));
        QTest::keyClick(w.get(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(spreadStart(*w), before);
    }

    void changedBook_whatIsNotFound_isKeptAndListed()
    {
        const QString book = writeBook(QStringLiteral("cut.txt"), chapters(1, 8));
        const QString other = writeBook(QStringLiteral("cut-other.txt"), chapters(1, 2));
        auto w = startWindow(book);
        QTest::keyClick(w.get(), Qt::Key_G);
        auto *answer = part<QLineEdit>(w.get(), "promptAnswer");
        answer->setText(QStringLiteral("60%"));
        QTest::keyClick(answer, Qt::Key_Return);
        QTest::mouseClick(line(w.get(), 2), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClick(w.get(), Qt::Key_A);
        const int64_t markLine = w->state().bookmarks.at(0).line;
        const int64_t chapter =
            core::currentChapter(w->state(), core::findChapters(w->state().paragraphText));
        openAndWait(*w, other);

        // The chapter of the place and of the bookmark is gone from the new download.
        const int gone = static_cast<int>(chapter) + 1;
        writeBook(QStringLiteral("cut.txt"), chapters(1, gone - 1) + chapters(gone + 1, 8));
        openAndWait(*w, book);
        QCOMPARE(w->state().bookmarks.size(), size_t{1});
        QCOMPARE(w->state().bookmarks[0].line, markLine);
        // Tibbo first names the chapter that went missing and waits for an answer; the news
        // of what was not found waits for the bubble and is not lost.
        QTRY_VERIFY(w->isIdle());
        QTRY_VERIFY(!saidNow(*w).isEmpty());
        if (saidNow(*w).contains(QStringLiteral("要去看看吗")))
            QTest::mouseClick(part(w.get(), "mascotSpeechAnswer1"), Qt::LeftButton);
        QTRY_VERIFY(saidNow(*w).contains(QStringLiteral("书签")));
        const QString said = messageText(*w);
        QVERIFY2(said.contains(QStringLiteral("「第%1章　标题%1」").arg(gone)) &&
                     said.contains(QStringLiteral("找不到")) &&
                     said.contains(QStringLiteral("有 1 个书签找不到原来的文字了")),
                 qPrintable(said));
        // The first key takes the news away.
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        QVERIFY(!saidNow(*w).contains(QStringLiteral("书签")));
    }

    // ---- the recap

    void bookOpenedAfterDays_getsTheRecap_andOneClickReadsIntoItAgain()
    {
        ReadingClock::setForTests(QDateTime(QDate(2026, 3, 2), QTime(20, 0)).toMSecsSinceEpoch());
        const QString book = writeBook(QStringLiteral("recap.txt"), chapters(1, 6));
        const QString other = writeBook(QStringLiteral("recap-other.txt"), chapters(1, 2));
        auto w = startWindow(book);
        QTest::keyClick(w.get(), Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(w.get(), Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        const int64_t top = w->state().topLine;
        openAndWait(*w, other);
        // One day away: no recap.
        ReadingClock::advanceForTests(24LL * 3600 * 1000);
        openAndWait(*w, book);
        QTest::qWait(50);
        QVERIFY(!saidNow(*w).contains(QStringLiteral("没见啦")));
        openAndWait(*w, other);

        ReadingClock::advanceForTests(5LL * 24 * 3600 * 1000);
        openAndWait(*w, book);
        QCOMPARE(w->state().topLine, top);
        // Tibbo may first offer fine typesetting for this book; the recap waits for the
        // bubble and is not hidden under that note.
        QTRY_VERIFY(!saidNow(*w).isEmpty());
        if (saidNow(*w).contains(QStringLiteral("可以开精排")))
            QTest::mouseClick(part(w.get(), "mascotSpeechAnswer1"), Qt::LeftButton);
        QTRY_VERIFY(saidNow(*w).contains(QStringLiteral("没见啦")));
        const QString said = messageText(*w);
        QVERIFY2(said.startsWith(QStringLiteral("隔了 5 天没见啦")) &&
                     said.contains(QStringLiteral("第3章　标题3")) &&
                     said.contains(QStringLiteral("最后读到的是")),
                 qPrintable(said));
        // Clicked as a person clicks, through the window: the press reached the window
        // before the offer and took the news away, and the click fell on the page.
        QWidget *offer = part(w.get(), "mascotSpeechAnswer0");
        QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {},
                          offer->mapTo(w.get(), QPoint(5, 5)));
        QCOMPARE(w->state().topLine, top - 2 * w->state().linesPerPage);
        QVERIFY(!saidNow(*w).contains(QStringLiteral("没见啦")));
    }
};

QTEST_MAIN(ReadingLifeTest)
#include "readinglife_test.moc"
