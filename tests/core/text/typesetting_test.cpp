// The fine typesetting cut: where full lines end around punctuation, paragraph ends and
// chapter headings, on hand-made lines and on the real novels.
#include "bookmarks/bookmarkstore.h"
#include "corefixtures.h"
#include "navigation/readingplace.h"
#include "pages/pages.h"
#include "referencebook.h"
#include "state/readerstate.h"
#include "text/headings.h"
#include "text/plaintext.h"
#include "text/reflow.h"
#include "text/spread.h"
#include "text/typesetting.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace tibbo::core::test;

using namespace tibbo::core;

namespace {

CutRules fine(std::vector<int64_t> lineStarts = {})
{
    return CutRules{true, std::move(lineStarts), {}};
}

// The lines of a list as text, so a failure shows where the cut went wrong.
std::vector<std::u32string> linesOf(const BookText &text, const LineList &ends)
{
    std::vector<std::u32string> lines;
    for (size_t k = 1; k < ends.size(); ++k)
        lines.push_back(text.substr(static_cast<size_t>(ends[k - 1]),
                                    static_cast<size_t>(ends[k] - ends[k - 1])));
    return lines;
}

std::string utf8(const std::u32string &s)
{
    return toUtf8(s);
}

std::string shown(const std::vector<std::u32string> &lines)
{
    std::string out;
    for (const auto &line : lines) {
        out += '[';
        out += utf8(line);
        out += ']';
    }
    return out;
}

const char *const kNovels[] = {"hongloumeng.txt", "xiyouji.txt", "shuihuzhuan.txt"};
const int64_t kWidths[] = {18, 24, 31};

} // namespace

TEST(FineCut, handMadeLines_breakWhereTheRulesSay)
{
    struct Case
    {
        const char *fault;
        std::u32string text;
        int64_t width;
        std::vector<int64_t> headingStarts;
        std::vector<std::u32string> lines;
    };
    const Case cases[] = {
        {"a comma would begin the next line", U"abcd，ef^", 4, {}, {U"abcd，", U"ef^"}},
        {"a run of two closing marks would begin the next line",
         U"abcd。」ef^",
         4,
         {},
         {U"abcd。」", U"ef^"}},
        // Three marks are more than may hang: the character before them goes down too.
        {"a run of three closing marks hung past the allowance",
         U"abcd……。ef^",
         4,
         {},
         {U"abc", U"d……。", U"ef^"}},
        {"an opening quote would end the line", U"abc“def^", 4, {}, {U"abc", U"“def^"}},
        {"a run of opening marks would end the line",
         U"ab《「cdef^",
         4,
         {},
         {U"ab", U"《「cd", U"ef^"}},
        {"a paragraph filling its line left its end on a line alone",
         U"abcd^ef^",
         4,
         {},
         {U"abcd^", U"ef^"}},
        {"a paragraph ending in a hanging mark left its end on a line alone",
         U"abcd。^ef^",
         4,
         {},
         {U"abcd。^", U"ef^"}},
        {"a half-width mark would begin the next line",
         U"abcd!efg(h)^",
         4,
         {},
         {U"abcd!", U"efg", U"(h)^"}},
        {"a heading joined to the paragraph before ran into it",
         U"且听下回分解。第二回　悟彻^正文^",
         20,
         {7},
         {U"且听下回分解。", U"第二回　悟彻^", U"正文^"}},
        // The heading opens its paragraph already: a break before it would leave the
        // indent alone on a line.
        {"an indented heading was cut from its indent",
         U"ab^　　第二回^",
         20,
         {5},
         {U"ab^", U"　　第二回^"}},
        {"a heading break was taken over by a hanging mark",
         U"abcd第二回^",
         4,
         {4},
         {U"abcd", U"第二回^"}},
        // No place to break by the rules: cut at the width as without them.
        {"a line of opening marks only found no end",
         U"“「『‘“「『‘^",
         4,
         {},
         {U"“「『‘", U"“「『‘^"}},
        {"a line of closing marks only found no end",
         U"，，，，，，，^",
         4,
         {},
         {U"，，，，", U"，，，^"}},
        {"a width of one character gave no room to hang", U"a，b^", 1, {}, {U"a，", U"b^"}},
        {"the text's end after a full line", U"abcd", 4, {}, {U"abcd"}},
        {"a closing mark at the text's end", U"abcd，", 4, {}, {U"abcd，"}},
    };
    for (const Case &c : cases) {
        const BookText text(c.text);
        const auto lines = linesOf(text, cutLines(text, c.width, fine(c.headingStarts)));
        EXPECT_EQ(shown(lines), shown(c.lines)) << c.fault;
    }
}

