#pragma once
// The page font's measurements, as the core asks for them (core::TextMeasurer): the
// width of a run of "发", the line height, and each character's advance and ink in the
// page font and in its bold face (the headings'). A character is measured once for the
// font's life: a spread asks for a few thousand, nearly all of them seen before.

#include "text/linecapacity.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>

namespace tibbo::window {

class FontMeasurer : public core::TextMeasurer
{
  public:
    explicit FontMeasurer(const QFont &font);

    double widthOfRun(int64_t count) const override;
    // Whole pixels, as a line label is high: the rows of a page are placed with the same
    // pitch the line count was measured with.
    double lineHeight() const override;
    core::GlyphMetrics glyphMetrics(char32_t c, bool bold) const override;

    const QFont &font() const { return m_font; }
    // The page font's bold face, in which headings are set.
    const QFont &boldFont() const { return m_boldFont; }

  private:
    QFont m_font;
    QFont m_boldFont;
    QFontMetricsF m_metrics;
    QFontMetricsF m_boldMetrics;
    mutable double m_oneCharacter = -1;
    mutable QHash<char32_t, core::GlyphMetrics> m_glyphs;
    mutable QHash<char32_t, core::GlyphMetrics> m_boldGlyphs;
};

} // namespace tibbo::window
