// Form1: automatic page turning, the reading-speed test and scroll mode.
#include "form1.h"

#include "qtext.h"

#include "dialogs.h"
#include "promptpanel.h"
#include "scrollpanel.h"
#include "scrolltext.h"
#include "widgets.h"

#include "navigation/navigation.h"
#include "settings/settingsfile.h"
#include "text/codepage.h"
#include "text/fileio.h"
#include "text/numbers.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

namespace tibbo::window {

namespace {

// Switching a running timer on again must not restart its period: a second that is
// half counted stays half counted.
void setTimerEnabled(QTimer &timer, bool on)
{
    if (!on)
        timer.stop();
    else if (!timer.isActive())
        timer.start();
}

} // namespace

// ---- automatic page turning -------------------------------------------------------------

// The menu item switches by its own check mark; the caption label switches by the
// timer. After a switch by the label the two can disagree, and the next menu command
// then repeats the state the timer already has.
void Form1::MnAutopage_Click()
{
    const bool on = !MnAutopage->isChecked();
    MnAutopage->setChecked(on);
    setTimerEnabled(Timer1, on);
    Label5[3]->setCaption(qs(core::autoTurnCaption(on, m_state.autoTurnSeconds)));
}

void Form1::Label5_3_LeftDown()
{
    const bool on = !Timer1.isActive();
    setTimerEnabled(Timer1, on);
    Label5[3]->setCaption(qs(core::autoTurnCaption(on, m_state.autoTurnSeconds)));
}

void Form1::MnSettime_Click()
{
    m_state.promptMode = std::string(core::kPromptSetTime);
    Picture2->move(531, 213);
    Picture2->show();
    Picture2->raise();
    Label5[5]->setCaption(QStringLiteral("多久翻一页?"));
    Picture2->Text1->setText(qs(core::plainNumber(m_state.autoTurnSeconds)));
    Picture2->Text1->setFocus();
    Picture2->Text1->selectAll();
}

// Two seconds after each turn the menu panel closes, and the prompt with it.
void Form1::Timer1_Timer()
{
    const core::AutoTurnTick tick = core::autoTurnTick(m_state);
    if (tick.turned)
        LookUp();
    if (tick.closeMenu) {
        CloseMenu();
        // Closing the menu brings the mascot forward; scroll mode stays on top.
        if (Picture8->isVisible())
            Picture8->raise();
    }
}

// ---- reading-speed test -----------------------------------------------------------------

// The test's state is the item's caption. It shares the seconds counter with automatic
// turning and does not stop it; only the menu's ways of switching turning are disabled.
void Form1::MnTestSpeed_Click()
{
    if (MnTestSpeed->text() == qs(core::kSpeedTestStartCaption)) {
        MnTestSpeed->setText(qs(core::kSpeedTestStopCaption));
        MnAutopage->setEnabled(false);
        core::startSpeedTest(m_state);
        setTimerEnabled(Timer2, true);
        return;
    }
    MnTestSpeed->setText(qs(core::kSpeedTestStartCaption));
    MnAutopage->setEnabled(true);
    const std::string message = core::stopSpeedTest(m_state);
    setTimerEnabled(Timer2, false);
    Dialogs::message(this, qs(message));
}

void Form1::Timer2_Timer()
{
    core::speedTestTick(m_state);
}

// ---- scroll mode --------------------------------------------------------------------------

// Opens scroll mode over everything else of the window, stopped, with the caret near
// the spread on show. Text2 gets the page font before its text, so the text is wrapped
// once, in the font it is shown in.
void Form1::MnSlide_Click()
{
    Picture8->show();
    Picture8->raise();
    ScrollText *text = Picture8->Text2;
    text->setFont(pageFont());
    text->setBookText(m_state.bookText);
    m_state.scrollPos = core::scrollStartPosition(m_state);
    text->setSelection(m_state.scrollPos, 0);
    if (Picture8->Check5->isChecked()) {
        Picture8->Check5->setChecked(false);
        Check5_Click();
    }
    CloseMenu();
    Picture8->raise();
    text->setFocus();
}

void Form1::Check5_Click()
{
    setTimerEnabled(Timer3, Picture8->Check5->isChecked());
    Picture8->Text2->setFocus();
}

// While scrolling, a click only moves the caret; the next step puts it back.
void Form1::Text2_Click()
{
    if (!Picture8->Check5->isChecked())
        m_state.scrollPos = Picture8->Text2->selectionStart();
}

void Form1::Timer3_Timer()
{
    ScrollText *text = Picture8->Text2;
    m_state.scrollPos = core::nextScrollPosition(m_state.scrollPos, text->textLength());
    text->setSelection(m_state.scrollPos, 1);
}

// The slider's value is milliseconds per step; it also fires while the thumb is dragged.
void Form1::HScroll1_Change()
{
    const int speed = Picture8->HScroll1->value();
    Timer3.setInterval(speed);
    Picture8->Label10->setText(qs(core::scrollSpeedCaption(speed)));
    if (Picture8->isVisible())
        Picture8->Text2->setFocus();
}

// Back to the pages; a running scroll keeps running behind them.
void Form1::Command1_Click()
{
    Picture8->hide();
    setFocus();
}

// Once after start-up: the scroll text of the book the settings file brought back. It
// is appended, and ReadINI empties bookText before it arms this feed.
void Form1::Timer4_Timer()
{
    Timer4.stop();
    const auto bytes = core::readFile(core::slideCachePath(appFolder().toStdString()));
    if (!bytes)
        return;
    core::appendSlideCache(m_state.bookText, core::decodeGb18030(*bytes));
}

} // namespace tibbo::window
