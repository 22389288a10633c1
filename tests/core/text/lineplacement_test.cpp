// Where the characters of a display line are drawn: plain lines as the font sets them,
// fine lines spread to the measure, marks compressed where they meet, closing marks hung
// only where the page has room for them.
#include "corefixtures.h"
#include "text/lineplacement.h"
#include "text/reflow.h"
#include "text/typesetting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace tibbo::core;
using namespace tibbo::core::test;

namespace {

constexpr double kEm = 14;

// A Simplified Chinese face: ideographs and full-width marks 14 px wide, closing marks
// inked in their left half, opening marks in their right half, "…" across its width,
// Latin letters and digits 7 px. With `centredMarks` every mark is inked in its middle, as
// a Traditional Chinese face sets them.
class FixedFace : public TextMeasurer
{
  public:
    explicit FixedFace(bool centredMarks = false) : m_centred(centredMarks) {}
    double widthOfRun(int64_t count) const override { return kEm * static_cast<double>(count); }
    double lineHeight() const override { return 20; }
    GlyphMetrics glyphMetrics(char32_t c, bool) const override
    {
        if (c < 0x80)
            return {kEm / 2, 0, kEm / 2};
        if (c == U'…' || c == U'—')
            return {kEm, 1, kEm - 1};
        if (m_centred && (isClosingMark(c) || isOpeningMark(c)))
            return {kEm, 4, kEm - 4};
        if (isClosingMark(c))
            return {kEm, 0, 5};
        if (isOpeningMark(c))
            return {kEm, 8, kEm};
        return {kEm, 0, kEm};
    }

  private:
    bool m_centred;
};

LineSetting fullLine(double measure, double hangRoom = 0)
{
    LineSetting s;
    s.fine = true;
    s.endsParagraph = false;
    s.measure = measure;
    s.hangRoom = hangRoom;
    return s;
}

LineSetting lastLine(double measure, double hangRoom = 0)
{
    LineSetting s = fullLine(measure, hangRoom);
    s.endsParagraph = true;
    return s;
}

std::vector<double> boxWidths(const PlacedLine &line)
{
    std::vector<double> widths;
    for (const CharPlace &c : line.chars)
        widths.push_back(c.width);
    return widths;
}

// The room each character of a spread line has past its own (compressed) width: the
// gap after it. `natural` is the same line placed flush left.
std::vector<double> gapsOf(const PlacedLine &line, const PlacedLine &natural)
{
    std::vector<double> gaps;
    for (size_t i = 0; i + 1 < line.chars.size(); ++i)
        gaps.push_back(line.chars[i + 1].x - line.chars[i].x - natural.chars[i].width);
    return gaps;
}

} // namespace

// A full line of fine typesetting fills the measure: its first box starts at 0, its last
// ends at the measure, and the room is shared evenly between the gaps.
TEST(LinePlacement, fullLines_fillTheMeasureWithEvenGaps)
{
    struct Case
    {
        const char *fault;
        std::u32string line;
        double measure;
    };
    const Case cases[] = {
        {"a line of 24 characters left the slack of the measure at its end",
         U"一二三四五六七八九十一二三四五六七八九十一二三四", 340},
        {"a line shortened by a carried opening mark stayed short",
         U"一二三四五六七八九十一二三四五六七八九十一二三", 340},
        {"a compressed pair left its half width at the line's end",
         U"一二三四五六七八九十。」一二三四五六七八九十一二", 340},
        {"a paragraph's indent was not spread with the rest",
         U"　　一二三四五六七八九十一二三四五六七八九十一二", 340},
        // Fractional measures: a window of odd width, margins typed with fractions.
        {"a fractional measure was not met exactly", U"一二三四五六七八九十", 143.7},
    };
    const FixedFace face;
    for (const Case &c : cases) {
        const PlacedLine line = placeLine(c.line, fullLine(c.measure), face);
        const PlacedLine natural = placeLine(c.line, lastLine(c.measure), face);
        ASSERT_EQ(line.chars.size(), c.line.size()) << c.fault;
        EXPECT_EQ(line.chars.front().x, 0) << c.fault;
        const CharPlace &last = line.chars.back();
        EXPECT_NEAR(last.x + natural.chars.back().width, c.measure, 1e-9) << c.fault;
        EXPECT_NEAR(line.width, c.measure, 1e-9) << c.fault;
        const std::vector<double> gaps = gapsOf(line, natural);
        for (double gap : gaps) {
            EXPECT_GT(gap, 0) << c.fault;
            EXPECT_NEAR(gap, gaps.front(), 1e-9) << c.fault;
        }
        // The boxes tile the line.
        for (size_t i = 0; i + 1 < line.chars.size(); ++i)
            EXPECT_NEAR(line.chars[i].x + line.chars[i].width, line.chars[i + 1].x, 1e-9)
                << c.fault;
    }
}

