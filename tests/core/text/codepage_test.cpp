#include "referencebook.h"
#include "text/codepage.h"
#include "text/fileio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

using namespace tibbo::core::test;

using namespace tibbo::core;

TEST(CodePage, gbk_decodesAndEncodesBack)
{
    const std::string gbk = "\xB5\xDA\xD2\xBB\xD5\xC2"; // 第一章
    EXPECT_EQ(decodeGb18030(gbk), U"第一章");
    EXPECT_EQ(encodeGb18030(U"第一章"), gbk);
    // GBK-only (outside GB2312) character: 袴 is D1 46.
    EXPECT_EQ(decodeGb18030("\xD1\x46"), U"袴");
    // Characters GBK cannot hold survive a write in GB18030.
    const std::u32string rare = U"\U00020000€";
    EXPECT_EQ(decodeGb18030(encodeGb18030(rare)), rare);
    // A narrow book's 16-bit units encode as the same characters would.
    std::string narrow = "x";
    appendGb18030(std::u16string_view(u"第一章€袴a"), narrow);
    EXPECT_EQ(narrow.substr(0, 1), "x");
    EXPECT_EQ(narrow.substr(1), encodeGb18030(U"第一章€袴a"));
}

// settings.ini and Slide.cache are encoded on two threads at once. The table of forms is
// filled in as characters are first met; a form published before its bytes came out as
// zero bytes in one of the files. The characters are CJK Extension A, which no other
// test here encodes, so every one is looked up while the other thread may be reading it.
TEST(CodePage, twoThreadsMeetingNewCharacters_bothEncodeThemWhole)
{
    std::u32string text;
    for (char32_t c = 0x3400; c < 0x4DB6; ++c)
        text += c;
    std::string first, second;
    {
        std::jthread other([&] { appendGb18030(text, second); });
        appendGb18030(text, first);
    }
    EXPECT_EQ(decodeGb18030(first), text);
    EXPECT_EQ(second, first);
}

TEST(CodePage, invalidBytes_becomeReplacementAndReadingGoesOn)
{
    // 0xFF is never valid; the text after it must still be read.
    EXPECT_EQ(decodeGb18030("a\xFF"
                            "b"),
              U"a\uFFFDb");
    // A lead byte cut off by the end of the file.
    EXPECT_EQ(decodeGb18030("ab\xB5"), U"ab\uFFFD");
    // A lead byte followed by a byte that cannot trail it: the second byte is read afresh.
    EXPECT_EQ(decodeGb18030("\xB5\x0D"
                            "x"),
              U"\uFFFD\rx");
}

TEST(CodePage, decodeBook_choosesUtf8OnlyWhenItIsUtf8)
{
    EXPECT_EQ(decodeBook("\xEF\xBB\xBF"
                         "abc"),
              U"abc");                                          // byte-order mark dropped
    EXPECT_EQ(decodeBook("\xE7\xAC\xAC\xE4\xB8\x80"), U"第一"); // valid UTF-8 with CJK
    EXPECT_EQ(decodeBook("\xB5\xDA\xD2\xBB"), U"第一");         // GBK is not valid UTF-8
    EXPECT_EQ(decodeBook("plain"), U"plain");                   // ASCII reads the same
    EXPECT_EQ(decodeBook("\xEF\xBB\xBF"
                         "a\xFF"),
              U"a\uFFFD"); // bad UTF-8 after a BOM
}

TEST(CodePage, splitLines_crLfAndLoneCrEndLinesLoneLfIsData)
{
    using V = std::vector<std::u32string_view>;
    EXPECT_EQ(splitLines(U"a\r\nb\rc"), (V{U"a", U"b", U"c"}));
    EXPECT_EQ(splitLines(U"a\nb"), (V{U"a\nb"}));
    EXPECT_EQ(splitLines(U"a\r\n"), (V{U"a"}));
    EXPECT_EQ(splitLines(U"a\r\n\r\n"), (V{U"a", U""}));
    EXPECT_EQ(splitLines(U""), V{});
    EXPECT_EQ(splitLines(U"\r\r\n"), (V{U"", U""}));
}

TEST(FileIo, atomicWrite_replacesWholeAndLeavesNoTemporary)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "tibbo-fileio-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "settings.ini").string();
    ASSERT_TRUE(writeFileAtomically(path, "old"));
    ASSERT_TRUE(writeFileAtomically(path, "new contents"));
    EXPECT_EQ(readFile(path), "new contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    // A folder that does not exist: the write fails and says so.
    EXPECT_FALSE(writeFileAtomically((dir / "missing" / "x").string(), "x"));
    EXPECT_FALSE(readFile((dir / "missing.txt").string()));
    fs::remove_all(dir);
}

TEST(FileIo, fileNameOf_takesPartAfterLastSeparator)
{
    EXPECT_EQ(fileNameOf("D:\\novels\\book.txt"), "book.txt");
    EXPECT_EQ(fileNameOf("/home/a/book.txt"), "book.txt");
    EXPECT_EQ(fileNameOf("/home/a\\b/c\\book.txt"), "book.txt");
    EXPECT_EQ(fileNameOf("book.txt"), "book.txt");
}
