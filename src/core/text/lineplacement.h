#pragma once
// Where each character of a display line is drawn: the one place that turns a line's text
// and the page's typesetting into x positions. The book view paints from it, and whatever
// needs to know where a character stands on the page (a click on it, a tint behind it, the
// sentence read aloud) asks the same places.
//
// Without fine typesetting the characters stand one after the other at their advances,
// from the line's start, as the page has always set them. With it (精排):
// - 标点挤压: where two marks meet, a full-width mark whose blank half faces the other loses
//   that half: a closing mark before any mark (。」 ，“ 」，), an opening mark after an
//   opening mark (「『). Which half is blank is read from the glyph's ink, so a face that
//   centres its marks keeps them whole.
// - 两端对齐: a full line (not the last of its paragraph, not a heading) fills the measure
//   exactly: the room left is shared evenly between the gaps of its characters, so its
//   first character starts at 0 and its last ends at the measure. A line that would be
//   spread by more than half a character a gap (Latin letters, which the line capacity
//   counts as wide as "发") keeps its natural spacing.
// - a line still too long (closing marks the cut let hang past the full line) first drops
//   the blank half of its last mark. Then its closing marks at the end hang past the
//   measure when the room beside the line (the right page's outer margin; never the fold
//   or the edge strip) takes them, the rest of the line filling the measure; otherwise
//   the whole line is squeezed evenly into the measure, by at most a quarter character a
//   gap (only a page with room for a handful of characters may still run past it).
// - the last line of a paragraph and a heading stay flush left at their natural spacing.

#include "text/linecapacity.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tibbo::core {

struct LineSetting
{
    bool fine = false;
    // Set in the bold face; never spread.
    bool heading = false;
    // The last line of its paragraph (or before a line the rules begin): never spread.
    bool endsParagraph = true;
    // The width a full line fills, pixels: the page's text area.
    double measure = 0;
    // Room past the measure's end that hanging marks may take, pixels.
    double hangRoom = 0;
};

struct CharPlace
{
    // The character's box, pixels from the line's start: what a click on the character or
    // a tint behind it covers. The boxes tile the line: each reaches the next one's start,
    // so the room a spread line puts after a character belongs to that character.
    double x = 0;
    double width = 0;
    // The pen position the glyph is drawn from: x, or left of it for an opening mark whose
    // blank half was dropped.
    double glyphX = 0;
};

struct PlacedLine
{
    // One place for each character of the line, in order.
    std::vector<CharPlace> chars;
    // The right edge of the last box; 0 for an empty line.
    double width = 0;
};

PlacedLine placeLine(std::u32string_view line, const LineSetting &setting,
                     const TextMeasurer &measurer);

// Index of the character whose box holds x (pixels from the line's start); -1 before the
// first box or past the last.
int64_t characterAt(const PlacedLine &line, double x);

// One page's text area in the window: where its lines start, the measure, and the room
// beside the lines' ends that a hanging mark may take.
struct TextFrame
{
    double left = 0;
    double measure = 0;
    double hangRoom = 0;
};

enum class PageSide { Left, Right };

// For a window `windowWidth` pixels wide: the left page's lines start at leftMargin and end
// at the fold (W / 2 - rightMargin), so nothing hangs there; the right page's start at
// W / 2 - 5 + rightMargin and end in its outer margin (W - 5 - leftMargin), and may hang
// up to the edge strip `edgeStripWidth` wide at the window's right edge. The measure is
// W / 2 - leftMargin - rightMargin on both, never below 0.
TextFrame pageTextFrame(PageSide side, double windowWidth, double leftMargin, double rightMargin,
                        double edgeStripWidth);

// How far below its row's top a heading is drawn, pixels, so that it stands apart from
// the line above and close to the text it heads: half of what a row of `pitch` pixels
// leaves around a character `characterHeight` high; 0 when the row leaves nothing.
double headingDrop(double pitch, double characterHeight);

} // namespace tibbo::core
