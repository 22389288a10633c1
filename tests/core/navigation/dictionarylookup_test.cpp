#include "navigation/dictionarylookup.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tibbo::core {
namespace {

TEST(LookUpWord, blanksAroundGo_theRestStaysAsItIs)
{
    struct Row
    {
        const char *name;
        std::u32string selection, word;
    };
    const Row rows[] = {
        {"indent and paragraph end around", U"　　成语\n", U"成语"},
        {"a line break inside is a blank", U"贾宝玉\n林黛玉", U"贾宝玉 林黛玉"},
        // The word is never given to a shell: these must reach the dictionary untouched.
        {"shell characters stay", U"$(rm -rf ~)`x`;|&", U"$(rm -rf ~)`x`;|&"},
        {"a leading dash stays", U"-n", U"-n"},
        {"quotes stay", U"\"它\"'的'", U"\"它\"'的'"},
        {"only blanks", U" 　\n", U""},
        // 40 characters, cut to the limit.
        {"too long", std::u32string(40, U'字'), std::u32string(kLookUpLimit, U'字')},
        {"beyond the Basic Multilingual Plane counts one", std::u32string(33, U'\U00020000'),
         std::u32string(kLookUpLimit, U'\U00020000')},
    };
    for (const Row &row : rows)
        EXPECT_EQ(lookUpWord(row.selection), row.word) << row.name;
}

TEST(SdcvEntries, checksEveryField)
{
    using Entries = std::vector<DictionaryEntry>;
    struct Row
    {
        const char *name;
        std::string output;
        std::optional<Entries> entries;
    };
    const DictionaryEntry idiom{"成语词典", "画蛇添足", "比喻做了多余的事。"};
    const Row rows[] = {
        {"one entry",
         R"([{"dict":"成语词典","word":"画蛇添足","definition":"比喻做了多余的事。"}])",
         Entries{idiom}},
        {"no entry", "[]\n", Entries{}},
        // sdcv writes one array per word it was given.
        {"two arrays", R"([{"dict":"成语词典","word":"画蛇添足","definition":"比喻做了多余的事。"}]
[{"dict":"d","word":"w","definition":"x"}])",
         Entries{idiom, {"d", "w", "x"}}},
        {"a message after the arrays is not read", "[]\nThere are no words/phrases to translate.",
         Entries{}},
        {"a field missing",
         R"([{"dict":"d","definition":"x"},{"dict":"成语词典","word":"画蛇添足","definition":"比喻做了多余的事。"}])",
         Entries{idiom}},
        {"a field not a string", R"([{"dict":"d","word":7,"definition":"x"}])", Entries{}},
        {"a field null", R"([{"dict":null,"word":"w","definition":"x"}])", Entries{}},
        {"an item not an object", R"([1,"w",[],{"dict":"d","word":"w","definition":"x"}])",
         Entries{{"d", "w", "x"}}},
        {"plain text (no -j)", "Found 1 items, similar to 成语.\n-->成语词典", std::nullopt},
        {"cut half-way", R"([{"dict":"d","word":"w","defin)", std::nullopt},
        {"an object, not an array", R"({"dict":"d","word":"w","definition":"x"})", std::nullopt},
        {"nothing", "", std::nullopt},
    };
    for (const Row &row : rows)
        EXPECT_EQ(sdcvEntries(row.output), row.entries) << row.name;
}

TEST(SdcvDictionaryCount, countsTheObjectsOfTheList)
{
    struct Row
    {
        const char *name;
        std::string output;
        std::optional<size_t> count;
    };
    const Row rows[] = {
        {"none installed", "[]\n", 0},
        {"two", R"([{"name":"汉语成语词典","wordcount":"12000"},{"name":"x","wordcount":"1"}])", 2},
        {"an item not an object is no dictionary", R"([1,{"name":"x"}])", 1},
        {"plain text (no -j)", "Dictionary's name   Word count\n", std::nullopt},
        {"nothing", "", std::nullopt},
    };
    for (const Row &row : rows)
        EXPECT_EQ(sdcvDictionaryCount(row.output), row.count) << row.name;
}

} // namespace
} // namespace tibbo::core
