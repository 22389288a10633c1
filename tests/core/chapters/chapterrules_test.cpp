// Chapter rules: the built-in forms on real headings and on prose, the reader's own rules
// (a bad one, a runaway one), the corpus novels under the default rules, and long
// chapters cut into parts.
#include "chapters/chapterrules.h"
#include "referencebook.h"
#include "text/codepage.h"

#include <gtest/gtest.h>

#include <thread>

using namespace tibbo::core;
using tibbo::core::test::buildPlainBook;
using tibbo::core::test::readBook;

namespace {

ChapterRules only(BuiltInRule rule)
{
    ChapterRules rules;
    rules.builtIn = {rule};
    return rules;
}

UserRule compiled(std::u32string_view pattern)
{
    UserRule::CompileError error;
    const auto rule = UserRule::compile(pattern, &error);
    EXPECT_TRUE(rule) << error.message;
    return *rule;
}

BookTexts corpusBook(const char *name)
{
    const auto text = readBook(std::string(TIBBO_CORPUS_DIR) + "/" + name);
    EXPECT_TRUE(text) << "corpus not found at " << TIBBO_CORPUS_DIR;
    return buildPlainBook(text.value_or(U""), false);
}

} // namespace

// One line of a book ("　　" for an indented paragraph) under one built-in rule.
TEST(ChapterRules, eachBuiltInRuleTakesHeadingsAndLeavesProse)
{
    struct Row
    {
        BuiltInRule rule;
        std::u32string line;
        bool heading;
    };
    const Row rows[] = {
        {BuiltInRule::PrefixedTraditional, U"第十節 風起", true},
        {BuiltInRule::PrefixedTraditional, U"第兩百話", true},
        {BuiltInRule::PrefixedTraditional, U"第壹章 開端", true},
        {BuiltInRule::PrefixedTraditional, U"第３章", true},
        {BuiltInRule::PrefixedTraditional, U"第一冊 上", true},
        {BuiltInRule::PrefixedTraditional, U"第一冊書記載著", false}, // a measure word in prose
        {BuiltInRule::PrefixedTraditional, U"第二日，天晴。", false},
        {BuiltInRule::Volume, U"卷一 风起", true},
        {BuiltInRule::Volume, U"卷十二：归来", true},
        {BuiltInRule::Volume, U"卷三", true},
        {BuiltInRule::Volume, U"Volume 3", true},
        {BuiltInRule::Volume, U"VOLUME IV The End", true},
        {BuiltInRule::Volume, U"卷起千堆雪。", false},
        {BuiltInRule::Volume, U"Volumes of dust", false},
        {BuiltInRule::Bracketed, U"【001】风起", true},
        {BuiltInRule::Bracketed, U"[12] 归来", true},
        {BuiltInRule::Bracketed, U"【第一章 初见】", true},
        {BuiltInRule::Bracketed, U"〖第3章〗", true},
        {BuiltInRule::Bracketed, U"【系统提示】你获得了一把剑。", false},
        {BuiltInRule::Bracketed, U"[注] 见上文", false},
        {BuiltInRule::English, U"Chapter 12", true},
        {BuiltInRule::English, U"CHAPTER 3: The Storm", true},
        {BuiltInRule::English, U"Chapter XII", true},
        {BuiltInRule::English, U"Chapters 1 to 3 are free.", false},
        {BuiltInRule::English, U"chapter and verse", false},
        {BuiltInRule::Unprefixed, U"三十章 夜雨", true},
        {BuiltInRule::Unprefixed, U"12章", true},
        {BuiltInRule::Unprefixed, U"301章：决战", true},
        {BuiltInRule::Unprefixed, U"三章过后，他走了。", false},
        {BuiltInRule::Unprefixed, U"十回合之内", false},
        {BuiltInRule::ListNumbered, U"1、 初入江湖", true},
        {BuiltInRule::ListNumbered, U"一、风起", true},
        {BuiltInRule::ListNumbered, U"12. 归来", true},
        {BuiltInRule::ListNumbered, U"1.5倍的速度", false},
        {BuiltInRule::ListNumbered, U"一、他说，这不行。", false},
        {BuiltInRule::MoreSections, U"序言", true},
        {BuiltInRule::MoreSections, U"完本感言", true},
        {BuiltInRule::MoreSections, U"大结局 重逢", true},
        {BuiltInRule::MoreSections, U"終章：歸來", true},
        {BuiltInRule::MoreSections, U"附录", true},
        {BuiltInRule::MoreSections, U"序言写得很长，他没有看完。", false},
        {BuiltInRule::MoreSections, U"引言之中", false},
    };
    for (const Row &row : rows) {
        for (const std::u32string &indent : {std::u32string(), std::u32string(U"　　")}) {
            const BookText text(U"前文。^" + indent + row.line + U"^后文。^");
            const RuleOutcome outcome = findChaptersByRules(text, {}, only(row.rule));
            ASSERT_EQ(outcome.status, RuleOutcome::Status::Found);
            EXPECT_EQ(outcome.chapters.size(), row.heading ? 1U : 0U) << toUtf8(row.line);
            if (row.heading && !outcome.chapters.empty()) {
                EXPECT_EQ(outcome.chapters[0].offset, 4 + static_cast<int64_t>(indent.size()));
                EXPECT_EQ(toUtf8(outcome.chapters[0].title), toUtf8(row.line));
            }
        }
    }
}

