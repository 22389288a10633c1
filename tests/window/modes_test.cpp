// Automatic page turning, the reading-speed test and scroll mode, driven through the
// window. The tests step the parts' timers themselves (stepTimer); between steps the
// one-second timers are held back so they add no ticks of their own.
#include "windowfixture.h"

#include "referencesession.h"

#include "scrolltext.h"

#include "navigation/prompt.h"
#include "navigation/readingmodes.h"
#include "settings/settingsfile.h"
#include "settings/storedsession.h"
#include "text/fileio.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

QString firstLine(const QString &caption)
{
    return caption.section(QLatin1Char('\r'), 0, 0);
}

QString autoTurnCaption(const ReaderWindow &w)
{
    return part<CaptionLabel>(&w, "autoTurnCaption")->caption();
}

QAction *autoTurnItem(const ReaderWindow &w)
{
    return menuItem(&w, "autoTurnMenu", QStringLiteral("自动翻页"));
}

QAction *speedTestItem(const ReaderWindow &w)
{
    return part<QMenu>(&w, "autoTurnMenu")->actions().last();
}

QTimer *autoTurnTimer(const ReaderWindow &w)
{
    return part<QTimer>(&w, "autoTurnTimer");
}

QTimer *speedTestTimer(const ReaderWindow &w)
{
    return part<QTimer>(&w, "speedTestTimer");
}

QTimer *scrollStepTimer(const ReaderWindow &w)
{
    return part<QTimer>(&w, "scrollStepTimer");
}

QCheckBox *scrollBox(const ReaderWindow &w)
{
    return part<QCheckBox>(&w, "scrollBox");
}

ScrollText *scrollText(const ReaderWindow &w)
{
    return part<ScrollText>(&w, "scrollText");
}

void openScrollMode(const ReaderWindow &w)
{
    menuItem(&w, "autoTurnMenu", QStringLiteral("滚动翻页"))->trigger();
}

// The interval prompt of the automatic-turn menu, answered and confirmed.
void setInterval(const ReaderWindow &w, const QString &seconds)
{
    menuItem(&w, "autoTurnMenu", QStringLiteral("设置翻页时间"))->trigger();
    part<QLineEdit>(&w, "promptAnswer")->setText(seconds);
    QTest::mouseClick(part(&w, "promptOk"), Qt::LeftButton);
}

