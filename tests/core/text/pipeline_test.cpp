// The text pipeline: plain-text books, line capacity, re-flow and the spread on show.
#include "bookmarks/anchors.h"
#include "corefixtures.h"
#include "navigation/readingplace.h"
#include "referencebook.h"
#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/linecapacity.h"
#include "text/plaintext.h"
#include "text/reflow.h"
#include "text/spread.h"

#include <gtest/gtest.h>

using namespace tibbo::core::test;

using namespace tibbo::core;

namespace {

// A font in which "发" is `width` pixels wide and a line `height` pixels high, and which
// counts how often it was asked.
class FixedMeasurer : public TextMeasurer
{
  public:
    FixedMeasurer(double width, double height) : m_width(width), m_height(height) {}
    double widthOfRun(int64_t count) const override
    {
        ++calls;
        return m_width * static_cast<double>(count);
    }
    double lineHeight() const override { return m_height; }
    mutable int calls = 0;

  private:
    double m_width;
    double m_height;
};

LineList ends(std::initializer_list<LineEnd> v)
{
    return v;
}

ReaderState bookState(std::u32string text, int64_t charsPerLine, int64_t linesPerPage)
{
    ReaderState s;
    setParagraphText(s, std::move(text));
    s.charsPerLine = charsPerLine;
    s.linesPerPage = linesPerPage;
    applyReflow(s, cutLines(s.paragraphText, charsPerLine));
    return s;
}

} // namespace

TEST(PlainText, workedExample_paragraphsByIndentation)
{
    const std::u32string file = U"　　第一章\r\n　　他走了\r\n进来。\r\n\r\n　　她笑了\r\n";
    const BookTexts off = buildPlainBook(file, false);
    EXPECT_EQ(off.paragraphText, U"　　第一章^　　他走了进来。^　　她笑了^");
    EXPECT_EQ(off.scrollMap.scrollText(off.paragraphText),
              U"　　第一章\r\n　　他走了\r\n进来。\r\n\r\n　　她笑了\r\n");
    const BookTexts on = buildPlainBook(file, true);
    EXPECT_EQ(on.paragraphText, U"　　第一章^　　他走了^进来。^^　　她笑了^^");
}

TEST(PlainText, edgeCases)
{
    EXPECT_EQ(buildPlainBook(U"abc", false).paragraphText, U"abc^");
    EXPECT_EQ(scrollOf(buildPlainBook(U"abc", false)), U"abc\r\n");
    // An ASCII blank starts a paragraph like U+3000; a tab does not.
    EXPECT_EQ(buildPlainBook(U"a\r\n b\r\n\tc", false).paragraphText, U"a^ b\tc^");
    // LF-only line ends: one line.
    EXPECT_EQ(scrollOf(buildPlainBook(U"a\nb\n", false)), U"a\nb\n\r\n");
    // No indentation: one paragraph holding the whole book.
    EXPECT_EQ(buildPlainBook(U"a\r\nb\r\nc", false).paragraphText, U"abc^");
    // An empty file is an empty book.
    EXPECT_EQ(buildPlainBook(U"", false).paragraphText, U"");
    EXPECT_EQ(scrollOf(buildPlainBook(U"", true)), U"");
}

TEST(LineCapacity, workedExample)
{
    FixedMeasurer m(16, 18);
    const Capacity c = measureCapacity(m, 800, 600, 40, 20, 10, 20, 5);
    EXPECT_EQ(c.charsPerLine, 21); // 336 <= 340 < 352: a full line ends inside the area
    EXPECT_EQ(c.linesPerPage, 24); // Int(570 / 23)
    EXPECT_LT(m.calls, 8);         // found directly, not one character at a time
}

