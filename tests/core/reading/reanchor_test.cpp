#include "corefixtures.h"

#include "reading/reanchor.h"

#include <gtest/gtest.h>

#include <string>

namespace tibbo::core {
namespace {

// 红楼梦 as a serial novel: the download the reader had holds the first sixty chapters; each
// case changes it the way a later download does and finds the reader's anchors again.
class Reanchor : public testing::Test
{
  protected:
    struct Book
    {
        std::u32string text;
        std::vector<Chapter> chapters;
    };

    static Book book(std::u32string text)
    {
        Book b{std::move(text), {}};
        b.chapters = findChapters(BookText(b.text));
        return b;
    }

    static const std::u32string &novel()
    {
        static const std::u32string text = [] {
            const auto loaded =
                loadPlainBook(std::string(TIBBO_CORPUS_DIR) + "/hongloumeng.txt", false);
            return loaded ? loaded->paragraphText.substr(0) : std::u32string();
        }();
        return text;
    }

    void SetUp() override
    {
        ASSERT_FALSE(novel().empty());
        const Book whole = book(novel());
        ASSERT_EQ(whole.chapters.size(), 120u);
        old = book(novel().substr(0, static_cast<size_t>(whole.chapters[60].offset)));
        ASSERT_EQ(old.chapters.size(), 60u);
        // The place, bookmarks, highlights and notes: chapter and characters into it.
        const std::pair<int, int64_t> where[] = {
            {29, 3000},                         // the place, in 第三十回
            {4, 500},   {29, 100},  {45, 2000}, // bookmarks
            {10, 800},  {29, 3010}, {59, 100},  // highlights and notes
            {0, 0},                             // the first heading itself
        };
        for (const auto &[chapter, into] : where)
            anchors.push_back(
                anchorAt(BookText(old.text), old.chapters, start(old, chapter) + into));
    }

    static int64_t start(const Book &b, int chapter)
    {
        return b.chapters[static_cast<size_t>(chapter)].offset;
    }

    std::vector<std::optional<int64_t>> findIn(const Book &b) const
    {
        return findAnchors(BookText(b.text), b.chapters, anchors);
    }

    // Where each anchor should be found, given how far the text before it moved;
    // nothing where it should not be found.
    std::vector<std::optional<int64_t>>
    expected(const std::function<std::optional<int64_t>(int64_t)> &moved) const
    {
        std::vector<std::optional<int64_t>> offsets;
        for (const TextAnchor &a : anchors)
            offsets.push_back(moved(a.offset));
        return offsets;
    }

