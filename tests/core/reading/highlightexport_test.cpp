#include "reading/highlightexport.h"

#include "state/booktext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tibbo::core {
namespace {

Highlight at(int64_t start, int64_t length, std::u32string note = U"")
{
    Highlight h;
    h.start = start;
    h.length = length;
    h.note = std::move(note);
    return h;
}

// Two chapters after a preface; paragraphs end with the paragraph mark.
struct Book
{
    std::u32string raw;
    std::vector<Chapter> chapters;
    int64_t offsetOf(std::u32string_view words) const
    {
        return static_cast<int64_t>(raw.find(words));
    }
};

Book sampleBook()
{
    const std::u32string mark(1, kParagraphMark);
    Book b;
    b.raw = U"序言一句。" + mark + U"第一回 开篇" + mark + U"甲乙丙丁。" + mark + U"戊己庚辛。" +
            mark + U"第二回 下文" + mark + U"子丑寅卯。" + mark;
    b.chapters = {{b.offsetOf(U"第一回"), U"第一回 开篇"}, {b.offsetOf(U"第二回"), U"第二回 下文"}};
    return b;
}

TEST(HighlightExport, markdownAndPlain_inBookOrderUnderTheirChapters)
{
    const Book b = sampleBook();
    Highlight lost = at(0, 3, U"旧的笔记");
    lost.lost = true;
    lost.anchor.before = U"前文";
    lost.anchor.after = U"后文";
    lost.anchor.chapterTitle = U"第九回";
    const std::vector<Highlight> list = {
        at(b.offsetOf(U"序言"), 2),
        // Across a paragraph end: the quote keeps the break, never the mark.
        at(b.offsetOf(U"丙丁"), 5, U"# 不是标题\n1. 不是列表\n第二行"),
        at(b.offsetOf(U"戊己"), 2),
        at(b.offsetOf(U"子丑"), 2, U"好"),
        lost,
    };
    struct Row
    {
        const char *name;
        ExportFormat format;
        std::string expected;
    };
    const Row rows[] = {
        {"Markdown", ExportFormat::Markdown,
         "# 红楼梦\n"
         "\n> 序言\n"
         "\n## 第一回 开篇\n"
         "\n> 丙丁。\n> 戊\n\n\\# 不是标题\n1\\. 不是列表\n第二行\n"
         "\n> 戊己\n"
         "\n## 第二回 下文\n"
         "\n> 子丑\n\n好\n"
         "\n## 未找到\n"
         "\n> 第九回：前文…后文\n\n旧的笔记\n"},
        {"plain text", ExportFormat::PlainText,
         "红楼梦\n"
         "\n「序言」\n"
         "\n第一回 开篇\n"
         "\n「丙丁。\n戊」\n笔记：# 不是标题\n1. 不是列表\n第二行\n"
         "\n「戊己」\n"
         "\n第二回 下文\n"
         "\n「子丑」\n笔记：好\n"
         "\n未找到\n"
         "\n「第九回：前文…后文」\n笔记：旧的笔记\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(exportHighlights(U"红楼梦", BookText(b.raw), b.chapters, list, row.format),
                  row.expected);
    }
}

// A highlight past the end of the text (a shorter text than the file knew) is listed
// with the ones not found, never read past the text.
TEST(HighlightExport, pastTheEnd_isListedAsNotFound)
{
    const Book b = sampleBook();
    Highlight past = at(static_cast<int64_t>(b.raw.size()) + 10, 4, U"末");
    const std::string out =
        exportHighlights(U"书", BookText(b.raw), b.chapters, {past}, ExportFormat::PlainText);
    EXPECT_EQ(out, "书\n\n未找到\n\n「…」\n笔记：末\n");
}

TEST(HighlightExport, chapterHolding)
{
    const std::vector<Chapter> chapters = {{10, U"一"}, {20, U"二"}};
    const std::pair<int64_t, int64_t> rows[] = {{0, -1}, {9, -1}, {10, 0},
                                                {19, 0}, {20, 1}, {99, 1}};
    for (const auto &[offset, chapter] : rows)
        EXPECT_EQ(chapterHolding(chapters, offset), chapter) << offset;
    EXPECT_EQ(chapterHolding({}, 5), -1);
}

} // namespace
} // namespace tibbo::core
