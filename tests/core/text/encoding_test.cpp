// Books in UTF-16 (either byte order, with or without a byte-order mark) and in Big5
// read as the GBK original does; the encoding is found from the bytes, can be forced,
// and a decode full of U+FFFD is told.
#include "referencebook.h"
#include "text/codepage.h"
#include "text/fileio.h"
#include "text/headings.h"
#include "text/plaintext.h"
#include "text/reflow.h"
#include "text/typesetting.h"

#include "corefixtures.h"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <stdexcept>
#include <stdlib.h>

using namespace tibbo::core::test;

using namespace tibbo::core;

namespace {

const char *utf32Name()
{
    return std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
}

// Converts with iconv, leaving out every character the target cannot hold; `kept`, when
// given, receives the characters that went in. The input must be valid in `from`, and
// only UTF-32 input may hold characters the target lacks.
std::string convert(std::string_view bytes, const char *from, const char *to,
                    std::u32string *kept = nullptr)
{
    const iconv_t cd = iconv_open(to, from);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(bytes.size() * 4 + 16, '\0');
    char *outPtr = out.data();
    size_t outLeft = out.size();
    // UTF-32 goes in blocks of whole characters: after a failure iconv reads the rest of
    // its input again, which over a whole novel takes seconds.
    const size_t blockSize = std::string_view(from).starts_with("UTF-32") ? 4096 : bytes.size();
    for (size_t at = 0; at < bytes.size(); at += blockSize) {
        const std::string_view block = bytes.substr(at, blockSize);
        char *in = const_cast<char *>(block.data());
        size_t inLeft = block.size();
        while (inLeft > 0) {
            char *const before = in;
            const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
            if (kept)
                kept->append(reinterpret_cast<const char32_t *>(before),
                             static_cast<size_t>(in - before) / sizeof(char32_t));
            if (rc != static_cast<size_t>(-1))
                break;
            EXPECT_EQ(errno, EILSEQ);
            if (errno != EILSEQ)
                break;
            in += sizeof(char32_t);
            inLeft -= sizeof(char32_t);
        }
    }
    iconv_close(cd);
    out.resize(static_cast<size_t>(outPtr - out.data()));
    return out;
}

std::string utf32Bytes(std::u32string_view text)
{
    return std::string(reinterpret_cast<const char *>(text.data()), text.size() * 4);
}

std::string utf16(std::u32string_view text, const char *order)
{
    return convert(utf32Bytes(text), utf32Name(), order);
}

std::u32string gbkText(std::string_view gbk)
{
    const std::string wide = convert(gbk, "GBK", utf32Name());
    return std::u32string(reinterpret_cast<const char32_t *>(wide.data()), wide.size() / 4);
}

// One book in the encodings a reader meets: the text each variant must read as and the
// encoding it must be found to be in.
struct Variant
{
    std::string name;
    std::string bytes;
    TextEncoding encoding;
    std::u32string text; // the characters the bytes hold
};

std::vector<Variant> variantsOf(const std::string &gbk)
{
    const std::u32string text = gbkText(gbk);
    // Big5 lacks most simplified characters: the Big5 book holds the rest.
    std::u32string big5Text;
    std::string big5 = convert(utf32Bytes(text), utf32Name(), "BIG5", &big5Text);
    return {
        {"GBK", gbk, TextEncoding::Gb18030, text},
        {"UTF-8", toUtf8(text), TextEncoding::Utf8, text},
        {"UTF-16LE with BOM", "\xFF\xFE" + utf16(text, "UTF-16LE"), TextEncoding::Utf16Le, text},
        {"UTF-16LE", utf16(text, "UTF-16LE"), TextEncoding::Utf16Le, text},
        {"UTF-16BE with BOM", "\xFE\xFF" + utf16(text, "UTF-16BE"), TextEncoding::Utf16Be, text},
        {"UTF-16BE", utf16(text, "UTF-16BE"), TextEncoding::Utf16Be, text},
        {"Big5", big5, TextEncoding::Big5, big5Text},
    };
}

class TempFolder
{
  public:
    // A folder of its own: ctest runs the tests of this file side by side.
    TempFolder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tibbo-encoding-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no temporary folder");
        m_path = pattern;
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }
    std::string file(const std::string &name, std::string_view bytes) const
    {
        const std::string path = (m_path / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

  private:
    std::filesystem::path m_path;
};

} // namespace

// A corpus novel in every encoding opens with the text of the GBK file (for Big5, the
// characters Big5 holds), as the whole-file decode reads it, with nothing replaced.
TEST(BookEncoding, everyVariantOfANovel_opensWithTheTextOfTheGbkFile)
{
    const std::string gbk = corpusBytes("hongloumeng.txt");
    if (gbk.empty())
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    TempFolder folder;
    const auto original = loadPlainBook(folder.file("gbk.txt", gbk), false);
    ASSERT_TRUE(original);
    for (const Variant &v : variantsOf(gbk)) {
        SCOPED_TRACE(v.name);
        const auto loaded = loadPlainBook(folder.file("book.txt", v.bytes), false);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->encoding, v.encoding);
        EXPECT_EQ(loaded->replacementCount, 0);
        EXPECT_FALSE(loaded->manyReplacements());
        EXPECT_EQ(decodeBook(v.bytes), v.text);
        if (v.encoding == TextEncoding::Big5) {
            EXPECT_GT(v.text.size(), gbkText(gbk).size() / 2);
            EXPECT_TRUE(loaded->paragraphText == buildPlainBook(v.text, false).paragraphText);
        } else {
            EXPECT_TRUE(loaded->paragraphText == original->paragraphText);
            EXPECT_TRUE(loaded->scrollMap == original->scrollMap);
        }
    }
}

