#include "wrappedtext.h"

#include <QFontMetricsF>

#include <cmath>

namespace tibbo::window {

namespace {

constexpr size_t kCacheLimit = 1024; // wrapped lines kept; half are dropped beyond it

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

} // namespace

int64_t WrappedText::LineLayout::toOffset(int index) const
{
    if (utf16.empty())
        return index;
    const auto it = std::upper_bound(utf16.begin(), utf16.end(), index);
    return std::max<int64_t>(0, (it - utf16.begin()) - 1);
}

QTextLine WrappedText::LineLayout::rowAt(int index) const
{
    const QTextLine line = layout.lineForTextPosition(index);
    return line.isValid() ? line : layout.lineAt(rows() - 1);
}

// ---- text and lines -------------------------------------------------------------------

void WrappedText::setText(core::BookText text)
{
    m_text = std::move(text);
    m_lineStarts.assign(1, 0);
    m_text.visit([this](auto units) {
        core::PagesBehind behind(m_text);
        const size_t n = units.size();
        for (size_t i = 0; i + 1 < n; ++i) {
            if (units[i] == U'\r' && units[i + 1] == U'\n') {
                m_lineStarts.push_back(static_cast<int64_t>(i + 2));
                ++i;
                behind.passed(i);
            }
        }
    });
    rewrap();
}

int64_t WrappedText::lineOf(int64_t position) const
{
    const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), position);
    return std::max<int64_t>(0, (it - m_lineStarts.begin()) - 1);
}

int64_t WrappedText::lineLength(int64_t line) const
{
    const int64_t end = line + 1 < lineCount() ? lineStart(line + 1) - 2 : length();
    return end - lineStart(line);
}

// ---- font, width and the cache of wrappings -------------------------------------------

void WrappedText::setFont(const QFont &font)
{
    m_font = font;
    // CJK glyphs often come from a fallback face with a taller box than the chosen
    // font's own metrics, so the row is measured on a sample of both kinds.
    QTextLayout probe(QStringLiteral("发Ag"), font);
    probe.beginLayout();
    QTextLine line = probe.createLine();
    line.setLineWidth(1e6);
    probe.endLayout();
    const QFontMetricsF metrics(font);
    m_ascent = std::max(line.ascent(), metrics.ascent());
    const double descent = std::max(line.descent(), metrics.descent());
    m_rowHeight = std::max(
        1, static_cast<int>(std::ceil(m_ascent + descent + std::max(0.0, metrics.leading()))));
    m_lineEndWidth = std::max(3.0, metrics.horizontalAdvance(QLatin1Char(' ')));
}

void WrappedText::rewrap()
{
    m_layouts.clear();
    m_lastTopRows = -1;
}

const WrappedText::LineLayout &WrappedText::layoutOf(int64_t line) const
{
    std::unique_ptr<LineLayout> &slot = m_layouts[line];
    if (!slot) {
        slot = std::make_unique<LineLayout>();
        const int64_t start = lineStart(line);
        const int64_t length = lineLength(line);
        const std::u32string chars =
            m_text.substr(static_cast<size_t>(start), static_cast<size_t>(length));
        const bool hasPairs = std::any_of(chars.begin(), chars.end(), isPair);
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
        layout.setFont(m_font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        // Keeps the shaped glyphs, so repainting a long line does not shape it again.
        layout.setCacheEnabled(true);
        const double width = m_wrapWidth;
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

void WrappedText::trimCache()
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

// ---- rows -----------------------------------------------------------------------------

WrappedText::RowRef WrappedText::rowOf(int64_t position) const
{
    position = std::clamp<int64_t>(position, 0, length());
    const int64_t line = lineOf(position);
    const LineLayout &layout = layoutOf(line);
    const int64_t offset = std::min(position - lineStart(line), lineLength(line));
    return {line, layout.rowAt(layout.toUtf16(offset)).lineNumber()};
}

int64_t WrappedText::positionOf(RowRef ref) const
{
    const LineLayout &layout = layoutOf(ref.line);
    const QTextLine row = layout.layout.lineAt(std::min(ref.row, layout.rows() - 1));
    const int index = row.isValid() ? row.textStart() : 0;
    return lineStart(ref.line) + layout.toOffset(index);
}

WrappedText::RowRef WrappedText::advance(RowRef from, int64_t n, int64_t *moved) const
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

int64_t WrappedText::rowsBetween(RowRef a, RowRef b, int64_t limit) const
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

WrappedText::RowRef WrappedText::lastTop(int viewRows) const
{
    if (m_lastTopRows != viewRows) {
        const int64_t last = lineCount() - 1;
        m_lastTop = advance({last, rowsOf(last) - 1}, -(viewRows - 1));
        m_lastTopRows = viewRows;
    }
    return m_lastTop;
}

WrappedText::RowRef WrappedText::clampTop(RowRef top, int viewRows) const
{
    const RowRef last = lastTop(viewRows);
    return last < top ? last : top;
}

} // namespace tibbo::window
