#include "text/htmlparser.h"

#include "text/headings.h"

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
    out.paragraph = p.paragraphText().substr(0);
    out.book = p.scrollMap().scrollText(p.paragraphText());
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
        // Character references are decoded; the paragraph rule sees the reference's ';'.
        {U"<i>&amp;&nbsp;&QUOT;</i>", U"&\u00A0\""},
        {U"<p>&ldquo;好&rdquo;&hellip;</p>", U"\u201C好\u201D\u2026^"},
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

// A saved chapter page ran its title, its navigation and each heading into the next
// paragraph: the end of a block element ends a paragraph, after any text, while "</p>"
// and "<br>" keep their own rule. Odd rows: a block end right after a mark adds none;
// an empty block adds none; "<hr>" between two runs of text.
TEST(HtmlParser, blockEnds_endParagraphs)
{
    struct Row
    {
        std::u32string html;
        std::u32string paragraph;
    };
    const Row rows[] = {
        {U"<html><head><title>水浒传</title></head><body>"
         U"<div><a href=\"1.htm\">上一回</a> <a href=\"3.htm\">下一回</a></div>"
         U"<h2>第01回 张天师祈禳瘟疫</h2><p>话说大宋</p><p>仁宗天子</p></body></html>",
         U"水浒传^上一回 下一回^第01回 张天师祈禳瘟疫^话说大宋^仁宗天子^"},
        {U"<h1>甲</h1><h3>乙</h3><h6>丙</h6>.", U"甲^乙^丙^"},
        {U"<ul><li>一</li><li>二</li></ul>.", U"一^二^"},
        {U"<table><tr><td>甲</td><td>乙</td></tr><tr><td>丙</td></tr></table>.", U"甲乙^丙^"},
        {U"<blockquote>引</blockquote>后<hr>续<p>完</p>.", U"引^后^续完^"},
        {U"<div><p>甲</p></div><div></div>.", U"甲^"},
        // "</p>" and "<br>" after another tag still make no mark.
        {U"<p>甲</b><br>乙</p>.", U"甲乙^"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(parse(r.html).paragraph, r.paragraph);
}

// The chapter list found one chapter of twelve in such a book.
TEST(HtmlParser, chapterPageHeadings_areFoundAsChapters)
{
    std::u32string html = U"<html><head><title>水浒传</title></head><body>"
                          U"<div><a href=\"i.htm\">目录</a></div>";
    const std::u32string numbers[] = {U"01", U"02", U"03", U"04", U"05", U"06",
                                      U"07", U"08", U"09", U"10", U"11", U"12"};
    for (const std::u32string &n : numbers)
        html += U"<h2>第" + n + U"回 好汉</h2><p>　　话说" + n + U"。</p><p>　　又说。</p>";
    html += U"</body></html>";
    HtmlParser parser{htmlSource(html)};
    while (parser.run(1 << 20) != HtmlParser::Status::Done) {
    }
    EXPECT_EQ(findChapters(parser.paragraphText()).size(), 12u);
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

TEST(HtmlParser, characterReferences)
{
    struct Row
    {
        const char *name;
        std::u32string text; // between <i> and </i>
        std::u32string paragraph;
    };
    const Row rows[] = {
        {"markup characters", U"&lt;p&gt; &amp; &quot;&apos;", U"<p> & \"'"},
        {"typographic", U"&mdash;&ndash;&lsquo;&rsquo;&middot;", U"\u2014\u2013\u2018\u2019\u00B7"},
        {"Latin-1 and Greek", U"&eacute;&copy;&yuml;&Omega;&thetasym;",
         U"\u00E9\u00A9\u00FF\u03A9\u03D1"},
        {"decimal and hexadecimal", U"&#20013;&#x4E2D;&#X4e2d;&#65;", U"中中中A"},
        // Numbers that are no character give the replacement character.
        {"no character", U"&#0;&#xD800;&#x110000;&#99999999999999;", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
        // As browsers do: 128 to 159 are read as Windows-1252.
        {"Windows-1252 range", U"&#151;&#133;&#x80;", U"\u2014\u2026\u20AC"},
        // Not references: left exactly as typed.
        {"unknown name", U"&foo;&nbspx;&Nbsp;", U"&foo;&nbspx;&Nbsp;"},
        {"no semicolon", U"&amp &nbsp", U"&amp &nbsp"},
        {"no digits", U"&#;&#x;&#a;", U"&#;&#x;&#a;"},
        {"a lone ampersand", U"AT&T & co", U"AT&T & co"},
        {"decoded once only", U"&amp;lt;", U"&lt;"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parse(U"<i>" + row.text + U"</i>").paragraph, row.paragraph);
    }
}

TEST(HtmlParser, scriptStyleCommentsAndHead_areNotBookText)
{
    struct Row
    {
        const char *name;
        std::u32string html;
        std::u32string paragraph;
    };
    const Row rows[] = {
        // '<' and '>' inside a script used to end the tag early and leak the rest.
        {"script with markup characters",
         U"<p>甲</p><script>if (a < b && c > d) x = \"<p>乙</p>\";</script><p>丙</p>", U"甲^丙^"},
        {"style", U"<style type=\"text/css\">p > b { color: red }</style><p>甲</p>", U"甲^"},
        {"upper-case tags, a blank before the end tag's '>'",
         U"<SCRIPT LANGUAGE=js>a>b</SCRIPT ><p>甲</p>", U"甲^"},
        {"a longer name is no end tag", U"<script>x</scripts>y</script><p>甲</p>", U"甲^"},
        {"an empty script", U"<script src=a.js></script><p>甲</p>", U"甲^"},
        {"comment with a '>'", U"<p>甲<!-- a > b --></p><p>乙</p>", U"甲乙^"},
        {"an empty comment", U"<p>甲<!---->乙</p>", U"甲乙^"},
        // The title keeps its text as a paragraph of its own; everything else in the
        // head is dropped.
        {"head with title, meta, style and script",
         U"<html><head><title>书名</title>\n  <meta charset=gbk>\n  <style>b{}</style>"
         U"<script>var a = 1 > 0;</script></head><body><p>正文</p></body></html>",
         U"书名^正文^"},
        {"head never closed", U"<head><title>书</title><meta x><p>正文</p>", U"书^正文^"},
        {"text in the head starts the body", U"<head><meta x>正文<p>乙</p>", U"正文乙^"},
        {"script never closed", U"<p>甲</p><script>x < y", U"甲^"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parse(row.html).paragraph, row.paragraph);
    }
}

TEST(HtmlParser, referencesAndEndTagsAcrossSliceBoundaries)
{
    // Every slice size from 1 up puts a slice boundary inside each reference, each
    // "</script>" and each "-->" at some point.
    const std::u32string html =
        U"<html><head><title>题</title><style>a>b{}</style></head><body>"
        U"<p>&ldquo;甲&#20013;&#x4E2D;&rdquo;</p><script>if (a<b) s='</p>';</SCRIPT>"
        U"<p>乙&hellip;<!-- x > y -->丙&amp;</p></body></html>";
    const std::u32string expected = U"题^\u201C甲中中\u201D^乙\u2026丙&^";
    for (int64_t slice = 1; slice <= 80; ++slice) {
        SCOPED_TRACE(slice);
        EXPECT_EQ(parse(html, slice).paragraph, expected);
    }
}
