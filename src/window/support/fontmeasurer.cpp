#include "fontmeasurer.h"

#include <cmath>

namespace tibbo::window {

namespace {

QFont boldOf(QFont font)
{
    font.setBold(true);
    return font;
}

} // namespace

FontMeasurer::FontMeasurer(const QFont &font)
    : m_font(font), m_boldFont(boldOf(font)), m_metrics(m_font), m_boldMetrics(m_boldFont)
{
}

double FontMeasurer::widthOfRun(int64_t count) const
{
    if (count <= 0)
        return 0;
    if (count == 1) {
        if (m_oneCharacter < 0)
            m_oneCharacter = m_metrics.horizontalAdvance(QChar(0x53D1));
        return m_oneCharacter;
    }
    return m_metrics.horizontalAdvance(QString(static_cast<qsizetype>(count), QChar(0x53D1)));
}

double FontMeasurer::lineHeight() const
{
    return std::ceil(m_metrics.height());
}

core::GlyphMetrics FontMeasurer::glyphMetrics(char32_t c, bool bold) const
{
    auto &cache = bold ? m_boldGlyphs : m_glyphs;
    if (const auto it = cache.constFind(c); it != cache.constEnd())
        return *it;
    const QFontMetricsF &metrics = bold ? m_boldMetrics : m_metrics;
    const QString text = QString::fromUcs4(&c, 1);
    const QRectF ink = metrics.boundingRect(text);
    const core::GlyphMetrics measured{metrics.horizontalAdvance(text), ink.left(), ink.right()};
    cache.insert(c, measured);
    return measured;
}

} // namespace tibbo::window
