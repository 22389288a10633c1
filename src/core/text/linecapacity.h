#pragma once
// How many characters fit on a display line and how many lines on a page. Every
// character is counted as wide as "发", whatever it is; a CJK page font draws hardly any
// character wider (Latin letters and digits are narrower), so full lines end inside the
// page's text area.

#include <cstdint>

namespace tibbo::core {

struct ReaderState;

// How wide one character is drawn and where its ink lies, pixels from its pen position:
// a full-width "，" in a Simplified Chinese face advances a whole character and inks only
// its left half; "“" inks the right half.
struct GlyphMetrics
{
    double advance = 0;
    double inkLeft = 0;
    double inkRight = 0;
};

// What only the window knows: the page font's measurements, in pixels.
class TextMeasurer
{
  public:
    virtual ~TextMeasurer() = default;
    // Width of a run of `count` copies of "发" in the page font (0 for count 0);
    // grows with count.
    virtual double widthOfRun(int64_t count) const = 0;
    // Height of one line of the page font.
    virtual double lineHeight() const = 0;
    // One character of the page font, or of its bold face (the headings'). Unless told
    // otherwise every character is as wide as "发" and inked across its width, as the
    // line capacity counts it.
    virtual GlyphMetrics glyphMetrics(char32_t c, bool bold) const
    {
        (void)c;
        (void)bold;
        const double width = widthOfRun(1);
        return {width, 0, width};
    }
};

struct Capacity
{
    int64_t charsPerLine = 0;
    int64_t linesPerPage = 1;
};

// For a window of W x H pixels: charsPerLine is the largest count of "发" whose width
// stays within the page's text area A = W / 2 - left - right (0 when A <= 0, 1 when A
// is narrower than one character); linesPerPage is Int((H - top - bottom) / (line
// height + spacing)), never below 1.
Capacity measureCapacity(const TextMeasurer &measurer, double width, double height,
                         double leftMargin, double rightMargin, double topMargin,
                         double bottomMargin, double lineSpacing);

// Stores the previous charsPerLine and the new capacity in the state.
void updateCapacity(ReaderState &state, const TextMeasurer &measurer, double width, double height);

} // namespace tibbo::core
