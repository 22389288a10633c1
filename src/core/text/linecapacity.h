#pragma once
// How many characters fit on a display line and how many lines on a page. Every
// character is counted as wide as "发", whatever it is; a CJK page font draws hardly any
// character wider (Latin letters and digits are narrower), so full lines end inside the
// page's text area.

#include <cstdint>

namespace tibbo::core {

struct ReaderState;

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