// Each variant of each novel is found to be in its encoding, whole and as a short book
// (its lines in the first 4 KiB); a GBK book stays GB18030.
TEST(BookEncoding, detection_findsEachVariantOfEachNovel)
{
    for (const char *novel : {"hongloumeng.txt", "shuihuzhuan.txt", "xiyouji.txt"}) {
        const std::string gbk = corpusBytes(novel);
        if (gbk.empty())
            FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
        for (const std::string &book : {gbk, gbk.substr(0, gbk.rfind("\r\n", 4096) + 2)})
            for (const Variant &v : variantsOf(book)) {
                SCOPED_TRACE(std::string(novel) + " " + v.name + " of " +
                             std::to_string(book.size()) + " bytes");
                EXPECT_EQ(detectBookEncoding(v.bytes), v.encoding);
            }
    }
}

namespace {

std::string repeated(std::string_view piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::string gbk(std::u32string_view text)
{
    return convert(utf32Bytes(text), utf32Name(), "GBK");
}

// The opening of a novel in traditional characters, as a Big5 book holds it.
constexpr std::u32string_view kTraditional =
    U"　　此開卷第一回也。作者自云：因曾歷過一番夢幻之後，故將真事隱去，而借通靈之說，撰此"
    U"石頭記一書也。故曰甄士隱云云。但書中所記何事何人？自又云：今風塵碌碌，一事無成，忽念"
    U"及當日所有之女子，一一細考較去，覺其行止見識，皆出於我之上。何我堂堂鬚眉，誠不若彼裙"
    U"釵哉？實愧則有餘，悔又無益之大無可如何之日也！\r\n";

} // namespace

// Short, repetitive and real books in each encoding are found to be in it. Odd rows:
// repetitive GBK whose pairs are all valid Big5 too (uchardet calls it Big5); a GBK or
// UTF-8 book with a few NUL bytes (once read as UTF-16); ASCII with a NUL (its byte
// pairs read as ideographs); UTF-16 without a mark, short and repetitive.
TEST(BookEncoding, detection_onShortRepetitiveAndRealBooks)
{
    const std::u32string line = U"　　甲乙丙丁\r\n";
    const std::string gbkNovel = corpusBytes("hongloumeng.txt");
    ASSERT_FALSE(gbkNovel.empty()) << "corpus not found at " << TIBBO_CORPUS_DIR;
    const std::string gbkStart = gbkNovel.substr(0, gbkNovel.rfind("\r\n", 2048) + 2);
    const std::string big5 = convert(utf32Bytes(kTraditional), utf32Name(), "BIG5");
    const std::string withNul =
        gbk(U"　　甲") + '\0' + gbk(U"乙\r\n　　丙") + std::string(2, '\0') + "\r\n";
    struct Row
    {
        const char *name;
        std::string bytes;
        TextEncoding expected;
    } rows[] = {
        {"one GBK line", gbk(line), TextEncoding::Gb18030},
        {"a GBK line 200 times", repeated(gbk(line), 200), TextEncoding::Gb18030},
        {"the start of a GBK novel", gbkStart, TextEncoding::Gb18030},
        {"GBK with NUL bytes", withNul, TextEncoding::Gb18030},
        {"GBK novel with a NUL byte", gbkStart + '\0' + gbkStart, TextEncoding::Gb18030},
        {"UTF-8 with a NUL byte", toUtf8(U"　　天地玄黄，宇宙洪荒。\r\n") + '\0' + toUtf8(line),
         TextEncoding::Utf8},
        {"ASCII with a NUL byte", repeated("hello world, hello again\r\n", 3) + '\0' + "tail\r\n",
         TextEncoding::Gb18030},
        {"traditional text in Big5", big5, TextEncoding::Big5},
        {"traditional text in Big5, 20 times", repeated(big5, 20), TextEncoding::Big5},
        {"one UTF-16LE line without mark", utf16(line, "UTF-16LE"), TextEncoding::Utf16Le},
        {"a UTF-16BE line 200 times without mark", repeated(utf16(line, "UTF-16BE"), 200),
         TextEncoding::Utf16Be},
        {"traditional text in UTF-16LE without mark", utf16(kTraditional, "UTF-16LE"),
         TextEncoding::Utf16Le},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(detectBookEncoding(row.bytes), row.expected);
    }
}

// A GBK book with NUL bytes reads as GBK with its NULs kept as characters, and says
// nothing of a wrong encoding.
TEST(BookEncoding, gbkWithNulBytes_readsAsGbkKeepingThem)
{
    const std::u32string text =
        std::u32string(U"　　甲") + U'\0' + U"乙\r\n　　丙" + std::u32string(2, U'\0') + U"\r\n";
    const std::string bytes = gbk(text);
    ASSERT_EQ(std::count(bytes.begin(), bytes.end(), '\0'), 3);
    EXPECT_EQ(decodeBook(bytes), text);
    TempFolder folder;
    const auto loaded = loadPlainBook(folder.file("nul.txt", bytes), false);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->encoding, TextEncoding::Gb18030);
    EXPECT_FALSE(loaded->manyReplacements());
    EXPECT_TRUE(loaded->paragraphText == buildPlainBook(text, false).paragraphText);
}

