#pragma once
// The reader's one window. It holds the reader state and composes the parts: the book
// view under everything, the mascot with its bubble, the menu, welcome, settings,
// loading and prompt panels, scroll mode, the pop-up menus, the chrome and the tray
// icon; the reading modes, the re-flow and the HTML parse run as controllers. Each
// command is short: it asks the core for the arithmetic and tells the parts what to
// show.

#include "desktopcontrols.h"
#include "script/scriptmode.h"
#include "sessionfiles.h"
#include "state/readerstate.h"

#include <QWidget>

#include <memory>

class QCloseEvent;
class QTimer;

namespace tibbo::window {

class BookChapters;
class BookLoader;
class BookPlaces;
class BookScript;
class BookSearch;
class BookView;
class BookWayBack;
class KeyRoute;
class LoadingPanel;
class ManualGuide;
class Mascot;
class MascotNews;
class MascotSpeech;
class MenuBubble;
class MenuPanel;
class OptionsStore;
class PageAppearance;
class PromptPanel;
class ReadAloudCommands;
class ScreenSaverInhibitor;
class ReaderMenus;
class ReadingCommands;
class ReadingModes;
class ReadingPace;
class ReadingStatistics;
class ReflowJob;
class ReflowNotice;
class ScrollPanel;
class SessionFiles;
class SelectionMenu;
class SettingsPanel;
class TextSelection;
class TrayIcon;
class WordLookUp;
class BookHighlights;
class NoteEditor;
class WelcomePanel;
class WindowChrome;

class ReaderWindow : public QWidget
{
    Q_OBJECT
  public:
    explicit ReaderWindow(QWidget *parent = nullptr);
    ~ReaderWindow() override;

    // Schedules start-up into the running event loop: defaults, settings.ini, the saved
    // spread, the manual on a first start, then the book given on the command line.
    void start(const QString &bookArgument = QString());
    // Start-up is over and no load or sliced re-flow is running.
    bool isIdle() const;
    // Start-up is over and a spread of the book is on show: its line list belongs to the
    // text (the rest of a large plain-text book may still be loading behind it); or a
    // restart shows the saved spread while the rest of settings.ini is read.
    bool showsSpread() const;
    // A restart shows the saved spread from the part of settings.ini that holds it while
    // the rest is read; the whole book is not in place yet.
    bool showsStoredSpread() const { return m_restorePending && m_storedSpreadState; }

    const core::ReaderState &state() const { return m_state; }
    // The window title names the book on show.
    // "book name — TibboRead", with the current chapter and the share of the book read;
    // the footer of the pages shows the same chapter and share.
    void updateTitle();
    QFont pageFont() const;

  public slots:
    // Opens a book with the loader its name asks for, as the open dialog would.
    void openBook(const QString &path);
    // Finishes the work in progress, saves the place in the book and the session, and ends
    // the program; the way out of every exit path. When settings.ini cannot be written the
    // window goes and a message says which file and why; the program ends once it is
    // acknowledged (status 1).
    void exitReader();
    // The same for a termination signal: the program ends at once, and a failed save is
    // told on stderr.
    void exitBySignal();
    // Writes settings.ini and Slide.cache now; false when either could not be written.
    bool saveSession();
    // In front of the other windows, back from the tray or the task bar.
    void bringToFront() { m_desktop->bringToFront(); }

  signals:
    void startedUp();

  protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    void createParts();
    void connectParts();
    void connectMenus();
    void connectKeys();
    void runStartUp(const QString &bookArgument);
    // The start-up steps that need the restored book, once it is in place.
    void finishStartUp(const QString &bookArgument);
    // Shows the saved spread from the excerpt of settings.ini when the page is laid out
    // as the stored lines were cut; false when it is not (the start waits for the whole).
    bool showStoredSpread(const core::SettingsExcerpt &excerpt);
    // Puts the whole restored book in place of the stored spread on show, waiting for the
    // rest of settings.ini when it is not read yet, and finishes the start-up.
    void finishRestore();
    void layOut();
    void reflow();
    void onReflowFinished();
    void refreshRecentMenu();
    void chooseOpenFile();

