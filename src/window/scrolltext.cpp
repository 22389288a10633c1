#include "scrolltext.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace tibbo::window {

namespace {

constexpr int kMargin = 4;           // blank left and right of the text, pixels
constexpr size_t kCacheLimit = 1024; // wrapped lines kept; half are dropped beyond it
constexpr int kRowsPerWheelNotch = 3;

bool isPair(char32_t c)
{
    return c >= 0x10000 && c <= 0x10FFFF;
}

// How a code point is shown: controls and separators that would break or vanish show
// as a blank, values that are no character as U+FFFD. Either way it stays one
// character wide, so positions keep their meaning.
char16_t shownUnit(char32_t c)
{
    if ((c < 0x20 && c != U'\t') || c == 0x2028 || c == 0x2029)
        return u' ';
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return 0xFFFD;
    return static_cast<char16_t>(c);
}

int toInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

} // namespace

struct ScrollText::LineLayout
{
    QTextLayout layout;
    // UTF-16 index of each code point of the line, and one past the end; empty when the
    // line has no surrogate pairs, so that the two counts agree.
    std::vector<int> utf16;
    uint64_t lastUse = 0;

    int toUtf16(int64_t offset) const
    {
        return utf16.empty() ? static_cast<int>(offset) : utf16[static_cast<size_t>(offset)];
    }
    int64_t toOffset(int index) const
    {
        if (utf16.empty())
            return index;
        const auto it = std::upper_bound(utf16.begin(), utf16.end(), index);
        return std::max<int64_t>(0, (it - utf16.begin()) - 1);
    }
    int rows() const { return std::max(1, layout.lineCount()); }
    // The wrapped row that holds the UTF-16 index (the last row for the line's end).
    QTextLine rowAt(int index) const
    {
        const QTextLine line = layout.lineForTextPosition(index);
        return line.isValid() ? line : layout.lineAt(rows() - 1);
    }
};

ScrollText::ScrollText(QWidget *parent) : QAbstractScrollArea(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &ScrollText::onScrollAction);
    measureFont();
    syncScrollBar();
}

ScrollText::~ScrollText() = default;

// ---- text and positions ---------------------------------------------------------------

void ScrollText::setBookText(const std::u32string &text)
{
    m_text = text;
    m_lineStarts.assign(1, 0);
    const size_t n = m_text.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        if (m_text[i] == U'\r' && m_text[i + 1] == U'\n') {
            m_lineStarts.push_back(static_cast<int64_t>(i + 2));
            ++i;
        }
    }
    m_layouts.clear();
    m_lastTopKnown = false;
    m_top = {};
    m_selStart = 0;
    m_selLength = 0;
    syncScrollBar();
    viewport()->update();
}

int64_t ScrollText::textLength() const
{
    return static_cast<int64_t>(m_text.size());
}

int64_t ScrollText::lineOf(int64_t position) const
{
    const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), position);
    return std::max<int64_t>(0, (it - m_lineStarts.begin()) - 1);
}

int64_t ScrollText::lineLength(int64_t line) const
{
    const int64_t end =
        line + 1 < lineCount() ? m_lineStarts[static_cast<size_t>(line + 1)] - 2 : textLength();
    return end - m_lineStarts[static_cast<size_t>(line)];
}