// A chosen encoding wins over detection; UTF-16 still takes its byte order from the mark
// or from the bytes; reading a GBK book as UTF-8 fills it with U+FFFD and says so.
TEST(BookEncoding, forcedEncoding_readsTheBookInIt)
{
    const std::string gbk = corpusBytes("xiyouji.txt");
    if (gbk.empty())
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    const std::u32string text = gbkText(gbk);
    const std::string big5 = convert(utf32Bytes(text), utf32Name(), "BIG5");
    const std::string be = utf16(text, "UTF-16BE");
    struct Row
    {
        const char *name;
        std::string bytes;
        BookEncodingName forced;
        TextEncoding expected;
        bool garbled;
    } rows[] = {
        {"Big5 read as GB18030", big5, BookEncodingName::Gb18030, TextEncoding::Gb18030, true},
        {"GBK read as Big5", gbk, BookEncodingName::Big5, TextEncoding::Big5, true},
        {"GBK read as UTF-8", gbk, BookEncodingName::Utf8, TextEncoding::Utf8, true},
        {"UTF-16BE without mark", be, BookEncodingName::Utf16, TextEncoding::Utf16Be, false},
        {"UTF-16LE mark", "\xFF\xFE" + be, BookEncodingName::Utf16, TextEncoding::Utf16Le, true},
    };
    TempFolder folder;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto loaded =
            loadPlainBook(folder.file("book.txt", row.bytes), false, nullptr, row.forced);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->encoding, row.expected);
        const BookTexts whole = buildPlainBook(decodeBook(row.bytes, row.forced), false);
        EXPECT_TRUE(loaded->paragraphText == whole.paragraphText);
        if (row.expected == TextEncoding::Utf16Be) {
            EXPECT_TRUE(loaded->paragraphText == buildPlainBook(text, false).paragraphText);
        }
        if (row.expected == TextEncoding::Utf8) {
            EXPECT_TRUE(loaded->manyReplacements());
        }
        if (!row.garbled) {
            EXPECT_EQ(loaded->replacementCount, 0);
        }
    }
}

