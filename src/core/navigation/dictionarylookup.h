#pragma once
// Looking a selected word up in the reader's dictionaries: the word as the dictionary gets
// it, and the entries of sdcv's JSON output (`sdcv -n -j`).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

// A word longer than this many characters is cut to it before the look-up.
inline constexpr int kLookUpLimit = 32;

// The selection as the dictionary gets it: blanks (and line breaks) around it dropped, a
// line break inside it a blank, at most kLookUpLimit characters. Nothing else is changed:
// quotes, dashes and shell characters stay, for the word is never given to a shell.
std::u32string lookUpWord(std::u32string_view selection);

struct DictionaryEntry
{
    std::string dictionary; // the dictionary's name
    std::string word;       // the headword it found
    std::string definition; // its text, lines as the dictionary gives them
    friend bool operator==(const DictionaryEntry &, const DictionaryEntry &) = default;
};

// The entries in sdcv's JSON output: one or more arrays (sdcv writes one per word it was
// given) of objects with the strings "dict", "word" and "definition". An object without
// one of them, or with one that is not a string, is left out, as is anything that is not
// an object; what follows the last whole array is not read. Nothing when the output does
// not begin with such an array (an old sdcv without -j, a crash half-way through the
// first); an empty list when it does and holds no entry.
std::optional<std::vector<DictionaryEntry>> sdcvEntries(std::string_view output);

// How many dictionaries sdcv's JSON list of them (`sdcv -n -j -l`) names: the objects of
// its first array. Nothing when the output does not begin with an array.
std::optional<size_t> sdcvDictionaryCount(std::string_view output);

} // namespace tibbo::core
