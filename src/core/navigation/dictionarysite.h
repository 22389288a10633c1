#pragma once
// The dictionary site a looked-up word is opened on in the browser: the sites offered, and
// the reader's own address template, "%s" or "{word}" standing for the word. The word is
// always percent-encoded as UTF-8 into the address, never pasted in as it is, so a word
// holding "&", "#", "%", "/" or a blank stays the one word looked up.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core {

struct DictionarySite
{
    const char *name;        // as the settings offer it
    const char *urlTemplate; // "{word}" for the word
};

// The sites offered; the first is the one used until the reader chooses.
inline constexpr DictionarySite kDictionarySites[] = {
    {"汉典", "https://www.zdic.net/hans/{word}"},
    {"萌典", "https://www.moedict.tw/{word}"},
    {"百度汉语", "https://hanyu.baidu.com/s?wd={word}&ptype=zici"},
    {"维基词典", "https://zh.wiktionary.org/wiki/{word}"},
};

// Why an address template is refused.
enum class SiteTemplateProblem {
    NotWeb,          // does not begin with http:// or https:// and a host
    NoPlaceholder,   // neither "%s" nor "{word}"
    TwoPlaceholders, // more than one of them
    BadCharacter,    // a blank or control character, or a "%" not followed by two hex digits
};

// Nothing when the template (blanks around it ignored) can be used.
std::optional<SiteTemplateProblem> siteTemplateProblem(std::string_view urlTemplate);

// The word as UTF-8 with every byte but A-Z a-z 0-9 - . _ ~ written as %XX. A code point
// that is no character (a lone surrogate, past U+10FFFF) is written as U+FFFD.
std::string percentEncoded(std::u32string_view word);

// The address of `word` on the site of `urlTemplate`: the placeholder replaced by the
// percent-encoded word. Nothing when the template is refused.
std::optional<std::string> siteAddress(std::string_view urlTemplate, std::u32string_view word);

} // namespace tibbo::core
