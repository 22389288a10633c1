#include "scrolltext.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace tibbo::window {

namespace {

constexpr int kMargin = 4; // blank left and right of the text, pixels
constexpr int kRowsPerWheelNotch = 3;

int toInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

} // namespace

ScrollText::ScrollText(QWidget *parent) : QAbstractScrollArea(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &ScrollText::onScrollAction);
    m_wrapped.setFont(font());
    m_wrapped.setWrapWidth(wrapWidth());
    syncScrollBar();
}

ScrollText::~ScrollText() = default;

// ---- text and positions ---------------------------------------------------------------

void ScrollText::setBookText(core::BookText text)
{
    m_wrapped.setText(std::move(text));
    m_top = {};
    m_selStart = 0;
    m_selLength = 0;
    syncScrollBar();
    viewport()->update();
}

int64_t ScrollText::textLength() const
{
    return m_wrapped.length();
}

int ScrollText::visibleRows() const
{
    return std::max(1, viewport()->height() / m_wrapped.rowHeight());
}

int ScrollText::wrapWidth() const
{
    // Room is left at the right for the box of a selected line end.
    return std::max(static_cast<int>(4 * m_wrapped.lineEndWidth()),
                    viewport()->width() - 2 * kMargin -
                        static_cast<int>(std::ceil(m_wrapped.lineEndWidth())));
}

// ---- the view's place -----------------------------------------------------------------

void ScrollText::scrollToRow(RowRef top)
{
    top = clampTop(top);
    if (top == m_top)
        return;
    m_top = top;
    syncScrollBar();
    viewport()->update();
}

// A position in the row just below the view comes in at the bottom row, so a selection
// that moves on makes the text creep up a row at a time. Any other position out of view
// (a jump, the wrap to the start, the place scroll mode opens at) goes to the top row,
// with the text after it on show.
void ScrollText::ensureVisible(int64_t position)
{
    const RowRef target = m_wrapped.rowOf(position);
    if (target < m_top) {
        scrollToRow(target);
        return;
    }
    const int rows = visibleRows();
    const int64_t below = m_wrapped.rowsBetween(m_top, target, int64_t{rows} + 1);
    if (below < rows)
        return;
    if (below == rows)
        scrollToRow(m_wrapped.advance(target, -(rows - 1)));
    else
        scrollToRow(target);
}

// The scroll bar runs over character positions: its value is the position of the top
// row's first character, its page step the characters on show.
void ScrollText::syncScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    m_syncing = true;
    const int64_t top = m_wrapped.positionOf(m_top);
    const int64_t onShow = m_wrapped.positionOf(m_wrapped.advance(m_top, visibleRows())) - top;
    bar->setRange(0, toInt(m_wrapped.positionOf(lastTop())));
    bar->setPageStep(std::max(1, toInt(onShow)));
    bar->setSingleStep(std::max(1, toInt(onShow / visibleRows())));
    bar->setValue(toInt(top));
    m_syncing = false;
}

// Arrows and page clicks of the scroll bar move by whole rows; a drag of the thumb
// arrives as a new value and is taken by scrollContentsBy.
void ScrollText::onScrollAction(int action)
{
    RowRef target;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        target = m_wrapped.advance(m_top, 1);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        target = m_wrapped.advance(m_top, -1);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        target = m_wrapped.advance(m_top, std::max(1, visibleRows() - 1));
        break;
    case QAbstractSlider::SliderPageStepSub:
        target = m_wrapped.advance(m_top, -std::max(1, visibleRows() - 1));
        break;
    case QAbstractSlider::SliderToMinimum:
        target = {};
        break;
    case QAbstractSlider::SliderToMaximum:
        target = lastTop();
        break;
    default:
        return;
    }
    verticalScrollBar()->setSliderPosition(toInt(m_wrapped.positionOf(clampTop(target))));
}

void ScrollText::scrollContentsBy(int, int)
{
    if (m_syncing)
        return;
    const RowRef top = clampTop(m_wrapped.rowOf(verticalScrollBar()->value()));
    if (top == m_top)
        return;
    m_top = top;
    viewport()->update();
}