TEST(LineCapacity, boundaries)
{
    FixedMeasurer m(16, 18);
    // The area is an exact multiple of the width: that count just fits.
    EXPECT_EQ(measureCapacity(m, 800, 600, 40, 40, 10, 20, 5).charsPerLine, 20);
    // Margins wider than half the window.
    EXPECT_EQ(measureCapacity(m, 100, 600, 40, 20, 10, 20, 5).charsPerLine, 0);
    // A page narrower than one character still takes one a line.
    EXPECT_EQ(measureCapacity(m, 160, 600, 40, 20, 10, 20, 5).charsPerLine, 1);
    // Too low for one line, and a pitch of zero or less: one line all the same.
    EXPECT_EQ(measureCapacity(m, 800, 40, 40, 20, 10, 20, 5).linesPerPage, 1);
    EXPECT_EQ(measureCapacity(m, 800, 600, 40, 20, 10, 20, -18).linesPerPage, 1);
    EXPECT_EQ(measureCapacity(m, 800, 600, 40, 20, 10, 20, -30).linesPerPage, 1);
    // Spacing changes only the lines per page.
    const Capacity wide = measureCapacity(m, 800, 600, 40, 20, 10, 20, 10);
    EXPECT_EQ(wide.charsPerLine, 21);
    EXPECT_EQ(wide.linesPerPage, 20);
}

TEST(LineCapacity, fullLine_endsInsideThePageAtEveryFontSize)
{
    // Widths of "发" at 96 dpi from 9 to 36 pt: from 18 pt on a character is wider than
    // the 20-pixel inner margin, so a line one character too long crossed the fold.
    // A fractional window width and margins are there because the window passes them.
    for (const double charWidth : {12.0, 13.33, 16.0, 21.33, 24.0, 29.33, 37.33, 48.0}) {
        for (const double windowWidth : {447.0, 800.0, 1366.0, 1921.5}) {
            SCOPED_TRACE(std::to_string(charWidth) + " in " + std::to_string(windowWidth));
            const FixedMeasurer m(charWidth, 18);
            const double area = windowWidth / 2 - 40 - 20.5;
            const int64_t n =
                measureCapacity(m, windowWidth, 600, 40, 20.5, 10, 20, 5).charsPerLine;
            EXPECT_LE(m.widthOfRun(n), area);
            EXPECT_GT(m.widthOfRun(n + 1), area); // and no room is wasted
        }
    }
}

TEST(LineCapacity, updateKeepsPreviousCount)
{
    FixedMeasurer m(16, 18);
    ReaderState s;
    updateCapacity(s, m, 800, 600);
    updateCapacity(s, m, 1000, 600);
    EXPECT_EQ(s.previousCharsPerLine, 21);
    EXPECT_EQ(s.charsPerLine, 27); // 440 / 16 = 27.5
    updateCapacity(s, m, 1000, 600);
    EXPECT_EQ(s.previousCharsPerLine, s.charsPerLine);
}

TEST(Reflow, workedExamples)
{
    EXPECT_EQ(cutLines(U"abcdefg^hi^", 4), ends({0, 4, 8, 11}));
    EXPECT_EQ(cutLines(U"abcdefg^hi^", 3), ends({0, 3, 6, 8, 11}));
    // A paragraph of exactly K characters is followed by a line holding only its mark.
    EXPECT_EQ(cutLines(U"abcd^", 4), ends({0, 4, 5}));
}

TEST(Reflow, edgeCases)
{
    EXPECT_EQ(cutLines(U"", 4), ends({0}));
    EXPECT_EQ(cutLines(U"abcdef", 4), ends({0, 4, 6})); // no closing mark
    EXPECT_EQ(cutLines(U"ab^", 0), ends({0, 1, 2, 3})); // no width: a character a line
    EXPECT_EQ(cutLines(U"^^", 4), ends({0, 1, 2}));
}

TEST(Reflow, slicedCutEqualsWholeCut)
{
    BookText text;
    for (int i = 0; i < 500; ++i)
        text.append(std::u32string(static_cast<size_t>(i % 37), U'字') + U"^");
    LineCutter cutter(text, 13);
    int slices = 0;
    while (!cutter.cut(101))
        ++slices;
    EXPECT_GT(slices, 10);
    EXPECT_EQ(cutter.ends(), cutLines(text, 13));
}

TEST(Reflow, keepingPlace_sameCapacityKeepsSpread)
{
    ReaderState s = bookState(std::u32string(1000, U'a'), 10, 5);
    s.topLine = 1;
    s.selectedLine = 9; // last line of the first spread
    applyReflow(s, cutLines(s.paragraphText, 10));
    EXPECT_EQ(s.topLine, 1);
    s.topLine = 41;
    s.selectedLine = 3;
    applyReflow(s, cutLines(s.paragraphText, 10));
    EXPECT_EQ(s.topLine, 41);
}

