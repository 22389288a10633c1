#include "referencebook.h"
#include "text/sentences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace tibbo::core {

void PrintTo(const Sentence &s, std::ostream *os)
{
    *os << "[" << s.begin << ", " << s.end << (s.endsParagraph ? ") ^" : ")");
}

namespace {

// Every sentence of the text, cut one after the other from its start.
std::vector<Sentence> allSentences(const BookText &text)
{
    std::vector<Sentence> sentences;
    int64_t boundary = 0;
    while (auto s = sentenceFrom(text, boundary)) {
        sentences.push_back(*s);
        boundary = s->end;
    }
    return sentences;
}

std::vector<std::u32string> spokenSentences(const BookText &text)
{
    std::vector<std::u32string> spoken;
    for (const Sentence &s : allSentences(text))
        spoken.push_back(spokenText(text, s));
    return spoken;
}

std::u32string run(size_t count, char32_t c = U'字')
{
    return std::u32string(count, c);
}

TEST(Sentences, cutWhereAReaderHearsAnEnd)
{
    struct Row
    {
        const char *name;
        std::u32string text;
        std::vector<std::u32string> spoken;
    };
    const std::u32string longRunOn = run(150) + U"，" + run(100) + U"。^";
    const std::u32string commaless = run(450) + U"^";
    const Row rows[] = {
        {"indent not read, paragraph end ends", U"　　他来了。她走了^", {U"他来了。", U"她走了"}},
        {"closing quote stays with its sentence",
         U"他说：“好。”她笑了。^",
         {U"他说：“好。”", U"她笑了。"}},
        {"！” ？』 。」 each end with their closers",
         U"“走！”“去哪？』「回家。」^",
         {U"“走！”", U"“去哪？』", U"「回家。」"}},
        {"a run of marks is one end", U"真的吗？！”他问。^", {U"真的吗？！”", U"他问。"}},
        {"ellipsis ends a sentence", U"他……走了。^", {U"他……", U"走了。"}},
        {"⋯⋯ and ASCII dots end; a lone dot does not",
         U"等等⋯⋯好的...第3.5回^",
         {U"等等⋯⋯", U"好的...", U"第3.5回"}},
        {"semicolon ends", U"甲来；乙去。^", {U"甲来；", U"乙去。"}},
        // The corpus's chapter titles open no paragraph: they are joined to the last
        // sentence of the chapter before, and must be heard on their own.
        {"heading after the end of the chapter before",
         U"且听下回分解。第二回　悟彻菩提真妙理^　　诗曰：^",
         {U"且听下回分解。", U"第二回 悟彻菩提真妙理", U"诗曰："}},
        {"empty paragraphs and blank lines are not read",
         U"甲。^^　　^ ^　　乙。^",
         {U"甲。", U"乙。"}},
        {"marks alone are not read", U"甲。^※※※^……^——^乙。^", {U"甲。", U"乙。"}},
        {"never starts with a closing mark", U"^」』甲。^", {U"甲。"}},
        {"run-on cut after the last comma within the limit",
         longRunOn,
         {run(150) + U"，", run(100) + U"。"}},
        {"run-on without a comma cut at the limit", commaless, {run(200), run(200), run(50)}},
        {"Latin and digits are left to the engine",
         U"他用iPhone 15拍照。^",
         {U"他用iPhone 15拍照。"}},
        {"no final mark, no paragraph mark", U"甲乙", {U"甲乙"}},
        {"empty text", U"", {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(spokenSentences(BookText(row.text)), row.spoken);
    }
}

TEST(Sentences, offsetsAndParagraphEnds)
{
    const BookText text(U"　　他说：“好。”她笑了。^第二段^");
    const std::vector<Sentence> expected = {{2, 9, false}, {9, 13, true}, {14, 17, true}};
    EXPECT_EQ(allSentences(text), expected);
}

// The engine gets plain text: blanks inside fold to one, control characters go.
TEST(Sentences, spokenTextIsPlain)
{
    const BookText text(U"第一回　　灵根\t育孕\x01源流出^");
    EXPECT_EQ(spokenText(text, {0, 14, true}), U"第一回 灵根 育孕源流出");
    EXPECT_EQ(spokenText(text, {0, 100, true}), U"第一回 灵根 育孕源流出");
}

TEST(Sentences, firstSentenceInARange)
{
    const BookText text(U"甲乙丙。丁戊己。^庚辛。^");
    struct Row
    {
        const char *name;
        int64_t from, to;
        std::optional<Sentence> first;
    };
    const Row rows[] = {
        {"range starts on a sentence", 4, 12, Sentence{4, 8, true}},
        {"range starts inside one: the next", 1, 12, Sentence{4, 8, true}},
        {"across a paragraph mark", 6, 12, Sentence{9, 12, true}},
        {"none begins in the range", 5, 9, std::nullopt},
        {"past the text", 13, 20, std::nullopt},
        {"before the text", -5, 3, Sentence{0, 4, false}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(firstSentenceIn(text, row.from, row.to), row.first);
    }
}

// "从这里朗读" at a selected character: the sentence around it, also from inside the marks
// that end it.
TEST(Sentences, sentenceHoldingAnOffset)
{
    const BookText text(U"甲乙丙。」丁戊。^　^己。");
    struct Row
    {
        const char *name;
        int64_t offset;
        std::optional<Sentence> holding;
    };
    const Row rows[] = {
        {"first character", 0, Sentence{0, 5, false}},
        {"on its end mark", 3, Sentence{0, 5, false}},
        {"on the closing mark after it", 4, Sentence{0, 5, false}},
        {"next sentence", 5, Sentence{5, 8, true}},
        {"between paragraphs: the next", 9, Sentence{11, 13, true}},
        {"past the end", 13, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(sentenceHolding(text, row.offset), row.holding);
    }
}

// A start within a run-on: the boundary search gives up after a while and cuts from
// where it stopped, so the sentences still hold at most the limit.
TEST(Sentences, firstSentenceInALongRunOn)
{
    const BookText text(run(3000) + U"^");
    const auto first = firstSentenceIn(text, 2100, 2400);
    ASSERT_TRUE(first);
    EXPECT_GE(first->begin, 2100);
    EXPECT_LE(first->end - first->begin, kSentenceLengthLimit);
}

bool isMark(char32_t c)
{
    return std::u32string_view(U"。！？；…").find(c) != std::u32string_view::npos;
}

bool isSilent(char32_t c)
{
    return c == U'^' || c == U'　' || c == U' ' ||
           std::u32string_view(U"。！？；…，、：“”‘’「」『』（）《》—").find(c) !=
               std::u32string_view::npos;
}

// The three novels cut whole: nothing read is lost, sentences stay short and end only at
// their end marks, and a start anywhere finds the sentence reading from the start would.
TEST(Sentences, corpusNovels)
{
    for (const char *name : {"hongloumeng.txt", "xiyouji.txt", "shuihuzhuan.txt"}) {
        SCOPED_TRACE(name);
        const auto decoded = test::readBook(std::string(TIBBO_CORPUS_DIR) + "/" + name);
        ASSERT_TRUE(decoded);
        const BookText text = test::buildPlainBook(*decoded, false).paragraphText;
        const std::vector<Sentence> sentences = allSentences(text);
        ASSERT_GT(sentences.size(), 5000u);
        int64_t previousEnd = 0;
        size_t quoted = 0;
        for (const Sentence &s : sentences) {
            ASSERT_LT(s.begin, s.end);
            ASSERT_LE(previousEnd, s.begin);
            // Between two sentences only what is not read: blanks, marks, paragraph ends.
            for (int64_t k = previousEnd; k < s.begin; ++k)
                ASSERT_TRUE(isSilent(text[size_t(k)])) << "lost at " << k;
            ASSERT_EQ(std::u32string_view(U"^　 ”’」』）").find(text[size_t(s.begin)]),
                      std::u32string_view::npos)
                << "starts with a blank or a closing mark at " << s.begin;
            ASSERT_LE(s.end - s.begin, kSentenceLengthLimit + 4);
            bool inEndRun = false;
            for (int64_t k = s.begin; k < s.end; ++k) {
                const char32_t c = text[size_t(k)];
                ASSERT_NE(c, U'^');
                if (isMark(c)) {
                    inEndRun = true;
                } else if (inEndRun) {
                    ASSERT_TRUE(std::u32string_view(U"”’」』）)》】\"'").find(c) !=
                                std::u32string_view::npos)
                        << "an end inside the sentence at " << k;
                }
            }
            if (text[size_t(s.end - 1)] == U'”' || text[size_t(s.end - 1)] == U'」')
                ++quoted;
            previousEnd = s.end;
        }
        EXPECT_GT(quoted, 100u);
        for (int64_t k = previousEnd; k < int64_t(text.size()); ++k)
            ASSERT_TRUE(isSilent(text[size_t(k)]));

        for (int64_t from = 0; from < int64_t(text.size()); from += 997) {
            const auto found = firstSentenceIn(text, from, from + 2000);
            const auto expected = std::lower_bound(
                sentences.begin(), sentences.end(), from,
                [](const Sentence &s, int64_t offset) { return s.begin < offset; });
            if (expected == sentences.end() || expected->begin >= from + 2000) {
                ASSERT_FALSE(found) << from;
            } else {
                ASSERT_EQ(found, std::optional<Sentence>(*expected)) << from;
            }
            const auto holding =
                std::upper_bound(sentences.begin(), sentences.end(), from,
                                 [](int64_t offset, const Sentence &s) { return offset < s.end; });
            ASSERT_EQ(sentenceHolding(text, from),
                      holding == sentences.end() ? std::nullopt : std::optional<Sentence>(*holding))
                << from;
        }
    }
}

} // namespace
} // namespace tibbo::core
