#include "text/lineplacement.h"

#include "text/typesetting.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tibbo::core {

namespace {

// Shares of a character's width ("发" in the page font).
constexpr double kInkTolerance = 0.08; // ink may reach this far past the middle of a mark
constexpr double kFullWidth = 0.75;    // a mark narrower than this has no blank half
constexpr double kMostSpread = 0.5;    // the most a full line is spread, a gap
constexpr double kMostSqueeze = 0.25;  // the most a long line is squeezed, a gap
// Measures are sums of fractional advances: a line that fits by less than this fits.
constexpr double kSlack = 1e-6;

bool isMark(char32_t c)
{
    return isClosingMark(c) || isOpeningMark(c);
}

// The widths of a line's boxes before any spreading, and how far left of its box each
// glyph is drawn, after the marks have dropped their blank halves.
class MarkWidths
{
  public:
    MarkWidths(std::u32string_view line, std::vector<GlyphMetrics> glyphs, double em)
        : m_line(line), m_glyphs(std::move(glyphs)), m_tolerance(kInkTolerance * em),
          m_fullWidth(kFullWidth * em), m_widths(m_glyphs.size()), m_shifts(m_glyphs.size(), 0.0)
    {
        for (size_t i = 0; i < m_glyphs.size(); ++i)
            m_widths[i] = m_glyphs[i].advance;
    }

    // A closing mark inked in its left half only, or an opening mark in its right half.
    bool blankRight(size_t i) const
    {
        const GlyphMetrics &g = m_glyphs[i];
        return isClosingMark(m_line[i]) && g.advance >= m_fullWidth &&
               g.inkRight <= g.advance / 2 + m_tolerance;
    }
    bool blankLeft(size_t i) const
    {
        const GlyphMetrics &g = m_glyphs[i];
        return isOpeningMark(m_line[i]) && g.advance >= m_fullWidth &&
               g.inkLeft >= g.advance / 2 - m_tolerance;
    }
    bool halved(size_t i) const { return m_widths[i] < m_glyphs[i].advance; }
    void dropRightHalf(size_t i) { m_widths[i] = m_glyphs[i].advance / 2; }
    void dropLeftHalf(size_t i)
    {
        m_widths[i] = m_glyphs[i].advance / 2;
        m_shifts[i] = m_glyphs[i].advance / 2;
    }

    // 标点挤压 where two marks meet.
    void compressPairs()
    {
        const size_t n = m_widths.size();
        for (size_t i = 0; i + 1 < n; ++i)
            if (blankRight(i) && isMark(m_line[i + 1]))
                dropRightHalf(i);
        for (size_t i = 1; i < n; ++i)
            if (blankLeft(i) && isOpeningMark(m_line[i - 1]))
                dropLeftHalf(i);
    }

    double total() const { return std::accumulate(m_widths.begin(), m_widths.end(), 0.0); }
    double width(size_t i) const { return m_widths[i]; }
    double shift(size_t i) const { return m_shifts[i]; }

  private:
    std::u32string_view m_line;
    std::vector<GlyphMetrics> m_glyphs;
    double m_tolerance;
    double m_fullWidth;
    std::vector<double> m_widths;
    std::vector<double> m_shifts;
};

// How the line is spread: `gap` added after each of the first `spreadCount` characters
// but the last of them (negative when squeezed); the characters after them (a hanging
// tail) follow at their own widths.
struct Spreading
{
    double gap = 0;
    size_t spreadCount = 0;
};

Spreading spreadingOf(std::u32string_view line, const LineSetting &setting, MarkWidths &widths,
                      double em)
{
    const size_t n = line.size();
    const double measure = std::max(0.0, setting.measure);
    const bool full = !setting.endsParagraph && !setting.heading;
    const auto evenGap = [](double room, size_t count) {
        return count >= 2 ? room / static_cast<double>(count - 1) : 0.0;
    };
    double total = widths.total();
    if (total > measure + kSlack && widths.blankRight(n - 1) && !widths.halved(n - 1)) {
        widths.dropRightHalf(n - 1);
        total = widths.total();
    }
    if (total <= measure + kSlack) {
        const double gap = full ? evenGap(measure - total, n) : 0.0;
        return {gap <= kMostSpread * em ? gap : 0.0, n};
    }
    // Too long: the fewest closing marks at the end that leave the rest within the
    // measure hang, when the room beside the line takes them.
    double tailWidth = 0;
    for (size_t tail = 1; tail <= static_cast<size_t>(kMaxHangingMarks) && tail < n; ++tail) {
        if (!isClosingMark(line[n - tail]))
            break;
        tailWidth += widths.width(n - tail);
        const double body = total - tailWidth;
        if (body > measure + kSlack)
            continue;
        if (tailWidth > setting.hangRoom + kSlack)
            break;
        const double gap = full ? evenGap(measure - body, n - tail) : 0.0;
        return {gap <= kMostSpread * em ? gap : 0.0, n - tail};
    }
    return {std::max(evenGap(measure - total, n), -kMostSqueeze * em), n};
}

} // namespace

PlacedLine placeLine(std::u32string_view line, const LineSetting &setting,
                     const TextMeasurer &measurer)
{
    PlacedLine placed;
    const size_t n = line.size();
    if (n == 0)
        return placed;
    const bool bold = setting.fine && setting.heading;
    std::vector<GlyphMetrics> glyphs(n);
    for (size_t i = 0; i < n; ++i)
        glyphs[i] = measurer.glyphMetrics(line[i], bold);
    const double em = measurer.widthOfRun(1);
    MarkWidths widths(line, std::move(glyphs), em);
    Spreading spreading{0, n};
    if (setting.fine) {
        widths.compressPairs();
        spreading = spreadingOf(line, setting, widths, em);
    }
    placed.chars.resize(n);
    double x = 0;
    for (size_t i = 0; i < n; ++i) {
        const double gap = i + 1 < spreading.spreadCount ? spreading.gap : 0.0;
        const double width = widths.width(i) + gap;
        placed.chars[i] = {x, width, x - widths.shift(i)};
        x += width;
    }
    placed.width = x;
    return placed;
}

int64_t characterAt(const PlacedLine &line, double x)
{
    if (line.chars.empty() || x < 0 || x >= line.width)
        return -1;
    const auto after =
        std::upper_bound(line.chars.begin(), line.chars.end(), x,
                         [](double value, const CharPlace &c) { return value < c.x; });
    return static_cast<int64_t>(after - line.chars.begin()) - 1;
}

TextFrame pageTextFrame(PageSide side, double windowWidth, double leftMargin, double rightMargin,
                        double edgeStripWidth)
{
    const double measure = std::max(0.0, windowWidth / 2 - leftMargin - rightMargin);
    if (side == PageSide::Left)
        return {leftMargin, measure, 0};
    const double left = windowWidth / 2 - 5 + rightMargin;
    const double stripStart = windowWidth - edgeStripWidth;
    return {left, measure, std::max(0.0, stripStart - (left + measure))};
}

double headingDrop(double pitch, double characterHeight)
{
    return std::max(0.0, std::floor((pitch - characterHeight) / 2));
}

} // namespace tibbo::core