TEST(Reflow, keepingPlace_followsTextAcrossCapacity)
{
    // Deep in the book at 10 a line, line 901 starts at character 9000. At 30 a line
    // that character is on line 301, whose spread (L = 5) starts at 301.
    ReaderState s = bookState(std::u32string(20000, U'a'), 10, 5);
    s.topLine = 901;
    s.charsPerLine = 30;
    applyReflow(s, cutLines(s.paragraphText, 30));
    EXPECT_EQ(s.topLine, 301);
}

TEST(Reflow, keepingPlace_firstStartAndForeignList)
{
    ReaderState s;
    setParagraphText(s, U"abc^");
    s.linesPerPage = 5;
    applyReflow(s, cutLines(s.paragraphText, 2));
    EXPECT_EQ(s.topLine, 1); // nothing shown yet
    // A list restored for another text: the line number is kept as it is.
    ReaderState t = bookState(std::u32string(200, U'a'), 10, 2);
    t.topLine = 9;
    setParagraphText(t, std::u32string(400, U'b'));
    applyReflow(t, cutLines(t.paragraphText, 10));
    EXPECT_EQ(t.topLine, 9);
}

TEST(Anchors, bookmarkFollowsItsTextAndComesBack)
{
    // Without paragraph marks the anchor gives line 37 at 20 a line -> line 25 at 30.
    ReaderState s = bookState(std::u32string(3000, U'a'), 20, 10);
    s.bookmarks = {{37, std::nullopt}};
    anchorByNumber(s.bookmarks, s.lineEnds);
    applyReflow(s, cutLines(s.paragraphText, 30));
    EXPECT_EQ(s.bookmarks[0].line, 25);
    applyReflow(s, cutLines(s.paragraphText, 17));
    applyReflow(s, cutLines(s.paragraphText, 20));
    EXPECT_EQ(s.bookmarks[0].line, 37);
}

TEST(Anchors, beyondTheListKeepsNumberWithoutAnchor)
{
    ReaderState s = bookState(std::u32string(100, U'a'), 10, 2);
    s.bookmarks = {{50, std::nullopt}};
    applyReflow(s, cutLines(s.paragraphText, 5));
    EXPECT_EQ(s.bookmarks[0].line, 50);
    EXPECT_FALSE(s.bookmarks[0].anchor);
}

TEST(Spread, example_pagesRowsAndBookmark)
{
    // 35 lines of 3 characters, L = 10, topLine 21: left page lines 21..30, right page
    // lines 31..35 then five empty rows.
    std::u32string text;
    for (int i = 1; i <= 35; ++i)
        text += U"ab^";
    ReaderState s = bookState(text, 10, 10);
    s.topLine = 21;
    s.bookmarks = {{33, std::nullopt}, {5, std::nullopt}};
    const Spread sp = buildSpread(s);
    ASSERT_EQ(sp.rows.size(), 20u);
    EXPECT_EQ(sp.rows[0], U"ab");
    EXPECT_EQ(sp.rows[14], U"ab");
    EXPECT_EQ(sp.rows[15], U"");
    EXPECT_EQ(sp.charCount, 15 * 2);
    EXPECT_EQ(pageCaption(sp.leftPage), "第3页");
    EXPECT_EQ(pageCaption(sp.leftPage + 1), "第4页");
    EXPECT_EQ(sp.bookmarkLabels, (std::vector<int64_t>{12}));
}

TEST(Spread, pastTheEndAndLastLineBookmark)
{
    ReaderState s = bookState(U"abcdefg^hi^", 4, 10);
    s.topLine = 41;
    s.bookmarks = {{60, std::nullopt}, {41, std::nullopt}};
    const Spread sp = buildSpread(s);
    for (const auto &row : sp.rows)
        EXPECT_TRUE(row.empty());
    EXPECT_EQ(sp.leftPage, 5);
    // Both fall on this spread: the icon goes beside the later one in list order.
    EXPECT_EQ(sp.bookmarkLabels, (std::vector<int64_t>{19, 0}));
}

TEST(Spread, lineListThatDoesNotFitNeverReadsPastText)
{
    ReaderState s;
    setParagraphText(s, U"ab");
    s.lineEnds = {0, 5, 9};
    s.linesPerPage = 1;
    s.topLine = 1;
    const Spread sp = buildSpread(s);
    EXPECT_EQ(sp.rows[0], U"ab");
    EXPECT_EQ(sp.rows[1], U"");
}
