#pragma once
// The text of the scroll-mode area as wrapped rows: the book text as code points, the
// index of its lines, and the wrapping of the lines that have been asked for.
//
// Built for whole books: the text is indexed by line once, and a line is wrapped (one
// QTextLayout) only when a row of it is asked for; the wrappings are kept in a cache
// that trimCache() keeps small, so the cost of a step does not grow with the book.
//
// Positions count code points of the text as given, CR and LF included, so a position
// here is a position in the book text. Lines end at CR LF; a lone CR or LF is data and
// shows as a blank. There is always at least one line (the text after the last CR LF,
// empty or not), and every line has at least one row. Rows are rowHeight() pixels high.
//
// Font and wrap width are given by the view. A change of either applies to the lines
// wrapped after it; the wrappings already made stay as they are until rewrap(), so that
// the view can still find its old place in them.

#include "state/booktext.h"

#include <QFont>
#include <QTextLayout>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace tibbo::window {

class WrappedText
{
  public:
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

    // The wrapping of one text line. Its rows are the QTextLines of layout, each placed
    // rowHeight() below the one before, all on one baseline offset. Indexes into layout
    // count UTF-16 units; offsets count code points from the line's first character.
    struct LineLayout
    {
        QTextLayout layout;
        // UTF-16 index of each code point of the line, and one past the end; empty when the
        // line has no surrogate pairs, so that the two counts agree.
        std::vector<int> utf16;
        uint64_t lastUse = 0; // when the cache last handed it out; the oldest go first

        int toUtf16(int64_t offset) const
        {
            return utf16.empty() ? static_cast<int>(offset) : utf16[static_cast<size_t>(offset)];
        }
        // The code point that holds the UTF-16 index (the first of a pair for its low half).
        int64_t toOffset(int index) const;
        int rows() const { return std::max(1, layout.lineCount()); }
        // The wrapped row that holds the UTF-16 index (the last row for the line's end).
        QTextLine rowAt(int index) const;
    };

    // Replaces the text and drops every wrapping.
    void setText(core::BookText text);
    int64_t length() const { return static_cast<int64_t>(m_text.size()); }

    int64_t lineCount() const { return static_cast<int64_t>(m_lineStarts.size()); }
    int64_t lineStart(int64_t line) const { return m_lineStarts[static_cast<size_t>(line)]; }
    // The line that holds position; a position on a CR LF belongs to the line it ends.
    int64_t lineOf(int64_t position) const;
    // Characters of a line without its CR LF.
    int64_t lineLength(int64_t line) const;

    // Takes the font the lines are drawn in and measures the row on it.
    void setFont(const QFont &font);
    // Pixels a row may take before the line wraps (the text's own width, no margins).
    void setWrapWidth(int width) { m_wrapWidth = width; }
    int rowHeight() const { return m_rowHeight; }
    // Width of the box that shows a selected line end: a blank of the font, at least 3.
    double lineEndWidth() const { return m_lineEndWidth; }
    // Drops every wrapping, so that lines are wrapped again at the present font and width.
    void rewrap();

    // The wrapping of a line, made on first use and kept while the cache has room. The
    // reference holds until the next trimCache(), rewrap() or setText().
    const LineLayout &layoutOf(int64_t line) const;
    // Whether the line has a wrapping in the cache (after a change of font or width, one
    // made before it).
    bool isWrapped(int64_t line) const { return m_layouts.count(line) != 0; }
    bool anyWrapped() const { return !m_layouts.empty(); }
    // Keeps the cache in bounds: beyond its limit the less recently used half is dropped.
    // Call it where no reference from layoutOf() is held.
    void trimCache();

    int rowsOf(int64_t line) const { return layoutOf(line).rows(); }
    // The row that holds position, clamped to the text (the last row of its line for a
    // position on the line's CR LF).
    RowRef rowOf(int64_t position) const;
    // Position of the row's first character (a row past its line's last means the last).
    int64_t positionOf(RowRef ref) const;
    // Moves n rows down (up when negative), stopping at the first and the last row;
    // moved (when given) receives the rows actually moved.
    RowRef advance(RowRef from, int64_t n, int64_t *moved = nullptr) const;
    // Rows from a down to b (b at or after a), counted up to limit.
    int64_t rowsBetween(RowRef a, RowRef b, int64_t limit) const;
    // The top row of a view of viewRows rows that puts the last row at its bottom: the
    // view goes no further. The first row when the whole text fits.
    RowRef lastTop(int viewRows) const;
    // top, or lastTop(viewRows) when top is below it.
    RowRef clampTop(RowRef top, int viewRows) const;

  private:
    core::BookText m_text;
    std::vector<int64_t> m_lineStarts{0}; // first position of every line
    QFont m_font;
    int m_wrapWidth = 1;
    int m_rowHeight = 16;
    double m_ascent = 12; // of every row: the baseline's distance from the row's top
    double m_lineEndWidth = 6;
    mutable uint64_t m_useCounter = 0;
    mutable std::unordered_map<int64_t, std::unique_ptr<LineLayout>> m_layouts;
    // lastTop() for m_lastTopRows, kept until the text or its wrapping changes.
    mutable RowRef m_lastTop;
    mutable int m_lastTopRows = -1;
};

} // namespace tibbo::window