ScrollText::LineLayout &ScrollText::layoutOf(int64_t line) const
{
    std::unique_ptr<LineLayout> &slot = m_layouts[line];
    if (!slot) {
        slot = std::make_unique<LineLayout>();
        const int64_t start = m_lineStarts[static_cast<size_t>(line)];
        const int64_t length = lineLength(line);
        const char32_t *chars = m_text.data() + start;
        const bool hasPairs = std::any_of(chars, chars + length, isPair);
        QString shown;
        shown.reserve(static_cast<qsizetype>(length) * (hasPairs ? 2 : 1));
        if (hasPairs)
            slot->utf16.reserve(static_cast<size_t>(length) + 1);
        for (int64_t i = 0; i < length; ++i) {
            const char32_t c = chars[i];
            if (hasPairs)
                slot->utf16.push_back(static_cast<int>(shown.size()));
            if (isPair(c)) {
                shown.append(QChar(QChar::highSurrogate(c)));
                shown.append(QChar(QChar::lowSurrogate(c)));
            } else {
                shown.append(QChar(shownUnit(c)));
            }
        }
        if (hasPairs)
            slot->utf16.push_back(static_cast<int>(shown.size()));

        QTextLayout &layout = slot->layout;
        layout.setText(shown);
        layout.setFont(font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        // Keeps the shaped glyphs, so repainting a long line does not shape it again.
        layout.setCacheEnabled(true);
        const double width = wrapWidth();
        layout.beginLayout();
        for (int row = 0;; ++row) {
            QTextLine textLine = layout.createLine();
            if (!textLine.isValid())
                break;
            textLine.setLineWidth(width);
            // Every row is m_rowHeight high and all rows share one baseline offset, so
            // a row of Latin text lines up with a row of CJK text from a fallback face.
            textLine.setPosition(QPointF(0, row * m_rowHeight + (m_ascent - textLine.ascent())));
        }
        layout.endLayout();
    }
    slot->lastUse = ++m_useCounter;
    return *slot;
}

int ScrollText::rowsOf(int64_t line) const
{
    return layoutOf(line).rows();
}

ScrollText::RowRef ScrollText::rowOf(int64_t position) const
{
    position = std::clamp<int64_t>(position, 0, textLength());
    const int64_t line = lineOf(position);
    const LineLayout &layout = layoutOf(line);
    const int64_t offset =
        std::min(position - m_lineStarts[static_cast<size_t>(line)], lineLength(line));
    return {line, layout.rowAt(layout.toUtf16(offset)).lineNumber()};
}

int64_t ScrollText::positionOf(RowRef ref) const
{
    const LineLayout &layout = layoutOf(ref.line);
    const QTextLine row = layout.layout.lineAt(std::min(ref.row, layout.rows() - 1));
    const int index = row.isValid() ? row.textStart() : 0;
    return m_lineStarts[static_cast<size_t>(ref.line)] + layout.toOffset(index);
}

ScrollText::RowRef ScrollText::advance(RowRef from, int64_t n, int64_t *moved) const
{
    RowRef r = from;
    int64_t left = std::abs(n);
    if (n > 0) {
        while (left > 0) {
            const int rows = rowsOf(r.line);
            const int64_t inLine = rows - 1 - r.row;
            if (left <= inLine) {
                r.row += static_cast<int>(left);
                left = 0;
            } else if (r.line + 1 >= lineCount()) {
                left -= inLine;
                r.row = rows - 1;
                break;
            } else {
                left -= inLine + 1;
                ++r.line;
                r.row = 0;
            }
        }
    } else {
        while (left > 0) {
            if (left <= r.row) {
                r.row -= static_cast<int>(left);
                left = 0;
            } else if (r.line == 0) {
                left -= r.row;
                r.row = 0;
                break;
            } else {
                left -= r.row + 1;
                --r.line;
                r.row = rowsOf(r.line) - 1;
            }
        }
    }
    if (moved)
        *moved = std::abs(n) - left;
    return r;
}

int64_t ScrollText::rowsBetween(RowRef a, RowRef b, int64_t limit) const
{
    if (b < a)
        return 0;
    if (a.line == b.line)
        return std::min<int64_t>(b.row - a.row, limit);
    int64_t count = rowsOf(a.line) - a.row;
    for (int64_t line = a.line + 1; line < b.line && count < limit; ++line)
        count += rowsOf(line);
    return std::min(count + b.row, limit);
}

int ScrollText::visibleRows() const
{
    return std::max(1, viewport()->height() / m_rowHeight);
}

int ScrollText::wrapWidth() const
{
    // Room is left at the right for the box of a selected line end.
    return std::max(static_cast<int>(4 * m_breakWidth),
                    viewport()->width() - 2 * kMargin - static_cast<int>(std::ceil(m_breakWidth)));
}

// ---- the view's place -----------------------------------------------------------------

ScrollText::RowRef ScrollText::lastTop() const
{
    if (!m_lastTopKnown) {
        const int64_t last = lineCount() - 1;
        m_lastTop = advance({last, rowsOf(last) - 1}, -(visibleRows() - 1));
        m_lastTopKnown = true;
    }
    return m_lastTop;
}

ScrollText::RowRef ScrollText::clampTop(RowRef top) const
{
    const RowRef last = lastTop();
    return last < top ? last : top;
}

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
    const RowRef target = rowOf(position);
    if (target < m_top) {
        scrollToRow(target);
        return;
    }
    const int rows = visibleRows();
    const int64_t below = rowsBetween(m_top, target, int64_t{rows} + 1);
    if (below < rows)
        return;
    if (below == rows)
        scrollToRow(advance(target, -(rows - 1)));
    else
        scrollToRow(target);
}

