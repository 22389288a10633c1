#pragma once
// Page moves as plain functions of the reader state: clicks on the page backgrounds, the
// reading commands the keys and the wheel ask for, and the edge strips. The window calls
// these and redraws the spread when told to. Every move keeps topLine at 1 or at the
// start of a spread (pages/pages.h), and no forward move passes the last spread that
// holds text.

#include "state/readerstate.h"

#include <string_view>

namespace tibbo::core {

// ---- Page-background clicks ----------------------------------------------------------

// Left click on the left page: back one spread unless topLine < 2. True when topLine
// changed (the window then redraws).
bool pageBack(ReaderState &state);

// Left click on the right page: forward one spread unless the last spread that holds
// text is on show (or passed). True when topLine changed.
bool pageForwardByClick(ReaderState &state);

// ---- Reading commands ------------------------------------------------------------

// The page moves a key, the wheel or a menu asks for; the window's key table says which
// key asks for which.
enum class PageCommand { NextSpread, PreviousSpread, FirstSpread, LastSpread };

// FirstSpread and LastSpread always set topLine and want a redraw; NextSpread and
// PreviousSpread only when they moved. NextSpread stops at the last spread that holds
// text, as a click does. True when the window should redraw.
bool runPageCommand(ReaderState &state, PageCommand command);

// ---- Edge strips ---------------------------------------------------------------------

enum class EdgeStrip { Left, Right };
enum class EdgeAction { FirstSpread, BackTen, BackFour, ForwardFour, ForwardTen, LastSpread };

// r is the pointer's offset from the strip's left edge divided by the strip's width
// (0 .. 1). Left strip: r < 0.25 first spread, 0.25 <= r <= 0.5 back ten pages,
// beyond back four. Right strip: r < 0.5 forward four, 0.5 <= r <= 0.75 forward ten,
// beyond the last spread.
EdgeAction edgeActionAt(EdgeStrip strip, double r);

// The strip's tooltip for a pointer at r, e.g. "前翻十页".
std::string_view edgeTooltipAt(EdgeStrip strip, double r);

// A press on a strip at r (any button). The left strip clamps only at topLine 1 and the
// right strip only at the last spread that holds text; the window always redraws
// afterwards.
void pressEdgeStrip(ReaderState &state, EdgeStrip strip, double r);

} // namespace tibbo::core