// A surrogate pair or a unit cut between pieces at any byte comes out whole, and a
// byte-order mark cut so is still dropped. Odd inputs: a high surrogate without its low
// half (before a unit, and at the very end), a lone low surrogate, an odd last byte.
TEST(ChunkDecoder, utf16CutAtEveryByte_decodesWhole)
{
    const std::u32string text = U"甲\U00020000乙\U0010FFFDa\r\n";
    for (const char *order : {"UTF-16LE", "UTF-16BE"}) {
        const TextEncoding encoding =
            std::string_view(order) == "UTF-16LE" ? TextEncoding::Utf16Le : TextEncoding::Utf16Be;
        const std::string bytes = utf16(text, order);
        const std::string mark = utf16(U"\uFEFF", order);
        for (const std::string &input : {bytes, mark + bytes}) {
            for (size_t cut = 0; cut <= input.size(); ++cut)
                EXPECT_EQ(decodeInPieces(input, encoding, {cut}), text)
                    << order << " cut at " << cut;
            std::vector<size_t> everyByte(input.size());
            for (size_t i = 0; i < input.size(); ++i)
                everyByte[i] = i;
            EXPECT_EQ(decodeInPieces(input, encoding, everyByte), text) << order;
        }
        const std::string high = utf16(U"\U00020000", order).substr(0, 2);
        const std::string low = utf16(U"\U00020000", order).substr(2, 2);
        const std::string a = utf16(U"a", order);
        const std::pair<std::string, std::u32string> odd[] = {
            {high + a, U"\uFFFDa"},
            {a + high, U"a\uFFFD"},
            {low + a, U"\uFFFDa"},
            {a + "x", U"a\uFFFD"},
        };
        for (const auto &[input, expected] : odd)
            for (size_t cut = 0; cut <= input.size(); ++cut)
                EXPECT_EQ(decodeInPieces(input, encoding, {cut}), expected)
                    << order << " cut at " << cut;
    }
    const std::string utf8 = "\xEF\xBB\xBF" + toUtf8(U"第一");
    for (size_t cut = 0; cut <= utf8.size(); ++cut)
        EXPECT_EQ(decodeInPieces(utf8, TextEncoding::Utf8, {cut}), U"第一") << "cut at " << cut;
}

// Every byte the code page cannot read is one U+FFFD and is counted, across pieces; the
// count decides "many" at more than 100, or more than one character in 200.
TEST(BookEncoding, replacementCount_countsEveryUnreadableByte)
{
    TempFolder folder;
    std::string bytes;
    const std::string line = "\xB5\xDA\xD2\xBB\xFF\r\n"; // 第一, a byte no GBK holds
    while (bytes.size() < (size_t{1} << 20))
        bytes += line;
    const auto loaded = loadPlainBook(folder.file("damaged.txt", bytes), false);
    ASSERT_TRUE(loaded);
    const int64_t lines = static_cast<int64_t>(bytes.size() / line.size());
    EXPECT_EQ(loaded->encoding, TextEncoding::Gb18030);
    EXPECT_EQ(loaded->replacementCount, lines);
    EXPECT_EQ(loaded->characters, lines * 5);
    EXPECT_TRUE(loaded->manyReplacements());

    struct Row
    {
        int64_t replacements, characters;
        bool many;
    } rows[] = {
        {0, 0, false},   {0, 1000, false},      {5, 1000, false}, // one in 200 is not more
        {6, 1000, true}, {100, 1000000, false}, {101, 1000000, true},
        {1, 10, true}, // a short text: one in ten
    };
    for (const Row &row : rows)
        EXPECT_EQ(hasManyReplacements(row.replacements, row.characters), row.many)
            << row.replacements << " of " << row.characters;
}

