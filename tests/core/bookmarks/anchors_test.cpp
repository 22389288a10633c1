// Bookmarks on a real novel through a series of capacity changes: each stays on the
// line that holds the first character of the line it marked when it was added.
#include "bookmarks/anchors.h"
#include "bookmarks/bookmarkstore.h"
#include "navigation/readingplace.h"
#include "pages/pages.h"
#include "referencebook.h"
#include "state/readerstate.h"
#include "text/plaintext.h"
#include "text/reflow.h"

#include <gtest/gtest.h>

using namespace tibbo::core::test;

using namespace tibbo::core;

namespace {

// The book re-flowed for charsPerLine, as the window does it.
void reflow(ReaderState &s, int64_t charsPerLine)
{
    s.charsPerLine = charsPerLine;
    applyReflow(s, cutLines(s.paragraphText, charsPerLine));
}

// Chooses label `label` on the spread of `line` and adds a bookmark there.
void addAt(ReaderState &s, int64_t line, int64_t label)
{
    const int64_t spread = 2 * s.linesPerPage;
    s.topLine = spread * ((line - 1) / spread) + 1;
    s.selectedLine = label;
    s.lineChosen = true;
    addBookmark(s);
}

// The offset of the first character of a line of the current list.
int64_t lineStart(const ReaderState &s, int64_t line)
{
    return s.lineEnds[static_cast<size_t>(line - 1)];
}

} // namespace

TEST(AnchorsOnNovel, capacityChanges_keepEveryBookmarkOnItsText)
{
    const auto text = readBook(std::string(TIBBO_CORPUS_DIR) + "/hongloumeng.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    ReaderState s;
    setParagraphText(s, buildPlainBook(*text, false).paragraphText);
    s.linesPerPage = 12;
    reflow(s, 20);
    for (int64_t line : {5, 1000, 23456, 40000})
        addAt(s, line, 3);
    ASSERT_EQ(s.bookmarks.size(), 4u);
    std::vector<int64_t> firstNumbers, anchors;
    for (const Bookmark &b : s.bookmarks) {
        firstNumbers.push_back(b.line);
        anchors.push_back(lineStart(s, b.line));
    }

    for (int64_t width : {30, 17, 20}) {
        reflow(s, width);
        for (size_t i = 0; i < s.bookmarks.size(); ++i) {
            const int64_t line = s.bookmarks[i].line;
            EXPECT_LE(lineStart(s, line), anchors[i]) << "width " << width;
            EXPECT_LT(anchors[i], s.lineEnds[static_cast<size_t>(line)]) << "width " << width;
        }
    }
    // Back at the first capacity the numbers are the first ones again: no drift.
    for (size_t i = 0; i < s.bookmarks.size(); ++i)
        EXPECT_EQ(s.bookmarks[i].line, firstNumbers[i]);
}

TEST(AnchorsOnNovel, addedAfterReflowStaysAndDeletedStaysDeleted)
{
    const auto text = readBook(std::string(TIBBO_CORPUS_DIR) + "/xiyouji.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    ReaderState s;
    setParagraphText(s, buildPlainBook(*text, false).paragraphText);
    s.linesPerPage = 10;
    reflow(s, 20);
    addAt(s, 300, 0);
    addAt(s, 900, 0);
    // Deleted before the next re-flow.
    s.topLine = 881;
    s.selectedLine = 19;
    ASSERT_TRUE(deleteBookmark(s));
    reflow(s, 28);
    // Added after it.
    addAt(s, 5000, 7);
    const int64_t added = s.bookmarks.back().line;
    const int64_t addedAnchor = lineStart(s, added);
    reflow(s, 20);
    reflow(s, 28);
    ASSERT_EQ(s.bookmarks.size(), 2u);
    EXPECT_EQ(s.bookmarks[0].line, lineHolding(s.lineEnds, *s.bookmarks[0].anchor));
    EXPECT_EQ(s.bookmarks[1].line, added);
    EXPECT_EQ(lineStart(s, s.bookmarks[1].line), addedAnchor);
}

TEST(AnchorsOnNovel, marksOfAnotherTextAreNotCarriedByOffset)
{
    // A new text drops the anchors: numbers read from a mark file are taken as they
    // stand and anchored by the first re-flow of the new text.
    ReaderState s;
    setParagraphText(s, std::u32string(1000, U'a'));
    s.linesPerPage = 5;
    reflow(s, 10);
    s.bookmarks = {{50, std::nullopt}};
    anchorByNumber(s.bookmarks, s.lineEnds);
    setParagraphText(s, std::u32string(3000, U'b'));
    EXPECT_FALSE(s.bookmarks[0].anchor);
    reflow(s, 30);
    EXPECT_EQ(s.bookmarks[0].line, 50);
    EXPECT_EQ(s.bookmarks[0].anchor, 49 * 30);
}