// The last line of a paragraph, a heading, and a line of Latin text (which the capacity
// counts as wide as 发) keep their natural spacing; plain lines are set as the font sets
// them, with nothing compressed.
TEST(LinePlacement, linesThatAreNotSpread_keepTheirNaturalWidths)
{
    struct Case
    {
        const char *fault;
        std::u32string line;
        LineSetting setting;
        std::vector<double> widths;
    };
    LineSetting heading = fullLine(340);
    heading.heading = true;
    LineSetting plain = fullLine(340);
    plain.fine = false;
    const Case cases[] = {
        {"a paragraph's last line was spread", U"一二三。", lastLine(340), {14, 14, 14, 14}},
        {"a heading was spread", U"第一回　灵", heading, {14, 14, 14, 14, 14}},
        {"a line of Latin letters was spread letter by letter", U"Copyright 2003 by", fullLine(340),
         std::vector<double>(17, 7)},
        {"a plain line was compressed", U"道：“好。”", plain, {14, 14, 14, 14, 14, 14}},
    };
    const FixedFace face;
    for (const Case &c : cases) {
        const PlacedLine line = placeLine(c.line, c.setting, face);
        EXPECT_EQ(boxWidths(line), c.widths) << c.fault;
        double x = 0;
        for (const CharPlace &place : line.chars) {
            EXPECT_EQ(place.x, x) << c.fault;
            EXPECT_EQ(place.glyphX, x) << c.fault;
            x += place.width;
        }
    }
}

// 标点挤压: where two marks meet, the one whose blank half faces the other takes half a
// width; an opening mark that lost its left half is drawn half a width left of its box.
TEST(LinePlacement, marksThatMeet_dropTheBlankHalfBetweenThem)
{
    struct Case
    {
        const char *fault;
        std::u32string line;
        std::vector<double> widths;
        std::vector<double> shifts; // glyphX - x
        bool centredMarks = false;
    };
    const Case cases[] = {
        {"a full stop before a closing quote kept its blank half",
         U"好。」走",
         {14, 7, 14, 14},
         {0, 0, 0, 0}},
        {"a comma before an opening quote kept its blank half",
         U"道，“好",
         {14, 7, 14, 14},
         {0, 0, 0, 0}},
        {"two closing marks in a row kept the first one's blank half", U"”。", {7, 14}, {0, 0}},
        {"an opening mark after an opening mark kept its blank half",
         U"「『好",
         {14, 7, 14},
         {0, -7, 0}},
        // Between a closing and an opening mark half a width of space stays.
        {"both marks of a closing-opening pair were compressed", U"」「", {7, 14}, {0, 0}},
        {"a mark before an ideograph was compressed", U"好。走", {14, 14, 14}, {0, 0, 0}},
        {"an ellipsis, inked across its width, lost a half", U"…」", {14, 14}, {0, 0}},
        {"a mark inked in its middle lost a half", U"好。」", {14, 14, 14}, {0, 0, 0}, true},
    };
    for (const Case &c : cases) {
        const FixedFace face(c.centredMarks);
        const PlacedLine line = placeLine(c.line, lastLine(340), face);
        EXPECT_EQ(boxWidths(line), c.widths) << c.fault;
        std::vector<double> shifts;
        for (const CharPlace &place : line.chars)
            shifts.push_back(place.glyphX - place.x);
        EXPECT_EQ(shifts, c.shifts) << c.fault;
    }
}

// A line the cut let run past the full width with closing marks: on the right page they
// hang into the outer margin when it takes them, on the left page (the fold) and where
// the margin is too narrow the line is squeezed into the measure.
TEST(LinePlacement, hangingMarks_onlyWhereThePageHasRoom)
{
    const std::u32string full24 = U"一二三四五六七八九十一二三四五六七八九十一二三四";
    struct Case
    {
        const char *fault;
        std::u32string line;
        bool endsParagraph;
        double hangRoom;
        bool hangs;       // the marks start at the measure's end
        double lastWidth; // the width of the last box
    };
    const Case cases[] = {
        {"a comma hanging in the outer margin kept its blank half", full24 + U"，", false, 17, true,
         7},
        {"two marks hanging in the outer margin were not compressed", full24 + U"。」", false, 17,
         true, 7},
        {"a comma hung into the fold", full24 + U"，", false, 0, false, 7},
        {"two marks hung past a margin too narrow for them", full24 + U"。」", false, 10, false, 7},
        {"an ellipsis hung into the edge strip", full24 + U"……", false, 17, false, 14},
        {"a paragraph's last line hung into the fold", full24 + U"。", true, 0, false, 7},
        {"a paragraph's last line did not hang in the margin", full24 + U"。", true, 17, true, 7},
    };
    const FixedFace face;
    const double measure = 340;
    for (const Case &c : cases) {
        const PlacedLine line = placeLine(
            c.line, c.endsParagraph ? lastLine(measure, c.hangRoom) : fullLine(measure, c.hangRoom),
            face);
        const size_t bodyEnd = full24.size();
        EXPECT_LE(line.width, measure + c.hangRoom + 1e-9) << c.fault;
        EXPECT_EQ(line.chars.back().width, c.lastWidth) << c.fault;
        if (c.hangs) {
            // The body fills the measure (a full line) or stands at its natural width.
            EXPECT_NEAR(line.chars[bodyEnd].x, c.endsParagraph ? 24 * kEm : measure, 1e-9)
                << c.fault;
            EXPECT_GT(line.width, measure) << c.fault;
        } else {
            EXPECT_NEAR(line.width, measure, 1e-9) << c.fault;
        }
    }
}