void ScrollText::setSelection(int64_t start, int64_t length)
{
    m_wrapped.trimCache();
    start = std::clamp<int64_t>(start, 0, textLength());
    length = std::clamp<int64_t>(length, 0, textLength() - start);
    const bool wide = length > 1 || m_selLength > 1;
    const QRect before = characterRect(m_selStart);
    m_selStart = start;
    m_selLength = length;
    const RowRef top = m_top;
    ensureVisible(start);
    if (m_top != top)
        return; // the whole view is repainted anyway
    if (wide) {
        viewport()->update();
        return;
    }
    // A step repaints only the two characters it touches.
    viewport()->update(before.adjusted(-1, -1, 1, 1));
    viewport()->update(characterRect(start).adjusted(-1, -1, 1, 1));
}

// ---- geometry ------------------------------------------------------------------------

QRect ScrollText::characterRect(int64_t position) const
{
    if (position < 0 || position > textLength())
        return {};
    const RowRef ref = m_wrapped.rowOf(position);
    if (ref < m_top)
        return {};
    const int64_t rowsDown = m_wrapped.rowsBetween(m_top, ref, int64_t{visibleRows()} + 1);
    const int rowHeight = m_wrapped.rowHeight();
    const int64_t y = rowsDown * rowHeight;
    if (y >= viewport()->height())
        return {};
    const WrappedText::LineLayout &layout = m_wrapped.layoutOf(ref.line);
    const QTextLine row = layout.layout.lineAt(ref.row);
    const int64_t offset = position - m_wrapped.lineStart(ref.line);
    const int64_t length = m_wrapped.lineLength(ref.line);
    const double lineEndWidth = m_wrapped.lineEndWidth();
    double x0 = 0;
    double x1 = 0;
    if (offset >= length) {
        x0 = row.cursorToX(layout.toUtf16(length));
        x1 = x0 + lineEndWidth;
    } else {
        const int rowEnd = row.textStart() + row.textLength();
        x0 = row.cursorToX(layout.toUtf16(offset));
        x1 = row.cursorToX(std::min(layout.toUtf16(offset + 1), rowEnd));
        if (std::abs(x1 - x0) < 1)
            x1 = x0 + lineEndWidth;
    }
    const QRectF box(kMargin + std::min(x0, x1), static_cast<double>(y), std::abs(x1 - x0),
                     rowHeight);
    return box.toAlignedRect();
}

int64_t ScrollText::positionAt(QPoint viewportPoint) const
{
    const int64_t rowsDown = std::max(0, viewportPoint.y()) / m_wrapped.rowHeight();
    int64_t moved = 0;
    const RowRef ref = m_wrapped.advance(m_top, rowsDown, &moved);
    if (moved < rowsDown)
        return textLength(); // below the last row
    const WrappedText::LineLayout &layout = m_wrapped.layoutOf(ref.line);
    const QTextLine row = layout.layout.lineAt(ref.row);
    if (!row.isValid())
        return m_wrapped.lineStart(ref.line);
    const int index = row.xToCursor(viewportPoint.x() - kMargin);
    return m_wrapped.lineStart(ref.line) + layout.toOffset(index);
}

// ---- events --------------------------------------------------------------------------

