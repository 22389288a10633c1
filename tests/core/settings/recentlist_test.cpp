#include "settings/recentlist.h"

#include "state/readerstate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tibbo::core {
namespace {

using Paths = std::vector<std::string>;

Paths freshList()
{
    return ReaderState().recent;
}

Paths opened(Paths recent, const Paths &books)
{
    for (const auto &book : books)
        addRecent(recent, book);
    return recent;
}

TEST(RecentList, fiveBooks_fillTheListNewestFirst)
{
    EXPECT_EQ(opened(freshList(), {"/b/1.txt", "/b/2.txt", "/b/3.txt", "/b/4.txt", "/b/5.txt"}),
              (Paths{"/b/5.txt", "/b/4.txt", "/b/3.txt", "/b/2.txt", "/b/1.txt"}));
}

TEST(RecentList, sixthBook_pushesTheOldestOut)
{
    const Paths five =
        opened(freshList(), {"/b/1.txt", "/b/2.txt", "/b/3.txt", "/b/4.txt", "/b/5.txt"});
    EXPECT_EQ(opened(five, {"/b/6.txt"}),
              (Paths{"/b/6.txt", "/b/5.txt", "/b/4.txt", "/b/3.txt", "/b/2.txt"}));
}

TEST(RecentList, listedBookInAnySlot_leavesTheListUnchanged)
{
    const Paths five =
        opened(freshList(), {"/b/1.txt", "/b/2.txt", "/b/3.txt", "/b/4.txt", "/b/5.txt"});
    for (const auto &book : five) {
        SCOPED_TRACE(book);
        EXPECT_EQ(opened(five, {book}), five);
    }
}

TEST(RecentList, pathsDifferingInLetterCase_areDifferentEntries)
{
    EXPECT_EQ(opened(freshList(), {"/b/Book.txt", "/b/book.txt"}),
              (Paths{"/b/book.txt", "/b/Book.txt", "\\none", "\\none", "\\none"}));
}

TEST(RecentList, listOfAnotherLength_comesBackToFiveSlotsOnAdd)
{
    // Only a hand-edited settings file gives such lists.
    EXPECT_EQ(opened({"/b/1.txt"}, {"/b/2.txt"}),
              (Paths{"/b/2.txt", "/b/1.txt", "\\none", "\\none", "\\none"}));
    EXPECT_EQ(opened({"1", "2", "3", "4", "5", "6", "7"}, {"8"}), (Paths{"8", "1", "2", "3", "4"}));
}

TEST(RecentMenu, items_showFileNamesAndDisableNone)
{
    struct Row
    {
        const char *name;
        Paths recent;
        std::vector<std::string> captions;
        std::vector<bool> enabled;
    };
    const Row rows[] = {
        {"fresh list",
         freshList(),
         {"none", "none", "none", "none", "none"},
         {false, false, false, false, false}},
        {"after the manual",
         opened(freshList(), {"/home/u/.local/share/TibboRead/readme.txt"}),
         {"readme.txt", "none", "none", "none", "none"},
         {true, false, false, false, false}},
        {"backslash paths",
         opened(freshList(), {"D:\\novels\\book.txt"}),
         {"book.txt", "none", "none", "none", "none"},
         {true, false, false, false, false}},
        {"a book file named none",
         opened(freshList(), {"/books/none", "/books/a.txt"}),
         {"a.txt", "none", "none", "none", "none"},
         {true, false, false, false, false}},
        {"short list",
         {"/b/1.txt"},
         {"1.txt", "none", "none", "none", "none"},
         {true, false, false, false, false}},
        {"long list",
         {"1", "2", "3", "4", "5", "6"},
         {"1", "2", "3", "4", "5"},
         {true, true, true, true, true}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const auto items = recentMenuItems(row.recent);
        ASSERT_EQ(items.size(), 5u);
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].caption, row.captions[i]) << "item " << i;
            EXPECT_EQ(items[i].enabled, row.enabled[i]) << "item " << i;
        }
    }
}

// The reader's own book is the second entry once the manual or another book is on show;
// the window decided this from the menu's caption, so a file named "none" counts as none.
TEST(RecentList, ownBook_isABookInTheSecondEntry)
{
    struct Row
    {
        const char *name;
        Paths recent;
        bool ownBook;
    };
    const std::string manual = "/home/u/.local/share/TibboRead/readme.txt";
    const Row rows[] = {
        {"fresh list", freshList(), false},
        {"only the manual", opened(freshList(), {manual}), false},
        {"the manual over a book", opened(freshList(), {"/b/1.txt", manual}), true},
        {"a book over the manual", opened(freshList(), {manual, "/b/1.txt"}), true},
        {"a book file named none", opened(freshList(), {"/books/none", "/b/1.txt"}), false},
        {"one entry", {"/b/1.txt"}, false},
        {"no entries", {}, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(hasOwnBook(row.recent), row.ownBook);
    }
}

TEST(LoaderChoice, lastLetters_chooseHtmlOrPlainText)
{
    struct Row
    {
        std::string path;
        bool html;
    };
    // The test looks only at the last letters, so no dot is needed and "shtml" counts.
    const Row rows[] = {
        {"book.Htm", true},    {"x.HTML", true},    {"a.shtml", true},   {"readmehtm", true},
        {"/b/page.htm", true}, {"book.TXT", false}, {"book.txt", false}, {"book.html.txt", false},
        {"htm", true},         {"tm", false},       {"", false},         {"/b/红楼梦.txt", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(isHtmlPath(row.path), row.html);
    }
}

// A path with a line end came back from settings.ini cut in two.
TEST(RecentList, pathsTheFileCannotHold_areNeitherStorableNorListed)
{
    struct Row
    {
        const char *name;
        std::string path;
        bool storable;
    };
    const Row rows[] = {
        {"plain", "/b/红楼梦.txt", true},
        {"not valid UTF-8", "/b/\xB9\xC5.txt", true},
        {"blank and backslash", "/b/a b\\c.txt", true},
        {"line feed", "/b/a\nb.txt", false},
        {"carriage return", "/b/a\rb.txt", false},
        {"ends in CR LF", "/b/a.txt\r\n", false},
        {"the closing tag", "[/Recent]", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(pathIsStorable(row.path), row.storable);
        EXPECT_EQ(opened(freshList(), {row.path}).front() == row.path, row.storable);
    }
}

} // namespace
} // namespace tibbo::core
