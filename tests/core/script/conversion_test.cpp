// Simplified/Traditional conversion by phrase, its offset map, and the display layer
// that shows the book converted while every stored offset stays the book's own.
#include "referencebook.h"
#include "script/displayspread.h"
#include "script/displaytext.h"
#include "script/openccconverter.h"
#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/reflow.h"

#include <opencc/SimpleConverter.hpp>

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace tibbo::core;
using tibbo::core::test::readBook;

namespace {

std::shared_ptr<const PhraseConverter> converterOf(ScriptMode mode)
{
    std::string error;
    auto converter = OpenccConverter::forMode(mode, &error);
    EXPECT_TRUE(converter) << error;
    return converter;
}

std::u32string novelText(const char *name, size_t characters)
{
    const auto text = readBook(std::string(TIBBO_CORPUS_DIR) + "/" + name);
    EXPECT_TRUE(text) << "corpus not found at " << TIBBO_CORPUS_DIR;
    return text ? text->substr(0, characters) : std::u32string();
}

// Mainland words that Taiwan writes with another number of characters, in prose.
const std::u32string kTaiwanWords =
    U"他把U盘插进电脑，内存不够，只好打开软件清理。^后来她去了沙特阿拉伯，头发也干净了。^"
    U"打印机旁边放着鼠标。";

} // namespace

// Phrases a character table gets wrong (发→發 in 头发, 干→幹 in 干净, 后→後 in 皇后),
// in both directions, and the Taiwan and Hong Kong forms.
TEST(Conversion, convertsPhrasesACharacterTableGetsWrong)
{
    struct Row
    {
        const char *name;
        ScriptMode mode;
        std::u32string original;
        std::u32string converted;
    };
    const Row rows[] = {
        {"hair is 頭髮, not 頭發", ScriptMode::Traditional, U"头发", U"頭髮"},
        {"clean is 乾淨, not 幹淨", ScriptMode::Traditional, U"干净", U"乾淨"},
        {"the issue's example sentence", ScriptMode::Traditional, U"心神不宁状态极差",
         U"心神不寧狀態極差"},
        {"empress keeps 后, later is 後", ScriptMode::Traditional, U"皇后后来", U"皇后後來"},
        {"measure word 隻, adverb 只", ScriptMode::Traditional, U"一只猫只是", U"一隻貓只是"},
        {"back: 頭髮 is 头发", ScriptMode::Simplified, U"頭髮乾淨", U"头发干净"},
        {"back: 瞭解 is 了解", ScriptMode::Simplified, U"瞭解", U"了解"},
        {"Taiwan words change length", ScriptMode::TraditionalTaiwan, U"内存和U盘",
         U"記憶體和隨身碟"},
        {"Taiwan 裡 against 裏", ScriptMode::TraditionalTaiwan, U"里面", U"裡面"},
        {"back from Taiwan words", ScriptMode::SimplifiedFromTaiwan, U"記憶體和隨身碟",
         U"内存和U盘"},
        {"Hong Kong keeps 着", ScriptMode::TraditionalHongKong, U"着急", U"着急"},
        {"from Hong Kong forms", ScriptMode::SimplifiedFromHongKong, U"裏面", U"里面"},
        {"text outside the dictionaries stays", ScriptMode::Traditional, U"abc 123^「」",
         U"abc 123^「」"},
    };
    for (const Row &row : rows) {
        const auto converter = converterOf(row.mode);
        ASSERT_TRUE(converter);
        EXPECT_EQ(toUtf8(converter->convert(row.original).text), toUtf8(row.converted)) << row.name;
    }
}

// The conversion walks OpenCC's steps itself to know where each phrase came from; it
// must give exactly the text OpenCC's own converter gives, on a real novel and on the
// words whose length changes.
TEST(Conversion, givesOpenccsOwnResult)
{
    const std::u32string novel = novelText("hongloumeng.txt", 60000) + kTaiwanWords;
    for (const ScriptMode mode : allScriptModes()) {
        if (mode == ScriptMode::Original)
            continue;
        const auto converter = converterOf(mode);
        ASSERT_TRUE(converter);
        opencc::SimpleConverter opencc(OpenccConverter::dataFolder() + "/" +
                                       std::string(conversionConfigOf(mode)) + ".json");
        // Simplified-to-Simplified passes leave a Simplified book alone; convert the
        // Traditional form for those.
        const std::u32string input =
            convertsToSimplified(mode)
                ? converterOf(ScriptMode::TraditionalTaiwan)->convert(novel).text
                : novel;
        EXPECT_EQ(toUtf8(converter->convert(input).text), opencc.Convert(toUtf8(input)))
            << scriptModeKey(mode);
    }
}