// The name kept with a book reads back as the same choice; any other text is no choice.
TEST(BookEncoding, encodingName_readsBack)
{
    for (BookEncodingName name :
         {BookEncodingName::Auto, BookEncodingName::Gb18030, BookEncodingName::Big5,
          BookEncodingName::Utf8, BookEncodingName::Utf16})
        EXPECT_EQ(parseEncodingName(encodingName(name)), name);
    EXPECT_EQ(parseEncodingName("utf16"), BookEncodingName::Utf16);
    EXPECT_EQ(parseEncodingName("BIG5"), BookEncodingName::Big5);
    EXPECT_FALSE(parseEncodingName("GBK"));
    EXPECT_EQ(encodingNameOf(TextEncoding::Utf16Be), BookEncodingName::Utf16);
}

namespace {

// The book read a piece at a time as the window reads it, its lines cut as the pieces
// come: after every piece the text built so far is the start of the whole book's, it is
// cut only up to the end of its last paragraph, and the lines cut from those parts end
// as the cut of the whole book.
struct PiecewiseResult
{
    BookText text;
    LineList lines;
    TextEncoding encoding = TextEncoding::Gb18030;
    int restarts = 0;
};

PiecewiseResult readPiecewise(const std::string &path, bool trim, size_t pieceBytes, int64_t width,
                              bool fine, BookEncodingName forced = BookEncodingName::Auto)
{
    PiecewiseResult result;
    auto reading = PlainBookReading::open(path, trim, nullptr, forced, pieceBytes);
    EXPECT_TRUE(reading);
    if (!reading)
        return result;
    ScrollTextMap map;
    reading->start(result.text, map);
    CutRules rules;
    rules.fine = fine;
    std::optional<LineCutter> cutter;
    int64_t searched = 0;
    const auto begin = [&] {
        cutter.emplace(result.text, width, rules);
        result.lines.clear();
        searched = 0;
    };
    begin();
    for (;;) {
        const auto step = reading->readPiece();
        if (step == PlainBookReading::Step::Restarted) {
            ++result.restarts;
            begin();
            continue;
        }
        EXPECT_NE(step, PlainBookReading::Step::Failed);
        if (step == PlainBookReading::Step::Failed)
            break;
        const int64_t end = reading->paragraphsEnd();
        EXPECT_LE(end, static_cast<int64_t>(result.text.size()));
        EXPECT_TRUE(end == 0 || result.text[static_cast<size_t>(end - 1)] == kParagraphMark ||
                    reading->done());
        if (fine) {
            const auto chapters = findChaptersIn(result.text, searched, end);
            std::vector<int64_t> starts;
            // The first paragraphs bring the book's head: its title and author lines begin
            // lines of their own as in the whole cut.
            if (searched == 0 && end > 0)
                starts = fineCutRules(result.text, chapters).lineStarts;
            else
                for (const Chapter &c : chapters)
                    starts.push_back(c.offset);
            cutter->addHeadingStarts(starts);
        }
        searched = end;
        cutter->limitTo(reading->done() ? -1 : end);
        cutter->cut(int64_t{1} << 40);
        cutter->handEndsTo(result.lines);
        if (step == PlainBookReading::Step::Done)
            break;
    }
    result.encoding = reading->encoding();
    return result;
}

} // namespace

