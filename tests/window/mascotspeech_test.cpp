// How what Tibbo says shares the bubble with the menu: one word at a time, nothing said
// while the menu holds the bubble is lost, a question waits for its answer, and an answer
// runs what it stands for once.
#include "windowfixture.h"

#include "mascot.h"
#include "mascotspeech.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

// A window with the mascot, a stand-in menu panel and the speech, as the reader's window
// builds them.
struct SharedBubble
{
    QWidget window;
    std::unique_ptr<Mascot> mascot;
    QWidget *menu = nullptr;
    MascotSpeech *speech = nullptr;

    SharedBubble()
    {
        window.resize(800, 600);
        mascot = std::make_unique<Mascot>(&window);
        menu = new QWidget(&window);
        menu->hide();
        speech = new MascotSpeech(*mascot, *menu, &window);
        window.show();
    }
    void openMenu()
    {
        menu->show();
        mascot->setBubbleOpen(true);
    }
    void closeMenu()
    {
        menu->hide();
        mascot->setBubbleOpen(speech->isVisible());
    }
    // What is said now; empty while nothing is.
    QString said() const
    {
        return speech->isVisible() ? speech->findChild<QLabel *>("mascotSpeechText")->text()
                                   : QString();
    }
    void answer(int index)
    {
        QTest::mouseClick(
            speech->findChild<QPushButton *>(QStringLiteral("mascotSpeechAnswer%1").arg(index)),
            Qt::LeftButton);
    }
};

MascotSpeech::Word note(const QString &text)
{
    return {text, {}, MascotSpeech::Goes::ByItself, QString(), {}};
}

MascotSpeech::Word question(const QString &text, int *yes, int *no)
{
    return {
        text,
        {{QStringLiteral("好"), [yes] { ++*yes; }}, {QStringLiteral("不用了"), [no] { ++*no; }}},
        MascotSpeech::Goes::WhenAnswered,
        QStringLiteral("theBook"),
        {}};
}

} // namespace

class MascotSpeechTest : public QObject
{
    Q_OBJECT
  private slots:
    // A note that comes while the menu is open is said once it closes; a question on show
    // when the menu opens steps aside and is asked again after it.
    void wordsWaitForTheMenu()
    {
        SharedBubble b;
        b.openMenu();
        b.speech->say(note(QStringLiteral("朗读停止。")));
        QCOMPARE(b.said(), QString());
        QVERIFY(b.mascot->bubbleOpen());
        b.closeMenu();
        QTRY_COMPARE(b.said(), QStringLiteral("朗读停止。"));
        QVERIFY(b.mascot->bubbleOpen());

        int yes = 0;
        int no = 0;
        QTest::mouseClick(b.speech, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b.said(), QString());
        b.speech->say(question(QStringLiteral("要开吗？"), &yes, &no));
        QCOMPARE(b.said(), QStringLiteral("要开吗？"));
        b.openMenu();
        QCOMPARE(b.said(), QString());
        b.closeMenu();
        QTRY_COMPARE(b.said(), QStringLiteral("要开吗？"));
        b.answer(1);
        QCOMPARE(no, 1);
        QCOMPARE(yes, 0);
        QCOMPARE(b.said(), QString());
        QVERIFY(!b.mascot->bubbleOpen());
    }

    // Two offers in a row are both asked, in turn; each answer runs once.
    void twoOffersAreBothAsked_eachAnswerOnce()
    {
        SharedBubble b;
        int firstYes = 0, firstNo = 0, secondYes = 0, secondNo = 0;
        b.speech->say(question(QStringLiteral("转成简体吗？"), &firstYes, &firstNo));
        b.speech->say(question(QStringLiteral("第3章好像缺了"), &secondYes, &secondNo));
        QCOMPARE(b.said(), QStringLiteral("转成简体吗？"));
        b.answer(0);
        QCOMPARE(firstYes, 1);
        QTRY_COMPARE(b.said(), QStringLiteral("第3章好像缺了"));
        b.answer(0);
        // A second press on a button of a word already answered runs nothing again.
        b.answer(0);
        QCOMPARE(firstYes, 1);
        QCOMPARE(secondYes, 1);
        QCOMPARE(firstNo + secondNo, 0);
        QTRY_VERIFY(!b.speech->isVisible());
        QVERIFY(!b.mascot->bubbleOpen());
    }

    // A note goes by itself, after a while or at a click, and closes the bubble it opened.
    void aNoteGoesByItself()
    {
        SharedBubble b;
        b.speech->say(note(QStringLiteral("这一章读完了，朗读停止。")));
        QVERIFY(b.mascot->bubbleOpen());
        stepTimer(b.speech->findChild<QTimer *>("mascotSpeechTimer"));
        QCOMPARE(b.said(), QString());
        QVERIFY(!b.mascot->bubbleOpen());
        b.speech->say(note(QStringLiteral("定时结束。")));
        QTest::mouseClick(b.speech, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b.said(), QString());
    }

    // News goes at the first key anywhere; news no longer true when its turn comes is not
    // said.
    void newsGoesAtTheFirstTouch_andStaleNewsIsNotSaid()
    {
        SharedBubble b;
        bool stillTrue = true;
        const auto news = [&](const QString &text) {
            return MascotSpeech::Word{
                text, {}, MascotSpeech::Goes::AtFirstTouch, QStringLiteral("news"), [&stillTrue] {
                    return stillTrue;
                }};
        };
        b.speech->say(news(QStringLiteral("新增 3 章")));
        b.speech->say(news(QStringLiteral("隔了 5 天没见啦")));
        QCOMPARE(b.said(), QStringLiteral("新增 3 章"));
        stillTrue = false;
        QTest::keyClick(&b.window, Qt::Key_PageDown);
        QTest::qWait(20);
        QCOMPARE(b.said(), QString());
        QVERIFY(!b.mascot->bubbleOpen());
    }
};

QTEST_MAIN(MascotSpeechTest)
#include "mascotspeech_test.moc"