// A started window on a book of a few hundred display lines, with the menu closed.
std::unique_ptr<ReaderWindow> windowWithBook(const QString &book = QString())
{
    auto w =
        startWindow(book.isEmpty() ? numberedBook(QStringLiteral("modes.txt"), 300, 60) : book);
    [&w] { QVERIFY(!w->state().menuShown); }();
    autoTurnTimer(*w)->setInterval(1000000);
    speedTestTimer(*w)->setInterval(1000000);
    return w;
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
        auto w = windowWithBook();
        QCOMPARE(w->state().autoTurnSeconds, 240.0);
        autoTurnItem(*w)->trigger();
        const QString on = autoTurnCaption(*w);
        QCOMPARE(firstLine(on), QStringLiteral("自动翻页 (240秒)"));
        QCOMPARE(on, QStringLiteral("自动翻页 (240秒)\r(左键开关自动翻页\r右键设置翻页时间)"));
        QVERIFY(autoTurnItem(*w)->isChecked());
        QVERIFY(autoTurnTimer(*w)->isActive());
        autoTurnItem(*w)->trigger();
        QCOMPARE(firstLine(autoTurnCaption(*w)), QStringLiteral("自动翻页 (关)"));
        QVERIFY(!autoTurnItem(*w)->isChecked());
        QVERIFY(!autoTurnTimer(*w)->isActive());
    }

    void captionPress_switchesByTimerAndLeavesCheckMark()
    {
        auto w = windowWithBook();
        QWidget *caption = part(w.get(), "autoTurnCaption");
        openMenu(w.get());
        QTest::mousePress(caption, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(autoTurnTimer(*w)->isActive());
        QVERIFY(!autoTurnItem(*w)->isChecked());
        QCOMPARE(firstLine(autoTurnCaption(*w)), QStringLiteral("自动翻页 (240秒)"));
        // Release and click do not switch it a second time.
        QTest::mouseRelease(caption, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(autoTurnTimer(*w)->isActive());
        // The menu goes by its own (still clear) check mark: it only repeats "on".
        autoTurnItem(*w)->trigger();
        QVERIFY(autoTurnItem(*w)->isChecked());
        QVERIFY(autoTurnTimer(*w)->isActive());
        autoTurnItem(*w)->trigger();
        QVERIFY(!autoTurnTimer(*w)->isActive());
        QCOMPARE(firstLine(autoTurnCaption(*w)), QStringLiteral("自动翻页 (关)"));
    }

    void intervalThree_turnsAtThreeSixNine_closesMenuAtTwoFiveEight()
    {
        auto w = windowWithBook();
        const int64_t L = w->state().linesPerPage;
        setInterval(*w, QStringLiteral("3"));
        QCOMPARE(w->state().autoTurnSeconds, 3.0);
        QCOMPARE(w->state().elapsedSeconds, 0);
        autoTurnItem(*w)->trigger();
        for (int second = 1; second <= 9; ++second) {
            const int64_t before = w->state().topLine;
            openMenu(w.get());
            stepTimer(autoTurnTimer(*w));
            const bool turn = second % 3 == 0;
            const bool close = second % 3 == 2;
            QCOMPARE(w->state().topLine, turn ? before + 2 * L : before);
            QCOMPARE(w->state().menuShown, !close);
            QCOMPARE(part(w.get(), "menuPanel")->isVisible(), !close);
        }
        QCOMPARE(w->state().topLine, 1 + 3 * 2 * L);
        QCOMPARE(part<QLabel>(w.get(), "leftPageNumber")->text(), QStringLiteral("第7页"));
    }

    void lastSpread_nextTurnShowsFirstSpread()
    {
        auto w = windowWithBook();
        setInterval(*w, QStringLiteral("1"));
        // The last spread the Right key reaches is the end the turn tests for.
        w->setFocus();
        for (int64_t before = 0; before != w->state().topLine;) {
            before = w->state().topLine;
            QTest::keyClick(w.get(), Qt::Key_Right);
        }
        QVERIFY(w->state().topLine > 1);
        stepTimer(autoTurnTimer(*w));
        QCOMPARE(w->state().topLine, 1);
        QCOMPARE(part<QLabel>(w.get(), "leftPageNumber")->text(), QStringLiteral("第1页"));
    }

    void autoTurnPicturePress_switchesOnlyWhileMenuItemEnabled()
    {
        auto w = windowWithBook();
        QWidget *picture = part(w.get(), "autoTurnPicture");
        openMenu(w.get());
        QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(autoTurnTimer(*w)->isActive());
        QVERIFY(autoTurnItem(*w)->isChecked());
        speedTestItem(*w)->trigger();
        QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(autoTurnTimer(*w)->isActive());
        QVERIFY(autoTurnItem(*w)->isChecked());
    }

    // ---- the interval prompt

    void intervalPrompt_placedAskingAndStoresAnyValue()
    {
        auto w = windowWithBook();
        menuItem(w.get(), "autoTurnMenu", QStringLiteral("设置翻页时间"))->trigger();
        QWidget *prompt = part(w.get(), "prompt");
        auto *answer = part<QLineEdit>(w.get(), "promptAnswer");
        QVERIFY(prompt->isVisible());
        QCOMPARE(prompt->pos(), QPoint(531, 213));
        QCOMPARE(part<CaptionLabel>(w.get(), "promptQuestion")->caption(),
                 QStringLiteral("多久翻一页?"));
        QCOMPARE(answer->text(), QStringLiteral("240"));
        QCOMPARE(answer->selectedText(), QStringLiteral("240"));
        QCOMPARE(w->state().promptMode, tibbo::core::PromptMode::Interval);
        // Below the arrow's floor of 5, typed and confirmed.
        answer->setText(QStringLiteral("2"));
        QTest::mouseClick(part(w.get(), "promptOk"), Qt::LeftButton);
        QCOMPARE(w->state().autoTurnSeconds, 2.0);
        QVERIFY(!prompt->isVisible());
        QVERIFY(Dialogs::takeMessages().isEmpty());
    }

    void intervalDecreaseArrow_stopsAtFive()
    {
        auto w = windowWithBook();
        menuItem(w.get(), "autoTurnMenu", QStringLiteral("设置翻页时间"))->trigger();
        auto *answer = part<QLineEdit>(w.get(), "promptAnswer");
        answer->setText(QStringLiteral("7"));
        for (int i = 0; i < 4; ++i)
            QTest::mouseClick(part(w.get(), "promptDecrease"), Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(answer->text(), QStringLiteral("5"));
        // The increase arrow has no ceiling here (go-to-page would stop at the page count).
        answer->setText(QStringLiteral("99999"));
        QTest::mouseClick(part(w.get(), "promptIncrease"), Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(answer->text(), QStringLiteral("100000"));
    }

    // ---- reading-speed test

    void speedTest_twelveTicksBecomeIntervalAndMessage()
    {
        auto w = windowWithBook();
        QCOMPARE(speedTestItem(*w)->text(), QStringLiteral("开始测试读速"));
        const int64_t characters = w->state().spreadCharCount;
        QVERIFY(characters > 0);
        speedTestItem(*w)->trigger();
        QCOMPARE(speedTestItem(*w)->text(), QStringLiteral("停止测试读速"));
        QVERIFY(!autoTurnItem(*w)->isEnabled());
        QVERIFY(speedTestTimer(*w)->isActive());
        stepTimer(speedTestTimer(*w), 12);
        speedTestItem(*w)->trigger();
        QCOMPARE(w->state().autoTurnSeconds, 12.0);
        // The result also says the speed it makes, which from now on tells the time left.
        QCOMPARE(Dialogs::takeMessages(),
                 QStringList{QStringLiteral("你看一页需要 12秒\n也就是每分钟 %1 字,"
                                            "以后就按这个速度估计还要读多久.")
                                 .arg(std::llround(characters * 60.0 / 12))});
        QCOMPARE(speedTestItem(*w)->text(), QStringLiteral("开始测试读速"));
        QVERIFY(autoTurnItem(*w)->isEnabled());
        QVERIFY(!speedTestTimer(*w)->isActive());
    }

    void speedTestStoppedAtOnce_givesZero_andKeepsTurningOn()
    {
        auto w = windowWithBook();
        autoTurnItem(*w)->trigger();
        speedTestItem(*w)->trigger();
        // The test does not switch automatic turning off.
        QVERIFY(autoTurnTimer(*w)->isActive());
        QVERIFY(autoTurnItem(*w)->isChecked());
        speedTestItem(*w)->trigger();
        QCOMPARE(w->state().autoTurnSeconds, 0.0);
        QCOMPARE(Dialogs::takeMessages(), QStringList{QStringLiteral("你看一页需要 0秒")});
        QVERIFY(autoTurnTimer(*w)->isActive());
    }

    // The test's state used to be read back from the item's caption: another caption (a
    // translation, a reworded menu) stopped a test that had never started.
    void speedTest_followsItsTimerWhateverTheCaptionSays()
    {
        auto w = windowWithBook();
        speedTestItem(*w)->setText(QStringLiteral("Start the reading-speed test"));
        speedTestItem(*w)->trigger();
        QVERIFY(speedTestTimer(*w)->isActive());
        QVERIFY(Dialogs::takeMessages().isEmpty());
        speedTestItem(*w)->setText(QStringLiteral("Stop the reading-speed test"));
        stepTimer(speedTestTimer(*w), 3);
        speedTestItem(*w)->trigger();
        QVERIFY(!speedTestTimer(*w)->isActive());
        QVERIFY(Dialogs::takeMessages().value(0).startsWith(QStringLiteral("你看一页需要 3秒\n")));
    }

    // ---- scroll mode

    void openScrollMode_caretAtCharsPerLineTimesTopLine()
    {
        auto w = windowWithBook();
        QWidget *panel = part(w.get(), "scrollPanel");
        const int64_t L = w->state().linesPerPage;
        QTest::mouseClick(part(w.get(), "rightPage"), Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(w->state().topLine, 2 * L + 1);
        // A scroll left running from before stops on opening.
        openScrollMode(*w);
        QTest::mouseClick(scrollBox(*w), Qt::LeftButton);
        QVERIFY(scrollStepTimer(*w)->isActive());
        QTest::mouseClick(part(w.get(), "scrollBack"), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QVERIFY(scrollStepTimer(*w)->isActive());
        openMenu(w.get());

        openScrollMode(*w);
        const int64_t expected = w->state().charsPerLine * (2 * L + 1);
        ScrollText *text = scrollText(*w);
        QCOMPARE(w->state().scrollPos, expected);
        QCOMPARE(text->selectionStart(), expected);
        QCOMPARE(text->textLength(),
                 static_cast<int64_t>(core::test::scrollTextOf(w->state()).size()));
        QVERIFY(!text->characterRect(expected).isEmpty());
        QCOMPARE(text->font(), w->pageFont());
        QVERIFY(!scrollBox(*w)->isChecked());
        QVERIFY(!scrollStepTimer(*w)->isActive());
        QVERIFY(!w->state().menuShown);
        // Over everything else: the mascot and the page below do not show through.
        QVERIFY(panel->isVisible());
        for (QPoint corner : {QPoint(2, 2), QPoint(panel->width() - 3, panel->height() - 3)}) {
            QWidget *top = w->childAt(panel->mapTo(w.get(), corner));
            QVERIFY(top == panel || panel->isAncestorOf(top));
        }
        // Scroll mode leaves the page where it was, and keys do not turn it meanwhile.
        QTest::keyClick(text, Qt::Key_Right);
        QCOMPARE(w->state().topLine, 2 * L + 1);
        QTest::mouseClick(part(w.get(), "scrollBack"), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QCOMPARE(w->state().topLine, 2 * L + 1);
    }

    void textClick_movesStartOnlyWhileStopped()
    {
        auto w = windowWithBook();
        openScrollMode(*w);
        ScrollText *text = scrollText(*w);
        QTimer *step = scrollStepTimer(*w);
        const int64_t start = w->state().scrollPos;
        QVERIFY(start > 20);
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, leftHalfOf(*text, start + 3));
        QCOMPARE(w->state().scrollPos, start + 3);
        stepTimer(step);
        QCOMPARE(text->selectionStart(), start + 4);

        QTest::mouseClick(scrollBox(*w), Qt::LeftButton);
        QVERIFY(scrollBox(*w)->isChecked());
        QVERIFY(step->isActive());
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, leftHalfOf(*text, start + 1));
        QCOMPARE(text->selectionStart(), start + 1);
        QCOMPARE(w->state().scrollPos, start + 4);
        stepTimer(step);
        QCOMPARE(text->selectionStart(), start + 5);
        QTest::mouseClick(scrollBox(*w), Qt::LeftButton);
        QVERIFY(!step->isActive());
    }

    void stepAtEndOfText_wrapsToOne()
    {
        auto w = windowWithBook(writeBook(QStringLiteral("five.txt"), QStringLiteral("ABCDE")));
        openScrollMode(*w);
        ScrollText *text = scrollText(*w);
        const int64_t n = text->textLength();
        QCOMPARE(n, static_cast<int64_t>(core::test::scrollTextOf(w->state()).size()));
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, leftHalfOf(*text, 4));
        QCOMPARE(w->state().scrollPos, 4);
        // Up to the end of the text, then round to the first character.
        for (int64_t p = 5; p <= n; ++p) {
            stepTimer(scrollStepTimer(*w));
            QCOMPARE(w->state().scrollPos, p);
        }
        stepTimer(scrollStepTimer(*w));
        QCOMPARE(w->state().scrollPos, 1);
        QCOMPARE(text->selectionStart(), 1);
        QCOMPARE(text->selectionLength(), 1);
    }

    void speedSlider_setsCaptionAndStepInterval()
    {
        auto w = windowWithBook();
        auto *caption = part<QLabel>(w.get(), "speedCaption");
        auto *slider = part<QScrollBar>(w.get(), "speedSlider");
        QCOMPARE(caption->text(), QStringLiteral("速度: 130"));
        QCOMPARE(scrollStepTimer(*w)->interval(), 130);
        slider->setValue(300);
        QCOMPARE(caption->text(), QStringLiteral("速度: 300"));
        QCOMPARE(scrollStepTimer(*w)->interval(), 300);
        slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(scrollStepTimer(*w)->interval(), 299);
        slider->setValue(1);
        QCOMPARE(caption->text(), QStringLiteral("速度: 1"));
    }

    void slideCacheAfterRestart_becomesScrollTextOnce_data()
    {
        QTest::addColumn<bool>("cachePresent");
        QTest::newRow("cache of the book") << true;
        // Without the cache the scroll text is made from the paragraphs.
        QTest::newRow("cache missing") << false;
    }

    void slideCacheAfterRestart_becomesScrollTextOnce()
    {
        QFETCH(bool, cachePresent);
        {
            auto w = windowWithBook();
            w->exitReader();
        }
        const core::BookText paragraphs = [] {
            const auto bytes = core::readFile(settingsPath().toStdString());
            return bytes ? core::readSettingsFile(*bytes).paragraphText.value_or(core::BookText())
                         : core::BookText();
        }();
        QVERIFY(!paragraphs.empty());
        const QString cachePath = SessionFiles::folder() + QStringLiteral("/Slide.cache");
        // The book's text with a line break of its own inside the first paragraph, which
        // the paragraphs alone could not give back.
        std::u32string expected =
            core::ScrollTextMap::onePerParagraph(paragraphs).scrollText(paragraphs);
        if (cachePresent) {
            expected.insert(3, U"\r\n");
            const std::string bytes = core::test::slideCacheBytes(expected);
            QVERIFY(core::writeFileAtomically(cachePath.toStdString(), bytes));
        } else {
            QVERIFY(QFile::remove(cachePath));
        }
        auto w = startWindow();
        QTRY_VERIFY(core::test::scrollTextOf(w->state()) == expected);
        // Fed once: a second feed would add the text again.
        QTest::qWait(50);
        QVERIFY(core::test::scrollTextOf(w->state()) == expected);
    }
};

QTEST_MAIN(ModesTest)
#include "modes_test.moc"
