#include "corefixtures.h"

#include "reading/recap.h"
#include "reading/timeleft.h"
#include "text/codepage.h"

#include <gtest/gtest.h>

namespace tibbo::core {
namespace {

using test::book;

constexpr int64_t kDay = 24 * 60 * 60 * 1000;

// A small book whose sentences end every way a novel ends them: in quotes, with "！" and
// "？", with "……", and a paragraph that ends without a mark.
const std::u32string kText = U"《书》^"
                             U"第一章　开端^"
                             U"　　甲说：“你好。”乙笑了笑！丙问：“为什么？”丁不答。^"
                             U"　　第二段的第一句。第二段的第二句？^"
                             U"第二章　后来^"
                             U"　　第二章的第一句。第二章第二句。^"
                             U"　　结尾一句……^";

int64_t offsetOf(std::u32string_view piece)
{
    return static_cast<int64_t>(kText.find(piece));
}

TEST(Recap, textForAPlaceAtAChapterStartMidChapterAndTheEnd)
{
    const BookText text(kText);
    const auto chapters = findChapters(text);
    ASSERT_EQ(chapters.size(), 2u);
    const auto size = static_cast<int64_t>(kText.size());
    struct Row
    {
        const char *name;
        CharacterRange onShow;
        int64_t away;
        CharactersLeft left;
        std::optional<double> speed;
        std::string recap;
    };
    const Row rows[] = {
        {"a chapter start: the heading is on the spread",
         {offsetOf(U"第二章　后来"), offsetOf(U"第二章的第一句")},
         3 * kDay + 5,
         {1200, 9000},
         300,
         "隔了 3 天没见啦!\n"
         "上次读完了「第一章　开端」，该读「第二章　后来」了。\n"
         "最后读到的是：“丁不答。第二段的第一句。第二段的第二句？”\n"
         "按你的速度，这一章还要约 4 分钟，全书还要约 30 分钟。"},
        {"mid-chapter: the chapter and the one before",
         {offsetOf(U"第二章第二句"), offsetOf(U"结尾")},
         45 * kDay,
         {std::nullopt, 2 * 60 * 300},
         300,
         "隔了 1 个多月没见啦!\n"
         "上次读到「第二章　后来」，前一章是「第一章　开端」。\n"
         "最后读到的是：“第二章的第一句。”\n"
         "按你的速度，全书还要约 2 小时。"},
        {"mid-chapter, in the first chapter: three sentences, quotes and all",
         {offsetOf(U"第二段的第一句"), offsetOf(U"第二段的第二句")},
         2 * kDay,
         {0, 0},
         std::nullopt,
         "隔了 2 天没见啦!\n"
         "上次读到「第一章　开端」。\n"
         "最后读到的是：“乙笑了笑！丙问：“为什么？”丁不答。”"},
        {"the book's end",
         {offsetOf(U"　　结尾一句"), size},
         800 * kDay,
         {std::nullopt, 6},
         300,
         "隔了 2 年多没见啦!\n"
         "上次已经读到最后一页了，最后一章是「第二章　后来」。\n"
         "最后读到的是：“第二章的第一句。第二章第二句。”\n"
         "按你的速度，全书还要不到 1 分钟。"},
        {"the book's start: nothing read yet",
         {0, 20},
         5 * kDay,
         {std::nullopt, 0},
         300,
         "隔了 5 天没见啦!\n"
         "上次正要开始读「第一章　开端」。"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(recapText(text, chapters, row.onShow, row.away, row.left, row.speed), row.recap);
    }
}

TEST(Recap, sentencesBefore_partOfASentenceAndALongOne)
{
    // A spread that starts within a sentence recalls its beginning too.
    const BookText small(kText);
    EXPECT_EQ(sentencesBefore(small, findChapters(small), offsetOf(U"句？^第二章")),
              U"丁不答。第二段的第一句。第二段的第二");

    const std::u32string longSentence = U"　　" + std::u32string(150, U'长') + U"。^";
    const BookText text(longSentence);
    const std::u32string recalled =
        sentencesBefore(text, {}, static_cast<int64_t>(longSentence.size()));
    EXPECT_EQ(recalled, U"……" + std::u32string(79, U'长') + U"。");
    EXPECT_TRUE(sentencesBefore(text, {}, 0).empty());
}

TEST(TimeLeft, charactersToTheNextHeadingAndTheEnd)
{
    // 40 lines of 10 characters, L = 5 (spreads at 1, 11, 21, 31); headings at 0, 150, 250.
    const std::vector<Chapter> chapters = {{0, U"第一章"}, {150, U"第二章"}, {250, U"第三章"}};
    struct Row
    {
        const char *name;
        int64_t topLine;
        std::optional<int64_t> inChapter;
        int64_t inBook;
    };
    const Row rows[] = {
        {"first spread", 1, 150, 400},
        {"the spread holding a heading: to that heading", 11, 50, 300},
        {"after it", 21, 50, 200},
        {"the last chapter: to the end", 31, 100, 100},
        {"past the last spread counts as it", 51, 100, 100},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const CharactersLeft left = charactersLeft(book(40, 5, row.topLine), chapters);
        EXPECT_EQ(left.inChapter, row.inChapter);
        EXPECT_EQ(left.inBook, row.inBook);
    }
    EXPECT_FALSE(charactersLeft(book(40, 5, 11), {}).inChapter);
    EXPECT_EQ(charactersLeft(book(0, 5, 1), chapters).inBook, 0);
}

TEST(TimeLeft, captions)
{
    const std::tuple<int64_t, double, const char *> rows[] = {
        {0, 500, "读完了"},
        {200, 500, "不到 1 分钟"},
        {260, 500, "约 1 分钟"},
        {29700, 500, "约 59 分钟"},
        {30000, 500, "约 1 小时"},
        {35000, 500, "约 1 小时 10 分钟"},
        {500 * 60 * 12 + 500 * 29, 500, "约 12 小时"},
        {500 * 60 * 12 + 500 * 30, 500, "约 13 小时"},
        {100, 0, ""},
    };
    for (const auto &[characters, speed, caption] : rows) {
        SCOPED_TRACE(characters);
        EXPECT_EQ(durationCaption(characters, speed), caption);
    }
    EXPECT_EQ(timeLeftLines({1000, 60000}, 500), "本章还需: 约 2 分钟\n全书还需: 约 2 小时");
    EXPECT_EQ(timeLeftLines({std::nullopt, 60000}, 500), "全书还需: 约 2 小时");
    EXPECT_EQ(timeLeftLines({1000, 60000}, std::nullopt), "");
}

} // namespace
} // namespace tibbo::core
