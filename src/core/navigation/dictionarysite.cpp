#include "navigation/dictionarysite.h"

#include "text/codepage.h"

#include <cctype>

namespace tibbo::core {

namespace {

constexpr std::string_view kPercentPlaceholder = "%s";
constexpr std::string_view kWordPlaceholder = "{word}";

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

bool isHex(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Where the placeholder is: its offset and length; nothing when there is none.
struct Placeholder
{
    size_t at = 0;
    size_t length = 0;
};

// Every placeholder in the template, "%s" counted only where the "%" is not part of a
// percent-encoded byte.
size_t countPlaceholders(std::string_view text, Placeholder *first)
{
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        size_t length = 0;
        if (text.substr(i, kWordPlaceholder.size()) == kWordPlaceholder)
            length = kWordPlaceholder.size();
        else if (text.substr(i, kPercentPlaceholder.size()) == kPercentPlaceholder)
            length = kPercentPlaceholder.size();
        else if (text[i] == '%' && i + 2 < text.size() && isHex(text[i + 1]) &&
                 isHex(text[i + 2])) {
            i += 2;
            continue;
        }
        if (length == 0)
            continue;
        if (count++ == 0 && first)
            *first = {i, length};
        i += length - 1;
    }
    return count;
}

} // namespace

std::optional<SiteTemplateProblem> siteTemplateProblem(std::string_view urlTemplate)
{
    const std::string_view text = trimmed(urlTemplate);
    std::string_view host;
    if (startsWithNoCase(text, "https://"))
        host = text.substr(8);
    else if (startsWithNoCase(text, "http://"))
        host = text.substr(7);
    else
        return SiteTemplateProblem::NotWeb;
    // A host of its own before the path, the query or the word: "https://{word}" would let
    // the word choose the site.
    const size_t hostEnd = host.find_first_of("/?#");
    const std::string_view hostPart = host.substr(0, hostEnd);
    if (hostPart.empty() || hostPart.find('{') != std::string_view::npos ||
        hostPart.find('%') != std::string_view::npos)
        return SiteTemplateProblem::NotWeb;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c <= 0x20 || c == 0x7F)
            return SiteTemplateProblem::BadCharacter;
        if (c == '%' && text.substr(i, 2) != kPercentPlaceholder &&
            !(i + 2 < text.size() && isHex(text[i + 1]) && isHex(text[i + 2])))
            return SiteTemplateProblem::BadCharacter;
    }
    const size_t placeholders = countPlaceholders(text, nullptr);
    if (placeholders == 0)
        return SiteTemplateProblem::NoPlaceholder;
    if (placeholders > 1)
        return SiteTemplateProblem::TwoPlaceholders;
    return std::nullopt;
}

std::string percentEncoded(std::u32string_view word)
{
    const std::string utf8 = toUtf8(word);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(utf8.size() * 3);
    for (const char byte : utf8) {
        const auto c = static_cast<unsigned char>(byte);
        if (std::isalnum(c) && c < 0x80)
            encoded += static_cast<char>(c);
        else if (c == '-' || c == '.' || c == '_' || c == '~')
            encoded += static_cast<char>(c);
        else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::optional<std::string> siteAddress(std::string_view urlTemplate, std::u32string_view word)
{
    if (siteTemplateProblem(urlTemplate))
        return std::nullopt;
    const std::string_view text = trimmed(urlTemplate);
    Placeholder placeholder;
    countPlaceholders(text, &placeholder);
    std::string address(text.substr(0, placeholder.at));
    address += percentEncoded(word);
    address += text.substr(placeholder.at + placeholder.length);
    return address;
}

} // namespace tibbo::core
