// Bookmarks in the window: choose a line, add, jump, delete, and the mark file.
#include "windowfixture.h"

#include "widgets.h"

#include "bookmarks/bookmarkstore.h"
#include "navigation/navigation.h"
#include "text/fileio.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

std::string markFile(const QString &book)
{
    return tibbo::core::markFilePath(Form1::appFolder().toStdString(), book.toStdString());
}

} // namespace

class BookmarksTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void chooseLineAndPressA_addsBookmarkBesideLine()
    {
        const QString book = numberedBook(QStringLiteral("marks.txt"), 300, 80);
        auto form = startWindow(book);
        form->Form_KeyDown(tibbo::core::kKeyPageDown);
        const int64_t top = form->state().topLine;
        const int64_t L = form->state().linesPerPage;
        LineLabel *line = form->Label3[3];
        QTest::mouseClick(line, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(form->state().lineChosen);
        QVERIFY(line->highlighted());
        QTest::keyClick(form.get(), Qt::Key_A);
        QVERIFY(form->Image11->isVisible());
        QCOMPARE(form->Image11->y(), line->y());
        QCOMPARE(form->Image11->x() + form->Image11->width(), line->x());
        QCOMPARE(tibbo::core::readFile(markFile(book)), std::to_string(top + 3) + "\r\n");
        QVERIFY(form->Mngoto->isEnabled());
        QCOMPARE(form->Mnmark[0]->text(),
                 QString::fromStdString(tibbo::core::bookmarkCaption(top + 3, L)));

        // On the right page the icon sits right of the full line width.
        LineLabel *right = form->Label3[static_cast<size_t>(L + 2)];
        QTest::mouseClick(right, Qt::LeftButton, {}, QPoint(5, 5));
        form->Mnadd_Click();
        QCOMPARE(form->state().bookmarks.size(), size_t(1)); // same spread: replaced
        QCOMPARE(form->Image11->x(), right->x() + form->Label1->width());
    }

    void addWithoutChosenLine_saysSo()
    {
        auto form = startWindow(numberedBook(QStringLiteral("marks.txt"), 300, 80));
        form->Mnadd_Click();
        QCOMPARE(Dialogs::takeMessages(),
                 QStringList{QStringLiteral("请点击你要加书签的那一行先")});
        QVERIFY(form->state().bookmarks.empty());
    }

    void jumpFromMenu_andDoubleClickDeletes()
    {
        const QString book = numberedBook(QStringLiteral("marks.txt"), 300, 80);
        auto form = startWindow(book);
        form->Form_KeyDown(tibbo::core::kKeyPageDown);
        const int64_t top = form->state().topLine;
        QTest::mouseClick(form->Label3[1], Qt::LeftButton, {}, QPoint(5, 5));
        form->Mnadd_Click();
        form->Form_KeyDown(tibbo::core::kKeyHome);
        QVERIFY(!form->Image11->isVisible());
        form->Mnmark[0]->trigger();
        QCOMPARE(form->state().topLine, top);
        QVERIFY(form->Image11->isVisible());
        QTest::mouseDClick(form->Image11, Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(!form->Image11->isVisible());
        QVERIFY(form->state().bookmarks.empty());
        QVERIFY(!form->Mngoto->isEnabled());
        // The mark file follows the delete, so the bookmark does not come back.
        QCOMPARE(tibbo::core::readFile(markFile(book)), std::string());
    }

    void bookmarkStaysOnItsTextAcrossFontChange()
    {
        const QString book = numberedBook(QStringLiteral("marks.txt"), 100, 500);
        auto form = startWindow(book);
        form->Form_KeyDown(tibbo::core::kKeyPageDown);
        form->Form_KeyDown(tibbo::core::kKeyPageDown);
        QTest::mouseClick(form->Label3[4], Qt::LeftButton, {}, QPoint(5, 5));
        const QString marked = form->Label3[4]->text();
        form->Mnadd_Click();
        const int64_t before = form->state().bookmarks[0].line;

        // A smaller page: more characters a line, other line numbers, same text.
        form->state().leftMargin = 10;
        form->GetLinelen();
        form->Resizeline();
        const int64_t after = form->state().bookmarks[0].line;
        QVERIFY(after != before);
        const auto &s = form->state();
        const auto anchor = *s.bookmarks[0].anchor;
        QVERIFY(s.lineEnds[static_cast<size_t>(after - 1)] <= anchor);
        QVERIFY(anchor < s.lineEnds[static_cast<size_t>(after)]);
        QVERIFY(
            marked.startsWith(QString::fromUcs4(&s.paragraphText[static_cast<size_t>(anchor)], 1)));
        // The reader's place followed too: the bookmarked line is on the spread on show.
        QVERIFY(form->Image11->isVisible());

        form->state().leftMargin = 40;
        form->GetLinelen();
        form->Resizeline();
        QCOMPARE(form->state().bookmarks[0].line, before);
    }

    void marksOfReopenedBook_comeBackFromMarkFile()
    {
        const QString book = numberedBook(QStringLiteral("marks.txt"), 300, 80);
        auto form = startWindow(book);
        QTest::mouseClick(form->Label3[2], Qt::LeftButton, {}, QPoint(5, 5));
        form->Mnadd_Click();
        form->OpenBook(numberedBook(QStringLiteral("other.txt"), 30, 30));
        QVERIFY(form->state().bookmarks.empty());
        form->OpenBook(book);
        QCOMPARE(form->state().bookmarks.size(), size_t(1));
        QCOMPARE(form->state().bookmarks[0].line, 3);
        QVERIFY(form->Image11->isVisible());
    }
};

QTEST_MAIN(BookmarksTest)
#include "bookmarks_test.moc"
