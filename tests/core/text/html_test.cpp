#include "text/htmlparser.h"

#include <gtest/gtest.h>

using namespace tibbo::core;

namespace {

struct Parsed
{
    std::u32string paragraph;
    std::u32string book;
    int firstParts = 0;
};

Parsed parse(std::u32string source, int64_t slice = 7)
{
    HtmlParser p(htmlSource(source));
    Parsed out;
    for (;;) {
        const auto st = p.run(slice);
        if (st == HtmlParser::Status::FirstPart)
            ++out.firstParts;
        if (st == HtmlParser::Status::Done)
            break;
    }
    out.paragraph = p.paragraphText();
    out.book = p.bookText();
    return out;
}

} // namespace

TEST(HtmlParser, rulesOfTheParse)
{
    struct Row
    {
        std::u32string html;
        std::u32string paragraph;
    };
    const Row rows[] = {
        {U"<p>一二</p><p>三</p>", U"一二^三^"},
        {U"<b>&quot;好&quot;</b>", U"\"好\""},
        {U"<p>甲<br>乙</p>", U"甲^乙^"},
        // A break tag after another tag makes no paragraph mark.
        {U"<p>甲</b><br>乙</p>", U"甲乙^"},
        // Only the exact four-character forms count, in any letter case.
        {U"<p>a<BR/>b<br >c<P>d</p >e</P>", U"abcde^"},
        {U"<P>x</p>", U"x^"},
        // Other entities stay as typed; only the lower-case quote entity is decoded.
        {U"<i>&amp;&nbsp;&QUOT;</i>", U"&amp;&nbsp;&QUOT;"},
        // Text before the first tag is skipped; the last character is never copied.
        {U"abc<b>xyz", U"xy"},
        // Line breaks of the file vanish; the parse sees the lines joined.
        {U"<p>第一\r\n行</p>", U"第一行^"},
        {U"", U""},
        {U">", U""},
    };
    for (const Row &r : rows)
        EXPECT_EQ(parse(r.html).paragraph, r.paragraph);
}

TEST(HtmlParser, bookTextGetsCrLfAtBreaks)
{
    EXPECT_EQ(parse(U"<p>一二</p><p>三</p>").book, U"一二\r\n三\r\n");
    // A lone LF inside the text is kept in the scroll text but not in the paragraph.
    const Parsed lf = parse(U"<p>a\nb</p>");
    EXPECT_EQ(lf.paragraph, U"ab^");
    EXPECT_EQ(lf.book, U"a\nb\r\n");
}

TEST(HtmlParser, firstPartReportedOnceAtThreshold)
{
    std::u32string big = U"<html>";
    for (int i = 0; i < 300; ++i)
        big += U"<p>" + std::u32string(49, U'字') + U"</p>";
    big += U"</html>";
    const Parsed p = parse(big, 1000);
    EXPECT_EQ(p.firstParts, 1);
    EXPECT_EQ(p.paragraph.size(), 300u * 50u);
    EXPECT_EQ(parse(U"<p>" + std::u32string(100, U'a') + U"</p>").firstParts, 0);
}

TEST(HtmlParser, progressRunsToOne)
{
    HtmlParser p(htmlSource(U"<p>" + std::u32string(1000, U'a') + U"</p>"));
    EXPECT_LT(p.progress(), 0.01);
    p.run(500);
    EXPECT_GT(p.progress(), 0.3);
    EXPECT_LT(p.progress(), 0.7);
    while (p.run(500) != HtmlParser::Status::Done) {
    }
    EXPECT_DOUBLE_EQ(p.progress(), 1.0);
}
