#pragma once
// The scroll-mode text area. Read-only; it shows a copy of the book text and a
// one-character selection that scroll mode moves through it, keeping it in view.
//
// Built for whole books: a 20 MB novel is about ten million characters in 70,000
// lines, some of them over 10,000 characters long. The text, its line index and the
// wrapping of the lines on show are a WrappedText; opening costs a copy and one scan,
// and a step costs a lookup and the repaint of two characters.
//
// Positions are those of WrappedText: code points of the text as given, CR and LF
// included, so a position here is a position in the book text. The view's place is
// its top row (text line, wrapped row within it); the vertical scroll bar runs over
// character positions, so its thumb shows how far into the book the top row is however
// long the lines are.

#include "wrappedtext.h"

#include <QAbstractScrollArea>

#include <cstdint>
#include <string>

namespace tibbo::window {

class ScrollText : public QAbstractScrollArea
{
    Q_OBJECT
  public:
    explicit ScrollText(QWidget *parent = nullptr);
    ~ScrollText() override;

    // Replaces the text; the view goes to the top and the caret to position 0.
    void setBookText(core::BookText text);
    int64_t textLength() const;
    // Caret (characters before it) and selection length, clamped to the text; the area
    // scrolls to show the selection's first character.
    void setSelection(int64_t start, int64_t length);
    int64_t selectionStart() const { return m_selStart; }
    int64_t selectionLength() const { return m_selLength; }

    // The caret position a click at this viewport point gives: the nearest character
    // boundary in the row under it, the end of the text below the last row.
    int64_t positionAt(QPoint viewportPoint) const;
    // Where the character at position is drawn, in viewport coordinates; an empty
    // rectangle when it is not on show. A line end is drawn as a narrow box.
    QRect characterRect(int64_t position) const;
    // Position of the first character of the top row on show.
    int64_t topPosition() const { return m_wrapped.positionOf(m_top); }
    // Rows that fit the viewport whole (at least 1).
    int visibleRows() const;
    // Moves of the view only: the caret and the scroll position stay. A page is the rows
    // on show less one, so one row stays in sight.
    void scrollRows(int64_t rows);
    void scrollPages(int pages);
    void scrollToStart();
    void scrollToEnd();

  signals:
    // The user clicked into the text (the caret moved there).
    void clicked();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    using RowRef = WrappedText::RowRef;

    // The last top row for this view, and top clamped to it (see WrappedText).
    RowRef lastTop() const { return m_wrapped.lastTop(visibleRows()); }
    RowRef clampTop(RowRef top) const { return m_wrapped.clampTop(top, visibleRows()); }
    void scrollToRow(RowRef top);
    void ensureVisible(int64_t position);
    void syncScrollBar();
    void relayout();
    // Pixels of the viewport a row may fill: its width less the margins and the box of a
    // selected line end.
    int wrapWidth() const;
    void onScrollAction(int action);

    WrappedText m_wrapped;
    int64_t m_selStart = 0;
    int64_t m_selLength = 0;
    RowRef m_top;
    bool m_syncing = false; // the scroll bar is being set from the view, not the user
    bool m_leftPressed = false;
    int m_wheelRemainder = 0;
};

} // namespace tibbo::window