// The scroll bar runs over character positions: its value is the position of the top
// row's first character, its page step the characters on show.
void ScrollText::syncScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    m_syncing = true;
    const int64_t top = positionOf(m_top);
    const int64_t onShow = positionOf(advance(m_top, visibleRows())) - top;
    bar->setRange(0, toInt(positionOf(lastTop())));
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
        target = advance(m_top, 1);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        target = advance(m_top, -1);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        target = advance(m_top, std::max(1, visibleRows() - 1));
        break;
    case QAbstractSlider::SliderPageStepSub:
        target = advance(m_top, -std::max(1, visibleRows() - 1));
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
    verticalScrollBar()->setSliderPosition(toInt(positionOf(clampTop(target))));
}

void ScrollText::scrollContentsBy(int, int)
{
    if (m_syncing)
        return;
    const RowRef top = clampTop(rowOf(verticalScrollBar()->value()));
    if (top == m_top)
        return;
    m_top = top;
    viewport()->update();
}

void ScrollText::setSelection(int64_t start, int64_t length)
{
    trimCache();
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
    const RowRef ref = rowOf(position);
    if (ref < m_top)
        return {};
    const int64_t rowsDown = rowsBetween(m_top, ref, int64_t{visibleRows()} + 1);
    const int64_t y = rowsDown * m_rowHeight;
    if (y >= viewport()->height())
        return {};
    const LineLayout &layout = layoutOf(ref.line);
    const QTextLine row = layout.layout.lineAt(ref.row);
    const int64_t offset = position - m_lineStarts[static_cast<size_t>(ref.line)];
    const int64_t length = lineLength(ref.line);
    double x0 = 0;
    double x1 = 0;
    if (offset >= length) {
        x0 = row.cursorToX(layout.toUtf16(length));
        x1 = x0 + m_breakWidth;
    } else {
        const int rowEnd = row.textStart() + row.textLength();
        x0 = row.cursorToX(layout.toUtf16(offset));
        x1 = row.cursorToX(std::min(layout.toUtf16(offset + 1), rowEnd));
        if (std::abs(x1 - x0) < 1)
            x1 = x0 + m_breakWidth;
    }
    const QRectF box(kMargin + std::min(x0, x1), static_cast<double>(y), std::abs(x1 - x0),
                     m_rowHeight);
    return box.toAlignedRect();
}

int64_t ScrollText::positionAt(QPoint viewportPoint) const
{
    const int64_t rowsDown = std::max(0, viewportPoint.y()) / m_rowHeight;
    int64_t moved = 0;
    const RowRef ref = advance(m_top, rowsDown, &moved);
    if (moved < rowsDown)
        return textLength(); // below the last row
    const LineLayout &layout = layoutOf(ref.line);
    const QTextLine row = layout.layout.lineAt(ref.row);
    if (!row.isValid())
        return m_lineStarts[static_cast<size_t>(ref.line)];
    const int index = row.xToCursor(viewportPoint.x() - kMargin);
    return m_lineStarts[static_cast<size_t>(ref.line)] + layout.toOffset(index);
}

// ---- events --------------------------------------------------------------------------

