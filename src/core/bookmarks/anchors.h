#pragma once
// Bookmarks stay on their text across a change of line capacity: each keeps the
// offset of the first character of the line it marks, and every re-flow gives it the
// line that now holds that character. Going back to an earlier capacity gives back
// the earlier numbers.

#include "state/readerstate.h"

#include <vector>

namespace tibbo::core {

// Moves anchored bookmarks to the lines of newEnds that hold their anchors; an
// unanchored bookmark whose number lies within newEnds keeps its number and is
// anchored there, one beyond it keeps its number without an anchor.
void reanchorBookmarks(std::vector<Bookmark> &bookmarks, const LineList &newEnds);

// Anchors bookmarks by number in a line list that belongs to the current text
// (a list read from settings.ini together with its text).
void anchorByNumber(std::vector<Bookmark> &bookmarks, const LineList &ends);

} // namespace tibbo::core
