#pragma once
// Opening books. A plain-text book is read, decoded and split into paragraphs at once;
// an HTML book is parsed in slices, its first part shown while the rest is parsed. One
// load at a time. A book that cannot be read leaves the book on show as it was.

#include "state/readerstate.h"
#include "text/codepage.h"

#include <QObject>
#include <QString>

#include <vector>

class QWidget;

namespace tibbo::window {

class HtmlLoadJob;
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
    // Ends a running parse at once with the whole book (on the way out).
    void finishNow();
    void cancel();

  signals:
    // The book on show is read in this encoding ("GB18030", "Big5", "UTF-8", "UTF-16",
    // or "" when it was found by itself).
    void encodingChanged(const QString &encodingName);
    // A parse in slices begins: the loading panel is open in the menu.
    void loadStarted();
    // The state holds a new text (a whole book, or the first part of one).
    void textReplaced();
    void recentChanged();
    void loadEnded();

  private:
    void openPlain(const QString &path, bool trimParagraphs, core::BookEncodingName encoding);
    void openHtml(const QString &path, core::BookEncodingName encoding);
    void showHtmlBook(bool whole);
    void end();

    core::ReaderState &m_state;
    LoadingPanel &m_panel;
    OptionsStore &m_options;
    QWidget *m_window;
    HtmlLoadJob *m_htmlJob = nullptr;
    QString m_htmlPath;
    std::vector<core::Bookmark> m_htmlBookmarks;
    bool m_trim = false;
    // The message that the first part of a large HTML book is on show (its id).
    int m_firstPartMessage = 0;
};

} // namespace tibbo::window