void ScrollText::paintEvent(QPaintEvent *event)
{
    trimCache();
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
    const int64_t caretLine = m_selLength == 0 && hasFocus() ? lineOf(m_selStart) : -1;
    double y0 = -static_cast<double>(m_top.row) * m_rowHeight; // top of the line's first row
    for (int64_t line = m_top.line; line < lineCount() && y0 < height; ++line) {
        const LineLayout &layout = layoutOf(line);
        const double bottom = y0 + layout.rows() * m_rowHeight;
        if (bottom <= clip.top() || y0 > clip.bottom()) {
            y0 = bottom;
            continue;
        }
        const int64_t start = m_lineStarts[static_cast<size_t>(line)];
        const int64_t length = lineLength(line);
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
        const bool breakSelected = m_selLength > 0 && line + 1 < lineCount() &&
                                   m_selStart < breakPos + 2 && selEnd > breakPos;
        if (breakSelected) {
            const QTextLine last = layout.layout.lineAt(layout.rows() - 1);
            const double x = kMargin + last.cursorToX(layout.toUtf16(length));
            painter.fillRect(
                QRectF(x, y0 + (layout.rows() - 1) * m_rowHeight, m_breakWidth, m_rowHeight),
                highlight);
        }
        if (line == caretLine) {
            const int64_t offset = std::min(m_selStart - start, length);
            const QTextLine row = layout.rowAt(layout.toUtf16(offset));
            const double x = kMargin + row.cursorToX(layout.toUtf16(offset));
            const double y = y0 + row.lineNumber() * m_rowHeight;
            painter.fillRect(QRectF(x, y, 1, m_rowHeight), pal.color(QPalette::Text));
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
        measureFont();
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
        scrollToRow(advance(m_top, -int64_t{notches} * kRowsPerWheelNotch));
    event->accept();
}

// The keys move the view only; the caret and the scroll position stay. Other keys go on
// to the window, which ignores page keys while scroll mode is up.
void ScrollText::keyPressEvent(QKeyEvent *event)
{
    const int page = std::max(1, visibleRows() - 1);
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        scrollToRow(advance(m_top, -1));
        break;
    case Qt::Key_Down:
        scrollToRow(advance(m_top, 1));
        break;
    case Qt::Key_PageUp:
        scrollToRow(advance(m_top, -page));
        break;
    case Qt::Key_PageDown:
        scrollToRow(advance(m_top, page));
        break;
    case Qt::Key_Home:
        if (!ctrl) {
            event->ignore();
            return;
        }
        scrollToRow({});
        break;
    case Qt::Key_End:
        if (!ctrl) {
            event->ignore();
            return;
        }
        scrollToRow(lastTop());
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

// ---- font and width --------------------------------------------------------------------

void ScrollText::measureFont()
{
    // CJK glyphs often come from a fallback face with a taller box than the chosen
    // font's own metrics, so the row is measured on a sample of both kinds.
    QTextLayout probe(QStringLiteral("发Ag"), font());
    probe.beginLayout();
    QTextLine line = probe.createLine();
    line.setLineWidth(1e6);
    probe.endLayout();
    const QFontMetricsF metrics(font());
    m_ascent = std::max(line.ascent(), metrics.ascent());
    const double descent = std::max(line.descent(), metrics.descent());
    m_rowHeight = std::max(
        1, static_cast<int>(std::ceil(m_ascent + descent + std::max(0.0, metrics.leading()))));
    m_breakWidth = std::max(3.0, metrics.horizontalAdvance(QLatin1Char(' ')));
}

// After a change of width or font the rows are wrapped again; the view keeps the
// character at its top, and a selection that was on show stays on show.
void ScrollText::relayout()
{
    const int64_t top = m_layouts.count(m_top.line) ? positionOf(m_top)
                                                    : m_lineStarts[static_cast<size_t>(m_top.line)];
    const bool selectionShown = !m_layouts.empty() && !characterRect(m_selStart).isEmpty();
    m_layouts.clear();
    m_lastTopKnown = false;
    m_top = clampTop(rowOf(top));
    if (selectionShown)
        ensureVisible(m_selStart);
    syncScrollBar();
    viewport()->update();
}

void ScrollText::trimCache()
{
    if (m_layouts.size() <= kCacheLimit)
        return;
    std::vector<uint64_t> uses;
    uses.reserve(m_layouts.size());
    for (const auto &[line, layout] : m_layouts)
        uses.push_back(layout->lastUse);
    auto middle = uses.begin() + static_cast<std::ptrdiff_t>(uses.size() / 2);
    std::nth_element(uses.begin(), middle, uses.end());
    const uint64_t cut = *middle;
    for (auto it = m_layouts.begin(); it != m_layouts.end();) {
        if (it->second->lastUse < cut)
            it = m_layouts.erase(it);
        else
            ++it;
    }
}

} // namespace tibbo::window
