// A large book's text kept in a file of the text folder: every pass over it gives what the
// same text in memory gives, its pages leave the reader's memory when released, and
// without a usable folder the text stays in memory, whole.
#include "state/booktext.h"

#include "corefixtures.h"
#include "referencebook.h"

#include "navigation/search.h"
#include "reading/reanchor.h"
#include "settings/settingsfile.h"
#include "state/scrolltextmap.h"
#include "text/headings.h"
#include "text/reflow.h"
#include "text/typesetting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace tibbo::core::test;

namespace tibbo::core {
namespace {

// Kilobytes of file pages the process holds (RssFile of /proc/self/status).
long residentFileKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("RssFile:", 0) == 0)
            return std::stol(line.substr(8));
    return -1;
}

// A text folder for one test, under the build folder (a disk, as a user's cache is), set
// and taken away again.
class TextFolder : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // One of its own for each test: the tests may run side by side.
        m_dir = std::filesystem::current_path() /
                ("text-folder-" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override
    {
        setTextFolder({});
        std::filesystem::remove_all(m_dir);
    }
    std::filesystem::path m_dir;
};

// The three novels twice over: about 10 MiB of 16-bit units, past the size that goes to
// a file.
const BookTexts &largeBook()
{
    static const BookTexts book = [] {
        std::string bytes;
        for (int round = 0; round < 2; ++round)
            for (const char *name : {"hongloumeng.txt", "shuihuzhuan.txt", "xiyouji.txt"})
                bytes += corpusBytes(name);
        return buildPlainBook(decodeBook(bytes), false);
    }();
    return book;
}

std::string settingsBytes(const BookText &text, const LineList &ends)
{
    std::string bytes;
    writeSettingsPieces(SettingsData{}, text, ends,
                        [&](std::string_view piece) { bytes += piece; });
    return bytes;
}

TEST_F(TextFolder, aBookHeldInAFile_passesAsTheSameBookInMemory)
{
    const BookText &inMemory = largeBook().paragraphText;
    ASSERT_GT(inMemory.byteSize(), kTextFileBytes) << "corpus not found at " << TIBBO_CORPUS_DIR;
    ASSERT_FALSE(inMemory.heldInFile());
    ASSERT_TRUE(setTextFolder(m_dir.string()));
    const BookText inFile(inMemory);
    ASSERT_TRUE(inFile.heldInFile());

    // Touched whole, the pages are the reader's; released, they go and the text stays.
    inFile.releaseAll();
    const long before = residentFileKiB();
    const size_t marks = inFile.visit([](auto units) {
        return static_cast<size_t>(std::count(units.begin(), units.end(), kParagraphMark));
    });
    EXPECT_GT(marks, 1000u);
    const long touched = residentFileKiB();
    EXPECT_GE(touched - before, static_cast<long>(inFile.byteSize() / 1024 * 9 / 10));
    inFile.releaseAll();
    EXPECT_LE(residentFileKiB() - before, 64);
    EXPECT_TRUE(inFile == inMemory);

    // Each whole-book pass gives the same, and leaves no more than a stretch of the book's
    // pages behind it.
    const auto leftBehind = [&] {
        return residentFileKiB() - before < static_cast<long>(inFile.byteSize() / 1024 / 4);
    };
    const LineList cut = cutLines(inFile, 23);
    EXPECT_EQ(cut, cutLines(inMemory, 23));
    EXPECT_TRUE(leftBehind()) << "cut";
    EXPECT_EQ(findChapters(inFile).size(), findChapters(inMemory).size());
    EXPECT_TRUE(leftBehind()) << "chapters";
    // Fine typesetting reads a page at every heading, which maps the pages about it too.
    EXPECT_EQ(fineCutRules(inFile).lineStarts, fineCutRules(inMemory).lineStarts);
    EXPECT_TRUE(leftBehind()) << "fine typesetting's rules";
    EXPECT_EQ(allMatches(inFile, U"行者"), allMatches(inMemory, U"行者"));
    EXPECT_TRUE(leftBehind()) << "every match";
    EXPECT_EQ(findText(inFile, U"宝玉", 3'000'000, false),
              findText(inMemory, U"宝玉", 3'000'000, false));
    EXPECT_TRUE(leftBehind()) << "search";
    EXPECT_TRUE(identityOf(inFile) == identityOf(inMemory));
    EXPECT_TRUE(leftBehind()) << "identity";
    EXPECT_TRUE(ScrollTextMap::onePerParagraph(inFile) == ScrollTextMap::onePerParagraph(inMemory));
    const std::u32string scroll = largeBook().scrollMap.scrollText(inMemory);
    EXPECT_TRUE(largeBook().scrollMap.scrollBookText(inFile) == std::u32string_view(scroll));
    EXPECT_TRUE(leftBehind()) << "scroll text";
    EXPECT_EQ(settingsBytes(inFile, cut), settingsBytes(inMemory, cut));
    EXPECT_TRUE(leftBehind()) << "settings";
}

TEST_F(TextFolder, aTextInAFile_growsWidensAndCopiesWhole)
{
    ASSERT_TRUE(setTextFolder(m_dir.string()));
    const std::u32string piece = U"　甲乙丙丁戊己庚辛壬癸子丑寅卯辰巳午未申酉戌亥^";
    std::u32string expected;
    BookText grown;
    // Grown a character at a time past the file size, and a piece at a time beyond.
    while (grown.byteSize() < kTextFileBytes + 4096)
        for (const char32_t c : piece) {
            grown.push_back(c);
            expected += c;
        }
    EXPECT_TRUE(grown.heldInFile());
    for (int i = 0; i < 20'000; ++i) {
        grown.append(piece);
        expected += piece;
        if (i % 5000 == 0)
            grown.releaseAll();
    }
    EXPECT_TRUE(grown == std::u32string_view(expected));

    BookText copy(grown);
    grown.append(U"\U00020000末");
    expected += U"\U00020000末";
    // Widened in its file by a character beyond 16 bits; the copy is its own.
    EXPECT_TRUE(grown.wide());
    EXPECT_TRUE(grown.heldInFile());
    grown.releaseAll();
    EXPECT_TRUE(grown == std::u32string_view(expected));
    EXPECT_EQ(copy.size(), expected.size() - 2);
    EXPECT_TRUE(copy == std::u32string_view(expected).substr(0, copy.size()));

    grown.trimRoom();
    EXPECT_TRUE(grown == std::u32string_view(expected));
    const BookText moved = std::move(grown);
    EXPECT_TRUE(moved == std::u32string_view(expected));
    EXPECT_EQ(moved.substr(moved.size() - 3), U"^\U00020000末");
}

TEST_F(TextFolder, withoutAUsableFolder_textsStayInMemoryWhole)
{
    EXPECT_FALSE(setTextFolder((m_dir / "missing").string()));
    const BookText &book = largeBook().paragraphText;
    const BookText copy(book);
    EXPECT_FALSE(copy.heldInFile());
    // A release asks nothing of a text in memory: its pages are its only copy.
    copy.releaseAll();
    EXPECT_TRUE(copy == book);
    EXPECT_EQ(cutLines(copy, 31), cutLines(book, 31));
}

} // namespace
} // namespace tibbo::core
