// Search by a word typed in either script.
#include "navigation/scriptsearch.h"
#include "script/openccconverter.h"

#include <gtest/gtest.h>

using namespace tibbo::core;

TEST(ScriptSearch, findsAWordTypedInEitherScript)
{
    struct Row
    {
        const char *name;
        std::u32string book;
        std::u32string typed;
        int64_t offset;
        int64_t length;
    };
    const Row rows[] = {
        {"Traditional typed, Simplified book", U"她的头发很长。", U"頭髮", 2, 2},
        {"Simplified typed, Traditional book", U"她的頭髮很長。", U"头发", 2, 2},
        {"as typed", U"她的头发很长。", U"头发", 2, 2},
        // What a reader sees with Taiwan words shown (記憶體) lies in the book as 内存.
        {"Taiwan word typed, mainland book", U"他的内存不够。", U"記憶體", 2, 2},
        {"mainland word typed, Taiwan book", U"他的記憶體不夠。", U"内存", 2, 3},
        {"letters fold as before", U"用ＡＢＣ打开", U"ａｂｃ", 1, 3},
    };
    for (const Row &row : rows) {
        const BookText book(row.book);
        const auto hit = findInEitherScript(book, searchForms(row.typed), 0, true);
        ASSERT_TRUE(hit) << row.name;
        EXPECT_EQ(hit->offset, row.offset) << row.name;
        EXPECT_EQ(hit->length, row.length) << row.name;
        EXPECT_FALSE(hit->wrapped) << row.name;
    }
}

// The nearest match of any form wins, in both directions, and the search goes round.
TEST(ScriptSearch, takesTheNearestFormAndWraps)
{
    const BookText book(U"頭髮。头发。頭髮。");
    const auto forms = searchForms(U"头发");
    EXPECT_EQ(findInEitherScript(book, forms, 1, true)->offset, 3);
    EXPECT_EQ(findInEitherScript(book, forms, 4, true)->offset, 6);
    EXPECT_EQ(findInEitherScript(book, forms, 6, false)->offset, 3);
    const auto round = findInEitherScript(book, forms, 7, true);
    ASSERT_TRUE(round);
    EXPECT_EQ(round->offset, 0);
    EXPECT_TRUE(round->wrapped);
    EXPECT_FALSE(findInEitherScript(book, searchForms(U"眉毛"), 0, true));
}
