#include "navigation/readaloud.h"
#include "navigation/readingplace.h"
#include "text/reflow.h"
#include "text/spreadmarks.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tibbo::core {

void PrintTo(const RowRun &r, std::ostream *os)
{
    *os << "row " << r.row << " from " << r.firstColumn << " x" << r.columns;
}

namespace {

// `text` cut into lines of `charsPerLine`, L lines a page, the spread of topLine on show.
ReaderState laidOut(const std::u32string &text, int64_t charsPerLine, int64_t linesPerPage,
                    int64_t topLine = 1)
{
    ReaderState state;
    setParagraphText(state, BookText(text));
    state.charsPerLine = charsPerLine;
    state.linesPerPage = linesPerPage;
    applyReflow(state, cutLines(state.paragraphText, charsPerLine));
    state.topLine = topLine;
    return state;
}

// Lines of 5 characters, 2 lines a page: a spread is 4 rows, 20 characters.
//   spread 1: 甲乙丙丁。|戊己庚辛壬|癸子丑寅。|卯辰巳午未
//   spread 2: 申酉戌亥。|^ (the paragraph mark ends a line of its own)
const std::u32string kText = U"甲乙丙丁。戊己庚辛壬癸子丑寅。卯辰巳午未申酉戌亥。^";

TEST(ReadAloudPlaces, tintRunsAcrossLinesAndTheFold)
{
    const ReaderState state = laidOut(kText, 5, 2);
    struct Row
    {
        const char *name;
        int64_t from, to;
        std::vector<RowRun> runs;
    };
    const Row rows[] = {
        {"within a line", 1, 3, {{0, 1, 2}}},
        {"across two display lines", 3, 7, {{0, 3, 2}, {1, 0, 2}}},
        // Row 1 is the left page's last, row 2 the right page's first.
        {"across the fold", 5, 15, {{1, 0, 5}, {2, 0, 5}}},
        {"begun on the spread before", -4, 2, {{0, 0, 2}}},
        {"running on to the next spread", 18, 24, {{3, 3, 2}}},
        {"wholly on the next spread", 20, 25, {}},
        {"empty range", 4, 4, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(rowRunsOnShow(state, row.from, row.to), row.runs);
    }
}

TEST(ReadAloudPlaces, aParagraphMarkIsNeverTinted)
{
    const ReaderState state = laidOut(kText, 5, 2, 5);
    // Line 5 holds 申酉戌亥。, line 6 the paragraph's mark alone.
    EXPECT_EQ(rowRunsOnShow(state, 20, 26), (std::vector<RowRun>{{0, 0, 5}}));
}

TEST(ReadAloudPlaces, firstSentenceOnShow)
{
    struct Row
    {
        const char *name;
        std::u32string text;
        int64_t charsPerLine, linesPerPage, topLine;
        std::optional<Sentence> first;
    };
    const std::u32string runOn(60, U'字');
    const Row rows[] = {
        {"first spread", kText, 5, 2, 1, Sentence{0, 5, false}},
        // 卯辰巳午未申酉戌亥。 begins on spread 1 and runs on to spread 2: not read again.
        {"a sentence begun before is passed over",
         U"甲乙丙丁。戊己庚辛壬癸子丑寅。卯辰巳午未申酉戌亥。戌亥。^", 5, 2, 5,
         Sentence{25, 28, true}},
        {"a run-on over the whole spread starts at its first character", runOn + U"^", 5, 2, 5,
         Sentence{20, 60, true}},
        {"the spread holds only a paragraph mark", U"甲乙丙丁。^", 5, 1, 3, std::nullopt},
        {"a book without text", U"", 5, 2, 1, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const ReaderState state =
            laidOut(row.text, row.charsPerLine, row.linesPerPage, row.topLine);
        EXPECT_EQ(firstSentenceOnShow(state), row.first);
    }
}

// A line list cut from another text (a book on its way in) starts nothing.
TEST(ReadAloudPlaces, nothingWhileTheLinesBelongToAnotherText)
{
    ReaderState state = laidOut(kText, 5, 2);
    setParagraphText(state, BookText(U"新书的第一句。^"));
    EXPECT_FALSE(firstSentenceOnShow(state));
}

TEST(ReadAloudPlaces, chapterEnds)
{
    const std::vector<Chapter> chapters = {{10, U"第一回"}, {50, U"第二回"}};
    EXPECT_EQ(chapterEndAfter(chapters, 0, 90), 10);  // before the first heading
    EXPECT_EQ(chapterEndAfter(chapters, 10, 90), 50); // on a heading: its chapter
    EXPECT_EQ(chapterEndAfter(chapters, 49, 90), 50);
    EXPECT_EQ(chapterEndAfter(chapters, 50, 90), 90); // the last chapter ends the book
    EXPECT_EQ(chapterEndAfter({}, 5, 90), 90);
}

} // namespace
} // namespace tibbo::core
