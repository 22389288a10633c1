#pragma once
// Selecting text on the pages: Ctrl + drag from the character under the press to the
// character under the pointer, over display lines and the fold, and onto the next or
// previous spread while the pointer stays at a side of the window; Ctrl + double-click
// selects the word; Shift + Ctrl + click extends the selection. The selection is a range
// of characters of the book (core offsets), drawn as a band behind them; a re-flow, a
// font change or fine typesetting keep it on the same characters. Esc, a page turn or
// another book clear it. Its menu offers copy, look-up, search and reading aloud from
// its start, and keeping the selection as a highlight (划线), with a note (笔记). A Ctrl
// click inside a highlight selects the whole highlight, and its menu offers 删除.

#include "state/readerstate.h"
#include "text/selectiontext.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

class QTimer;

namespace tibbo::window {

class BookView;
class ReadingCommands;
class ReflowJob;
class SelectionMenu;

class TextSelection : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        const core::ReaderState &state;
        BookView &bookView;
        SelectionMenu &menu;
        ReadingCommands &commands;
        ReflowJob &reflowJob;
    };
    TextSelection(Parts parts, QObject *parent);

    // The characters selected; nothing when there is no selection.
    std::optional<core::TextSpan> span() const;
    // The selection as the clipboard gets it: paragraph ends as line breaks.
    QString text() const;

    // How long the pointer stays at a side of the window before the next spread turns
    // during a drag (and between further turns).
    static constexpr int kEdgeTurnMs = 600;

    // Where the highlights are: the highlight holding all of the given characters, if one
    // does (the innermost).
    using HighlightFinder = std::function<std::optional<core::TextSpan>(core::TextSpan)>;
    void setHighlightFinder(HighlightFinder finder) { m_findHighlight = std::move(finder); }

  public slots:
    // Selects `span` and opens the menu beside it.
    void select(core::TextSpan span);
    // True when there was a selection to clear.
    bool clear();
    // Puts the selection on the clipboard and the X primary selection.
    void copy();
    // The whole book replaced its first part (text version `partVersion`), of which it is
    // a longer copy: a selection made in the part holds the same characters and is kept.
    void onTextCompleted(quint64 partVersion);

  signals:
    void lookUpRequested(const QString &selection);
    void searchRequested(const QString &words);
    // Reading aloud from the sentence holding character `offset`.
    void readAloudRequested(int64_t offset);
    // The menu of the bubble closes when a selection starts.
    void menuCloseRequested();
    // The selection is to be a highlight in colour 0 .. 3 (or the highlight it is to take
    // that colour), to get a note, or (being a highlight) to be deleted.
    void highlightRequested(tibbo::core::TextSpan span, int colour);
    void noteRequested(tibbo::core::TextSpan span);
    void deleteHighlightRequested(tibbo::core::TextSpan span);

  private:
    void onPressed(QPoint at, bool extend);
    void onMoved(QPoint at);
    void onReleased(QPoint at);
    void onWordPressed(QPoint at);
    void onSpreadShown();
    void turnAtEdge();
    // The focus follows the pointer: its character, or the spread's first or last
    // character at a side of the window (where the edge timer turns).
    void follow(QPoint at);
    void draw();
    void openMenu();

    const core::ReaderState &m_state;
    BookView &m_bookView;
    SelectionMenu &m_menu;
    ReadingCommands &m_commands;
    QTimer *m_edgeTimer = nullptr;
    HighlightFinder m_findHighlight;

    // The characters where the selection began and where it ends now (both selected);
    // -1 without a selection.
    int64_t m_anchor = -1;
    int64_t m_focus = -1;
    // The text the offsets belong to.
    uint64_t m_textVersion = 0;
    bool m_dragging = false;
    QPoint m_pointer;
    // The next spread shown comes from a re-flow (which keeps the selection), or from a
    // turn of the drag itself; any other is a turn, which clears it.
    bool m_reflowed = false;
    bool m_turningByDrag = false;
};

} // namespace tibbo::window