// A heading line the loader joined to the paragraph before it is still a line of its
// own: the book's line starts say where it begins.
TEST(ChapterRules, findsAHeadingLineJoinedToTheParagraphBeforeIt)
{
    const BookTexts book =
        buildPlainBook(U"　　前文完了。\r\n【002】归来\r\n　　后文。\r\n", false);
    const RuleOutcome outcome = findChaptersByRules(book.paragraphText, book.scrollMap.lineStarts(),
                                                    only(BuiltInRule::Bracketed));
    ASSERT_EQ(outcome.chapters.size(), 1U);
    EXPECT_EQ(toUtf8(outcome.chapters[0].title), toUtf8(U"【002】归来"));
    EXPECT_EQ(book.paragraphText[static_cast<size_t>(outcome.chapters[0].offset)], U'【');
}

// The default rules find exactly what the standard finder finds in the real novels:
// 红楼梦 120 回, 西游记 100 回, 水浒传 楔子 and 120 回. Each rule that is off by default
// finds no heading in their prose either, but the named sections they do hold.
TEST(ChapterRules, corpusNovelsStayExactUnderTheDefaultRules)
{
    struct Row
    {
        const char *name;
        size_t chapters;
        size_t moreSections; // 附录 in 西游记, 楔子 in 水浒传
    };
    for (const Row &row : {Row{"hongloumeng.txt", 120, 0}, Row{"xiyouji.txt", 100, 1},
                           Row{"shuihuzhuan.txt", 121, 1}}) {
        const BookTexts book = corpusBook(row.name);
        const auto lines = book.scrollMap.lineStarts();
        const RuleOutcome outcome =
            findChaptersByRules(book.paragraphText, lines, ChapterRules::defaults());
        ASSERT_EQ(outcome.status, RuleOutcome::Status::Found);
        const auto standard = findChapters(book.paragraphText);
        ASSERT_EQ(outcome.chapters.size(), row.chapters) << row.name;
        ASSERT_EQ(standard.size(), row.chapters) << row.name;
        for (size_t k = 0; k < standard.size(); ++k) {
            EXPECT_EQ(outcome.chapters[k].offset, standard[k].offset) << row.name << " " << k;
            EXPECT_EQ(outcome.chapters[k].title, standard[k].title) << row.name << " " << k;
        }
        for (const BuiltInRule rule :
             {BuiltInRule::Unprefixed, BuiltInRule::ListNumbered, BuiltInRule::MoreSections}) {
            const RuleOutcome extra = findChaptersByRules(book.paragraphText, lines, only(rule));
            EXPECT_EQ(extra.chapters.size(),
                      rule == BuiltInRule::MoreSections ? row.moreSections : 0U)
                << row.name << " " << static_cast<int>(rule);
        }
    }
}

