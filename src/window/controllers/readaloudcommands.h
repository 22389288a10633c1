#pragma once
// Reading aloud in the window: the commands (the menu's 朗读, its pop-up menu, the keys),
// the settings panel and the options it keeps, the tint of the sentence on the spread
// (or in scroll mode), the spreads the reading turns, the mascot's word when it stops, the
// screen kept on, and automatic turning, the speed test and scrolling kept apart from it.

#include "readaloud.h"

#include <QObject>

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

class BookChapters;
class BookView;
class KeyRoute;
class MascotSpeech;
class OptionsStore;
class ReadAloudPanel;
class ReaderMenus;
class ReadingCommands;
class ReadingModes;
class ScreenSaverInhibitor;
class ScrollPanel;

class ReadAloudCommands : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        ScrollPanel &scrollPanel;
        ReadAloudPanel &panel;
        MascotSpeech &speech;
        ReaderMenus &menus;
        ReadingCommands &commands;
        ReadingModes &modes;
        BookChapters &chapters;
        KeyRoute &keys;
        ScreenSaverInhibitor &screen;
        OptionsStore &options;
    };
    ReadAloudCommands(Parts parts, QWidget *window);

    // The engine the reader speaks with; the desktop's (QTextToSpeech) unless a test gave
    // another before the window was made (an empty one gives the desktop's back).
    static void setEngineMaker(ReadAloud::EngineMaker maker);

    ReadAloud &readAloud() { return m_readAloud; }

  public slots:
    // Starts from the spread on show (from the sentence read last when it is on it), or
    // stops.
    void switchReading();
    // "从这里朗读": reading starts at the sentence holding character `offset` of the
    // paragraph text (a selection's first character).
    void readFrom(int64_t offset);
    void pauseOrResume();
    void stop();
    // Opens the settings in the bubble and asks the engine for its voices.
    void openSettings();
    void setSleepTimer(int choice);

  signals:
    // The menu closes (a command was chosen).
    void menuCloseRequested();

  private:
    void loadSettings();
    void applySettings(const ReadAloudSettings &settings);
    void onStarted();
    void onStopped(ReadAloud::StopReason reason, const QString &why);
    void showSentence();
    // Keeps where the sentence read last begins, so the next session goes on from it.
    void keepPlace();

    core::ReaderState &m_state;
    BookView &m_bookView;
    ScrollPanel &m_scrollPanel;
    ReadAloudPanel &m_panel;
    MascotSpeech &m_speech;
    ReaderMenus &m_menus;
    ReadingCommands &m_commands;
    ReadingModes &m_modes;
    BookChapters &m_chapters;
    KeyRoute &m_keys;
    ScreenSaverInhibitor &m_screen;
    OptionsStore &m_options;
    QWidget *m_window;
    ReadAloud m_readAloud;
    ReadAloudSettings m_settings;
};

} // namespace tibbo::window
