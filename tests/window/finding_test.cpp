// Finding one's way in a book through the window: the chapter list, the moves to the
// next and previous chapter, and the search prompt, driven by keys and clicks.
#include "windowfixture.h"

#include "entrylistpanel.h"
#include "pages/pages.h"
#include "text/headings.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

// A book of `chapters` chapters, each a heading and 40 paragraphs of 60 characters.
QString chapterBook(int chapters)
{
    QString text;
    for (int c = 1; c <= chapters; ++c) {
        text += QStringLiteral("第%1章　标题%1\n").arg(c);
        for (int p = 0; p < 40; ++p)
            text +=
                QStringLiteral("　　") + QString(60, QChar(0x5B57 + (p % 20))) + QLatin1Char('\n');
    }
    return writeBook(QStringLiteral("chapters.txt"), text);
}

int64_t headingLineOf(const core::ReaderState &s, int chapter)
{
    const auto all = core::findChapters(s.paragraphText);
    return core::lineHolding(s.lineEnds, all[static_cast<size_t>(chapter)].offset);
}

bool spreadHoldsLine(const core::ReaderState &s, int64_t line)
{
    return line >= s.topLine && line < s.topLine + 2 * s.linesPerPage;
}

} // namespace

class FindingTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void chapterList_marksCurrentAndJumpsOnClick()
    {
        auto w = startWindow(chapterBook(12));
        QTest::keyClick(w.get(), Qt::Key_End);
        QTest::keyClick(w.get(), Qt::Key_T);
        auto *list = part<QTreeWidget>(w.get(), "chapterList");
        QVERIFY(part(w.get(), "chapterPanel")->isVisible());
        QCOMPARE(list->topLevelItemCount(), 12);
        // At the end of the book the last chapter is the current one.
        QCOMPARE(list->indexOfTopLevelItem(list->currentItem()), 11);
        QVERIFY(list->currentItem()->font(0).bold());
        QVERIFY(list->topLevelItem(3)->text(1).startsWith(QStringLiteral("第")));
        list->scrollToItem(list->topLevelItem(3));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(3)).center());
        QVERIFY(!part(w.get(), "chapterPanel")->isVisible());
        QVERIFY(spreadHoldsLine(w->state(), headingLineOf(w->state(), 3)));
    }

    void ctrlArrows_goToNextAndPreviousChapter()
    {
        auto w = startWindow(chapterBook(6));
        QTest::keyClick(w.get(), Qt::Key_Right, Qt::ControlModifier);
        QVERIFY(spreadHoldsLine(w->state(), headingLineOf(w->state(), 1)));
        QTest::keyClick(w.get(), Qt::Key_Right, Qt::ControlModifier);
        QVERIFY(spreadHoldsLine(w->state(), headingLineOf(w->state(), 2)));
        QTest::keyClick(w.get(), Qt::Key_Left, Qt::ControlModifier);
        QVERIFY(spreadHoldsLine(w->state(), headingLineOf(w->state(), 1)));
    }

    // A search finds the next match from the spread on show, marks its characters, wraps
    // at the end of the book with a note, and says so when nothing is found.
    void search_findsHighlightsWrapsAndSaysNotFound()
    {
        auto w = startWindow(chapterBook(5));
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        auto *box = part<QLineEdit>(w.get(), "searchBox");
        QVERIFY(part(w.get(), "searchPanel")->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), box);
        box->setText(QStringLiteral("标题4"));
        QTest::keyClick(box, Qt::Key_Return);
        const int64_t heading = headingLineOf(w->state(), 3);
        QVERIFY(spreadHoldsLine(w->state(), heading));
        QVERIFY(!line(w.get(), static_cast<int>(heading - w->state().topLine))->bands().empty());
        auto *note = part<QLabel>(w.get(), "searchNote");
        QCOMPARE(note->text(), QStringLiteral("第 1 / 1 处"));
        // Only one match: the next search wraps round to it and says so.
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(spreadHoldsLine(w->state(), heading));
        QVERIFY(note->text().startsWith(QStringLiteral("第 1 / 1 处，已到书尾")));
        // Shift+Enter goes back; F3 repeats from the window.
        box->setText(QStringLiteral("标题"));
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(spreadHoldsLine(w->state(), headingLineOf(w->state(), 2)));
        // The count follows the words: the third of five headings.
        QCOMPARE(note->text(), QStringLiteral("第 3 / 5 处"));
        box->setText(QStringLiteral("没有这句话"));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(part<QLabel>(w.get(), "searchNote")->text().contains(QStringLiteral("找不到")));
        QVERIFY(spreadHoldsLine(w->state(), headingLineOf(w->state(), 2)));
    }

    // The prompt covered the top lines of the right page, so a match there was hidden
    // under it: it moves off the found line. The band marks the matched characters only,
    // not the whole line, and goes with the prompt.
    void searchHitUnderThePrompt_promptMovesAndBandGoesWithIt()
    {
        // Paragraphs of characters that do not repeat nearby, so six of them in a row
        // are found only where they stand.
        QString text;
        for (int p = 0; p < 60; ++p) {
            text += QStringLiteral("　　");
            for (int k = 0; k < 90; ++k)
                text += QChar(0x4E00 + (p * 97 + k * 13) % 6000);
            text += QLatin1Char('\n');
        }
        auto w = startWindow(writeBook(QStringLiteral("hits.txt"), text));
        const auto lines = static_cast<int>(w->state().linesPerPage);
        QWidget *prompt = part(w.get(), "searchPanel");
        // In the order of the book: each search starts after the match before it.
        for (const int index : {0, lines, lines + 1, lines + 2}) {
            qInfo("hit on display line %d", index);
            QTest::keyClick(w.get(), Qt::Key_Home);
            QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
            auto *box = part<QLineEdit>(w.get(), "searchBox");
            QTRY_VERIFY(prompt->isVisible());
            box->setText(line(w.get(), index)->text().mid(2, 6));
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(w->state().topLine, 1);
            const auto bands = line(w.get(), index)->bands();
            QCOMPARE(bands.size(), size_t(1));
            QCOMPARE(bands.front().firstColumn, 2);
            QCOMPARE(bands.front().columns, 6);
            QVERIFY(!line(w.get(), index)->highlighted());
            QVERIFY(!prompt->geometry().intersects(line(w.get(), index)->geometry()));
            QTest::keyClick(box, Qt::Key_Escape);
            QVERIFY(!prompt->isVisible());
            QVERIFY(line(w.get(), index)->bands().empty());
        }
    }

    // The list shows every match in book order with its chapter, page and a line around
    // it; a click shows the match marked, and the way back returns to where it was opened.
    void searchList_showsEveryMatchAndJumpsOnClick()
    {
        auto w = startWindow(chapterBook(12));
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        auto *box = part<QLineEdit>(w.get(), "searchBox");
        box->setText(QStringLiteral("标题"));
        QTest::mouseClick(part<QPushButton>(w.get(), "searchList"), Qt::LeftButton);
        QWidget *panel = part(w.get(), "searchResultsPanel");
        QVERIFY(panel->isVisible());
        auto *list = part<QListView>(w.get(), "searchResults");
        const QAbstractItemModel *rows = list->model();
        QCOMPARE(rows->rowCount(), 12);
        QVERIFY(part<QLabel>(w.get(), "searchResultsCaption")
                    ->text()
                    .contains(QStringLiteral("共 12 处")));
        const auto all = core::findChapters(w->state().paragraphText);
        for (int row = 0; row < 12; ++row) {
            const QModelIndex index = rows->index(row, 0);
            const int64_t page = core::pageOfOffset(w->state().lineEnds, all[size_t(row)].offset,
                                                    w->state().linesPerPage);
            QCOMPARE(index.data(EntryListPanel::TitleRole).toString(),
                     QStringLiteral("第%1页 · 第%2章　标题%2").arg(page).arg(row + 1));
            // The heading's blank and the paragraph mark after it are blanks on one line;
            // the first heading stands at the start of the book.
            const QString before = index.data(EntryListPanel::TextBeforeRole).toString();
            QVERIFY2(row == 0 ? before == QStringLiteral("第1章 ")
                              : before.startsWith(QStringLiteral("…")) &&
                                    before.endsWith(QStringLiteral("第%1章 ").arg(row + 1)),
                     qPrintable(before));
            QCOMPARE(index.data(EntryListPanel::MarkedTextRole).toString(), QStringLiteral("标题"));
            const QString after = index.data(EntryListPanel::TextAfterRole).toString();
            QVERIFY2(after.startsWith(QStringLiteral("%1 ").arg(row + 1)), qPrintable(after));
            QVERIFY(!after.contains(QLatin1Char('^')));
        }
        // A click on the eleventh match: its spread, its band, its count.
        const int64_t openedAt = w->state().topLine;
        const QModelIndex eleventh = rows->index(10, 0);
        list->scrollTo(eleventh);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(eleventh).center());
        QVERIFY(!panel->isVisible());
        QVERIFY(part(w.get(), "searchPanel")->isVisible());
        const int64_t heading = headingLineOf(w->state(), 10);
        QVERIFY(spreadHoldsLine(w->state(), heading));
        QVERIFY(!line(w.get(), static_cast<int>(heading - w->state().topLine))->bands().empty());
        QCOMPARE(part<QLabel>(w.get(), "searchNote")->text(), QStringLiteral("第 11 / 12 处"));
        // Ctrl+Enter in the box opens the list again at the match on show; Esc closes the
        // list first, the prompt after it.
        QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(panel->isVisible());
        QCOMPARE(part<EntryListPanel>(w.get(), "searchResultsPanel")->selectedRow(), 10);
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
        QVERIFY(part(w.get(), "searchPanel")->isVisible());
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!part(w.get(), "searchPanel")->isVisible());
        QTest::keyClick(w.get(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(w->state().topLine, openedAt);
        // Another book: the list of the matches found in the one before closes.
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(panel->isVisible());
        w->openBook(writeBook(QStringLiteral("other.txt"), QStringLiteral("标题\n")));
        QTRY_VERIFY(w->isIdle());
        QVERIFY(!panel->isVisible());
        // Words that are nowhere open no list and say so.
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        box->setText(QStringLiteral("没有这句话"));
        QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!panel->isVisible());
        QVERIFY(part<QLabel>(w.get(), "searchNote")->text().contains(QStringLiteral("找不到")));
    }
};

QTEST_MAIN(FindingTest)
#include "finding_test.moc"