TEST(ChapterRules, theReadersOwnRuleFindsItsHeadings)
{
    ChapterRules rules;
    rules.own = {compiled(U"Part\\s*\\d+"), compiled(U"[上下]篇")};
    const BookText text(U"Part 1 起^　　正文。^Part 2^正文提到Part 3。^下篇 终^");
    const RuleOutcome outcome = findChaptersByRules(text, {}, rules);
    ASSERT_EQ(outcome.status, RuleOutcome::Status::Found);
    ASSERT_EQ(outcome.chapters.size(), 3U);
    EXPECT_EQ(toUtf8(outcome.chapters[0].title), "Part 1 起");
    EXPECT_EQ(toUtf8(outcome.chapters[1].title), "Part 2");
    EXPECT_EQ(toUtf8(outcome.chapters[2].title), toUtf8(U"下篇 终"));
}

TEST(ChapterRules, aRuleThatDoesNotCompileIsRefusedWithTheCompilersMessage)
{
    for (const std::u32string pattern : {U"第(\\d+章", U"[章", U"*章", U"第\\"}) {
        UserRule::CompileError error;
        EXPECT_FALSE(UserRule::compile(pattern, &error));
        EXPECT_FALSE(error.message.empty());
        EXPECT_LE(error.offset, static_cast<int64_t>(pattern.size()));
    }
    UserRule::CompileError error;
    UserRule::compile(U"第(\\d+章", &error);
    EXPECT_NE(error.message.find("parenthesis"), std::string::npos) << error.message;
}

// A rule that backtracks without end on a heading-sized line is stopped inside that line
// by its step limit; a rule that is merely slow over the whole book is stopped by the
// time limit; a run can be cancelled from another thread.
TEST(ChapterRules, aRunawayRuleIsStoppedAndRefused)
{
    std::u32string lines;
    for (int k = 0; k < 2000; ++k)
        lines += U"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab^";
    const BookText text(lines);

    ChapterRules catastrophic;
    catastrophic.own = {compiled(U"第"), compiled(U"(a+)+$")};
    const RuleOutcome complex = findChaptersByRules(text, {}, catastrophic);
    EXPECT_EQ(complex.status, RuleOutcome::Status::TooComplex);
    EXPECT_EQ(complex.ownRule, 1);
    EXPECT_EQ(toUtf8(complex.line), toUtf8(std::u32string(39, U'a') + U"b"));
    EXPECT_TRUE(complex.chapters.empty());

    ChapterRules slow;
    slow.own = {compiled(U"(a|b)*c")};
    const RuleOutcome late =
        findChaptersByRules(text, {}, slow, RuleLimits{std::chrono::milliseconds(0)});
    EXPECT_EQ(late.status, RuleOutcome::Status::TooSlow);
    EXPECT_TRUE(late.chapters.empty());

    std::atomic<bool> cancel{true};
    const RuleOutcome stopped =
        findChaptersByRules(text, {}, slow, RuleLimits{std::chrono::milliseconds(60000), &cancel});
    EXPECT_EQ(stopped.status, RuleOutcome::Status::Cancelled);
}

TEST(ChapterRules, longChaptersAreCutIntoNumberedPartsAtParagraphs)
{
    std::u32string text = U"第1章 长^";
    const std::u32string paragraph = std::u32string(999, U'字') + U"^";
    for (int k = 0; k < 70; ++k) // 70,000 characters: three parts
        text += paragraph;
    const auto second = static_cast<int64_t>(text.size());
    text += U"第2章 短^" + paragraph;
    const BookText book(text);
    const std::vector<Chapter> chapters{{0, U"第1章 长"}, {second, U"第2章 短"}};
    const auto parts = splitLongChapters(book, chapters);
    ASSERT_EQ(parts.size(), 4U);
    EXPECT_EQ(toUtf8(parts[0].title), toUtf8(U"第1章 长（1/3）"));
    EXPECT_EQ(toUtf8(parts[2].title), toUtf8(U"第1章 长（3/3）"));
    EXPECT_EQ(parts[0].offset, 0);
    for (size_t k = 1; k < 3; ++k) {
        // Each part starts a paragraph, about a third of the way on.
        EXPECT_EQ(book[static_cast<size_t>(parts[k].offset - 1)], kParagraphMark);
        EXPECT_NEAR(static_cast<double>(parts[k].offset), k * second / 3.0, 1000.0);
    }
    EXPECT_EQ(parts[3].offset, second);
    EXPECT_EQ(toUtf8(parts[3].title), toUtf8(U"第2章 短"));
    EXPECT_EQ(splitLongChapters(book, chapters, 100000).size(), 2U);
}
