#include "bookmarks/anchors.h"

#include "text/reflow.h"

namespace tibbo::core {

void anchorByNumber(std::vector<Bookmark> &bookmarks, const std::vector<int64_t> &ends)
{
    const auto lines = static_cast<int64_t>(ends.size()) - 1;
    for (Bookmark &b : bookmarks)
        if (!b.anchor && b.line >= 1 && b.line <= lines)
            b.anchor = ends[static_cast<size_t>(b.line - 1)];
}

void reanchorBookmarks(std::vector<Bookmark> &bookmarks, const std::vector<int64_t> &newEnds)
{
    for (Bookmark &b : bookmarks)
        if (b.anchor)
            b.line = lineHolding(newEnds, *b.anchor);
    anchorByNumber(bookmarks, newEnds);
}

} // namespace tibbo::core