    Book old;
    std::vector<TextAnchor> anchors;
};

TEST_F(Reanchor, chaptersAppended_everyAnchorStaysAndTheGrowthIsTold)
{
    const Book longer = book(novel());
    EXPECT_EQ(findIn(longer), expected([](int64_t offset) { return offset; }));
    const ChapterGrowth growth = chapterGrowth(60, old.chapters.back().title, longer.chapters);
    EXPECT_EQ(chapterGrowthCaption(growth), "新增 60 章，第61–120章");
    ASSERT_TRUE(growth.first);
    EXPECT_EQ(*growth.first, 60);
}

TEST_F(Reanchor, aChapterInsertedBeforeThePlace_movesWhatFollowsIt)
{
    // A side story put in before 第二十一回, after the last sentence of 第二十回.
    std::u32string inserted = U"番外　太虚幻境补遗^";
    for (int i = 0; i < 40; ++i)
        inserted += U"　　这一段是新加进来的番外文字，原来的下载里没有。^";
    const int64_t at = start(old, 20);
    std::u32string text = old.text;
    text.insert(static_cast<size_t>(at), inserted);
    const Book changed = book(text);
    ASSERT_EQ(changed.chapters.size(), 61u);
    const auto length = static_cast<int64_t>(inserted.size());
    EXPECT_EQ(findIn(changed),
              expected([&](int64_t offset) { return offset < at ? offset : offset + length; }));
    // Not at the end: how many, but not which.
    EXPECT_EQ(chapterGrowthCaption(chapterGrowth(60, old.chapters.back().title, changed.chapters)),
              "新增 1 章");
}

TEST_F(Reanchor, aParagraphCorrectedNearThePlace_stillFindsItByTheOtherHalf)
{
    std::u32string text = old.text;
    // Two characters right after the place are corrected: its context after it and the
    // context before the highlight ten characters on no longer stand.
    const int64_t place = anchors[0].offset;
    text.replace(static_cast<size_t>(place + 4), 2, U"某某");
    // A sentence added forty characters before the bookmark in 第五回 (outside its context).
    const int64_t mark = anchors[1].offset;
    const std::u32string added = U"这一句是修订时补上的。";
    text.insert(static_cast<size_t>(mark - 40), added);
    const Book changed = book(text);
    const auto shift = static_cast<int64_t>(added.size());
    EXPECT_EQ(findIn(changed), expected([&](int64_t offset) {
                  return offset < mark - 40 ? offset : offset + shift;
              }));
}

TEST_F(Reanchor, thePlacesChapterRemoved_isNotFoundAndTheRestIs)
{
    const int64_t from = start(old, 29), to = start(old, 30);
    std::u32string text = old.text;
    text.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
    const Book changed = book(text);
    EXPECT_EQ(findIn(changed), expected([&](int64_t offset) -> std::optional<int64_t> {
                  if (offset >= from && offset < to)
                      return std::nullopt;
                  return offset < from ? offset : offset - (to - from);
              }));
}

TEST_F(Reanchor, aRenamedChapter_isFoundByItsTextAnywhere)
{
    // 第四十六回's heading corrected: its anchors have no chapter of that title any more.
    const Chapter &renamed = old.chapters[45];
    std::u32string text = old.text;
    const std::u32string title = renamed.title + U"（修订版）";
    text.replace(static_cast<size_t>(renamed.offset), renamed.title.size(), title);
    const Book changed = book(text);
    const auto shift = static_cast<int64_t>(title.size() - renamed.title.size());
    EXPECT_EQ(findIn(changed), expected([&](int64_t offset) {
                  return offset <= renamed.offset ? offset : offset + shift;
              }));
}

TEST_F(Reanchor, aBookWithNothingInCommon_findsNothing)
{
    const Book other = book(std::u32string(200, U'字'));
    for (const auto &found : findIn(other))
        EXPECT_FALSE(found);
}

TEST(ChapterGrowth, captionOfTheNewChapters)
{
    std::vector<Chapter> chapters;
    for (int i = 1; i <= 1067; ++i) {
        std::u32string title = U"第";
        title.append(fromUtf8(std::to_string(i))).append(U"章");
        chapters.push_back({i * 100, title});
    }
    EXPECT_EQ(chapterGrowthCaption(chapterGrowth(1044, U"第1044章", chapters)),
              "新增 23 章，第1045–1067章");
    EXPECT_EQ(chapterGrowthCaption(chapterGrowth(1066, U"第1066章", chapters)),
              "新增 1 章，第1067章");
    EXPECT_EQ(chapterGrowthCaption(chapterGrowth(1067, U"第1067章", chapters)), "");
    EXPECT_EQ(chapterGrowthCaption(chapterGrowth(1100, U"第1100章", chapters)), "");
    // The old last chapter is gone: how many, not which.
    EXPECT_EQ(chapterGrowthCaption(chapterGrowth(1060, U"第一千零六十章", chapters)), "新增 7 章");
}

TEST(TextIdentity, tellsTextsApart)
{
    const BookText a(U"甲乙丙丁^"), b(U"甲乙丙戊^"), c(U"甲乙丙丁^");
    EXPECT_EQ(identityOf(a), identityOf(c));
    EXPECT_NE(identityOf(a), identityOf(b));
    // The same characters held in 32-bit units are the same text.
    BookText wide(U"甲乙丙丁^");
    wide.push_back(U'\U00020000');
    BookText narrow(U"甲乙丙丁^");
    narrow.push_back(U'\U00020000');
    EXPECT_EQ(identityOf(wide), identityOf(narrow));
}

// Leaving a book takes its identity from idle slices: a slice boundary that dropped or
// repeated a character, or a text grown (and widened) between slices, gave another hash
// than the whole text's, and a changed book looked unchanged or the other way round.
TEST(TextIdentity, takenInSlices_equalsTheWholeTextsIdentity)
{
    const BookText whole(U"第一回　甲乙丙丁^戊己庚辛^\U00020000壬癸^");
    struct Row
    {
        const char *name;
        size_t slice;
    };
    const Row rows[] = {{"one character a slice", 1},
                        {"a slice ending inside the text", 5},
                        {"one slice for all", 1000},
                        {"nothing taken before the end", 0}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TextIdentityHash hash;
        if (row.slice > 0)
            while (!hash.take(whole, row.slice)) {
            }
        EXPECT_EQ(hash.identity(whole), identityOf(whole));
    }
    // The text grows at its end between slices, from 16-bit to 32-bit units.
    BookText growing(U"第一回　甲乙丙丁^");
    TextIdentityHash hash;
    EXPECT_FALSE(hash.take(growing, 3));
    EXPECT_TRUE(hash.take(growing, 100));
    growing.append(U"戊己庚辛^\U00020000壬癸^");
    EXPECT_EQ(hash.identity(growing), identityOf(growing));
    EXPECT_EQ(identityOf(growing), identityOf(whole));
}

} // namespace
} // namespace tibbo::core
