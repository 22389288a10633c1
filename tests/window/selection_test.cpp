// Selecting text on the pages with Ctrl and the mouse, copying it, and the menu beside it.

#include "windowfixture.h"

#include "pageappearance.h"
#include "readerwindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

bool anyBand(const QObject *window, int lines)
{
    for (int k = 0; k < lines; ++k)
        if (!line(window, k)->bands().empty())
            return true;
    return false;
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

} // namespace

class SelectionTest : public QObject
{
    Q_OBJECT

  private slots:
    void init()
    {
        resetAppFolder();
        QGuiApplication::clipboard()->clear();
    }

    // The copy is the book's text: a display break inside a paragraph is not copied, a
    // paragraph end is one line break, the paragraph mark never shows.
    void ctrlDragAcrossTheFold_copiesTheBookText()
    {
        const QString text = distinctText();
        auto w = startWindow(writeBook(QStringLiteral("distinct.txt"), text));
        const int L = static_cast<int>(w->state().linesPerPage);
        QVERIFY(L >= 4);
        const QChar first = line(w.get(), 1)->text().at(3);
        const QChar last = line(w.get(), L + 2)->text().at(5);
        ctrlDrag(w.get(), 1, 3, L + 2, 5);
        QVERIFY(!line(w.get(), 1)->bands().empty());
        QCOMPARE(line(w.get(), 1)->bands().front().firstColumn, 3);
        QVERIFY(!line(w.get(), L + 2)->bands().empty());
        QVERIFY(part(w.get(), "selectionMenu")->isVisible());

        QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
        const qsizetype a = text.indexOf(first), b = text.indexOf(last);
        const QString expected = text.mid(a, b - a + 1);
        QCOMPARE(clipboardText(), expected);
        QVERIFY(expected.contains(QLatin1Char('\n')));
        QVERIFY(!clipboardText().contains(QLatin1Char('^')));
        if (QGuiApplication::clipboard()->supportsSelection())
            QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Selection), expected);
    }

    // Shift + Ctrl + click moves the end of the selection, its start stays.
    void shiftCtrlClick_extendsTheSelection()
    {
        const QString text = distinctText();
        auto w = startWindow(writeBook(QStringLiteral("distinct.txt"), text));
        const QChar first = line(w.get(), 0)->text().at(4);
        const QChar last = line(w.get(), 3)->text().at(1);
        ctrlDrag(w.get(), 0, 4, 0, 6);
        QTest::mouseClick(line(w.get(), 3), Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier,
                          pointOf(w.get(), 3, 1));
        QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
        const qsizetype a = text.indexOf(first), b = text.indexOf(last);
        QCOMPARE(clipboardText(), text.mid(a, b - a + 1));
    }

    // Ctrl + double-click takes the word: a Latin word up to its blanks.
    void ctrlDoubleClick_selectsTheWord()
    {
        auto w = startWindow(
            writeBook(QStringLiteral("latin.txt"), QStringLiteral("alpha beta gamma delta\n")));
        const int column =
            static_cast<int>(line(w.get(), 0)->text().indexOf(QStringLiteral("gamma")));
        QVERIFY(column >= 0);
        QTest::mouseDClick(line(w.get(), 0), Qt::LeftButton, Qt::ControlModifier,
                           pointOf(w.get(), 0, column + 2));
        QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("gamma"));
    }

    // Without Ctrl a click on a page turns it and selects nothing, as ever.
    void plainClick_turnsThePageAndSelectsNothing()
    {
        auto w = startWindow(writeBook(QStringLiteral("distinct.txt"), distinctText()));
        const int L = static_cast<int>(w->state().linesPerPage);
        QTest::mouseClick(part(w.get(), "rightPage"), Qt::LeftButton, {}, QPoint(50, 50));
        QTRY_COMPARE(w->state().topLine, int64_t(2 * L + 1));
        QVERIFY(!anyBand(w.get(), 2 * L));
        QVERIFY(!part(w.get(), "selectionMenu")->isVisible());
        QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(clipboardText().isEmpty());
    }

    // Esc and a page turn each clear the selection and its menu.
    void escOrATurn_clearsTheSelection_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("a turn") << int(Qt::Key_Right);
    }
    void escOrATurn_clearsTheSelection()
    {
        QFETCH(int, key);
        auto w = startWindow(writeBook(QStringLiteral("distinct.txt"), distinctText()));
        const int L = static_cast<int>(w->state().linesPerPage);
        ctrlDrag(w.get(), 0, 2, 1, 2);
        QVERIFY(anyBand(w.get(), 2 * L));
        QTest::keyClick(w.get(), static_cast<Qt::Key>(key));
        QTRY_VERIFY(!anyBand(w.get(), 2 * L));
        QVERIFY(!part(w.get(), "selectionMenu")->isVisible());
        QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(clipboardText().isEmpty());
    }

    // A bigger font re-cuts the lines: the selection stays on the same characters.
    void fontChange_keepsTheSelectedCharacters()
    {
        const QString text = distinctText();
        auto w = startWindow(writeBook(QStringLiteral("distinct.txt"), text));
        const QChar first = line(w.get(), 0)->text().at(5);
        const QChar last = line(w.get(), 2)->text().at(3);
        ctrlDrag(w.get(), 0, 5, 2, 3);
        const QString before = line(w.get(), 1)->text();
        auto *appearance = w->findChild<PageAppearance *>();
        QVERIFY(appearance);
        appearance->setFontSize(w->state().pageFont.size + 6);
        QTRY_VERIFY(w->isIdle() && line(w.get(), 1)->text() != before);
        QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
        const qsizetype a = text.indexOf(first), b = text.indexOf(last);
        QCOMPARE(clipboardText(), text.mid(a, b - a + 1));
        QVERIFY(!line(w.get(), 0)->bands().empty());
        QCOMPARE(line(w.get(), 0)->text().at(line(w.get(), 0)->bands().front().firstColumn), first);
    }

    // 搜索 puts the selected words into the search box.
    void searchInTheMenu_fillsTheSearchBox()
    {
        const QString text = distinctText();
        auto w = startWindow(writeBook(QStringLiteral("distinct.txt"), text));
        const QString words = line(w.get(), 2)->text().mid(3, 4);
        ctrlDrag(w.get(), 2, 3, 2, 6);
        QTest::mouseClick(part<QPushButton>(w.get(), "selectionSearch"), Qt::LeftButton);
        QTRY_VERIFY(part(w.get(), "searchPanel")->isVisible());
        QCOMPARE(part<QLineEdit>(w.get(), "searchBox")->text(), words);
        QVERIFY(!part(w.get(), "selectionMenu")->isVisible());
    }
};

QTEST_MAIN(SelectionTest)
#include "selection_test.moc"