TEST(FineCut, rulesOff_giveTheCharacterCountCut)
{
    // Headings handed in with the rules off must change nothing.
    for (const char *name : kNovels) {
        const BookText *text = novel(name);
        if (!text)
            FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
        CutRules off = fineCutRules(*text);
        off.fine = false;
        for (int64_t width : kWidths) {
            const auto plain = cutLines(*text, width);
            EXPECT_EQ(cutLines(*text, width, off), plain) << name << " " << width;
            // Every line ends after a '^' or holds exactly the width.
            for (size_t k = 1; k + 1 < plain.size(); ++k)
                ASSERT_TRUE(plain[k] - plain[k - 1] == width ||
                            (*text)[static_cast<size_t>(plain[k] - 1)] == kParagraphMark)
                    << name << " " << width << " line " << k;
        }
    }
}

// The rules on the real novels, at three widths: each kind of fault counted over every
// line, with the first one found shown.
TEST(FineCut, novels_noPunctuationAtLineEdgesNoLoneEndsHeadingsOnTheirOwnLines)
{
    for (const char *name : kNovels) {
        const BookText *text = novel(name);
        if (!text)
            FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
        const CutRules rules = fineCutRules(*text);
        const auto chapters = findChapters(*text);
        const auto headings = std::count_if(chapters.begin(), chapters.end(), [](const Chapter &c) {
            return c.title.front() == U'第' && c.title.find(U'回') != std::u32string::npos;
        });
        EXPECT_GE(headings, 60) << name;
        for (int64_t width : kWidths) {
            const auto ends = cutLines(*text, width, rules);
            ASSERT_NE(ends, cutLines(*text, width)) << name << ": the rules changed nothing";
            ASSERT_EQ(ends.back(), static_cast<int64_t>(text->size()));
            const auto at = [&](int64_t i) { return (*text)[static_cast<size_t>(i)]; };
            std::map<std::string, std::vector<int64_t>> faults;
            for (size_t k = 1; k < ends.size(); ++k) {
                const int64_t start = ends[k - 1], end = ends[k];
                ASSERT_LT(start, end) << name;
                const bool paragraphStart = start == 0 || at(start - 1) == kParagraphMark;
                const bool closesParagraph = at(end - 1) == kParagraphMark;
                const int64_t visible = end - start - (closesParagraph ? 1 : 0);
                if (visible > width + kMaxHangingMarks)
                    faults["line longer than the width and the hanging marks"].push_back(start);
                if (!paragraphStart && isClosingMark(at(start)))
                    faults["line begins with a closing mark"].push_back(start);
                if (!closesParagraph && end < static_cast<int64_t>(text->size()) &&
                    isOpeningMark(at(end - 1)))
                    faults["line ends with an opening mark"].push_back(start);
                if (end - start == 1 && closesParagraph && !paragraphStart)
                    faults["paragraph end alone after a full line"].push_back(start);
            }
            for (const Chapter &c : chapters) {
                const int64_t line = lineHolding(ends, c.offset);
                const int64_t start = ends[static_cast<size_t>(line - 1)];
                // An indented heading starts its line with the indent before it.
                const bool blanksOnly = std::all_of(
                    text->substr(static_cast<size_t>(start), static_cast<size_t>(c.offset - start))
                        .begin(),
                    text->substr(static_cast<size_t>(start), static_cast<size_t>(c.offset - start))
                        .end(),
                    [](char32_t ch) { return ch == U'\u3000' || ch == U' ' || ch == U'\t'; });
                if (start != c.offset &&
                    !(blanksOnly && (start == 0 || at(start - 1) == kParagraphMark)))
                    faults["heading does not begin a line"].push_back(c.offset);
            }
            for (const auto &[fault, offsets] : faults)
                ADD_FAILURE() << name << " width " << width << ": " << fault << ", "
                              << offsets.size() << " times, first at "
                              << utf8(text->substr(static_cast<size_t>(offsets.front()), 40));
        }
    }
}

