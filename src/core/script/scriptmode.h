#pragma once
// The scripts a book can be shown in: as written (原文), converted to Simplified (转简体)
// or to Traditional (转繁体) characters, with the Taiwan and Hong Kong forms where the
// conversion knows them. The Taiwan conversions also change the words that differ
// between the mainland and Taiwan ("内存" ↔ "記憶體"), so a phrase may change its length.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

enum class ScriptMode {
    Original,
    Simplified,             // from Traditional characters
    SimplifiedFromTaiwan,   // Taiwan characters and words
    SimplifiedFromHongKong, // Hong Kong characters
    Traditional,
    TraditionalTaiwan, // with Taiwan words
    TraditionalHongKong,
};

// Every mode, 原文 first, in the order a menu lists them.
const std::vector<ScriptMode> &allScriptModes();

// The key stored for a book ("original", "simplified", "simplified-tw", ...).
std::string_view scriptModeKey(ScriptMode mode);
// Nothing for a key no version of the reader wrote.
std::optional<ScriptMode> scriptModeFromKey(std::string_view key);

// The menu caption: "原文", "转简体", "转繁体(台湾)", ...
std::u32string_view scriptModeCaption(ScriptMode mode);

// The conversion's configuration name ("t2s", "s2twp", ...); empty for Original.
std::string_view conversionConfigOf(ScriptMode mode);

bool convertsToSimplified(ScriptMode mode);

} // namespace tibbo::core
