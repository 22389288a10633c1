#include "reading/highlights.h"

#include "text/fileio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tibbo::core {
namespace {

namespace fs = std::filesystem;

Highlight sample(int64_t start, int64_t length, int colour, std::u32string note = U"")
{
    Highlight h;
    h.start = start;
    h.length = length;
    h.colour = colour;
    h.note = std::move(note);
    h.created = 1765150000;
    h.anchor.offset = start;
    h.anchor.before = U"却说黛玉自那日弃舟登岸";
    h.anchor.after = U"时，便有荣国府打发了轿子";
    h.anchor.chapterTitle = U"第三回 托内兄如海荐西宾";
    h.anchor.chapterIndex = 2;
    h.anchor.intoChapter = 950;
    return h;
}

HighlightFile sampleFile()
{
    HighlightFile file;
    file.identity = TextIdentity{812345, 0x89ab01cd23ef4567ull};
    file.highlights = {sample(1200, 14, 2, U"宝玉初见黛玉：\"似曾相识\"\n第二行"), sample(5, 1, 0),
                       sample(1200, 3, 3, U"短的在前"),
                       sample(90000, 200, 1, U"𠀀 a character past the BMP")};
    file.highlights[3].lost = true;
    return file;
}

TEST(HighlightFile, saveThenParse_roundTripInBookOrder)
{
    const HighlightFile file = sampleFile();
    const ParsedHighlights parsed = parseHighlightFile(highlightFileBytes(file));
    EXPECT_FALSE(parsed.damaged);
    ASSERT_TRUE(parsed.file.identity);
    EXPECT_EQ(*parsed.file.identity, *file.identity);
    const std::vector<Highlight> expected = {file.highlights[1], file.highlights[2],
                                             file.highlights[0], file.highlights[3]};
    EXPECT_EQ(parsed.file.highlights, expected);
}

TEST(HighlightFile, noIdentityAndNoHighlights_roundTrip)
{
    const ParsedHighlights parsed = parseHighlightFile(highlightFileBytes(HighlightFile{}));
    EXPECT_FALSE(parsed.damaged);
    EXPECT_FALSE(parsed.file.identity);
    EXPECT_TRUE(parsed.file.highlights.empty());
}

// Each row puts one fault into the second of three entries: that entry alone is dropped
// and the file is reported damaged. The odd ones: a fraction where a whole number goes
// (1.5 would truncate to a wrong offset), a number as a string, a colour one past the last,
// a negative start, an offset beyond any book, and a note too long to be the reader's own.
TEST(HighlightFile, eachFieldDamaged_dropsThatEntryAlone)
{
    const std::string good =
        R"({"start":10,"length":4,"colour":1,"created":1765150000,"note":"好"})";
    const std::string longNote = "\"" + std::string(kLongestNote + 1, 'x') + "\"";
    struct Row
    {
        const char *name;
        std::string entry;
    };
    const Row rows[] = {
        {"start missing", R"({"length":4,"colour":1,"created":1})"},
        {"start a string", R"({"start":"10","length":4,"colour":1,"created":1})"},
        {"start a fraction", R"({"start":1.5,"length":4,"colour":1,"created":1})"},
        {"start negative", R"({"start":-1,"length":4,"colour":1,"created":1})"},
        {"start beyond any book", R"({"start":1e300,"length":4,"colour":1,"created":1})"},
        {"start past int64", R"({"start":18446744073709551615,"length":4,"colour":1,"created":1})"},
        {"length missing", R"({"start":10,"colour":1,"created":1})"},
        {"length zero", R"({"start":10,"length":0,"colour":1,"created":1})"},
        {"length null", R"({"start":10,"length":null,"colour":1,"created":1})"},
        {"colour missing", R"({"start":10,"length":4,"created":1})"},
        {"colour one past", R"({"start":10,"length":4,"colour":4,"created":1})"},
        {"colour negative", R"({"start":10,"length":4,"colour":-1,"created":1})"},
        {"colour a boolean", R"({"start":10,"length":4,"colour":true,"created":1})"},
        {"created missing", R"({"start":10,"length":4,"colour":1})"},
        {"created negative", R"({"start":10,"length":4,"colour":1,"created":-5})"},
        {"note a number", R"({"start":10,"length":4,"colour":1,"created":1,"note":7})"},
        {"note too long",
         R"({"start":10,"length":4,"colour":1,"created":1,"note":)" + longNote + "}"},
        {"before an array", R"({"start":10,"length":4,"colour":1,"created":1,"before":[]})"},
        {"after too long", R"({"start":10,"length":4,"colour":1,"created":1,"after":")" +
                               std::string(200, 'y') + "\"}"},
        {"chapter an object", R"({"start":10,"length":4,"colour":1,"created":1,"chapter":{}})"},
        {"chapterIndex below -1",
         R"({"start":10,"length":4,"colour":1,"created":1,"chapterIndex":-2})"},
        {"intoChapter a string",
         R"({"start":10,"length":4,"colour":1,"created":1,"intoChapter":"3"})"},
        {"lost a number", R"({"start":10,"length":4,"colour":1,"created":1,"lost":1})"},
        {"entry not an object", R"([10,4,1])"},
        {"entry null", "null"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string bytes = R"({"format":"tibboread-highlights","version":1,"highlights":[)" +
                                  good + "," + row.entry + "," +
                                  R"({"start":20,"length":2,"colour":3,"created":2}]})";
        const ParsedHighlights parsed = parseHighlightFile(bytes);
        EXPECT_TRUE(parsed.damaged);
        ASSERT_EQ(parsed.file.highlights.size(), 2u);
        EXPECT_EQ(parsed.file.highlights[0].start, 10);
        EXPECT_EQ(parsed.file.highlights[0].note, U"好");
        EXPECT_EQ(parsed.file.highlights[1].start, 20);
        EXPECT_EQ(parsed.file.highlights[1].colour, 3);
    }
}

// Files that cannot be read at all: each gives no highlights and is reported damaged.
TEST(HighlightFile, unreadableFiles_areDamagedAndGiveNothing)
{
    const std::string whole = highlightFileBytes(sampleFile());
    struct Row
    {
        const char *name;
        std::string bytes;
    };
    const Row rows[] = {
        {"truncated half-way", whole.substr(0, whole.size() / 2)},
        {"truncated before the last brace", whole.substr(0, whole.size() - 2)},
        {"empty", ""},
        {"not JSON", "1200,14,2\r\n5,1,0\r\n"},
        {"a mark file", "12\r\n40\r\n"},
        {"another program's JSON", R"({"bookmarks":[{"page":3}]})"},
        {"another format", R"({"format":"notes","version":1,"highlights":[]})"},
        {"a later version", R"({"format":"tibboread-highlights","version":2,"highlights":[]})"},
        {"version 0", R"({"format":"tibboread-highlights","version":0,"highlights":[]})"},
        {"highlights not a list",
         R"({"format":"tibboread-highlights","version":1,"highlights":{}})"},
        {"a bare list", "[]"},
        {"bytes that are not UTF-8", "{\"format\":\"tibboread-highlights\",\"version\":1,"
                                     "\"highlights\":[{\"start\":1,\"length\":1,\"colour\":0,"
                                     "\"created\":1,\"note\":\"\xb0\xa1\"}]}"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const ParsedHighlights parsed = parseHighlightFile(row.bytes);
        EXPECT_TRUE(parsed.damaged);
        EXPECT_TRUE(parsed.file.highlights.empty());
    }
}

TEST(HighlightFile, damagedIdentity_keepsTheHighlights)
{
    const ParsedHighlights parsed = parseHighlightFile(
        R"({"format":"tibboread-highlights","version":1,"text":{"characters":5,"hash":"XYZ"},)"
        R"("highlights":[{"start":1,"length":1,"colour":0,"created":1}]})");
    EXPECT_TRUE(parsed.damaged);
    EXPECT_FALSE(parsed.file.identity);
    EXPECT_EQ(parsed.file.highlights.size(), 1u);
}

class HighlightFolder : public testing::Test
{
  protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("tibbo-highlights-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(HighlightFolder, damagedFile_isKeptAsBakAndRewrittenWithWhatWasRead)
{
    const std::string book = "/books/红楼梦.txt";
    const std::string path = highlightFilePath(dir.string(), book);
    EXPECT_EQ(fs::path(path).filename().string(), "红楼梦.txt.notes.json");
    const std::string damaged = R"({"format":"tibboread-highlights","version":1,"highlights":[)"
                                R"({"start":3,"length":2,"colour":1,"created":1},{"start":"x"}]})";
    ASSERT_TRUE(writeFileAtomically(path, damaged));

    const LoadedHighlights loaded = loadHighlights(dir.string(), book);
    EXPECT_TRUE(loaded.damaged);
    EXPECT_FALSE(loaded.backupFailed);
    ASSERT_EQ(loaded.file.highlights.size(), 1u);
    EXPECT_EQ(readFile(path + ".bak"), damaged);
    // The file now holds what was read, and reads clean.
    const LoadedHighlights again = loadHighlights(dir.string(), book);
    EXPECT_FALSE(again.damaged);
    EXPECT_EQ(again.file.highlights, loaded.file.highlights);
}

TEST_F(HighlightFolder, saveLoadAndRemove)
{
    const std::string book = "/elsewhere/三国演义.txt";
    EXPECT_TRUE(loadHighlights(dir.string(), book).file.highlights.empty());
    const HighlightFile file = sampleFile();
    ASSERT_TRUE(saveHighlights(dir.string(), book, file));
    const LoadedHighlights loaded = loadHighlights(dir.string(), book);
    EXPECT_FALSE(loaded.damaged);
    EXPECT_EQ(loaded.file.highlights.size(), file.highlights.size());
    // The last highlight deleted: no file is left behind.
    ASSERT_TRUE(saveHighlights(dir.string(), book, HighlightFile{}));
    EXPECT_FALSE(fs::exists(highlightFilePath(dir.string(), book)));
    EXPECT_TRUE(saveHighlights(dir.string(), book, HighlightFile{}));
}

// A folder where the file should be is damage that cannot be kept aside: nothing is
// written over it.
TEST_F(HighlightFolder, folderInItsPlace_isNotWrittenOver)
{
    const std::string book = "/books/西游记.txt";
    fs::create_directories(highlightFilePath(dir.string(), book));
    const LoadedHighlights loaded = loadHighlights(dir.string(), book);
    EXPECT_TRUE(loaded.damaged);
    EXPECT_TRUE(loaded.backupFailed);
    EXPECT_TRUE(fs::is_directory(highlightFilePath(dir.string(), book)));
}

// Long book names: the file, its ".bak" and the temporary of either fit in 255 bytes,
// two long names that differ only at their end stay apart.
TEST(HighlightFileName, longNames_fitWithBakAndTemporary)
{
    std::string base;
    for (int i = 0; i < 84; ++i)
        base += "红";
    for (const std::string &book : {base + "1.txt", base + "2.txt", base.substr(0, 200) + ".txt",
                                    std::string(250, 'a') + ".txt"}) {
        SCOPED_TRACE(book);
        const std::string name = highlightFileName(book);
        EXPECT_LE(name.size() + std::string_view(".bak.tmp-XXXXXX").size(), 255u);
        EXPECT_TRUE(name.ends_with(".notes.json"));
        // Cut where a character starts: the name stays UTF-8.
        EXPECT_NE(static_cast<unsigned char>(name[name.find(".notes.json") - 1]) & 0xC0, 0x80);
    }
    EXPECT_NE(highlightFileName(base + "1.txt"), highlightFileName(base + "2.txt"));
    EXPECT_EQ(highlightFileName("/a/b/水浒传.txt"), highlightFileName("/c/水浒传.txt"));
}

TEST(HighlightList, insertAndFind)
{
    std::vector<Highlight> list;
    EXPECT_EQ(insertHighlight(list, sample(100, 10, 0)), 0u);
    EXPECT_EQ(insertHighlight(list, sample(50, 5, 1)), 0u);
    EXPECT_EQ(insertHighlight(list, sample(104, 2, 2)), 2u);
    Highlight lost = sample(105, 50, 3);
    lost.lost = true;
    insertHighlight(list, lost);
    struct Row
    {
        int64_t offset;
        std::vector<int64_t> starts; // innermost first
    };
    const Row rows[] = {
        {49, {}},          {50, {50}},   {54, {50}},   {55, {}},  // one past the end is outside
        {104, {104, 100}}, {106, {100}}, {109, {100}}, {110, {}}, // a lost one is not on the page
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.offset);
        std::vector<int64_t> starts;
        for (size_t i : highlightsAt(list, row.offset))
            starts.push_back(list[i].start);
        EXPECT_EQ(starts, row.starts);
    }
    EXPECT_EQ(highlightOf(list, 104, 106), std::optional<size_t>(2));
    EXPECT_EQ(highlightOf(list, 104, 107), std::nullopt);
}

} // namespace
} // namespace tibbo::core