// Every changed phrase in the map stands for its original, and offsets between and at
// the edges of changes map back to themselves.
TEST(Conversion, offsetMapPairsEachChangedPhraseWithItsOriginal)
{
    for (const ScriptMode mode :
         {ScriptMode::TraditionalTaiwan, ScriptMode::SimplifiedFromTaiwan}) {
        const std::u32string original =
            mode == ScriptMode::TraditionalTaiwan
                ? kTaiwanWords
                : converterOf(ScriptMode::TraditionalTaiwan)->convert(kTaiwanWords).text;
        const ConvertedRun run = converterOf(mode)->convert(original);
        ASSERT_FALSE(run.map.sameLengths()) << scriptModeKey(mode);
        const auto back =
            converterOf(mode == ScriptMode::TraditionalTaiwan ? ScriptMode::SimplifiedFromTaiwan
                                                              : ScriptMode::TraditionalTaiwan);
        for (const OffsetMap::Change &c : run.map.changes()) {
            const std::u32string from = original.substr(static_cast<size_t>(c.original),
                                                        static_cast<size_t>(c.originalLength));
            const std::u32string to = run.text.substr(static_cast<size_t>(c.converted),
                                                      static_cast<size_t>(c.convertedLength));
            EXPECT_EQ(toUtf8(converterOf(mode)->convert(from).text), toUtf8(to));
            EXPECT_EQ(run.map.toConverted(c.original), c.converted);
            EXPECT_EQ(run.map.toOriginal(c.converted), c.original);
            // Inside a changed phrase: its start, both ways.
            EXPECT_EQ(run.map.toConverted(c.original + 1), c.converted);
            EXPECT_EQ(run.map.toOriginal(c.converted + 1), c.original);
        }
        const auto n = static_cast<int64_t>(original.size());
        EXPECT_EQ(run.map.toConverted(n), static_cast<int64_t>(run.text.size()));
        EXPECT_EQ(run.map.toOriginal(static_cast<int64_t>(run.text.size())), n);
        // Each character outside the changes is its own conversion, one to one.
        for (int64_t k = 0; k < n; ++k) {
            const int64_t at = run.map.toConverted(k);
            if (run.map.toOriginal(at) == k && run.map.toConverted(k + 1) == at + 1) {
                EXPECT_EQ(run.map.toOriginal(at + 1), k + 1) << k;
            }
        }
    }
}

// A changed phrase the next pass takes into a longer phrase of its own: the blocks of
// two passes become one.
TEST(Conversion, changesOfTwoPassesThatOverlapBecomeOne)
{
    const auto converter = converterOf(ScriptMode::TraditionalTaiwan);
    // 自动转屏 → (pass 1) 自動轉屏 → (pass 2, a Taiwan phrase of its own) 自動旋轉螢幕.
    const ConvertedRun run = converter->convert(U"请自动转屏。");
    EXPECT_EQ(toUtf8(run.text), toUtf8(U"請自動旋轉螢幕。"));
    ASSERT_EQ(run.map.changes().size(), 1U);
    const OffsetMap::Change c = run.map.changes().front();
    EXPECT_EQ(c.original + c.originalLength, 5);
    EXPECT_EQ(c.converted + c.convertedLength, 7);
    EXPECT_EQ(run.map.toOriginal(7), 5); // the "。" after it
}

namespace {

// A book of `repeat` copies of the Taiwan words, long enough for many pieces.
BookText longTaiwanBook(int repeat)
{
    std::u32string text;
    for (int k = 0; k < repeat; ++k)
        text += kTaiwanWords + (k % 7 == 0 ? U"^" : U"，");
    return BookText(text);
}

} // namespace

// Lines cut anywhere (inside changed phrases too) show every character exactly once, and
// what they show together is the conversion of the whole text: pieces end where no
// phrase runs across them.
TEST(DisplayText, consecutiveRangesShowTheWholeConversionOnce)
{
    const BookText book = longTaiwanBook(2000);
    const auto converter = converterOf(ScriptMode::TraditionalTaiwan);
    DisplayText display;
    display.show(&book, converter);
    const std::u32string whole = converter->convert(book.substr(0)).text;
    std::mt19937 random(24);
    std::u32string shown;
    const auto n = static_cast<int64_t>(book.size());
    for (int64_t at = 0; at < n;) {
        const int64_t next = std::min(n, at + 1 + static_cast<int64_t>(random() % 37));
        shown += display.displayOf(at, next);
        at = next;
    }
    EXPECT_EQ(shown.size(), whole.size());
    EXPECT_TRUE(shown == whole);
    EXPECT_GT(display.piecesConverted(), 3);
}

