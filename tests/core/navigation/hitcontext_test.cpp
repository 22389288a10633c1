#include "navigation/hitcontext.h"

#include <gtest/gtest.h>

#include <string>

namespace tibbo::core {
namespace {

TEST(HitContext, matchAnywhere_givesOneLineAroundIt)
{
    struct Row
    {
        const char *name;
        std::u32string text;
        int64_t offset, length, around;
        std::u32string before, hit, after;
    };
    const std::u32string text = U"一二三四五六七八九十甲乙丙丁";
    const Row rows[] = {
        // Nothing may be read before the first character.
        {"at the book's start", text, 0, 2, 3, U"", U"一二", U"三四五…"},
        // Nor past the last one.
        {"at the book's end", text, 12, 2, 3, U"…十甲乙", U"丙丁", U""},
        {"in the middle, cut both sides", text, 5, 1, 2, U"…四五", U"六", U"七八…"},
        // The context reaches both ends of the book exactly: no "…" there.
        {"context reaching both ends, match cut", text, 3, 8, 3, U"一二三", U"四五六七八九…",
         U"乙丙丁"},
        // The mark and the indent after it are one blank, never the mark itself.
        {"across a paragraph mark", U"他说完了。^\u3000\u3000宝玉笑道", 8, 2, 7, U"…说完了。 ",
         U"宝玉", U"笑道"},
        {"a match holding a paragraph mark", U"甲乙^丙丁", 1, 3, 4, U"甲", U"乙 丙", U"丁"},
        // A blank at the outer edge of the context shows nothing.
        {"paragraph marks at the outer edges", U"^甲乙丙^", 1, 3, 4, U"", U"甲乙丙", U""},
        // A match longer than the context is cut, so the line stays short.
        {"a match longer than the context", text, 1, 10, 2, U"一", U"二三四五…", U"乙丙…"},
        {"no context asked for", text, 4, 1, 0, U"…", U"五", U"…"},
        // A match reported past the text (a stale offset) shows nothing, without reading
        // outside it.
        {"offset past the end", text, 40, 2, 3, U"…乙丙丁", U"", U""},
        {"negative offset", text, -5, 1, 2, U"", U"一", U"二三…"},
        {"empty book", U"", 0, 1, 3, U"", U"", U""},
        {"a character beyond 16 bits", U"甲乙\U00020000丙丁", 2, 1, 1, U"…乙", U"\U00020000",
         U"丙…"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const HitContext got = hitContext(BookText(row.text), row.offset, row.length, row.around);
        EXPECT_EQ(got.before, row.before);
        EXPECT_EQ(got.hit, row.hit);
        EXPECT_EQ(got.after, row.after);
    }
}

} // namespace
} // namespace tibbo::core
