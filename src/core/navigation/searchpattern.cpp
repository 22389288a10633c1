#include "navigation/searchpattern.h"

namespace tibbo::core {

char32_t foldSearchCase(char32_t c)
{
    if (c >= U'A' && c <= U'Z')
        return c - U'A' + U'a';
    if (c >= U'Ａ' && c <= U'Ｚ')
        return c - U'Ａ' + U'ａ';
    return c;
}

// The other letter case of a folded character, or the character itself.
char32_t SearchPattern::otherCase(char32_t folded)
{
    if (folded >= U'a' && folded <= U'z')
        return folded - U'a' + U'A';
    if (folded >= U'ａ' && folded <= U'ｚ')
        return folded - U'ａ' + U'Ａ';
    return folded;
}

std::vector<uint32_t> SearchPattern::bordersOf(const std::u32string &needle)
{
    std::vector<uint32_t> borders(needle.size(), 0);
    uint32_t k = 0;
    for (size_t i = 1; i < needle.size(); ++i) {
        while (k > 0 && needle[i] != needle[k])
            k = borders[k - 1];
        if (needle[i] == needle[k])
            ++k;
        borders[i] = k;
    }
    return borders;
}

SearchPattern::SearchPattern(std::u32string_view needle)
{
    m_forward.reserve(needle.size());
    for (const char32_t c : needle) {
        m_forward.push_back(foldSearchCase(c));
        m_largest = std::max(m_largest, c);
    }
    m_backward.assign(m_forward.rbegin(), m_forward.rend());
    m_forwardBorders = bordersOf(m_forward);
    m_backwardBorders = bordersOf(m_backward);
}

} // namespace tibbo::core
