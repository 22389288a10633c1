#pragma once
// The reader's place across a re-flow: a new line list is installed so that the reader
// goes on reading where they were, and the bookmarks stay on their text.

#include "state/readerstate.h"

namespace tibbo::core {

// Installs a new line list cut from the current paragraph text and keeps the reader's
// place: the first character of line topLine + selectedLine is carried to the new layout
// and topLine becomes the first line of the spread that holds it. That character is
// remembered (state.readingPlace) and used again by every following re-flow until the
// reader moves, so round trips through other sizes do not creep backwards. When the old
// list does not belong to this text the line number is kept as it is. The place never
// lies past the last spread that holds text. Bookmarks move with their anchors.
void applyReflow(ReaderState &state, LineList newEnds);
// applyReflow with the state's own line list, when lineListMatchesCapacity holds: the
// list stays where it is, the reader and the bookmarks are placed as a re-flow would.
void keepLineList(ReaderState &state);

} // namespace tibbo::core
