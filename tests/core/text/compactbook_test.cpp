// The book held once: decoded a piece at a time straight into a 16-bit store, and the
// line list of a restored book taken as stored when it matches the capacity.
#include "referencebook.h"
#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/fileio.h"
#include "text/htmlparser.h"
#include "text/plaintext.h"
#include "text/reflow.h"

#include "corefixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace tibbo::core::test;

using namespace tibbo::core;

namespace {

} // namespace

// A character cut between two pieces must come out whole, and an invalid byte or a
// character cut by the very end must come out as the whole-file decode gives it. Odd
// inputs: a four-byte GB18030 form (U+20000) cut at every byte, an invalid 0xFF, a lead
// byte at the end, a UTF-8 sequence cut at every byte.
TEST(ChunkDecoder, piecesDecodeAsTheWhole)
{
    const std::string fourByte = encodeGb18030(U"甲\U00020000乙");
    const std::string odd = "a\xFF"
                            "b\xB5\x0D"
                            "x" +
                            fourByte + "\xB5";
    for (const std::string &bytes : {fourByte, odd}) {
        const std::u32string whole = decodeGb18030(bytes);
        for (size_t cut = 0; cut <= bytes.size(); ++cut)
            EXPECT_EQ(decodeInPieces(bytes, TextEncoding::Gb18030, {cut}), whole)
                << "cut at " << cut;
    }
    const std::string utf8 = toUtf8(U"第一章\U0001F600é");
    for (size_t cut = 0; cut <= utf8.size(); ++cut)
        EXPECT_EQ(decodeInPieces(utf8, TextEncoding::Utf8, {cut}), fromUtf8(utf8))
            << "cut at " << cut;

    const std::string novel = corpusBytes("xiyouji.txt");
    if (novel.empty())
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    std::mt19937 random(7);
    std::vector<size_t> cuts;
    for (size_t at = 0; at < novel.size(); at += 1 + random() % 70000)
        cuts.push_back(at);
    EXPECT_EQ(decodeInPieces(novel, TextEncoding::Gb18030, cuts), decodeGb18030(novel));
}

// Reading a book file a piece at a time gives the book the whole-file path gives: the
// corpus novel, a UTF-8 file with and without a byte-order mark, a trimmed book.
TEST(PlainBookFile, loadsAsTheWholeFileWould)
{
    const auto dir = std::filesystem::temp_directory_path() / "tibbo-compact-test";
    std::filesystem::create_directories(dir);
    const std::string novel = corpusBytes("shuihuzhuan.txt");
    const std::string utf8 = toUtf8(U"　第一回\r\n　张天师祈禳瘟疫\r\n洪太尉\U0001F600\r\n");
    const std::pair<const char *, std::string> files[] = {
        {"novel.txt", novel},
        {"utf8.txt", utf8},
        {"bom.txt", "\xEF\xBB\xBF" + utf8},
        {"empty.txt", ""},
    };
    for (const auto &[name, bytes] : files) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        for (const bool trim : {false, true}) {
            SCOPED_TRACE(std::string(name) + (trim ? " trimmed" : ""));
            const auto loaded = loadPlainBook(path, trim);
            ASSERT_TRUE(loaded.has_value());
            const BookTexts expected = buildPlainBook(decodeBook(bytes), trim);
            EXPECT_TRUE(loaded->paragraphText == expected.paragraphText);
            EXPECT_TRUE(loaded->scrollMap == expected.scrollMap);
        }
    }
    // One character outside the Basic Multilingual Plane widens the store; it still
    // counts one.
    const auto wide = loadPlainBook((dir / "utf8.txt").string(), false);
    EXPECT_TRUE(wide->paragraphText.wide());
    EXPECT_EQ(wide->paragraphText.substr(wide->paragraphText.size() - 2), U"\U0001F600^");
    EXPECT_FALSE(loadPlainBook((dir / "novel.txt").string(), false)->paragraphText.wide());
    std::filesystem::remove_all(dir);
}

// An HTML book's parse source read a piece at a time is the whole file's: line ends of
// every kind, one cut between the pieces (a CR LF across the 256 KiB boundary), UTF-16
// and a character beyond the Basic Multilingual Plane. The parse of the corpus novel as
// HTML gives the same book either way.
TEST(HtmlBookFile, sourceIsTheWholeFilesSource)
{
    const auto dir = std::filesystem::temp_directory_path() / "tibbo-html-source-test";
    std::filesystem::create_directories(dir);
    const std::string ends = encodeGb18030(U"<p>甲\r\n乙\r\r\n丙\n\r丁\r\r</p>&amp;");
    std::string across(size_t{1} << 18, 'a');
    across[across.size() - 1] = '\r';
    across += "\n&#20013;\r";
    std::string utf16;
    for (const char16_t unit : std::u16string(u"<b>\U0001F600</b>\r\n&#x4E2D;")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    const std::string novel = "<html><body>" + corpusBytes("shuihuzhuan.txt") + "</body></html>";
    const std::pair<const char *, std::string> files[] = {{"ends.htm", ends},
                                                          {"across.htm", across},
                                                          {"utf16.htm", "\xFF\xFE" + utf16},
                                                          {"novel.htm", novel},
                                                          {"empty.htm", ""}};
    for (const auto &[name, bytes] : files) {
        SCOPED_TRACE(name);
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        const auto source = loadHtmlSource(path);
        ASSERT_TRUE(source.has_value());
        const std::u32string expected = htmlSource(decodeBook(bytes));
        EXPECT_TRUE(*source == std::u32string_view(expected));
        HtmlParser streamed(*source), whole(expected);
        while (streamed.run(1 << 20) != HtmlParser::Status::Done) {
        }
        while (whole.run(1 << 20) != HtmlParser::Status::Done) {
        }
        EXPECT_TRUE(streamed.paragraphText() == whole.paragraphText());
        EXPECT_TRUE(streamed.scrollMap() == whole.scrollMap());
    }
    EXPECT_TRUE(loadHtmlSource((dir / "utf16.htm").string())->wide());
    EXPECT_FALSE(loadHtmlSource((dir / "novel.htm").string())->wide());
    std::filesystem::remove_all(dir);
}

// A restored line list is shown as stored only when a cut for the current width would
// give exactly it; any other list is cut again.
TEST(StoredLineList, matchesOnlyTheCutOfItsCapacity)
{
    ReaderState state;
    setParagraphText(state, BookText(U"abcdefg^hi^jklmnopqrs^"));
    const auto install = [&](LineList ends, int64_t width) {
        state.lineEnds = std::move(ends);
        state.lineEndsVersion = state.textVersion;
        state.charsPerLine = width;
        return lineListMatchesCapacity(state);
    };
    EXPECT_TRUE(install(cutLines(state.paragraphText, 4), 4));
    EXPECT_TRUE(install(cutLines(state.paragraphText, 30), 30));
    EXPECT_FALSE(install(cutLines(state.paragraphText, 4), 5)); // cut for another width
    EXPECT_FALSE(install(cutLines(state.paragraphText, 5), 4)); // lines too long
    EXPECT_FALSE(install({0, 3, 8, 11, 22}, 30));               // a short line mid-paragraph
    EXPECT_FALSE(install({0, 11, 22}, 30));                     // a mark inside a line
    state.lineEndsVersion = state.textVersion - 1;              // a list of another text
    state.charsPerLine = 4;
    EXPECT_FALSE(lineListMatchesCapacity(state));
}
