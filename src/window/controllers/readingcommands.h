#pragma once
// The reader's commands on the book on show: turning by the pages, the edge strips and
// the keys, choosing a line, the go-to-page and interval prompt, and the bookmarks. Each
// asks the core for the arithmetic and has the book view show the result. A new reading
// command goes here: a slot, a row in the key table (keymap.cpp) bound to it in
// ReaderWindow::connectKeys, and an item in the menus.

#include "navigation/pagemoves.h"
#include "state/readerstate.h"

#include <QObject>

class QWidget;

namespace tibbo::window {

class BookView;
class PromptPanel;
class ReaderMenus;

class ReadingCommands : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        PromptPanel &prompt;
        ReaderMenus &menus;
    };
    ReadingCommands(Parts parts, QWidget *window);

    void refreshBookmarkMenu();

  public slots:
    // One spread forward / back, as the page keys turn; nothing at either end.
    void turnForward();
    void turnBack();
    void run(core::PageCommand command);
    void askForPage();
    void askForInterval();
    // OK on the prompt (or Enter in it).
    void confirmPrompt();
    // Shows the spread at the state's topLine.
    void showSpread();
    void addBookmark();
    void jumpToBookmark(int index);

  signals:
    void menuRequested();
    void menuCloseRequested();
    // A jump (a page or share typed in, a bookmark, the edge strips, the first or the last
    // spread) moved the reader from the spread whose first character is `from`. Turning a
    // spread is not one.
    void jumped(qint64 from);

  private:
    // Runs a move that is a jump, and tells where it came from when it moved.
    template <typename Move> bool jump(Move move);
    void onPagePressed(bool rightPage, Qt::MouseButton button);
    void onLinePressed(int index, Qt::MouseButton button);
    void deleteShownBookmark();
    void writeMarks();

    core::ReaderState &m_state;
    BookView &m_bookView;
    PromptPanel &m_prompt;
    ReaderMenus &m_menus;
    QWidget *m_window;
};

} // namespace tibbo::window
