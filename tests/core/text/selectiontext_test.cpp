// A selection as characters of the book: the character under a row and column of the
// spread, the word around a character (Chinese by ICU's dictionary, Latin by blanks and
// punctuation), and the text the clipboard gets.
#include "state/readerstate.h"
#include "text/reflow.h"
#include "text/selectiontext.h"

#include <gtest/gtest.h>

using namespace tibbo::core;

namespace {

ReaderState cutBook(std::u32string_view text, int64_t charsPerLine, int64_t linesPerPage,
                    int64_t topLine = 1)
{
    ReaderState state;
    state.paragraphText = BookText(text);
    state.lineEnds = cutLines(state.paragraphText, charsPerLine);
    state.charsPerLine = charsPerLine;
    state.linesPerPage = linesPerPage;
    state.topLine = topLine;
    return state;
}

std::u32string wordText(const BookText &text, int64_t offset)
{
    const TextSpan word = wordAt(text, offset);
    return text.substr(static_cast<size_t>(word.from), static_cast<size_t>(word.to - word.from));
}

} // namespace

TEST(CharacterOnRow, rowsAndColumnsGiveTheBookOffsets)
{
    // K = 4, L = 2: lines "abcd" "efg^" "^" "hi^"; the spread from line 1 holds all four.
    const ReaderState state = cutBook(U"abcdefg^^hi^", 4, 2);
    struct Row
    {
        const char *name;
        int64_t row, column;
        std::optional<int64_t> offset;
    };
    const Row rows[] = {
        {"first character", 0, 0, 0},
        {"on the second row", 1, 2, 6},
        // A pointer right of a short row is on its last character, not on its mark.
        {"past a row's last character", 1, 9, 6},
        {"before a row's first", 3, -3, 9},
        // A row holding only a mark has no character: its line's first offset.
        {"a lone paragraph mark", 2, 0, 8},
        {"the right page's row", 3, 1, 10},
        {"a row past the spread", 4, 0, std::nullopt},
        {"a negative row", -1, 0, std::nullopt},
    };
    for (const Row &r : rows)
        EXPECT_EQ(characterOnRow(state, r.row, r.column), r.offset) << r.name;
    // Rows past the book's last line show nothing.
    const ReaderState end = cutBook(U"abcdefg^^hi^", 4, 2, 3);
    EXPECT_EQ(characterOnRow(end, 1, 0), 9);
    EXPECT_EQ(characterOnRow(end, 2, 0), std::nullopt);
}

TEST(WordAt, chineseByTheDictionaryLatinByBlanks)
{
    const BookText text(U"　　贾宝玉初试云雨情，刘姥姥一进荣国府。^TibboRead is don't 3.14 good.^");
    struct Case
    {
        const char *name;
        int64_t offset;
        std::u32string word;
    };
    const Case cases[] = {
        {"a name, from its middle", 3, U"贾宝玉"},
        {"a name, from its last character", 13, U"刘姥姥"},
        {"a comma is a word of its own", 10, U"，"},
        {"an indent is one character", 0, U"　"},
        {"a Latin word", 23, U"TibboRead"},
        {"an apostrophe inside a word", 36, U"don't"},
        {"a decimal number", 40, U"3.14"},
        {"a blank", 30, U" "},
        {"the paragraph mark", 20, U"^"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(wordText(text, c.offset), c.word) << c.name;
    EXPECT_TRUE(wordAt(text, -1).empty());
    EXPECT_TRUE(wordAt(text, static_cast<int64_t>(text.size())).empty());
}

TEST(WordAt, stopsAtTheParagraphAndWithinItsWindow)
{
    // "abc^def": a word never runs over a paragraph mark.
    const BookText paragraphs(U"abc^def^");
    EXPECT_EQ(wordText(paragraphs, 1), U"abc");
    EXPECT_EQ(wordText(paragraphs, 5), U"def");
    // A run of letters far longer than the window is cut at the window either side.
    const BookText run(std::u32string(2000, U'x') + U"^");
    const TextSpan word = wordAt(run, 1000);
    EXPECT_EQ(word.from, 1000 - kWordWindow);
    EXPECT_EQ(word.to, 1000 + kWordWindow);
}

TEST(WordAt, charactersBeyondTheBasicPlaneCountOne)
{
    // 𠮷 takes two UTF-16 units in ICU: the offsets after it must still be characters.
    const BookText text(U"𠮷 hello world^");
    EXPECT_EQ(wordAt(text, 3), (TextSpan{2, 7}));
    EXPECT_EQ(wordAt(text, 9), (TextSpan{8, 13}));
}

TEST(CopiedText, paragraphMarksBecomeLineBreaks)
{
    const BookText text(U"　　第一段很长很长^　　第二段^");
    struct Case
    {
        const char *name;
        int64_t from, to;
        std::u32string copied;
    };
    const Case cases[] = {
        {"inside one paragraph", 2, 5, U"第一段"},
        {"across a paragraph end", 5, 14, U"很长很长\n　　第二"},
        {"the closing mark of the book", 13, 16, U"二段\n"},
        {"kept within the text", -5, 3, U"　　第"},
        {"an empty range", 4, 4, U""},
        {"a reversed range", 6, 2, U""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(copiedText(text, c.from, c.to), c.copied) << c.name;
}
