// Form1: page moves by the page backgrounds, the edge strips, the keyboard and the
// go-to-page prompt.
#include "form1.h"

#include "qtext.h"

#include "dialogs.h"
#include "promptpanel.h"
#include "scrollpanel.h"
#include "welcomepanel.h"
#include "widgets.h"

#include "navigation/navigation.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace tibbo::window {

namespace {

// The virtual key code of a key the page view knows; 0 for any other.
int virtualKey(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Home:
        return core::kKeyHome;
    case Qt::Key_End:
        return core::kKeyEnd;
    case Qt::Key_Left:
        return core::kKeyLeft;
    case Qt::Key_Right:
        return core::kKeyRight;
    case Qt::Key_PageUp:
        return core::kKeyPageUp;
    case Qt::Key_PageDown:
        return core::kKeyPageDown;
    case Qt::Key_A:
        return core::kKeyA;
    case Qt::Key_G:
        return core::kKeyG;
    case Qt::Key_O:
        return core::kKeyO;
    default:
        return 0;
    }
}

} // namespace

void Form1::Image3_MouseDown(Qt::MouseButton button)
{
    if (button == Qt::RightButton) {
        ShowMenu();
        if (Mnrecent[1]->text() == QLatin1String("none")) {
            Picture3->show();
            Form_Resize();
        }
    } else if (button == Qt::LeftButton) {
        if (m_state.menuShown)
            CloseMenu();
        else if (core::pageBack(m_state))
            LookUp();
    }
}

void Form1::Image4_MouseDown(Qt::MouseButton button)
{
    if (button == Qt::RightButton) {
        Image3_MouseDown(button);
    } else if (button == Qt::LeftButton) {
        if (m_state.menuShown)
            CloseMenu();
        else if (core::pageForwardByClick(m_state))
            LookUp();
    }
}

// Strip positions arrive in twips; the quarters are taken as fractions of the strip.
void Form1::Image5_MouseDown(double xTwips)
{
    core::pressEdgeStrip(m_state, core::EdgeStrip::Left, xTwips / kTwipsPerPixel / Image5->width());
    LookUp();
}

void Form1::Image6_MouseDown(double xTwips)
{
    core::pressEdgeStrip(m_state, core::EdgeStrip::Right,
                         xTwips / kTwipsPerPixel / Image6->width());
    LookUp();
}

void Form1::Image5_MouseMove(double xTwips)
{
    Image5->setToolTip(
        qs(core::edgeTooltipAt(core::EdgeStrip::Left, xTwips / kTwipsPerPixel / Image5->width())));
}

void Form1::Image6_MouseMove(double xTwips)
{
    Image6->setToolTip(
        qs(core::edgeTooltipAt(core::EdgeStrip::Right, xTwips / kTwipsPerPixel / Image6->width())));
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    const int key = virtualKey(event);
    if (key == 0 || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    Form_KeyDown(key);
}

void Form1::Form_KeyDown(int keyCode)
{
    if (Picture8->isVisible())
        return;
    const core::KeyResult result = core::handleKey(m_state, keyCode);
    if (result.redraw)
        LookUp();
    switch (result.command) {
    case core::KeyCommand::OpenFile:
        Image7_Click();
        break;
    case core::KeyCommand::AddBookmark:
        Mnadd_Click();
        break;
    case core::KeyCommand::GoToPage:
        Mngopage_Click();
        break;
    case core::KeyCommand::None:
        break;
    }
}

void Form1::Mngopage_Click()
{
    m_state.promptMode = std::string(core::kPromptSetPage);
    Label5[5]->setCaption(QStringLiteral("翻到哪一页?"));
    Picture2->Text1->setToolTip(qs(core::goToPageTooltip(m_state)));
    Picture2->move(438, 249);
    Picture2->show();
    Picture2->raise();
    QCoreApplication::processEvents();
    Picture2->Text1->setText(qs(core::goToPageDefaultText(m_state)));
    Picture2->Text1->setFocus();
    Picture2->Text1->selectAll();
}

void Form1::Command2_Click()
{
    switch (core::confirmPrompt(m_state, Picture2->Text1->text().toStdString())) {
    case core::PromptOutcome::PageShown:
        LookUp();
        CloseMenu();
        setFocus();
        break;
    case core::PromptOutcome::PageOutOfRange:
        Dialogs::message(this, qs(core::kPageOutOfRangeMessage));
        break;
    case core::PromptOutcome::IntervalStored:
        Picture2->hide();
        setFocus();
        break;
    case core::PromptOutcome::Ignored:
        break;
    }
}

void Form1::Command3_Click()
{
    Picture2->hide();
    setFocus();
}

void Form1::Image12_Click()
{
    Picture2->Text1->setText(
        qs(core::promptIncrease(m_state, Picture2->Text1->text().toStdString())));
}

void Form1::Image13_Click()
{
    Picture2->Text1->setText(
        qs(core::promptDecrease(m_state, Picture2->Text1->text().toStdString())));
}

} // namespace tibbo::window
