#include "bookmarks/bookmarkstore.h"
#include "referencebook.h"

#include "text/codepage.h"
#include "text/fileio.h"
#include "text/plaintext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

namespace fs = std::filesystem;

std::string repeated(std::string_view piece, size_t times)
{
    std::string s;
    for (size_t i = 0; i < times; ++i)
        s += piece;
    return s;
}

// A 246-byte book name opened, but its bookmarks could never be saved: with ".mark"
// and the temporary's ".tmp-XXXXXX" the name passed the folder's 255 bytes.
TEST(MarkFileName, longNames_areShortenedAndStayApart)
{
    const std::string chinese = repeated("红", 80) + ".txt"; // 244 bytes, 3 per character
    struct Row
    {
        const char *name;
        std::string bookName;
        bool plain; // the mark file keeps the book's name
    };
    const Row rows[] = {
        {"short", "红楼梦.txt", true},
        {"longest plain: 239 + .mark = 244", std::string(235, 'a') + ".txt", true},
        {"one byte more", std::string(236, 'a') + ".txt", false},
        {"246 bytes", std::string(242, 'b') + ".txt", false},
        {"chinese, cut inside a character", chinese, false},
        {"not valid UTF-8", std::string(250, '\xFF'), false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string name = markFileName("/books/" + row.bookName);
        EXPECT_LE(name.size(), kLongestMarkFileName);
        EXPECT_TRUE(name.ends_with(".mark"));
        EXPECT_EQ(name == row.bookName + ".mark", row.plain);
        if (!row.plain && isValidUtf8(row.bookName)) {
            EXPECT_TRUE(isValidUtf8(name));
        }
    }
    // Two long names that share their first 240 bytes still get two mark files.
    const std::string stem(240, 'c');
    EXPECT_NE(markFileName("/b/" + stem + "1.txt"), markFileName("/b/" + stem + "2.txt"));
    // The folder does not count: one file name, one mark file.
    EXPECT_EQ(markFileName("/a/" + stem + ".txt"), markFileName("D:\\b\\" + stem + ".txt"));
}

class MarkFolder : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tibbo-marks-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string m_dir;
};

TEST_F(MarkFolder, bookmarksOfAnyName_areSavedAndFoundAgain)
{
    const std::vector<Bookmark> marks{{3, std::nullopt}, {41, std::nullopt}};
    const std::string names[] = {
        std::string(242, 'b') + ".txt", // 246 bytes
        repeated("梦", 83) + ".txt",    // 253 bytes
        "\xB9\xC5\xCA\xE9.txt",         // a GBK name: not valid UTF-8
        "r1.txt",
    };
    for (const auto &name : names) {
        SCOPED_TRACE(name.size());
        const std::string book = m_dir + "/" + name;
        std::FILE *file = std::fopen(book.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("\xCA\xE9\r\n", file); // the book "书"
        std::fclose(file);
        const auto text = readBook(book);
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(*text, U"书\r\n");
        ASSERT_TRUE(writeMarks(m_dir, book, marks));
        const auto back = readMarks(m_dir, book);
        ASSERT_EQ(back.size(), 2u);
        EXPECT_EQ(back[1].line, 41);
    }
    // A plain-named mark file of a long name, where one exists, is still read.
    const std::string longName = std::string(246, 'd') + ".txt";
    ASSERT_TRUE(writeFileAtomically(m_dir + "/x", "7\r\n"));
    fs::rename(m_dir + "/x", m_dir + "/" + longName + ".mark");
    ASSERT_EQ(readMarks(m_dir, "/elsewhere/" + longName).size(), 1u);
}

} // namespace
} // namespace tibbo::core
