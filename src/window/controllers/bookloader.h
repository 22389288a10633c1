#pragma once
// Opening books. A plain-text book is read, decoded and split into paragraphs at once;
// an HTML book is parsed in slices, its first part shown while the rest is parsed. One
// load at a time. A book that cannot be read leaves the book on show as it was.

#include "state/readerstate.h"

#include <QObject>
#include <QString>

#include <vector>

class QWidget;

namespace tibbo::window {

class HtmlLoadJob;
class LoadingPanel;

class BookLoader : public QObject
{
    Q_OBJECT
  public:
    BookLoader(core::ReaderState &state, LoadingPanel &panel, QWidget *window);

    // Opens the book with the loader its name asks for. trimParagraphs: the settings
    // panel's trimming box is on.
    void open(const QString &path, bool trimParagraphs);
    // Ends a running parse at once with the whole book (on the way out).
    void finishNow();
    void cancel();

  signals:
    // A parse in slices begins: the loading panel is open in the menu.
    void loadStarted();
    // The state holds a new text (a whole book, or the first part of one).
    void textReplaced();
    void recentChanged();
    void loadEnded();

  private:
    void openPlain(const QString &path, bool trimParagraphs);
    void openHtml(const QString &path);
    void showHtmlBook(bool whole);
    void end();

    core::ReaderState &m_state;
    LoadingPanel &m_panel;
    QWidget *m_window;
    HtmlLoadJob *m_htmlJob = nullptr;
    QString m_htmlPath;
    std::vector<core::Bookmark> m_htmlBookmarks;
};

} // namespace tibbo::window
