#include "bookmarks/anchors.h"

#include "bookmarks/bookmarkstore.h"
#include "pages/pages.h"

namespace tibbo::core {

void anchorByNumber(std::vector<Bookmark> &bookmarks, const LineList &ends)
{
    for (Bookmark &b : bookmarks)
        if (!b.anchor)
            b.anchor = anchorOfLine(b.line, ends);
}

void reanchorBookmarks(std::vector<Bookmark> &bookmarks, const LineList &newEnds)
{
    for (Bookmark &b : bookmarks)
        if (b.anchor)
            b.line = lineHolding(newEnds, *b.anchor);
    anchorByNumber(bookmarks, newEnds);
}

} // namespace tibbo::core
