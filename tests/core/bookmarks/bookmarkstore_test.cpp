#include "bookmarks/bookmarkstore.h"
#include "corefixtures.h"
#include "pages/pages.h"
#include "text/fileio.h"
#include "text/reflow.h"
#include "text/spread.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

// A book of 200 lines of 10 characters whose line list belongs to its text.
ReaderState book(int64_t topLine, std::vector<int64_t> marks = {})
{
    ReaderState state;
    setParagraphText(state, std::u32string(2000, U'字'));
    state.lineEnds.clear();
    for (int64_t k = 0; k <= 200; ++k)
        state.lineEnds.push_back(10 * k);
    state.lineEndsVersion = state.textVersion;
    state.linesPerPage = 10;
    state.topLine = topLine;
    for (const auto line : marks)
        state.bookmarks.push_back({line, std::nullopt});
    return state;
}

ReaderState chooseAndAdd(ReaderState state, int64_t label, AddBookmarkOutcome expected)
{
    state.selectedLine = label;
    state.lineChosen = true;
    EXPECT_EQ(addBookmark(state), expected);
    return state;
}

class TempDir
{
  public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "marks-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    const std::string &path() const { return m_path; }

  private:
    std::string m_path;
};

TEST(AddBookmark, onAnEmptySpread_appendsTheChosenLine)
{
    const ReaderState state = chooseAndAdd(book(21, {5}), 5, AddBookmarkOutcome::Appended);
    EXPECT_EQ(linesOf(state.bookmarks), (std::vector<int64_t>{5, 26}));
    EXPECT_EQ(bookmarkMenuCaptions(state), (std::vector<std::string>{"第 1页", "第 3页"}));
}

TEST(AddBookmark, onASpreadWithABookmark_replacesItInPlace)
{
    ReaderState state = chooseAndAdd(book(21, {5, 26, 70}), 15, AddBookmarkOutcome::Replaced);
    EXPECT_EQ(linesOf(state.bookmarks), (std::vector<int64_t>{5, 36, 70}));
    EXPECT_EQ(bookmarkMenuCaptions(state)[1], "第 4页");
}

TEST(AddBookmark, twoOnOneSpread_replacesOnlyTheFirst)
{
    // Two on one spread come only from an edited file or a layout change.
    const ReaderState state = chooseAndAdd(book(21, {22, 25}), 9, AddBookmarkOutcome::Replaced);
    EXPECT_EQ(linesOf(state.bookmarks), (std::vector<int64_t>{30, 25}));
}

TEST(AddBookmark, withoutAChosenLine_changesNothing)
{
    ReaderState state = book(21, {5});
    state.selectedLine = 3;
    state.lineChosen = false;
    EXPECT_EQ(addBookmark(state), AddBookmarkOutcome::NoLineChosen);
    EXPECT_EQ(linesOf(state.bookmarks), (std::vector<int64_t>{5}));
}

TEST(AddBookmark, anchor_isTheFirstCharacterOfTheLineWhileTheListFitsTheText)
{
    const ReaderState fitting = chooseAndAdd(book(21), 5, AddBookmarkOutcome::Appended);
    EXPECT_EQ(fitting.bookmarks[0].anchor, std::optional<int64_t>(250));

    ReaderState stale = book(21);
    setParagraphText(stale, U"another text");
    stale = chooseAndAdd(stale, 5, AddBookmarkOutcome::Appended);
    EXPECT_EQ(stale.bookmarks[0].anchor, std::nullopt);

    // Line 201 lies past the 200 lines of the list (a spread of empty rows).
    const ReaderState beyond = chooseAndAdd(book(201), 0, AddBookmarkOutcome::Appended);
    EXPECT_EQ(beyond.bookmarks[0].line, 201);
    EXPECT_EQ(beyond.bookmarks[0].anchor, std::nullopt);
}