void ScrollText::paintEvent(QPaintEvent *event)
{
    m_wrapped.trimCache();
    QPainter painter(viewport());
    const QRect clip = event->rect();
    const int height = viewport()->height();
    const QPalette &pal = palette();
    // The moving selection is the point of the mode: it is drawn in the active colours
    // even while another control has the focus.
    const QColor highlight = pal.color(QPalette::Active, QPalette::Highlight);
    const QColor highlightText = pal.color(QPalette::Active, QPalette::HighlightedText);
    painter.setPen(pal.color(QPalette::Text));

    const int64_t selEnd = m_selStart + m_selLength;
    const int64_t caretLine = m_selLength == 0 && hasFocus() ? m_wrapped.lineOf(m_selStart) : -1;
    const int rowHeight = m_wrapped.rowHeight();
    double y0 = -static_cast<double>(m_top.row) * rowHeight; // top of the line's first row
    for (int64_t line = m_top.line; line < m_wrapped.lineCount() && y0 < height; ++line) {
        const WrappedText::LineLayout &layout = m_wrapped.layoutOf(line);
        const double bottom = y0 + layout.rows() * rowHeight;
        if (bottom <= clip.top() || y0 > clip.bottom()) {
            y0 = bottom;
            continue;
        }
        const int64_t start = m_wrapped.lineStart(line);
        const int64_t length = m_wrapped.lineLength(line);
        QList<QTextLayout::FormatRange> selections;
        const int64_t from = std::max(m_selStart, start);
        const int64_t to = std::min(selEnd, start + length);
        if (from < to) {
            QTextLayout::FormatRange range;
            range.start = layout.toUtf16(from - start);
            range.length = layout.toUtf16(to - start) - range.start;
            range.format.setBackground(highlight);
            range.format.setForeground(highlightText);
            selections.append(range);
        }
        layout.layout.draw(&painter, QPointF(kMargin, y0), selections, QRectF(clip));

        // A selected line end (its CR or LF) shows as a box after the last character.
        const int64_t breakPos = start + length;
        const bool breakSelected = m_selLength > 0 && line + 1 < m_wrapped.lineCount() &&
                                   m_selStart < breakPos + 2 && selEnd > breakPos;
        if (breakSelected) {
            const QTextLine last = layout.layout.lineAt(layout.rows() - 1);
            const double x = kMargin + last.cursorToX(layout.toUtf16(length));
            painter.fillRect(QRectF(x, y0 + (layout.rows() - 1) * rowHeight,
                                    m_wrapped.lineEndWidth(), rowHeight),
                             highlight);
        }
        if (line == caretLine) {
            const int64_t offset = std::min(m_selStart - start, length);
            const QTextLine row = layout.rowAt(layout.toUtf16(offset));
            const double x = kMargin + row.cursorToX(layout.toUtf16(offset));
            const double y = y0 + row.lineNumber() * rowHeight;
            painter.fillRect(QRectF(x, y, 1, rowHeight), pal.color(QPalette::Text));
        }
        y0 = bottom;
    }
}

void ScrollText::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void ScrollText::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_wrapped.setFont(font());
        relayout();
    }
}

void ScrollText::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ScrollText::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ScrollText::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_leftPressed = true;
    setSelection(positionAt(event->position().toPoint()), 0);
}

void ScrollText::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_leftPressed) {
        event->ignore();
        return;
    }
    m_leftPressed = false;
    emit clicked();
}

void ScrollText::wheelEvent(QWheelEvent *event)
{
    // Touchpads send small deltas; they add up to whole notches.
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    if (notches != 0)
        scrollToRow(m_wrapped.advance(m_top, -int64_t{notches} * kRowsPerWheelNotch));
    event->accept();
}

// The keys that move the view are the key table's (scroll mode's rows): every key goes
// on to the panel, which hands those to the moves below.
void ScrollText::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
}

void ScrollText::scrollRows(int64_t rows)
{
    scrollToRow(m_wrapped.advance(m_top, rows));
}

void ScrollText::scrollPages(int pages)
{
    scrollRows(int64_t{pages} * std::max(1, visibleRows() - 1));
}

void ScrollText::scrollToStart()
{
    scrollToRow({});
}

void ScrollText::scrollToEnd()
{
    scrollToRow(lastTop());
}

// ---- font and width --------------------------------------------------------------------

// After a change of width or font the rows are wrapped again; the view keeps the
// character at its top, and a selection that was on show stays on show.
void ScrollText::relayout()
{
    m_wrapped.setWrapWidth(wrapWidth());
    const int64_t top = m_wrapped.isWrapped(m_top.line) ? m_wrapped.positionOf(m_top)
                                                        : m_wrapped.lineStart(m_top.line);
    const bool selectionShown = m_wrapped.anyWrapped() && !characterRect(m_selStart).isEmpty();
    m_wrapped.rewrap();
    m_top = clampTop(m_wrapped.rowOf(top));
    if (selectionShown)
        ensureVisible(m_selStart);
    syncScrollBar();
    viewport()->update();
}

} // namespace tibbo::window
