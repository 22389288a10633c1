#pragma once
// The menu in the speech bubble: opening it (with the welcome panel over it on a first
// start), closing it with everything that opens in it, the notice of a long re-flow, and
// the mascot's right click that closes it or hides the window.

#include <QObject>

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

class BookChapters;
class Mascot;
class MascotSpeech;
class MenuPanel;
class PromptPanel;
class ReadingPace;
class ReflowNotice;
class ScrollPanel;
class SettingsPanel;
class WelcomePanel;
class WindowChrome;

class MenuBubble : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        Mascot &mascot;
        MenuPanel &menuPanel;
        WelcomePanel &welcomePanel;
        ReflowNotice &reflowNotice;
        SettingsPanel &settingsPanel;
        PromptPanel &prompt;
        ScrollPanel &scrollPanel;
        WindowChrome &chrome;
        BookChapters &chapters;
        const ReadingPace &pace;
        // What Tibbo says by itself: the menu takes the bubble, what is said waits.
        MascotSpeech &speech;
    };
    MenuBubble(Parts parts, QObject *parent);

  public slots:
    // The bubble opens with the menu; its tooltip tells about the book, the place and the
    // time left at the reader's speed.
    void show();
    // The menu and everything open in it (the prompt, the welcome, the settings, the
    // re-flow notice) close, and the mascot is small again unless Tibbo is saying
    // something.
    void close();
    // The menu with the welcome panel over it.
    void showWelcome();
    // The menu, or the welcome for a reader without a book of their own.
    void showOrWelcome();
    // close(); scroll mode stays above the mascot closing brings forward.
    void closeUnderScrollMode();
    void showReflowNotice();
    // A right click on the mascot closes the menu, or else hides the window. Over the
    // welcome panel it always hides: the panel belongs to the open menu, and a first start
    // would otherwise never let the window go.
    void onMascotReleased(Qt::MouseButton button);

  signals:
    // The panels changed: the window lays its parts out again (stacking them in order).
    void layoutNeeded();

  private:
    bool hasOwnBook() const;

    core::ReaderState &m_state;
    Mascot &m_mascot;
    MenuPanel &m_menuPanel;
    WelcomePanel &m_welcomePanel;
    ReflowNotice &m_reflowNotice;
    SettingsPanel &m_settingsPanel;
    PromptPanel &m_prompt;
    ScrollPanel &m_scrollPanel;
    WindowChrome &m_chrome;
    BookChapters &m_chapters;
    const ReadingPace &m_pace;
    MascotSpeech &m_speech;
};

} // namespace tibbo::window
