#pragma once
// Opening books. A plain-text book shows its first part as soon as that is read and
// split into paragraphs; the rest is read in slices behind it (PlainLoadJob). An HTML
// book is parsed in slices, its first part shown while the rest is parsed. One load at a
// time. A book that cannot be read leaves the book on show as it was.

#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/plaintext.h"

#include <QObject>
#include <QString>

#include <vector>

class QWidget;

namespace tibbo::window {

class HtmlLoadJob;
class PlainLoadJob;
class LoadingPanel;
class OptionsStore;

class BookLoader : public QObject
{
    Q_OBJECT
  public:
    BookLoader(core::ReaderState &state, LoadingPanel &panel, OptionsStore &options,
               QWidget *window);

    // Opens the book with the loader its name asks for. trimParagraphs: the settings
    // panel's trimming box is on.
    void open(const QString &path, bool trimParagraphs);
    // Opens the book on show again in the encoding chosen ("" to find it by itself) and
    // remembers the choice for that book in options.ini.
    void reopenInEncoding(const QString &encodingName);
    // Ends a running load at once with the whole book (on the way out).
    void finishNow();
    // Reads the rest of a plain-text book at once, for what needs the whole book (the
    // last spread, go-to page, chapters, search, scroll mode, a save). True when there
    // was a rest to read: its lines are still to be cut.
    bool completeBook();
    void cancel();

  signals:
    // The book on show is read in this encoding ("GB18030", "Big5", "UTF-8", "UTF-16",
    // or "" when it was found by itself).
    void encodingChanged(const QString &encodingName);
    // A parse in slices begins: the loading panel is open in the menu.
    void loadStarted();
    // The state holds a new text (a whole book, or the first part of one).
    void textReplaced();
    // The whole of the plain-text book whose first part is on show replaced that part:
    // its first lines are the lines on show, and an offset into the part (text version
    // `partVersion`) is the same character of the whole.
    void textCompleted(quint64 partVersion);
    void recentChanged();
    void loadEnded();

  private:
    void openPlain(const QString &path, bool trimParagraphs, core::BookEncodingName encoding);
    void openHtml(const QString &path, core::BookEncodingName encoding);
    void showWholePlain(core::BookTexts texts);
    void completePlain();
    void warnOfReplacements(int64_t count);
    void showHtmlBook(bool whole);
    void end();

    core::ReaderState &m_state;
    LoadingPanel &m_panel;
    OptionsStore &m_options;
    QWidget *m_window;
    HtmlLoadJob *m_htmlJob = nullptr;
    PlainLoadJob *m_plainJob = nullptr;
    QString m_htmlPath;
    std::vector<core::Bookmark> m_htmlBookmarks;
    bool m_trim = false;
    // The message that the first part of a large HTML book is on show (its id).
    int m_firstPartMessage = 0;
};

} // namespace tibbo::window
