// The window's page moves, driven through real mouse and key events.
#include "windowfixture.h"

#include "navigation/prompt.h"
#include "pages/pages.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

} // namespace

class NavigationTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void firstStart_showsWelcomeOverManual()
    {
        auto w = startWindow();
        QVERIFY(part(w.get(), "welcomePanel")->isVisible());
        QVERIFY(w->state().menuShown);
        QCOMPARE(part(w.get(), "mascot")->size(), QSize(90, 119));
        QVERIFY(QString::fromStdString(w->state().bookPath).endsWith(QStringLiteral("readme.txt")));
        QCOMPARE(part<QMenu>(w.get(), "recentMenu")->actions().at(1)->text(),
                 QStringLiteral("none"));
    }

    void clickOnRightPage_turnsOneSpread()
    {
        const QString book = numberedBook(QStringLiteral("nav.txt"), 400, 60);
        auto w = startWindow(book);
        QVERIFY(!w->state().menuShown);
        const int64_t L = w->state().linesPerPage;
        QCOMPARE(w->state().topLine, 1);
        QTest::mouseClick(part(w.get(), "rightPage"), Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(w->state().topLine, 1 + 2 * L);
        QCOMPARE(part<QLabel>(w.get(), "leftPageNumber")->text(), QStringLiteral("第3页"));
        QTest::mouseClick(part(w.get(), "leftPage"), Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(w->state().topLine, 1);
    }

    void leftClickWithMenuOpen_onlyClosesMenu()
    {
        auto w = startWindow(numberedBook(QStringLiteral("nav.txt"), 400, 60));
        openMenu(w.get());
        QVERIFY(w->state().menuShown);
        QVERIFY(part(w.get(), "menuPanel")->isVisible());
        QCOMPARE(part(w.get(), "mascot")->size(), QSize(90, 119));
        QTest::mouseClick(part(w.get(), "rightPage"), Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(!w->state().menuShown);
        QCOMPARE(w->state().topLine, 1);
        QCOMPARE(part(w.get(), "mascot")->size(), QSize(43, 65));
    }

    void keys_turnAndJump()
    {
        auto w = startWindow(numberedBook(QStringLiteral("nav.txt"), 400, 60));
        const int64_t L = w->state().linesPerPage;
        w->setFocus();
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        QCOMPARE(w->state().topLine, 1 + 2 * L);
        QTest::keyClick(w.get(), Qt::Key_End);
        QCOMPARE(w->state().topLine, tibbo::core::lastSpreadStart(w->state().entryCount(), L));
        QTest::keyClick(w.get(), Qt::Key_Home);
        QCOMPARE(w->state().topLine, 1);
        QTest::keyClick(w.get(), Qt::Key_Left);
        QCOMPARE(w->state().topLine, 1);
    }

    void edgeStrips_jumpByQuarter()
    {
        auto w = startWindow(numberedBook(QStringLiteral("nav.txt"), 400, 60));
        const int64_t L = w->state().linesPerPage;
        // Inner half of the right strip: forward four pages.
        QTest::mouseClick(part(w.get(), "rightEdge"), Qt::LeftButton, {}, QPoint(3, 100));
        QCOMPARE(w->state().topLine, 1 + 4 * L);
        // Outer quarter of the left strip: the first spread.
        QTest::mouseClick(part(w.get(), "leftEdge"), Qt::LeftButton, {}, QPoint(2, 100));
        QCOMPARE(w->state().topLine, 1);
    }

    void goToPagePrompt_rangeMessageEnterAndEscape()
    {
        auto w = startWindow(numberedBook(QStringLiteral("nav.txt"), 400, 60));
        const int64_t L = w->state().linesPerPage;
        QWidget *prompt = part(w.get(), "prompt");
        auto *answer = part<QLineEdit>(w.get(), "promptAnswer");
        QTest::keyClick(w.get(), Qt::Key_G);
        QVERIFY(prompt->isVisible());
        QCOMPARE(prompt->pos(), QPoint(438, 249));
        QCOMPARE(answer->text(), QStringLiteral("1"));
        QVERIFY(answer->toolTip().startsWith(QStringLiteral("一共 ")));
        answer->setText(QStringLiteral("99999"));
        QTest::keyClick(answer, Qt::Key_Return);
        QCOMPARE(Dialogs::takeMessages(), QStringList{QStringLiteral("超出本书范围了")});
        QVERIFY(prompt->isVisible());
        answer->setText(QStringLiteral("4"));
        QTest::keyClick(answer, Qt::Key_Return);
        QCOMPARE(w->state().topLine, 1 + 2 * L);
        QVERIFY(!prompt->isVisible());
        menuItem(w.get(), "bookmarkMenu", QStringLiteral("转到指定页"))->trigger();
        QVERIFY(prompt->isVisible());
        answer->setText(QStringLiteral("9"));
        QTest::keyClick(answer, Qt::Key_Escape);
        QVERIFY(!prompt->isVisible());
        QCOMPARE(w->state().topLine, 1 + 2 * L);
    }

    void keysWhileScrollModeIsOpen_turnNothing()
    {
        auto w = startWindow(numberedBook(QStringLiteral("nav.txt"), 400, 60));
        menuItem(w.get(), "autoTurnMenu", QStringLiteral("滚动翻页"))->trigger();
        QVERIFY(part(w.get(), "scrollPanel")->isVisible());
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        QCOMPARE(w->state().topLine, 1);
    }

    void manyLinesPerPage_lineLabelsMadeOnDemand()
    {
        auto w = startWindow(numberedBook(QStringLiteral("nav.txt"), 2000, 60));
        // A small font on a tall window gives many lines a page: more than the 101
        // labels made at the start.
        menuItem(w.get(), "fontSizeMenu", QStringLiteral("6"))->trigger();
        drag(part(w.get(), "grip"), QPoint(16, 16), QPoint(0, 700), 1);
        QTRY_VERIFY(w->isIdle());
        const int64_t L = w->state().linesPerPage;
        QVERIFY2(2 * L > 101, qPrintable(QString::number(L)));
        QVERIFY(w->findChildren<LineLabel *>().size() >= 2 * L);
        QVERIFY(!line(w.get(), static_cast<int>(2 * L - 1))->text().isEmpty());
    }

    // A click on an arrow of the prompt took the keyboard away from its answer box, and
    // Page Down then turned the page behind the open prompt.
    void promptArrowClick_keepsKeyboardInAnswerAndPagesStill()
    {
        auto w = startWindow(numberedBook(QStringLiteral("prompt.txt"), 400, 60));
        QTest::keyClick(w.get(), Qt::Key_G);
        auto *answer = part<QLineEdit>(w.get(), "promptAnswer");
        QTRY_COMPARE(QApplication::focusWidget(), answer);
        QTest::mouseClick(part(w.get(), "promptIncrease"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(QApplication::focusWidget(), answer);
        for (const Qt::Key key : {Qt::Key_PageDown, Qt::Key_Right, Qt::Key_End})
            QTest::keyClick(w.get(), key);
        QCOMPARE(w->state().topLine, 1);
        answer->selectAll();
        QTest::keyClicks(answer, QStringLiteral("3"));
        QTest::keyClick(answer, Qt::Key_Return);
        QCOMPARE(part<QLabel>(w.get(), "leftPageNumber")->text(), QStringLiteral("第3页"));
    }

    // At the smallest window the go-to prompt showed a 9-pixel sliver and the interval
    // prompt lay wholly outside the window.
    void promptsAtSmallestWindow_lieWhollyInside()
    {
        auto w = startWindow(numberedBook(QStringLiteral("small.txt"), 100, 60));
        w->resize(447, 306);
        QTRY_VERIFY(w->isIdle());
        QWidget *prompt = part(w.get(), "prompt");
        QTest::keyClick(w.get(), Qt::Key_G);
        QVERIFY(prompt->isVisible());
        QVERIFY(w->rect().contains(prompt->geometry()));
        QTest::keyClick(part(w.get(), "promptAnswer"), Qt::Key_Escape);
        menuItem(w.get(), "autoTurnMenu", QStringLiteral("设置翻页时间"))->trigger();
        QVERIFY(prompt->isVisible());
        QVERIFY(w->rect().contains(prompt->geometry()));
    }
};

QTEST_MAIN(NavigationTest)
#include "navigation_test.moc"

#include "navigation/prompt.h"
#include "pages/pages.h"
