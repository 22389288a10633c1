// Bookmarks in the window: choose a line, add, jump, delete, and the mark file.
#include "windowfixture.h"

#include "bookmarks/bookmarkstore.h"
#include "text/fileio.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QtMath>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

std::string markFile(const QString &book)
{
    return tibbo::core::markFilePath(SessionFiles::folder().toStdString(), book.toStdString());
}

QAction *addItem(const QObject *w)
{
    return menuItem(w, "bookmarkMenu", QStringLiteral("添加书签"));
}

// Sets the left margin through the settings panel and confirms it, as the reader does.
void setLeftMargin(ReaderWindow &w, const QString &margin)
{
    openMenu(&w);
    QTest::mouseClick(part(&w, "settingsPicture"), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(part(&w, "settingsPanel")->isVisible());
    part<QComboBox>(&w, "leftMarginBox")->setEditText(margin);
    QTest::mouseClick(part(&w, "settingsOk"), Qt::LeftButton);
    QTRY_VERIFY(w.isIdle());
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
        auto w = startWindow(book);
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        const int64_t top = w->state().topLine;
        const int64_t L = w->state().linesPerPage;
        QWidget *icon = part(w.get(), "bookmarkIcon");
        LineLabel *chosen = line(w.get(), 3);
        QTest::mouseClick(chosen, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(w->state().lineChosen);
        QVERIFY(chosen->highlighted());
        QTest::keyClick(w.get(), Qt::Key_A);
        QVERIFY(icon->isVisible());
        QCOMPARE(icon->y(), chosen->y());
        QCOMPARE(icon->x() + icon->width(), chosen->x());
        QCOMPARE(tibbo::core::readFile(markFile(book)), std::to_string(top + 3) + "\r\n");
        auto *goTo = part<QMenu>(w.get(), "bookmarkGoToMenu");
        QVERIFY(goTo->isEnabled());
        QCOMPARE(goTo->actions().at(0)->text(),
                 QString::fromStdString(tibbo::core::bookmarkCaption(top + 3, L)));

        // On the right page the icon sits right of the full line width.
        LineLabel *right = line(w.get(), static_cast<int>(L + 2));
        QTest::mouseClick(right, Qt::LeftButton, {}, QPoint(5, 5));
        addItem(w.get())->trigger();
        QCOMPARE(w->state().bookmarks.size(), size_t(1)); // same spread: replaced
        const double fullLine =
            QFontMetricsF(w->pageFont())
                .horizontalAdvance(
                    QString(static_cast<qsizetype>(w->state().charsPerLine), QChar(0x53D1)));
        QCOMPARE(icon->x(), right->x() + qCeil(fullLine));
    }

    void addWithoutChosenLine_saysSo()
    {
        auto w = startWindow(numberedBook(QStringLiteral("marks.txt"), 300, 80));
        addItem(w.get())->trigger();
        QCOMPARE(Dialogs::takeMessages(),
                 QStringList{QStringLiteral("请点击你要加书签的那一行先")});
        QVERIFY(w->state().bookmarks.empty());
    }

    void jumpFromMenu_andDoubleClickDeletes()
    {
        const QString book = numberedBook(QStringLiteral("marks.txt"), 300, 80);
        auto w = startWindow(book);
        QWidget *icon = part(w.get(), "bookmarkIcon");
        auto *goTo = part<QMenu>(w.get(), "bookmarkGoToMenu");
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        const int64_t top = w->state().topLine;
        QTest::mouseClick(line(w.get(), 1), Qt::LeftButton, {}, QPoint(5, 5));
        addItem(w.get())->trigger();
        QTest::keyClick(w.get(), Qt::Key_Home);
        QVERIFY(!icon->isVisible());
        goTo->actions().at(0)->trigger();
        QCOMPARE(w->state().topLine, top);
        QVERIFY(icon->isVisible());
        QTest::mouseDClick(icon, Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(!icon->isVisible());
        QVERIFY(w->state().bookmarks.empty());
        QVERIFY(!goTo->isEnabled());
        // The mark file follows the delete, so the bookmark does not come back.
        QCOMPARE(tibbo::core::readFile(markFile(book)), std::string());
    }

    void marginChange_bookmarkStaysOnItsText()
    {
        const QString book = numberedBook(QStringLiteral("marks.txt"), 100, 500);
        auto w = startWindow(book);
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        QTest::mouseClick(line(w.get(), 4), Qt::LeftButton, {}, QPoint(5, 5));
        const QString marked = line(w.get(), 4)->text();
        addItem(w.get())->trigger();
        const int64_t before = w->state().bookmarks[0].line;

        // A narrower margin: more characters a line, other line numbers, same text.
        setLeftMargin(*w, QStringLiteral("10"));
        const int64_t after = w->state().bookmarks[0].line;
        QVERIFY(after != before);
        const auto &s = w->state();
        const auto anchor = *s.bookmarks[0].anchor;
        QVERIFY(s.lineEnds[static_cast<size_t>(after - 1)] <= anchor);
        QVERIFY(anchor < s.lineEnds[static_cast<size_t>(after)]);
        QVERIFY(marked.startsWith(
            QString::fromUcs4(s.paragraphText.substr(static_cast<size_t>(anchor), 1).data(), 1)));
        // The reader's place followed too: the bookmarked line is on the spread on show.
        QVERIFY(part(w.get(), "bookmarkIcon")->isVisible());

        setLeftMargin(*w, QStringLiteral("40"));
        QCOMPARE(w->state().bookmarks[0].line, before);
    }

    void marksOfReopenedBook_comeBackFromMarkFile()
    {
        const QString book = numberedBook(QStringLiteral("marks.txt"), 300, 80);
        auto w = startWindow(book);
        QTest::mouseClick(line(w.get(), 2), Qt::LeftButton, {}, QPoint(5, 5));
        addItem(w.get())->trigger();
        w->openBook(numberedBook(QStringLiteral("other.txt"), 30, 30));
        QTRY_VERIFY(w->isIdle());
        QVERIFY(w->state().bookmarks.empty());
        w->openBook(book);
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(w->state().bookmarks.size(), size_t(1));
        QCOMPARE(w->state().bookmarks[0].line, 3);
        QVERIFY(part(w.get(), "bookmarkIcon")->isVisible());
    }
};

QTEST_MAIN(BookmarksTest)
#include "bookmarks_test.moc"
