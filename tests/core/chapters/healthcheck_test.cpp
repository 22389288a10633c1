// The chapter health check: gaps, duplicates, order and lengths, volumes that restart.
#include "chapters/chapterrules.h"
#include "chapters/healthcheck.h"
#include "referencebook.h"
#include "text/codepage.h"

#include <gtest/gtest.h>

using namespace tibbo::core;
using tibbo::core::test::buildPlainBook;
using tibbo::core::test::readBook;

namespace {

// Chapters of 5,000 characters each with these titles.
std::vector<Chapter> chaptersTitled(const std::vector<std::u32string> &titles)
{
    std::vector<Chapter> chapters;
    for (size_t k = 0; k < titles.size(); ++k)
        chapters.push_back({static_cast<int64_t>(k) * 5000, titles[k]});
    return chapters;
}

} // namespace

TEST(HealthCheck, findsGapsDuplicatesAndDisorderButNotVolumeRestarts)
{
    struct Row
    {
        const char *name;
        std::vector<std::u32string> titles;
        // The messages, in the order of the chapters they are found at, with the chapter.
        std::vector<std::pair<int64_t, std::u32string>> problems;
    };
    const Row rows[] = {
        {"in order", {U"第1章", U"第2章", U"第3章"}, {}},
        {"one missing", {U"第310章", U"第311章", U"第313章"}, {{2, U"第312章好像缺了"}}},
        {"several missing", {U"第311章", U"第316章 归来"}, {{1, U"第312章到第315章好像缺了"}}},
        {"Chinese numerals, the book's own unit",
         {U"第一回", U"第二回", U"第三回", U"第五回"},
         {{3, U"第4回好像缺了"}}},
        {"twice", {U"第1章", U"第2章", U"第2章 重复", U"第3章"}, {{2, U"第2章出现了两次"}}},
        // 4 before 3: 3 is out of order, and not missing at 4.
        {"out of order",
         {U"第1章", U"第2章", U"第4章", U"第3章", U"第5章"},
         {{3, U"第3章排在第4章后面"}}},
        {"volume headings restart",
         {U"第一卷 风起", U"第1章", U"第2章", U"第二卷 云涌", U"第1章", U"第2章"},
         {}},
        {"volume in the chapter heading",
         {U"卷一 第1章", U"卷一 第2章", U"卷二 第1章", U"卷二 第2章"},
         {}},
        {"numbering starts again without a volume heading",
         {U"第299章", U"第300章", U"第1章", U"第2章"},
         {}},
        {"a gap within the second volume",
         {U"卷一 第1章", U"卷一 第2章", U"卷二 第1章", U"卷二 第3章"},
         {{3, U"第2章好像缺了"}}},
        {"named sections have no numbers", {U"楔子", U"第1章", U"第2章", U"番外一", U"后记"}, {}},
        {"mixed notations", {U"第九十九章", U"第100章", U"第一百零一章"}, {}},
    };
    for (const Row &row : rows) {
        const auto chapters = chaptersTitled(row.titles);
        const auto problems = checkChapters(chapters);
        ASSERT_EQ(problems.size(), row.problems.size()) << row.name;
        for (size_t k = 0; k < problems.size(); ++k) {
            EXPECT_EQ(problems[k].chapter, row.problems[k].first) << row.name;
            EXPECT_EQ(toUtf8(problemMessage(problems[k], chapters)), toUtf8(row.problems[k].second))
                << row.name;
        }
    }
}

TEST(HealthCheck, findsChaptersFarLongerOrShorterThanTheirNeighbours)
{
    // Lengths of chapters 1..8, the last one followed by an afterword heading.
    const auto check = [](const std::vector<int64_t> &lengths) {
        std::vector<Chapter> chapters;
        int64_t at = 0;
        for (size_t k = 0; k < lengths.size(); ++k) {
            const std::string number = std::to_string(k + 1);
            std::u32string title(1, U'第');
            title.append(number.begin(), number.end()).push_back(U'章');
            chapters.push_back({at, title});
            at += lengths[k];
        }
        chapters.push_back({at, U"后记"});
        return checkChapters(chapters);
    };
    EXPECT_TRUE(check({6000, 7000, 5000, 6500, 6000, 5500, 7000, 6000}).empty());
    // A chapter that swallowed the next ones (a heading the rules missed).
    const auto longer = check({6000, 7000, 5000, 31000, 6000, 5500, 7000, 6000});
    ASSERT_EQ(longer.size(), 1U);
    EXPECT_EQ(longer[0].kind, ChapterProblem::Kind::TooLong);
    EXPECT_EQ(longer[0].chapter, 3);
    // A chapter cut short by a broken download.
    const auto shorter = check({6000, 7000, 5000, 900, 6000, 5500, 7000, 6000});
    ASSERT_EQ(shorter.size(), 1U);
    EXPECT_EQ(shorter[0].kind, ChapterProblem::Kind::TooShort);
    EXPECT_EQ(toUtf8(problemMessage(
                  shorter[0], {{0, U"第1章"}, {1, U"第2章"}, {2, U"第3章"}, {3, U"第4章 断了"}})),
              toUtf8(U"“第4章 断了”比前后的章节短得多"));
    // Short books of short chapters: a difference under the slack is no problem.
    EXPECT_TRUE(check({800, 900, 100, 850, 900}).empty());
}

// The real novels, found by the default rules, are healthy.
TEST(HealthCheck, corpusNovelsHaveNoProblems)
{
    for (const char *name : {"hongloumeng.txt", "xiyouji.txt", "shuihuzhuan.txt"}) {
        const auto text = readBook(std::string(TIBBO_CORPUS_DIR) + "/" + name);
        ASSERT_TRUE(text) << "corpus not found at " << TIBBO_CORPUS_DIR;
        const BookTexts book = buildPlainBook(*text, false);
        const RuleOutcome found = findChaptersByRules(
            book.paragraphText, book.scrollMap.lineStarts(), ChapterRules::defaults());
        const auto problems = checkChapters(found.chapters);
        for (const ChapterProblem &p : problems)
            ADD_FAILURE() << name << ": " << toUtf8(problemMessage(p, found.chapters));
    }
}
