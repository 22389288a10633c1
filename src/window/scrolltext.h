#pragma once
// Text2: the scroll-mode text area. Read-only; it shows a copy of the book text and a
// one-character selection that scroll mode moves through it, keeping it in view.
//
// Built for whole books: a 20 MB novel is about ten million characters in 70,000
// lines, some of them over 10,000 characters long. The text is kept as code points and
// indexed by line once; only the lines on show are wrapped (one QTextLayout each, kept
// in a small cache), so opening costs a copy and one scan, and a step costs a lookup
// and the repaint of two characters.
//
// Positions count code points of the text as given, CR and LF included, so a position
// here is a position in the book text. Lines end at CR LF; a lone CR or LF is data and
// shows as a blank. The view's place is (text line, wrapped row within it); the
// vertical scroll bar runs over character positions, so its thumb shows how far into
// the book the top row is however long the lines are.

#include <QAbstractScrollArea>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QTextLayout;

namespace tibbo::window {

class ScrollText : public QAbstractScrollArea
{
    Q_OBJECT
  public:
    explicit ScrollText(QWidget *parent = nullptr);
    ~ScrollText() override;

    // Replaces the text; the view goes to the top and the caret to position 0.
    void setBookText(const std::u32string &text);
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
    int64_t topPosition() const { return positionOf(m_top); }
    // Rows that fit the viewport whole (at least 1).
    int visibleRows() const;

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
    // A place in the wrapped text: a text line and a row of its wrapping.
    struct RowRef
    {
        int64_t line = 0;
        int row = 0;
        friend bool operator<(const RowRef &a, const RowRef &b)
        {
            return a.line < b.line || (a.line == b.line && a.row < b.row);
        }
        friend bool operator==(const RowRef &a, const RowRef &b) = default;
    };
    struct LineLayout;

    int64_t lineCount() const { return static_cast<int64_t>(m_lineStarts.size()); }
    int64_t lineOf(int64_t position) const;
    // Characters of a line without its CR LF.
    int64_t lineLength(int64_t line) const;
    // The wrapping of a line, made on first use and kept while the cache has room.
    LineLayout &layoutOf(int64_t line) const;
    int rowsOf(int64_t line) const;
    RowRef rowOf(int64_t position) const;
    int64_t positionOf(RowRef ref) const;
    // Moves n rows down (up when negative), stopping at the first and the last row;
    // moved (when given) receives the rows actually moved.
    RowRef advance(RowRef from, int64_t n, int64_t *moved = nullptr) const;
    // Rows from a down to b (b at or after a), counted up to limit.
    int64_t rowsBetween(RowRef a, RowRef b, int64_t limit) const;
    // The top row that puts the last row at the bottom of the view: the view goes no further.
    RowRef lastTop() const;
    RowRef clampTop(RowRef top) const;
    void scrollToRow(RowRef top);
    void ensureVisible(int64_t position);
    void syncScrollBar();
    void relayout();
    void trimCache();
    void measureFont();
    int wrapWidth() const;
    void onScrollAction(int action);

    std::u32string m_text;
    std::vector<int64_t> m_lineStarts{0}; // first position of every line
    int64_t m_selStart = 0;
    int64_t m_selLength = 0;
    RowRef m_top;
    mutable RowRef m_lastTop;
    mutable bool m_lastTopKnown = false;
    bool m_syncing = false; // the scroll bar is being set from the view, not the user
    bool m_leftPressed = false;
    int m_wheelRemainder = 0;
    int m_rowHeight = 16;
    double m_ascent = 12;
    double m_breakWidth = 6; // width of the box that shows a selected line end
    mutable uint64_t m_useCounter = 0;
    mutable std::unordered_map<int64_t, std::unique_ptr<LineLayout>> m_layouts;
};

} // namespace tibbo::window
