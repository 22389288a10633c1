// The window's page moves, driven through real mouse and key events.
#include "windowfixture.h"

#include "menupanel.h"
#include "promptpanel.h"
#include "scrollpanel.h"
#include "welcomepanel.h"
#include "widgets.h"

#include "navigation/navigation.h"

#include <QLineEdit>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;

class NavigationTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void firstStart_showsWelcomeOverManual()
    {
        auto form = startWindow();
        QVERIFY(form->Picture3->isVisible());
        QVERIFY(form->state().menuShown);
        QCOMPARE(form->Image1->size(), QSize(90, 119));
        QVERIFY(
            QString::fromStdString(form->state().bookPath).endsWith(QStringLiteral("readme.txt")));
        QCOMPARE(form->Mnrecent[1]->text(), QStringLiteral("none"));
    }

    void clickOnRightPage_turnsOneSpread()
    {
        const QString book = numberedBook(QStringLiteral("nav.txt"), 400, 60);
        auto form = startWindow(book);
        QVERIFY(!form->state().menuShown);
        const int64_t L = form->state().linesPerPage;
        QCOMPARE(form->state().topLine, 1);
        QTest::mouseClick(form->Image4, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(form->state().topLine, 1 + 2 * L);
        QCOMPARE(form->Label2->text(), QStringLiteral("第3页"));
        QTest::mouseClick(form->Image3, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(form->state().topLine, 1);
    }

    void leftClickWithMenuOpen_onlyClosesMenu()
    {
        auto form = startWindow(numberedBook(QStringLiteral("nav.txt"), 400, 60));
        QTest::mouseClick(form->Image4, Qt::RightButton, {}, QPoint(50, 50));
        QVERIFY(form->state().menuShown);
        QVERIFY(form->Picture1->isVisible());
        QCOMPARE(form->Image1->size(), QSize(90, 119));
        QTest::mouseClick(form->Image4, Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(!form->state().menuShown);
        QCOMPARE(form->state().topLine, 1);
        QCOMPARE(form->Image1->size(), QSize(43, 65));
    }

    void keys_turnAndJump()
    {
        auto form = startWindow(numberedBook(QStringLiteral("nav.txt"), 400, 60));
        const int64_t L = form->state().linesPerPage;
        form->setFocus();
        QTest::keyClick(form.get(), Qt::Key_PageDown);
        QCOMPARE(form->state().topLine, 1 + 2 * L);
        QTest::keyClick(form.get(), Qt::Key_End);
        QCOMPARE(form->state().topLine,
                 tibbo::core::lastSpreadStart(form->state().entryCount(), L));
        QTest::keyClick(form.get(), Qt::Key_Home);
        QCOMPARE(form->state().topLine, 1);
        QTest::keyClick(form.get(), Qt::Key_Left);
        QCOMPARE(form->state().topLine, 1);
    }

    void edgeStrips_jumpByQuarter()
    {
        auto form = startWindow(numberedBook(QStringLiteral("nav.txt"), 400, 60));
        const int64_t L = form->state().linesPerPage;
        // Inner half of the right strip: forward four pages.
        QTest::mouseClick(form->Image6, Qt::LeftButton, {}, QPoint(3, 100));
        QCOMPARE(form->state().topLine, 1 + 4 * L);
        // Outer quarter of the left strip: the first spread.
        QTest::mouseClick(form->Image5, Qt::LeftButton, {}, QPoint(2, 100));
        QCOMPARE(form->state().topLine, 1);
    }

    void goToPagePrompt_rangeMessageEnterAndEscape()
    {
        auto form = startWindow(numberedBook(QStringLiteral("nav.txt"), 400, 60));
        const int64_t L = form->state().linesPerPage;
        QTest::keyClick(form.get(), Qt::Key_G);
        QVERIFY(form->Picture2->isVisible());
        QCOMPARE(form->Picture2->pos(), QPoint(438, 249));
        QCOMPARE(form->Picture2->Text1->text(), QStringLiteral("1"));
        QVERIFY(form->Picture2->Text1->toolTip().startsWith(QStringLiteral("一共 ")));
        form->Picture2->Text1->setText(QStringLiteral("99999"));
        QTest::keyClick(form->Picture2->Text1, Qt::Key_Return);
        QCOMPARE(Dialogs::takeMessages(), QStringList{QStringLiteral("超出本书范围了")});
        QVERIFY(form->Picture2->isVisible());
        form->Picture2->Text1->setText(QStringLiteral("4"));
        QTest::keyClick(form->Picture2->Text1, Qt::Key_Return);
        QCOMPARE(form->state().topLine, 1 + 2 * L);
        QVERIFY(!form->Picture2->isVisible());
        form->Mngopage_Click();
        form->Picture2->Text1->setText(QStringLiteral("9"));
        QTest::keyClick(form->Picture2->Text1, Qt::Key_Escape);
        QVERIFY(!form->Picture2->isVisible());
        QCOMPARE(form->state().topLine, 1 + 2 * L);
    }

    void keysIgnoredWhileScrollPanelIsUp()
    {
        auto form = startWindow(numberedBook(QStringLiteral("nav.txt"), 400, 60));
        form->Picture8->show();
        form->Form_KeyDown(tibbo::core::kKeyPageDown);
        QCOMPARE(form->state().topLine, 1);
    }

    void manyLinesPerPage_labelsMadeOnDemand()
    {
        auto form = startWindow(numberedBook(QStringLiteral("nav.txt"), 2000, 60));
        // A small font gives many lines a page: more than the 101 labels made at start-up.
        form->state().linesPerPage = 60;
        form->LookUp();
        QVERIFY(form->Label3.size() >= 120);
        QVERIFY(!form->Label3[119]->text().isEmpty());
    }
};

QTEST_MAIN(NavigationTest)
#include "navigation_test.moc"
