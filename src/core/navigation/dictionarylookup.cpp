#include "navigation/dictionarylookup.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>

namespace tibbo::core {

namespace {

bool isBlank(char32_t c)
{
    return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == U'\u3000' || c == U'\u00A0';
}

} // namespace

std::u32string lookUpWord(std::u32string_view selection)
{
    const auto first = std::find_if_not(selection.begin(), selection.end(), isBlank);
    const auto last = std::find_if_not(selection.rbegin(), selection.rend(), isBlank).base();
    if (first >= last)
        return {};
    std::u32string word(first, last);
    std::replace_if(
        word.begin(), word.end(), [](char32_t c) { return c == U'\n' || c == U'\r'; }, U' ');
    if (word.size() > static_cast<size_t>(kLookUpLimit))
        word.resize(static_cast<size_t>(kLookUpLimit));
    return word;
}

std::optional<std::vector<DictionaryEntry>> sdcvEntries(std::string_view output)
{
    std::vector<DictionaryEntry> entries;
    std::istringstream in{std::string(output)};
    bool any = false;
    while (true) {
        in >> std::ws;
        if (in.peek() == std::char_traits<char>::eof())
            break;
        nlohmann::json value;
        try {
            in >> value;
        } catch (const nlohmann::json::exception &) {
            // What follows whole arrays (a message sdcv adds) is not entries.
            break;
        }
        if (!value.is_array())
            break;
        any = true;
        for (const nlohmann::json &item : value) {
            if (!item.is_object())
                continue;
            const auto text = [&item](const char *key) -> const std::string * {
                const auto found = item.find(key);
                return found != item.end() && found->is_string()
                           ? found->get_ptr<const std::string *>()
                           : nullptr;
            };
            const std::string *dictionary = text("dict");
            const std::string *word = text("word");
            const std::string *definition = text("definition");
            if (dictionary && word && definition)
                entries.push_back({*dictionary, *word, *definition});
        }
    }
    if (!any)
        return std::nullopt;
    return entries;
}

std::optional<size_t> sdcvDictionaryCount(std::string_view output)
{
    std::istringstream in{std::string(output)};
    nlohmann::json value;
    try {
        in >> value;
    } catch (const nlohmann::json::exception &) {
        return std::nullopt;
    }
    if (!value.is_array())
        return std::nullopt;
    return static_cast<size_t>(std::count_if(
        value.begin(), value.end(), [](const nlohmann::json &item) { return item.is_object(); }));
}

} // namespace tibbo::core