TEST(DeleteBookmark, spreadOnShow_losesItsFirstBookmark)
{
    struct Row
    {
        const char *name;
        std::vector<int64_t> before;
        int64_t selectedLine;
        bool removed;
        std::vector<int64_t> after;
    };
    const Row rows[] = {
        {"one on the spread", {5, 26, 70}, 0, true, {5, 70}},
        {"chosen line on the right page", {5, 26, 70}, 17, true, {5, 70}},
        {"two on the spread: only the first goes", {22, 25}, 0, true, {25}},
        {"none on the spread", {5, 70}, 0, false, {5, 70}},
        {"empty list", {}, 0, false, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ReaderState state = book(21, row.before);
        state.selectedLine = row.selectedLine;
        EXPECT_EQ(deleteBookmark(state), row.removed);
        EXPECT_EQ(linesOf(state.bookmarks), row.after);
    }
}

TEST(BookmarkMenu, captions_followListOrderNotPageOrder)
{
    const ReaderState state = book(1, {26, 5, 120});
    EXPECT_EQ(bookmarkMenuCaptions(state),
              (std::vector<std::string>{"第 3页", "第 1页", "第 12页"}));
}

TEST(BookmarkMenu, jump_showsTheSpreadOfTheBookmarksPage)
{
    struct Row
    {
        int64_t line;
        int64_t topLine;
    };
    // The first and last lines of pages: the menu names them "第 1页" .. "第 12页".
    const Row rows[] = {{1, 1}, {11, 1}, {20, 1}, {21, 21}, {31, 21}, {40, 21}, {111, 101}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line);
        ReaderState state = book(61, {row.line});
        EXPECT_TRUE(jumpToBookmark(state, 0));
        EXPECT_EQ(state.topLine, row.topLine);
    }
}

// The menu's items stand for the bookmarks by their place in the list; an item the list
// no longer has moves nothing.
TEST(BookmarkMenu, jumpToNoBookmark_leavesThePage)
{
    for (const int64_t index : {-1, 1, 7}) {
        SCOPED_TRACE(index);
        ReaderState state = book(61, {5});
        EXPECT_FALSE(jumpToBookmark(state, index));
        EXPECT_EQ(state.topLine, 61);
    }
}

TEST(BookmarkMenu, jump_returnsToTheBookmarksSpread)
{
    ReaderState state = chooseAndAdd(book(21), 5, AddBookmarkOutcome::Appended);
    state.topLine = 141;
    jumpToBookmark(state, 0);
    EXPECT_EQ(state.topLine, 21);
    EXPECT_EQ(bookmarkLabelsOnShow(state), (std::vector<int64_t>{5}));
}

TEST(BookmarkMenu, jumpPastTheEnd_showsTheLastSpreadThatHoldsText)
{
    struct Row
    {
        const char *name;
        int64_t lines;
        std::string markFile;
        int64_t topLine;
    };
    // Mark files edited by hand or kept from a longer layout of the book.
    const Row rows[] = {
        {"far past the end of 301 lines", 301, "99999\r\n", 301},
        {"one line past the end of 301 lines", 301, "302\r\n", 301},
        {"past the end of 40 lines, a multiple of 2L", 40, "55\r\n", 21},
        {"on the last line", 40, "40\r\n", 21},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ReaderState state;
        setParagraphText(state, std::u32string(static_cast<size_t>(10 * row.lines), U'字'));
        state.lineEnds = cutLines(state.paragraphText, 10);
        state.lineEndsVersion = state.textVersion;
        state.linesPerPage = 10;
        state.topLine = 1;
        state.bookmarks = parseMarkFile(row.markFile);
        jumpToBookmark(state, 0);
        EXPECT_EQ(state.topLine, row.topLine);
        EXPECT_FALSE(buildSpread(state).rows[0].empty());
    }
}

TEST(BookmarkIcon, labelsOnShow_areThoseOfTheSpreadInListOrder)
{
    EXPECT_EQ(bookmarkLabelsOnShow(book(21, {36, 5, 26, 41})), (std::vector<int64_t>{15, 5}));
    EXPECT_TRUE(bookmarkLabelsOnShow(book(61, {36, 5})).empty());
}

