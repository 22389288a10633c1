// The real novels: GBK, CR LF, paragraphs indented by two ideographic spaces.
#include "text/codepage.h"
#include "text/fileio.h"
#include "text/plaintext.h"
#include "text/reflow.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tibbo::core;

namespace {

std::optional<std::u32string> novel(const char *name)
{
    return readBook(std::string(TIBBO_CORPUS_DIR) + "/" + name);
}

} // namespace

TEST(Corpus, paragraphCountEqualsIndentedLines)
{
    for (const char *name : {"hongloumeng.txt", "xiyouji.txt", "shuihuzhuan.txt"}) {
        const auto text = novel(name);
        if (!text)
            GTEST_SKIP() << "corpus not found at " << TIBBO_CORPUS_DIR;
        const auto lines = splitLines(*text);
        const auto indented = std::count_if(lines.begin() + 1, lines.end(), [](auto l) {
            return !l.empty() && l.front() == U'\u3000';
        });
        const BookTexts b = buildPlainBook(*text, false);
        // Every indented line closes the paragraph before it, plus the closing mark.
        EXPECT_EQ(std::count(b.paragraphText.begin(), b.paragraphText.end(), U'^'), indented + 1)
            << name;
        EXPECT_EQ(std::count(text->begin(), text->end(), U'\uFFFD'), 0) << name;
    }
}

TEST(Corpus, hongloumengKnownFigures)
{
    const auto text = novel("hongloumeng.txt");
    if (!text)
        GTEST_SKIP();
    const BookTexts b = buildPlainBook(*text, false);
    EXPECT_EQ(std::count(b.paragraphText.begin(), b.paragraphText.end(), U'^'), 2879);
    EXPECT_EQ(b.paragraphText.size(), 873212u);
    EXPECT_EQ(b.paragraphText.rfind(U"《红楼梦》作者：曹雪芹第一回", 0), 0u);
    EXPECT_EQ(b.bookText.size(), 876573u);
}

TEST(Corpus, reflowEndsIncreaseStrictlyAndEndAtLength)
{
    const auto text = novel("shuihuzhuan.txt");
    if (!text)
        GTEST_SKIP();
    const BookTexts b = buildPlainBook(*text, false);
    for (int64_t k : {0, 1, 17, 30, 200}) {
        const auto e = cutLines(b.paragraphText, k);
        ASSERT_EQ(e.front(), 0);
        EXPECT_TRUE(std::adjacent_find(e.begin(), e.end(), std::greater_equal<>()) == e.end());
        EXPECT_EQ(e.back(), static_cast<int64_t>(b.paragraphText.size()));
    }
}