    void onFullScreenChanged();
    void reflowIfOutdated();
    void onTextReplaced();
    void completeBook();
    // A slot that completes the book (completeBook) and then runs method on receiver.
    template <typename Receiver, typename Method> auto whole(Receiver *receiver, Method method)
    {
        return [this, receiver, method] {
            completeBook();
            (receiver->*method)();
        };
    }
    void openRecent(int index);
    void openScrollMode();
    void openFromTray();
    void openSettingsFromTray();
    void saveForSessionEnd();
    // Once a book the reader opened is on show and the window idle: the offer of a
    // conversion, else the first chapter problem.
    void tellAboutBook();
    void offerConversion(core::ScriptMode suggested);
    void tellChapterProblem(const QString &message, int chapter);
    void onScriptChanged();
    // The way out of exitReader and exitBySignal.
    void finishExit(bool bySignal);

    core::ReaderState m_state;
    std::unique_ptr<OptionsStore> m_options;
    BookView *m_bookView = nullptr;
    Mascot *m_mascot = nullptr;
    MenuPanel *m_menuPanel = nullptr;
    MenuBubble *m_bubble = nullptr;
    LoadingPanel *m_loadingPanel = nullptr;
    SettingsPanel *m_settingsPanel = nullptr;
    WelcomePanel *m_welcomePanel = nullptr;
    ReflowNotice *m_reflowNotice = nullptr;
    PromptPanel *m_prompt = nullptr;
    ScrollPanel *m_scrollPanel = nullptr;
    ReaderMenus *m_menus = nullptr;
    WindowChrome *m_chrome = nullptr;
    TrayIcon *m_tray = nullptr;
    ReadingModes *m_modes = nullptr;
    ReflowJob *m_reflowJob = nullptr;
    BookLoader *m_loader = nullptr;
    ReadingCommands *m_commands = nullptr;
    SessionFiles *m_session = nullptr;
    SessionFiles::SettingsAhead m_settingsAhead;
    PageAppearance *m_appearance = nullptr;
    BookChapters *m_chapters = nullptr;
    BookScript *m_script = nullptr;
    MascotSpeech *m_speech = nullptr;
    BookSearch *m_search = nullptr;
    ManualGuide *m_guide = nullptr;
    BookPlaces *m_places = nullptr;
    ReadingStatistics *m_statistics = nullptr;
    ReadingPace *m_pace = nullptr;
    BookWayBack *m_wayBack = nullptr;
    MascotNews *m_news = nullptr;
    DesktopControls *m_desktop = nullptr;
    KeyRoute *m_keys = nullptr;
    ScreenSaverInhibitor *m_screen = nullptr;
    ReadAloudCommands *m_readAloud = nullptr;
    SelectionMenu *m_selectionMenu = nullptr;
    TextSelection *m_selection = nullptr;
    BookHighlights *m_highlights = nullptr;
    WordLookUp *m_lookUp = nullptr;
    QTimer *m_titleUpdate = nullptr;
    bool m_started = false;
    // The saved spread is on show from the excerpt of settings.ini while the rest is read
    // (finishRestore ends it): the state holds every value but the book.
    bool m_restorePending = false;
    QString m_pendingBookArgument;
    QTimer *m_restoreTimer = nullptr;
    // What the stored spread is painted from; the book view looks at it until the whole
    // book's spread replaces it.
    std::unique_ptr<core::ReaderState> m_storedSpreadState;
    // A book was opened and Tibbo has not yet said what he has to say about it.
    bool m_tellPending = false;
    bool m_exited = false;
    // The book restored at start-up gets its recap once its spread is on show.
    bool m_recapDue = false;
    // The application folder could not be made: nothing is saved this run.
    bool m_folderUsable = true;
};

} // namespace tibbo::window
