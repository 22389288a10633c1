#pragma once
// The files the reader keeps in its application folder: settings.ini with the whole
// working state (the current book included), Slide.cache with the scroll text, one mark
// file per book and the manual. The session object saves the state into settings.ini
// and restores it from there, and tells the parts what came back; every write goes
// through a temporary file and a rename.

#include "settings/settingsfile.h"
#include "settings/settingsindex.h"
#include "settings/storedsession.h"
#include "state/readerstate.h"

#include <QObject>
#include <QString>

#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTimer;
class QWidget;

namespace tibbo::window {

class WindowChrome;

class SessionFiles : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        WindowChrome &chrome;
    };
    SessionFiles(Parts parts, QWidget *window);
    ~SessionFiles() override;

    // Writes settings.ini and Slide.cache. False when settings.ini was not written (or
    // not written over, because the backup of a damaged one could not be made): then
    // failureText() names the file and the reason, and, unless `quiet`, a message says
    // so. A Slide.cache that could not be written is rebuilt on reading and goes unsaid.
    bool save(bool quiet = false);
    QString failureText() const { return m_failureText; }
    // settings.ini as read on a thread of its own, started while the window is still
    // being built. When its index matches, the part that shows the saved spread comes
    // first (`excerpt`), then the whole file; either is nothing when there is none or it
    // cannot be opened or used.
    struct SettingsAhead
    {
        std::future<std::optional<core::SettingsExcerpt>> excerpt;
        std::future<std::optional<core::SettingsRead>> whole;
    };
    static SettingsAhead readAhead();
    // Applies what settings.ini held to the state, and tells the parts.
    void restore(std::optional<core::SettingsRead> stored);
    // A restore in two steps, for a start that shows the saved spread from the excerpt:
    // first every value but the book, its line list and the bookmarks, then, once the
    // whole file is read, those (and nothing else: the other values are the same bytes).
    // Together they leave the state and the parts as restore(stored) does.
    void restoreAllButBook(core::SettingsRead values);
    void restoreBook(std::optional<core::SettingsRead> stored);
    // Reads settings.ini now and restores it.
    void restore();

    // $XDG_DATA_HOME/TibboRead, created when missing.
    static QString folder();
    // Why the folder cannot be made or used (a file of that name is in the way, no
    // permission), as a sentence for the reader; empty when it is there.
    static QString folderProblem();
    // Large book texts are kept in unnamed files in the user's cache folder, so the reader
    // holds only the pages of a book it is using. Called once at start; where the folder
    // cannot be had, the texts stay in memory.
    static void keepTextsInCacheFolder();
    static QString manualPath();
    // options.ini: what the reader keeps beyond settings.ini (the place in every book, the
    // theme, fine typesetting, a book's chosen encoding), read and written by OptionsStore.
    static QString optionsPath();
    // statistics.db: the reading sessions (SQLite), written by ReadingStatistics.
    static QString statisticsPath();
    // Start-up: clears the temporary files of writes that were killed, and puts the
    // manual (it ships inside the program) into the folder, in GB18030 with CR LF line
    // ends like any book, when it is missing there.
    // False, with nothing done, when the folder cannot be made (see folderProblem).
    static bool prepareFolder();
    // The reader's words for a file that could not be written (an errno value).
    static QString writeFailureText(const QString &path, int error);
    static bool hasSettings();
    static std::vector<core::Bookmark> readMarks(const std::string &bookPath);
    static bool writeMarks(const std::string &bookPath, const std::vector<core::Bookmark> &marks);

    // Reads the scroll text of a restored book now if it has not come back yet (it
    // follows the first paint by itself).
    void ensureScrollText();

  signals:
    // What settings.ini held of the page (the font, spacing and margins), for the page's
    // appearance to take.
    void pageSettingsRead(const core::SettingsRead &read);
    // The state holds the restored recent list, bookmarks and scroll speed.
    void recentRestored();
    void bookmarksRestored();
    void scrollSpeedRestored(int milliseconds);

  private:
    void restoreValues(core::SettingsRead &read);
    void matchScrollText();
    void matchSlice();
    // settings.ini could not be read whole and is a link: the backup was not made.
    void tellRefusedBackup(bool leaving);

    core::ReaderState &m_state;
    WindowChrome &m_chrome;
    QWidget *m_window;
    // settings.ini was read whole and clean (or there was none): it may be written over.
    // Otherwise the first write keeps the old file as settings.ini.bak.
    bool m_readClean = true;
    QString m_failureText;
    // settings.ini brought a book back and Slide.cache is still being matched to it.
    std::unique_ptr<core::SlideCacheMatch> m_slideMatch;
    QTimer *m_slideMatchTimer;
    uint64_t m_restoredTextVersion = 0;
    // The text whose scroll text Slide.cache holds (written or matched); it is not
    // written again while the book stays the same.
    uint64_t m_cachedTextVersion = UINT64_MAX;
};

} // namespace tibbo::window