// The same over every line of the real novels, cut with the fine rules for a window of
// 800 pixels (the worked example of the line capacity: 24 characters in a measure of 340)
// and set on both pages: nothing passes the fold or reaches the edge strip, every full
// line fills the measure unless it holds Latin text, and the boxes tile every line.
TEST(LinePlacement, novels_neverPastTheTextAreaAndFullLinesFilled)
{
    const double windowWidth = 800, leftMargin = 40, rightMargin = 20, strip = 28;
    const TextFrame left =
        pageTextFrame(PageSide::Left, windowWidth, leftMargin, rightMargin, strip);
    const TextFrame right =
        pageTextFrame(PageSide::Right, windowWidth, leftMargin, rightMargin, strip);
    ASSERT_EQ(left.measure, 340);
    // The left page's lines end at the fold, the right page's hang room ends at the strip.
    EXPECT_EQ(left.left + left.measure + left.hangRoom, windowWidth / 2 - rightMargin);
    EXPECT_EQ(right.left + right.measure + right.hangRoom, windowWidth - strip);
    const FixedFace face;
    for (const char *name : {"hongloumeng.txt", "shuihuzhuan.txt"}) {
        const BookText *text = novel(name);
        if (!text)
            FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
        const CutRules rules = fineCutRules(*text);
        const LineList ends = cutLines(*text, 24, rules);
        int64_t hanging = 0, unfilled = 0;
        for (size_t k = 1; k < ends.size(); ++k) {
            std::u32string row = text->substr(static_cast<size_t>(ends[k - 1]),
                                              static_cast<size_t>(ends[k] - ends[k - 1]));
            if (!row.empty() && row.back() == kParagraphMark)
                row.pop_back();
            const bool last = lineEndsParagraph(*text, rules, ends[k]);
            const bool heading = lineIsHeading(rules, ends[k - 1]);
            bool hasLatin = false;
            for (char32_t c : row)
                hasLatin = hasLatin || (c < 0x80 && c != U' ');
            for (const TextFrame &frame : {left, right}) {
                LineSetting setting = fullLine(frame.measure, frame.hangRoom);
                setting.endsParagraph = last;
                setting.heading = heading;
                const PlacedLine line = placeLine(row, setting, face);
                ASSERT_LE(line.width, frame.measure + frame.hangRoom + 1e-9)
                    << name << " line " << k << ": " << toUtf8(row);
                hanging += line.width > frame.measure + 1e-9;
                if (!last && !heading && !hasLatin && std::abs(line.width - frame.measure) > 1e-6 &&
                    line.width < frame.measure)
                    ++unfilled;
                for (size_t i = 0; i + 1 < line.chars.size(); ++i)
                    ASSERT_NEAR(line.chars[i].x + line.chars[i].width, line.chars[i + 1].x, 1e-9);
            }
        }
        EXPECT_EQ(unfilled, 0) << name << ": full lines of Chinese text that did not fill";
        EXPECT_GT(hanging, 0) << name << ": nothing ever hung in the right page's margin";
    }
}

// A click is on the character whose box holds it; the room after a character of a
// spread line is that character's.
TEST(LinePlacement, characterAt_findsTheBoxThatHoldsAPoint)
{
    const FixedFace face;
    const PlacedLine line = placeLine(U"一二三四", fullLine(62), face); // gaps of 2 px
    const std::pair<double, int64_t> cases[] = {
        {-0.5, -1},                       // before the line
        {0, 0},     {13.9, 0}, {15.9, 0}, // in the first box, then the gap after it
        {16, 1},    {61.9, 3}, {62, -1},  // the last box, then past the line
    };
    for (const auto &[x, index] : cases)
        EXPECT_EQ(characterAt(line, x), index) << "at " << x;
    EXPECT_EQ(characterAt(PlacedLine{}, 0), -1);
}

// A heading stands a little below its row's top, the more the rows leave around the
// characters.
TEST(LinePlacement, headingDrop_halfOfWhatTheRowLeaves)
{
    EXPECT_EQ(headingDrop(26, 14), 6);
    EXPECT_EQ(headingDrop(15, 14), 0); // half a pixel is no drop
    EXPECT_EQ(headingDrop(10, 14), 0); // rows closer than the characters
}