TEST(MarkFile, bytes_roundTripExactly)
{
    const std::string bytes = "3\r\n15\r\n7\r\n";
    const auto marks = parseMarkFile(bytes);
    EXPECT_EQ(linesOf(marks), (std::vector<int64_t>{3, 15, 7}));
    for (const auto &mark : marks)
        EXPECT_EQ(mark.anchor, std::nullopt);
    EXPECT_EQ(markFileBytes(marks), bytes);
}

TEST(MarkFile, linesThatAreNotWholeNumbersFromOne_areSkipped)
{
    struct Row
    {
        const char *name;
        std::string bytes;
        std::vector<int64_t> lines;
    };
    const Row rows[] = {
        {"empty line", "3\r\n\r\n7\r\n", {3, 7}},
        {"words", "abc\r\n4\r\n", {4}},
        {"fraction", "2.5\r\n4\r\n", {4}},
        {"zero and negative", "0\r\n-4\r\n4\r\n", {4}},
        {"number then text", "4x\r\n5\r\n", {5}},
        {"blanks around a number", " 12 \r\n", {12}},
        {"beyond any book", "1099511627777\r\n1099511627776\r\n", {1099511627776}},
        {"lone CR ends a line", "5\r6\r\n", {5, 6}},
        {"lone LF is data", "5\n6\r\n7\r\n", {7}},
        {"no final line end", "8\r\n9", {8, 9}},
        {"empty file", "", {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(linesOf(parseMarkFile(row.bytes)), row.lines);
    }
}

TEST(MarkFile, path_usesTheBookFileNameInTheAppFolder)
{
    EXPECT_EQ(markFilePath("/data/TibboRead", "D:\\novels\\book.txt"),
              "/data/TibboRead/book.txt.mark");
    EXPECT_EQ(markFilePath("/data/TibboRead", "/home/u/other/book.txt"),
              "/data/TibboRead/book.txt.mark");
    EXPECT_EQ(markFilePath("/data/TibboRead", "plain"), "/data/TibboRead/plain.mark");
}

TEST(MarkFile, writeThenRead_givesTheBytesAndTheList)
{
    TempDir dir;
    const std::vector<Bookmark> marks{{3, 20}, {15, std::nullopt}, {7, 60}};
    ASSERT_TRUE(writeMarks(dir.path(), "/books/book.txt", marks));
    EXPECT_EQ(readFile(dir.path() + "/book.txt.mark"),
              std::optional<std::string>("3\r\n15\r\n7\r\n"));
    EXPECT_EQ(linesOf(readMarks(dir.path(), "/books/book.txt")), (std::vector<int64_t>{3, 15, 7}));
}

TEST(MarkFile, sameFileNameInTwoFolders_sharesOneMarkFile)
{
    TempDir dir;
    ASSERT_TRUE(writeMarks(dir.path(), "/first/book.txt", {{42, std::nullopt}}));
    EXPECT_EQ(linesOf(readMarks(dir.path(), "D:\\second\\book.txt")), (std::vector<int64_t>{42}));
}

TEST(MarkFile, missingFile_readsAsNoBookmarks)
{
    TempDir dir;
    EXPECT_TRUE(readMarks(dir.path(), "/books/unknown.txt").empty());
}

TEST(MarkFile, deleteThenWrite_leavesTheDeletedBookmarkOut)
{
    TempDir dir;
    ReaderState state = book(21, {5, 26, 70});
    state.bookPath = "/books/book.txt";
    ASSERT_TRUE(deleteBookmark(state));
    ASSERT_TRUE(writeMarks(dir.path(), state.bookPath, state.bookmarks));
    EXPECT_EQ(linesOf(readMarks(dir.path(), state.bookPath)), (std::vector<int64_t>{5, 70}));
}

TEST(MarkFile, unwritableFolder_reportsFailure)
{
    EXPECT_FALSE(writeMarks("/nonexistent-folder-for-marks", "/b/book.txt", {{1, std::nullopt}}));
}

} // namespace
} // namespace tibbo::core