// A place or a bookmark is an offset of the book's own text. Turned into a column of
// what is shown and back it comes home: exactly outside changed phrases, to the start
// of the phrase inside one. Without conversion every column is the offset itself.
TEST(DisplayText, placesSurviveALengthChangingConversionAndBack)
{
    const BookText book = longTaiwanBook(600);
    DisplayText display;
    for (const bool converting : {true, false}) {
        display.show(&book, converting ? converterOf(ScriptMode::TraditionalTaiwan) : nullptr);
        const auto n = static_cast<int64_t>(book.size());
        for (const int64_t lineStart : {int64_t{0}, int64_t{5}, DisplayText::kPieceSize - 20,
                                        3 * DisplayText::kPieceSize + 11}) {
            const std::u32string row = display.displayOf(lineStart, lineStart + 60);
            for (int64_t place = lineStart; place < std::min(n, lineStart + 60); ++place) {
                const int64_t column = display.columnOf(lineStart, place);
                const int64_t back = display.originalAt(lineStart, column);
                EXPECT_LE(back, place);
                // Only a phrase start lies before the place, and shows at the same column.
                EXPECT_EQ(display.columnOf(lineStart, back), column);
                if (!converting) {
                    EXPECT_EQ(back, place);
                }
                ASSERT_LE(column, static_cast<int64_t>(row.size()));
            }
        }
        // "U盘" became "隨身碟": the column after it is one more than the offset, and the
        // place after it comes back exactly.
        const int64_t after = 5; // 他把U盘 | 插进
        if (converting) {
            EXPECT_EQ(display.columnOf(0, after), after + 1);
            EXPECT_EQ(display.originalAt(0, after + 1), after);
            EXPECT_EQ(display.originalAt(0, 3), 2); // 隨 of 隨身碟: U盘 starts at 2
            EXPECT_EQ(display.originalAt(0, 4), 2);
        }
    }
}

// The rows of a converted spread are the conversion of their lines, every paragraph mark
// hidden as on an unconverted spread; the page numbers, counts and line list stay.
TEST(DisplayText, showsTheRowsOfASpreadConverted)
{
    ReaderState state;
    setParagraphText(state, BookText(kTaiwanWords));
    state.charsPerLine = 7;
    state.linesPerPage = 2;
    state.lineEnds = cutLines(state.paragraphText, state.charsPerLine);
    state.topLine = 1;
    const Spread plain = buildSpread(state);
    Spread converted = plain;
    DisplayText display;
    display.show(&state.paragraphText, converterOf(ScriptMode::TraditionalTaiwan));
    showRowsInScript(converted, state, display);
    ASSERT_EQ(converted.rows.size(), 4U);
    // 他把U盘插进电 | 脑，内存不够，: a row may grow or shrink where a word changes length.
    EXPECT_EQ(toUtf8(converted.rows[0]), toUtf8(U"他把隨身碟插進電"));
    EXPECT_EQ(toUtf8(converted.rows[1]), toUtf8(U"腦，記憶體不夠，"));
    EXPECT_EQ(converted.charCount, plain.charCount);
    EXPECT_EQ(converted.leftPage, plain.leftPage);
    display.reset();
    Spread unconverted = plain;
    showRowsInScript(unconverted, state, display);
    EXPECT_EQ(unconverted.rows, plain.rows);
}

// A marked range (the sentence read aloud) on a row where a phrase before it changed
// length: without the move its band would sit a character early and cut the mark short.
TEST(DisplayText, marksStayOnTheirTextInAConvertedRow)
{
    ReaderState state;
    setParagraphText(state, BookText(kTaiwanWords));
    state.charsPerLine = 7;
    state.linesPerPage = 2;
    state.lineEnds = cutLines(state.paragraphText, state.charsPerLine);
    state.topLine = 1;
    DisplayText display;
    display.show(&state.paragraphText, converterOf(ScriptMode::TraditionalTaiwan));
    struct Case
    {
        const char *what;
        int64_t from, to;
        std::vector<RowRun> shown;
    };
    const Case cases[] = {
        // 插进电 after U盘 → 隨身碟 (2 → 3): columns 4..6 become 5..7.
        {"after a longer word", 4, 7, {{0, 5, 3}}},
        // 内存 → 記憶體 itself: 2 characters become 3.
        {"the longer word", 9, 11, {{1, 2, 3}}},
        // 他把 before any change keeps its columns.
        {"before any change", 0, 2, {{0, 0, 2}}},
        // Across two rows: 电 ending row 0, 脑， starting row 1.
        {"across rows", 6, 9, {{0, 7, 1}, {1, 0, 2}}},
    };
    for (const Case &c : cases) {
        std::vector<RowRun> runs = rowRunsOnShow(state, c.from, c.to);
        showRunsInScript(runs, state, display);
        EXPECT_EQ(runs, c.shown) << c.what;
        // As written, the runs are rowRunsOnShow's own.
        std::vector<RowRun> plain = rowRunsOnShow(state, c.from, c.to);
        const std::vector<RowRun> kept = plain;
        showRunsInScript(plain, state, DisplayText());
        EXPECT_EQ(plain, kept) << c.what;
    }
}
