#include "menububble.h"

#include "bookchapters.h"
#include "mascot.h"
#include "mascotspeech.h"
#include "menupanel.h"
#include "progresspanels.h"
#include "promptpanel.h"
#include "readingpace.h"
#include "scrollpanel.h"
#include "settingspanel.h"
#include "welcomepanel.h"
#include "windowchrome.h"

#include "navigation/bookinfo.h"
#include "settings/recentlist.h"
#include "state/readerstate.h"

namespace tibbo::window {

MenuBubble::MenuBubble(Parts parts, QObject *parent)
    : QObject(parent), m_state(parts.state), m_mascot(parts.mascot), m_menuPanel(parts.menuPanel),
      m_welcomePanel(parts.welcomePanel), m_reflowNotice(parts.reflowNotice),
      m_settingsPanel(parts.settingsPanel), m_prompt(parts.prompt),
      m_scrollPanel(parts.scrollPanel), m_chrome(parts.chrome), m_chapters(parts.chapters),
      m_pace(parts.pace), m_speech(parts.speech)
{
}

bool MenuBubble::hasOwnBook() const
{
    return core::hasOwnBook(m_state.recent);
}

void MenuBubble::show()
{
    m_state.menuShown = true;
    m_mascot.setBubbleOpen(true);
    // The welcome panel covers the menu only on a first start: a reader with a book of
    // their own who opened the manual needs the menu's way back.
    if (m_state.welcomeMode && !hasOwnBook())
        m_welcomePanel.show();
    m_menuPanel.show();
    emit layoutNeeded();
    QString tooltip = QString::fromStdString(
        core::bookInfoTooltipWithPlace(m_state, m_chapters.currentTitle().toStdString()));
    if (const QString timeLeft = m_pace.timeLeftLines(m_chapters.list()); !timeLeft.isEmpty())
        tooltip += QLatin1Char('\n') + timeLeft;
    m_menuPanel.setToolTip(tooltip);
}

void MenuBubble::close()
{
    for (QWidget *w : std::initializer_list<QWidget *>{&m_menuPanel, &m_prompt, &m_welcomePanel,
                                                       &m_settingsPanel, &m_reflowNotice})
        w->hide();
    m_state.menuShown = false;
    // What Tibbo is saying keeps the bubble (opening it again would cover the word).
    if (m_speech.isHidden())
        m_mascot.setBubbleOpen(false);
    m_chrome.place();
}

void MenuBubble::showWelcome()
{
    show();
    m_welcomePanel.show();
    emit layoutNeeded();
}

void MenuBubble::showOrWelcome()
{
    show();
    if (!hasOwnBook())
        showWelcome();
}

void MenuBubble::closeUnderScrollMode()
{
    close();
    if (m_scrollPanel.isVisible())
        m_scrollPanel.raise();
}

void MenuBubble::showReflowNotice()
{
    show();
    m_reflowNotice.setProgress(0);
    m_reflowNotice.show();
    m_reflowNotice.raise();
}

void MenuBubble::onMascotReleased(Qt::MouseButton button)
{
    if (button != Qt::RightButton)
        return;
    if (m_state.menuShown && !m_welcomePanel.isVisible())
        close();
    else
        m_chrome.hideToTray();
}

} // namespace tibbo::window