TEST(FineCut, slicedCut_equalsTheWholeCut)
{
    const BookText *text = novel("shuihuzhuan.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    const CutRules rules = fineCutRules(*text);
    for (int64_t width : kWidths) {
        // Slices that end inside lines, headings and hanging runs alike.
        for (int64_t budget : {1, 997, 65536}) {
            LineCutter cutter(*text, width, rules);
            int slices = 0;
            while (!cutter.cut(budget))
                ++slices;
            EXPECT_GT(slices, 0);
            EXPECT_EQ(cutter.ends(), cutLines(*text, width, rules)) << width << " " << budget;
        }
    }
}

TEST(FineCut, storedList_matchesOnlyUnderTheRulesItWasCutWith)
{
    const BookText *text = novel("xiyouji.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    ReaderState state;
    setParagraphText(state, *text);
    state.charsPerLine = 24;
    state.linesPerPage = 12;
    const CutRules rules = fineCutRules(*text);
    const auto install = [&](LineList ends) {
        state.lineEnds = std::move(ends);
        state.lineEndsVersion = state.textVersion;
    };
    install(cutLines(*text, 24, rules));
    EXPECT_TRUE(lineListMatchesCapacity(state, rules));
    EXPECT_FALSE(lineListMatchesCapacity(state)) << "a fine list taken for a plain one";
    install(cutLines(*text, 24));
    EXPECT_TRUE(lineListMatchesCapacity(state));
    EXPECT_FALSE(lineListMatchesCapacity(state, rules)) << "a plain list taken for a fine one";
    install(cutLines(*text, 25, rules));
    EXPECT_FALSE(lineListMatchesCapacity(state, rules)) << "a fine list of another width";
}

// Switching the rules on and off re-flows: the place and the bookmarks stay on their text
// and come back to their lines when the rules are off again.
TEST(FineCut, switchingTheRules_keepsThePlaceAndTheBookmarks)
{
    const BookText *text = novel("hongloumeng.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    const CutRules rules = fineCutRules(*text);
    struct Place
    {
        const char *name;
        int64_t line, selectedLine; // a line of the plain cut at width 24
    };
    const Place places[] = {
        {"first spread, no line chosen", 1, 0},
        {"a chosen line mid-book", 20011, 7},
        {"the line after a heading", 0, 3},
        {"the last spread", -1, 0},
    };
    for (const Place &p : places) {
        ReaderState s;
        setParagraphText(s, *text);
        s.charsPerLine = 24;
        s.linesPerPage = 12;
        applyReflow(s, cutLines(*text, 24));
        const int64_t spread = 2 * s.linesPerPage;
        int64_t line = p.line;
        if (line == 0) // just after the 50th heading
            line = lineHolding(s.lineEnds, findChapters(*text)[49].offset) + 1;
        if (line < 0) // the last line but one, so the bookmark below fits
            line = s.lineCount() - 1;
        s.topLine = spread * ((line - 1) / spread) + 1;
        s.selectedLine = p.selectedLine;
        s.lineChosen = p.selectedLine > 0;
        const int64_t top = s.topLine;
        const int64_t place = s.lineEnds[static_cast<size_t>(top + p.selectedLine - 1)];
        s.selectedLine = 1;
        s.lineChosen = true;
        addBookmark(s);
        s.selectedLine = p.selectedLine;
        s.lineChosen = p.selectedLine > 0;
        ASSERT_EQ(s.bookmarks.size(), 1u) << p.name;
        const int64_t marked = s.bookmarks.front().line;
        const int64_t anchor = s.lineEnds[static_cast<size_t>(marked - 1)];

        applyReflow(s, cutLines(*text, 24, rules));
        const int64_t first = s.lineEnds[static_cast<size_t>(s.topLine - 1)];
        const int64_t past =
            s.lineEnds[static_cast<size_t>(std::min(s.topLine - 1 + spread, s.lineCount()))];
        EXPECT_TRUE(first <= place && place < past) << p.name << ": the place left the spread";
        EXPECT_EQ(s.bookmarks.front().line, lineHolding(s.lineEnds, anchor)) << p.name;

        applyReflow(s, cutLines(*text, 24));
        EXPECT_EQ(s.topLine, top) << p.name;
        EXPECT_EQ(s.bookmarks.front().line, marked) << p.name;
    }
}

// Downloaded novels open with a title line and an author line that the loader joins into
// the first paragraph, often with the first heading after them.
TEST(FineCut, bookHead_titleAndAuthorStandOnLinesOfTheirOwn)
{
    struct Case
    {
        const char *fault;
        std::u32string text;
        std::vector<std::u32string> lines;
        std::u32string title; // the run set as a heading at the head, if any
    };
    const Case cases[] = {
        {"title, author and first heading ran together",
         U"《红楼梦》作者：曹雪芹第一回　甄士隐梦幻识通灵^　　此开卷第一回也。^",
         {U"《红楼梦》", U"作者：曹雪芹", U"第一回　甄士隐梦幻识通灵^", U"　　此开卷第一回也。^"},
         U"《红楼梦》"},
        {"a title without brackets ran into its author",
         U"红楼梦　作者：曹雪芹^正文^",
         {U"红楼梦　", U"作者：曹雪芹^", U"正文^"},
         U"红楼梦"},
        {"a bracketed title followed by blanks kept its author line",
         U"《水浒传》　　作者:施耐庵^",
         {U"《水浒传》　　", U"作者:施耐庵^"},
         U"《水浒传》"},
        // Prose that opens with a book's name or names an author is no head.
        {"prose opening with a book's name was cut after it",
         U"《诗经》有云：关关雎鸠，在河之洲。^",
         {U"《诗经》有云：关关雎鸠，在河之洲。^"},
         U""},
        {"an author named in the prose was set apart",
         U"　　此开卷第一回也。作者自云：因曾历过^",
         {U"　　此开卷第一回也。作者自云：因曾历过^"},
         U""},
        {"a clause before the author label was taken for a title",
         U"话说天下大势，作者：罗贯中^",
         {U"话说天下大势，作者：罗贯中^"},
         U""},
        {"head lines of their own were cut again",
         U"《西游记》^作者：吴承恩^",
         {U"《西游记》^", U"作者：吴承恩^"},
         U"《西游记》"},
    };
    for (const Case &c : cases) {
        const BookText text(c.text);
        const CutRules rules = fineCutRules(text);
        const LineList ends = cutLines(text, 30, rules);
        EXPECT_EQ(shown(linesOf(text, ends)), shown(c.lines)) << c.fault;
        const BookHead head = findBookHead(text);
        EXPECT_EQ(utf8(text.substr(static_cast<size_t>(head.title.start),
                                   static_cast<size_t>(head.title.end - head.title.start))),
                  utf8(c.title))
            << c.fault;
        // The head lines end their paragraphs (set flush left); only the title is a heading.
        for (size_t k = 1; k < ends.size(); ++k) {
            const int64_t start = ends[k - 1];
            const bool inTitle = head.title.start <= start && start < head.title.end;
            const bool atAuthor = start == head.authorStart;
            if (inTitle || atAuthor) {
                EXPECT_TRUE(lineEndsParagraph(text, rules, ends[k])) << c.fault << " line " << k;
            }
            if (!inTitle && head.title.end > head.title.start && start < head.title.end)
                ADD_FAILURE() << c.fault << ": a line begins inside the title";
            if (atAuthor || inTitle) {
                EXPECT_EQ(lineIsHeading(rules, start), inTitle) << c.fault;
            }
        }
    }
}

// What the book view needs to know of each row: the head and the heading set apart, the
// lines before a heading flush left, full lines of prose spread.
TEST(FineCut, spreadRoles_headLinesAndHeadingsOfTheNovel)
{
    const BookText *text = novel("hongloumeng.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    const CutRules rules = fineCutRules(*text);
    ReaderState s;
    setParagraphText(s, *text);
    s.charsPerLine = 24;
    s.linesPerPage = 12;
    applyReflow(s, cutLines(*text, 24, rules));
    s.topLine = 1;
    const Spread first = buildSpread(s, rules);
    ASSERT_EQ(first.rows.size(), 24u);
    EXPECT_EQ(utf8(first.rows[0]), utf8(U"《红楼梦》"));
    EXPECT_EQ(utf8(first.rows[1]), utf8(U"作者：曹雪芹"));
    EXPECT_EQ(utf8(first.rows[2].substr(0, 3)), utf8(U"第一回"));
    const bool heading[] = {true, false, true, false};
    const bool ends[] = {true, true, true, false};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(first.roles[k].heading, heading[k]) << "row " << k;
        EXPECT_EQ(first.roles[k].endsParagraph, ends[k]) << "row " << k;
    }
    // The line before the second chapter's joined heading ends flush left.
    const auto chapters = findChapters(*text);
    const int64_t headingLine = lineHolding(s.lineEnds, chapters[1].offset);
    s.topLine = headingLine - 1;
    const Spread before = buildSpread(s, rules);
    EXPECT_TRUE(before.roles[0].endsParagraph);
    EXPECT_FALSE(before.roles[0].heading);
    EXPECT_TRUE(before.roles[1].heading);
    // Without the rules nothing is a heading.
    s.topLine = 1;
    for (const RowRole &role : buildSpread(s).roles)
        EXPECT_FALSE(role.heading);
}

// What the offer of fine typesetting looks for: a line of the plain cut that begins with
// a closing mark, within the lines asked about only.
TEST(FineCut, someLineBeginsWithClosingMark_onlyInTheLinesAskedAbout)
{
    const BookText text(U"一二三四，五六七八。^九十一二三四五六^");
    // Lines of four: "一二三四" "，五六七" "八。^九" "十一二三" "四五六^".
    const LineList ends{0, 4, 8, 12, 16, 20};
    struct Case
    {
        const char *name;
        int64_t firstLine;
        int64_t count;
        bool expected;
    };
    const Case cases[] = {
        {"the line itself", 2, 1, true},
        {"a range holding it", 1, 5, true},
        {"the lines before it", 1, 1, false},
        {"the lines after it", 3, 3, false},
        // The range may run past the list; nothing past it is read.
        {"past the end", 5, 100, false},
        {"nothing asked", 2, 0, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(someLineBeginsWithClosingMark(text, ends, c.firstLine, c.count), c.expected)
            << c.name;
    // The real novels: the plain cut begins lines with marks near the start, the fine cut
    // never does.
    for (const char *name : kNovels) {
        const BookText *book = novel(name);
        ASSERT_TRUE(book) << "corpus not found at " << TIBBO_CORPUS_DIR;
        const LineList plain = cutLines(*book, 24);
        const LineList fineEnds = cutLines(*book, 24, fineCutRules(*book));
        EXPECT_TRUE(someLineBeginsWithClosingMark(*book, plain, 1, 400)) << name;
        EXPECT_FALSE(someLineBeginsWithClosingMark(*book, fineEnds, 1,
                                                   static_cast<int64_t>(fineEnds.size())))
            << name;
    }
}
