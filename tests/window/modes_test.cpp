// Automatic page turning, the reading-speed test and scroll mode, driven through the
// window. The timer slots are called directly as a fake clock; the real timers are
// only checked for being on or off.
#include "windowfixture.h"

#include "menupanel.h"
#include "promptpanel.h"
#include "scrollpanel.h"
#include "scrolltext.h"
#include "widgets.h"

#include "navigation/navigation.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

QString firstLine(const QString &caption)
{
    return caption.section(QLatin1Char('\r'), 0, 0);
}

// A started window on a book of a few hundred display lines, with the menu closed.
std::unique_ptr<Form1> windowWithBook()
{
    auto form = startWindow(numberedBook(QStringLiteral("modes.txt"), 300, 60));
    form->CloseMenu();
    // The slots are stepped by hand; the real one-second timers must not add ticks.
    form->Timer1.setInterval(1000000);
    form->Timer2.setInterval(1000000);
    return form;
}

} // namespace

class ModesTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    // ---- automatic page turning

    void autoTurnCaption_showsIntervalOrOff()
    {
        auto form = windowWithBook();
        QCOMPARE(form->state().autoTurnSeconds, 240.0);
        form->MnAutopage_Click();
        const QString on = form->Label5[3]->caption();
        QCOMPARE(firstLine(on), QStringLiteral("自动翻页 (240秒)"));
        QCOMPARE(on, QStringLiteral("自动翻页 (240秒)\r(左键开关自动翻页\r右键设置翻页时间)"));
        QVERIFY(form->MnAutopage->isChecked());
        QVERIFY(form->Timer1.isActive());
        form->MnAutopage_Click();
        QCOMPARE(firstLine(form->Label5[3]->caption()), QStringLiteral("自动翻页 (关)"));
        QVERIFY(!form->MnAutopage->isChecked());
        QVERIFY(!form->Timer1.isActive());
    }

    void captionPress_switchesByTimerAndLeavesCheckMark()
    {
        auto form = windowWithBook();
        form->ShowMenu();
        QTest::mousePress(form->Label5[3], Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(form->Timer1.isActive());
        QVERIFY(!form->MnAutopage->isChecked());
        QCOMPARE(firstLine(form->Label5[3]->caption()), QStringLiteral("自动翻页 (240秒)"));
        // Release and click do not switch it a second time.
        QTest::mouseRelease(form->Label5[3], Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(form->Timer1.isActive());
        // The menu goes by its own (still clear) check mark: it only repeats "on".
        form->MnAutopage->trigger();
        QVERIFY(form->MnAutopage->isChecked());
        QVERIFY(form->Timer1.isActive());
        form->MnAutopage->trigger();
        QVERIFY(!form->Timer1.isActive());
        QCOMPARE(firstLine(form->Label5[3]->caption()), QStringLiteral("自动翻页 (关)"));
    }

    void intervalThree_turnsAtThreeSixNine_closesMenuAtTwoFiveEight()
    {
        auto form = windowWithBook();
        const int64_t L = form->state().linesPerPage;
        form->state().autoTurnSeconds = 3;
        form->state().elapsedSeconds = 0;
        form->MnAutopage_Click();
        for (int second = 1; second <= 9; ++second) {
            const int64_t before = form->state().topLine;
            form->ShowMenu();
            form->Timer1_Timer();
            const bool turn = second % 3 == 0;
            const bool close = second % 3 == 2;
            QCOMPARE(form->state().topLine, turn ? before + 2 * L : before);
            QCOMPARE(form->state().menuShown, !close);
            QCOMPARE(form->Picture1->isVisible(), !close);
        }
        QCOMPARE(form->state().topLine, 1 + 3 * 2 * L);
        QCOMPARE(form->Label2->text(), QStringLiteral("第7页"));
    }

    void lastSpread_nextTurnShowsFirstSpread()
    {
        auto form = windowWithBook();
        // The last spread the Right key reaches is the end the turn tests for.
        form->setFocus();
        for (int64_t before = 0; before != form->state().topLine;) {
            before = form->state().topLine;
            QTest::keyClick(form.get(), Qt::Key_Right);
        }
        QVERIFY(form->state().topLine > 1);
        form->state().autoTurnSeconds = 1;
        form->Timer1_Timer();
        QCOMPARE(form->state().topLine, 1);
        QCOMPARE(form->Label2->text(), QStringLiteral("第1页"));
    }

    void imageEightLeft_switchesOnlyWhileMenuItemEnabled()
    {
        auto form = windowWithBook();
        form->ShowMenu();
        QTest::mousePress(form->Picture1->Image8, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(form->Timer1.isActive());
        QVERIFY(form->MnAutopage->isChecked());
        form->MnTestSpeed_Click();
        QTest::mousePress(form->Picture1->Image8, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(form->Timer1.isActive());
        QVERIFY(form->MnAutopage->isChecked());
    }

    // ---- the interval prompt

    void settimePrompt_placedAskingAndStoresAnyValue()
    {
        auto form = windowWithBook();
        form->MnSettime_Click();
        PromptPanel *prompt = form->Picture2;
        QVERIFY(prompt->isVisible());
        QCOMPARE(prompt->pos(), QPoint(531, 213));
        QCOMPARE(form->Label5[5]->caption(), QStringLiteral("多久翻一页?"));
        QCOMPARE(prompt->Text1->text(), QStringLiteral("240"));
        QCOMPARE(prompt->Text1->selectedText(), QStringLiteral("240"));
        QCOMPARE(form->state().promptMode, std::string("Settime"));
        // Below the arrow's floor of 5, typed and confirmed.
        prompt->Text1->setText(QStringLiteral("2"));
        QTest::mouseClick(prompt->Command2, Qt::LeftButton);
        QCOMPARE(form->state().autoTurnSeconds, 2.0);
        QVERIFY(!prompt->isVisible());
        QVERIFY(Dialogs::takeMessages().isEmpty());
    }

    void settimeDecreaseArrow_stopsAtFive()
    {
        auto form = windowWithBook();
        form->MnSettime_Click();
        QLineEdit *answer = form->Picture2->Text1;
        answer->setText(QStringLiteral("7"));
        for (int i = 0; i < 4; ++i)
            QTest::mouseClick(form->Picture2->Image13, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(answer->text(), QStringLiteral("5"));
        // The increase arrow has no ceiling here (go-to-page would stop at the page count).
        answer->setText(QStringLiteral("99999"));
        QTest::mouseClick(form->Picture2->Image12, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(answer->text(), QStringLiteral("100000"));
    }

    // ---- reading-speed test

    void speedTest_twelveTicksBecomeIntervalAndMessage()
    {
        auto form = windowWithBook();
        QCOMPARE(form->MnTestSpeed->text(), QStringLiteral("开始测试读速"));
        form->MnTestSpeed->trigger();
        QCOMPARE(form->MnTestSpeed->text(), QStringLiteral("停止测试读速"));
        QVERIFY(!form->MnAutopage->isEnabled());
        QVERIFY(form->Timer2.isActive());
        for (int i = 0; i < 12; ++i)
            form->Timer2_Timer();
        form->MnTestSpeed->trigger();
        QCOMPARE(form->state().autoTurnSeconds, 12.0);
        QCOMPARE(Dialogs::takeMessages(), QStringList{QStringLiteral("你看一页需要 12秒")});
        QCOMPARE(form->MnTestSpeed->text(), QStringLiteral("开始测试读速"));
        QVERIFY(form->MnAutopage->isEnabled());
        QVERIFY(!form->Timer2.isActive());
    }

    void speedTestStoppedAtOnce_givesZero_andKeepsTurningOn()
    {
        auto form = windowWithBook();
        form->MnAutopage_Click();
        form->MnTestSpeed_Click();
        // The test does not switch automatic turning off.
        QVERIFY(form->Timer1.isActive());
        QVERIFY(form->MnAutopage->isChecked());
        form->MnTestSpeed_Click();
        QCOMPARE(form->state().autoTurnSeconds, 0.0);
        QCOMPARE(Dialogs::takeMessages(), QStringList{QStringLiteral("你看一页需要 0秒")});
        QVERIFY(form->Timer1.isActive());
    }

    // ---- scroll mode

    void openScrollMode_caretAtCharsPerLineTimesTopLine()
    {
        auto form = windowWithBook();
        const int64_t L = form->state().linesPerPage;
        QTest::mouseClick(form->Image4, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(form->state().topLine, 2 * L + 1);
        // A scroll left running from before stops on opening.
        form->Picture8->Check5->setChecked(true);
        form->Check5_Click();
        QVERIFY(form->Timer3.isActive());
        form->ShowMenu();

        form->MnSlide->trigger();
        const int64_t expected = form->state().charsPerLine * (2 * L + 1);
        ScrollText *text = form->Picture8->Text2;
        QCOMPARE(form->state().scrollPos, expected);
        QCOMPARE(text->selectionStart(), expected);
        QCOMPARE(text->textLength(), static_cast<int64_t>(form->state().bookText.size()));
        QVERIFY(!text->characterRect(expected).isEmpty());
        QCOMPARE(text->font(), form->pageFont());
        QVERIFY(!form->Picture8->Check5->isChecked());
        QVERIFY(!form->Timer3.isActive());
        QVERIFY(!form->state().menuShown);
        // Over everything else: the mascot and the page below do not show through.
        QVERIFY(form->Picture8->isVisible());
        for (QPoint corner :
             {QPoint(2, 2), QPoint(form->Picture8->width() - 3, form->Picture8->height() - 3)}) {
            QWidget *top = form->childAt(form->Picture8->mapTo(form.get(), corner));
            QVERIFY(top == form->Picture8 || form->Picture8->isAncestorOf(top));
        }
        // Scroll mode leaves the page where it was, and keys do not turn it meanwhile.
        QTest::keyClick(text, Qt::Key_Right);
        QCOMPARE(form->state().topLine, 2 * L + 1);
        QTest::mouseClick(form->Picture8->Command1, Qt::LeftButton);
        QVERIFY(!form->Picture8->isVisible());
        QCOMPARE(form->state().topLine, 2 * L + 1);
    }

    void textClick_movesStartOnlyWhileStopped()
    {
        auto form = windowWithBook();
        form->MnSlide_Click();
        ScrollText *text = form->Picture8->Text2;
        const int64_t start = form->state().scrollPos;
        QVERIFY(start > 20);
        auto leftHalf = [text](int64_t p) {
            const QRect r = text->characterRect(p);
            return QPoint(r.left() + r.width() / 4, r.center().y());
        };
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, leftHalf(start + 3));
        QCOMPARE(form->state().scrollPos, start + 3);
        form->Timer3_Timer();
        QCOMPARE(text->selectionStart(), start + 4);

        QTest::mouseClick(form->Picture8->Check5, Qt::LeftButton);
        QVERIFY(form->Picture8->Check5->isChecked());
        QVERIFY(form->Timer3.isActive());
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, leftHalf(start + 1));
        QCOMPARE(text->selectionStart(), start + 1);
        QCOMPARE(form->state().scrollPos, start + 4);
        form->Timer3_Timer();
        QCOMPARE(text->selectionStart(), start + 5);
        QTest::mouseClick(form->Picture8->Check5, Qt::LeftButton);
        QVERIFY(!form->Timer3.isActive());
    }

    void stepAtEndOfText_wrapsToOne()
    {
        auto form = windowWithBook();
        form->state().bookText = U"ABCDE";
        form->MnSlide_Click();
        ScrollText *text = form->Picture8->Text2;
        QCOMPARE(text->textLength(), 5);
        form->state().scrollPos = 4;
        form->Timer3_Timer();
        QCOMPARE(form->state().scrollPos, 5);
        form->Timer3_Timer();
        QCOMPARE(form->state().scrollPos, 1);
        QCOMPARE(text->selectionStart(), 1);
        QCOMPARE(text->selectionLength(), 1);
    }

    void speedSlider_setsCaptionAndStepInterval()
    {
        auto form = windowWithBook();
        QCOMPARE(form->Picture8->Label10->text(), QStringLiteral("速度: 130"));
        QCOMPARE(form->Timer3.interval(), 130);
        form->Picture8->HScroll1->setValue(300);
        QCOMPARE(form->Picture8->Label10->text(), QStringLiteral("速度: 300"));
        QCOMPARE(form->Timer3.interval(), 300);
        form->Picture8->HScroll1->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(form->Timer3.interval(), 299);
        form->Picture8->HScroll1->setValue(1);
        QCOMPARE(form->Picture8->Label10->text(), QStringLiteral("速度: 1"));
    }

    void slideCache_feedsEmptyBookTextOnce()
    {
        auto form = windowWithBook();
        QFile cache(Form1::appFolder() + QStringLiteral("/Slide.cache"));
        QVERIFY(cache.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cache.write(tibbo::core::encodeGb18030(U"A\r\nB\r\n\r\n").c_str());
        cache.close();
        form->state().bookText.clear();
        form->Timer4.start();
        form->Timer4_Timer();
        QVERIFY(form->state().bookText == U"A\r\nB\r\n\r\n");
        QVERIFY(!form->Timer4.isActive());
    }

    void slideCacheMissing_leavesBookText()
    {
        auto form = windowWithBook();
        QFile::remove(Form1::appFolder() + QStringLiteral("/Slide.cache"));
        const auto before = form->state().bookText;
        form->Timer4_Timer();
        QVERIFY(form->state().bookText == before);
    }
};

QTEST_MAIN(ModesTest)
#include "modes_test.moc"
