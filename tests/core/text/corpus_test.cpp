// The real novels: GBK, CR LF, paragraphs indented by two ideographic spaces.
#include "navigation/pagemoves.h"
#include "navigation/readingplace.h"
#include "pages/pages.h"
#include "referencebook.h"
#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/fileio.h"
#include "text/plaintext.h"
#include "text/reflow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

using namespace tibbo::core::test;

using namespace tibbo::core;

namespace {

std::optional<std::u32string> novel(const char *name)
{
    return readBook(std::string(TIBBO_CORPUS_DIR) + "/" + name);
}

struct Size
{
    int64_t charsPerLine, linesPerPage;
};

// A change of window size or font: new capacity, then the re-flow the window runs.
void resize(ReaderState &s, Size size)
{
    s.charsPerLine = size.charsPerLine;
    s.linesPerPage = size.linesPerPage;
    applyReflow(s, cutLines(s.paragraphText, size.charsPerLine));
}

// True when the spread on show holds character `offset` of the paragraph text.
bool spreadHolds(const ReaderState &s, int64_t offset)
{
    const int64_t first = s.topLine - 1;
    const int64_t past = std::min(first + 2 * s.linesPerPage, s.lineCount());
    return first < past && s.lineEnds[static_cast<size_t>(first)] <= offset &&
           offset < s.lineEnds[static_cast<size_t>(past)];
}

} // namespace

TEST(Corpus, paragraphCountEqualsIndentedLines)
{
    for (const char *name : {"hongloumeng.txt", "xiyouji.txt", "shuihuzhuan.txt"}) {
        const auto text = novel(name);
        if (!text)
            FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
        const auto lines = splitLines(*text);
        const auto indented = std::count_if(lines.begin() + 1, lines.end(), [](auto l) {
            return !l.empty() && l.front() == U'\u3000';
        });
        const BookTexts b = buildPlainBook(*text, false);
        // Every indented line closes the paragraph before it, plus the closing mark.
        const std::u32string paragraphs = b.paragraphText.substr(0);
        EXPECT_EQ(std::count(paragraphs.begin(), paragraphs.end(), U'^'), indented + 1) << name;
        EXPECT_EQ(std::count(text->begin(), text->end(), U'\uFFFD'), 0) << name;
    }
}

TEST(Corpus, hongloumengKnownFigures)
{
    const auto text = novel("hongloumeng.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    const BookTexts b = buildPlainBook(*text, false);
    const std::u32string paragraphs = b.paragraphText.substr(0);
    EXPECT_EQ(std::count(paragraphs.begin(), paragraphs.end(), U'^'), 2879);
    EXPECT_EQ(paragraphs.size(), 873212u);
    EXPECT_EQ(paragraphs.rfind(U"《红楼梦》作者：曹雪芹第一回", 0), 0u);
    EXPECT_EQ(b.scrollMap.scrollLength(b.paragraphText), 876573);
    EXPECT_FALSE(b.paragraphText.wide());
}

TEST(Corpus, reflowEndsIncreaseStrictlyAndEndAtLength)
{
    const auto text = novel("shuihuzhuan.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    const BookTexts b = buildPlainBook(*text, false);
    for (int64_t k : {0, 1, 17, 30, 200}) {
        const auto e = cutLines(b.paragraphText, k);
        ASSERT_EQ(e.front(), 0);
        EXPECT_TRUE(std::adjacent_find(e.begin(), e.end(), std::greater_equal<>()) == e.end());
        EXPECT_EQ(e.back(), static_cast<int64_t>(b.paragraphText.size()));
    }
}

TEST(CorpusReflow, sizeChangesEndingAtTheStartSize_showTheStartSpreadAgain)
{
    const auto text = novel("hongloumeng.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    const Size start{20, 12};
    struct Trip
    {
        const char *name;
        std::vector<Size> sizes; // the last one is the start size again
    };
    const Trip trips[] = {
        {"full screen and back, four times",
         {{46, 30}, start, {46, 30}, start, {46, 30}, start, {46, 30}, start}},
        {"a larger font and back", {{14, 9}, start}},
        {"grip shrink and regrow, three times",
         {{17, 10}, {19, 11}, start, {15, 8}, start, {18, 12}, start}},
        {"wider, narrower, lower, then back", {{30, 16}, {11, 7}, {25, 12}, {13, 20}, start}},
    };
    struct Place
    {
        const char *name;
        int64_t line, selectedLine;
    };
    // The chosen line, or with none chosen the spread's first line, is the place kept.
    const Place places[] = {
        {"page 61, no line chosen", 1201, 0},
        {"deep in the book, a line of the right page chosen", 23456, 17},
        {"the last spread", 1 << 30, 3},
    };
    ReaderState book;
    setParagraphText(book, buildPlainBook(*text, false).paragraphText);
    resize(book, start);
    for (const auto &place : places) {
        for (const auto &trip : trips) {
            SCOPED_TRACE(std::string(place.name) + ", " + trip.name);
            ReaderState s = book;
            const int64_t spread = 2 * start.linesPerPage;
            s.topLine = std::min(spread * ((place.line - 1) / spread) + 1, lastSpreadTop(s));
            s.selectedLine = place.selectedLine;
            const int64_t topLine = s.topLine;
            const int64_t at = s.lineEnds[static_cast<size_t>(
                std::min(s.topLine + s.selectedLine, s.lineCount()) - 1)];
            for (const Size size : trip.sizes) {
                resize(s, size);
                EXPECT_TRUE(spreadHolds(s, at))
                    << "at " << size.charsPerLine << " x " << size.linesPerPage;
            }
            EXPECT_EQ(s.topLine, topLine);
        }
    }
}

TEST(CorpusReflow, moveAfterReflow_keepsTheNewPlaceFromThenOn)
{
    const auto text = novel("hongloumeng.txt");
    if (!text)
        FAIL() << "corpus not found at " << TIBBO_CORPUS_DIR;
    ReaderState s;
    setParagraphText(s, buildPlainBook(*text, false).paragraphText);
    resize(s, {20, 12});
    s.topLine = 1201;
    resize(s, {46, 30});
    ASSERT_TRUE(pageForwardByClick(s));
    // The reader moved: the place is now the first line of the spread turned to.
    const int64_t at = s.lineEnds[static_cast<size_t>(s.topLine - 1)];
    const int64_t wideTop = s.topLine;
    resize(s, {20, 12});
    EXPECT_TRUE(spreadHolds(s, at));
    resize(s, {46, 30});
    EXPECT_EQ(s.topLine, wideTop);
}