// Every variant of a novel read a piece at a time: each piece grows the text at its end
// only, the lines cut as the paragraphs come are those of one cut of the whole book, for
// both rules of the cut and with paragraph trimming. Piece sizes: the reader's own, and
// odd small ones that cut characters, CR LF and paragraph decisions apart.
TEST(BookEncoding, everyVariantReadAPieceAtATime_endsAsTheWholeBook)
{
    std::string gbk = corpusBytes("xiyouji.txt");
    if (gbk.empty())
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    // A literal '^', a lone LF and a book that does not end with its line end.
    gbk = gbk.substr(0, gbk.find("\r\n", 400000) + 2) +
          encodeGb18030(U"\r\n　　第九十九回　圆满^结束\n又一行");
    TempFolder folder;
    for (const Variant &v : variantsOf(gbk)) {
        const std::string path = folder.file("book.txt", v.bytes);
        for (const bool trim : {false, true}) {
            const BookTexts whole = buildPlainBook(decodeBook(v.bytes), trim);
            for (const bool fine : {false, true}) {
                const CutRules rules = fine ? fineCutRules(whole.paragraphText) : CutRules{};
                for (const size_t piece : {kBookPieceBytes, size_t{4097}, size_t{65535}}) {
                    SCOPED_TRACE(v.name + (trim ? " trimmed" : "") + (fine ? " fine" : "") +
                                 " piece " + std::to_string(piece));
                    const PiecewiseResult read = readPiecewise(path, trim, piece, 23, fine);
                    EXPECT_EQ(read.encoding, v.encoding);
                    EXPECT_TRUE(read.text == whole.paragraphText);
                    EXPECT_EQ(read.lines, cutLines(whole.paragraphText, 23, rules));
                }
            }
        }
    }
}

// A file whose first piece cannot tell whether it is UTF-8 text (all ASCII, or UTF-8 so
// far) is read on in the likely encoding and read again from its start when the rest
// says otherwise: the book is always the one the whole-file choice gives.
TEST(BookEncoding, firstPieceThatCannotTell_endsInTheWholeFilesEncoding)
{
    const std::string ascii(kEncodingSampleBytes + 1000, 'a');
    const std::string chinese =
        toUtf8(U"　　第一回　灵根育孕源流出\r\n　　诗曰：混沌未分天地乱\r\n");
    std::string utf8Head;
    while (utf8Head.size() < kEncodingSampleBytes + 5000)
        utf8Head += chinese;
    const std::string gbk = encodeGb18030(U"　　心性修持大道生\r\n");
    struct Row
    {
        const char *name;
        std::string bytes;
        TextEncoding expected;
        bool readAgain;
    } rows[] = {
        {"ASCII, then UTF-8", ascii + chinese, TextEncoding::Utf8, true},
        {"ASCII, then GBK", ascii + gbk, TextEncoding::Gb18030, false},
        {"ASCII only", ascii, TextEncoding::Gb18030, false},
        {"UTF-8 throughout", utf8Head, TextEncoding::Utf8, false},
        {"UTF-8, then GBK", utf8Head + gbk, TextEncoding::Gb18030, true},
        {"UTF-8 cut off at the end", utf8Head + "\xE4\xB8", TextEncoding::Gb18030, true},
        {"ASCII, UTF-8, then GBK", ascii + chinese + gbk, TextEncoding::Gb18030, false},
    };
    TempFolder folder;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(detectBookEncoding(row.bytes), row.expected);
        const std::string path = folder.file("book.txt", row.bytes);
        const BookTexts whole = buildPlainBook(decodeBook(row.bytes), false);
        for (const size_t piece : {kBookPieceBytes, size_t{70001}}) {
            const PiecewiseResult read = readPiecewise(path, false, piece, 30, false);
            EXPECT_EQ(read.encoding, row.expected);
            EXPECT_TRUE(read.text == whole.paragraphText);
            EXPECT_EQ(read.lines, cutLines(whole.paragraphText, 30));
            // Read again from the start only when the likely encoding was wrong (with small
            // pieces ASCII-then-GBK is judged on the GBK piece, never read as UTF-8).
            if (piece == kBookPieceBytes) {
                EXPECT_EQ(read.restarts > 0, row.readAgain);
            }
        }
        const auto loaded = loadPlainBook(path, false);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->encoding, row.expected);
        EXPECT_TRUE(loaded->paragraphText == whole.paragraphText);
    }
}
