#include "navigation/search.h"

#include <algorithm>
#include <string>

namespace tibbo::core {

namespace {

char32_t foldCase(char32_t c)
{
    if (c >= U'A' && c <= U'Z')
        return c - U'A' + U'a';
    if (c >= U'Ａ' && c <= U'Ｚ')
        return c - U'Ａ' + U'ａ';
    return c;
}

// The other letter case of a folded character, or the character itself.
char32_t otherCase(char32_t folded)
{
    if (folded >= U'a' && folded <= U'z')
        return folded - U'a' + U'A';
    if (folded >= U'ａ' && folded <= U'ｚ')
        return folded - U'ａ' + U'Ａ';
    return folded;
}

template <typename Text> bool matchesAt(Text text, size_t at, std::u32string_view folded)
{
    for (size_t k = 1; k < folded.size(); ++k) {
        if (foldCase(static_cast<char32_t>(text[at + k])) != folded[k])
            return false;
    }
    return true;
}

// The scan looks for the needle's first character in both letter cases, then compares
// the rest; the first character is the rarest test, so most units cost one or two
// comparisons.
template <typename Text>
std::optional<int64_t> scan(Text text, std::u32string_view folded, int64_t from, bool forward)
{
    using Unit = typename Text::value_type;
    const size_t n = folded.size();
    if (n > text.size())
        return std::nullopt;
    // A character the units cannot hold (beyond 16 bits in a 16-bit text) matches nothing.
    for (const char32_t c : folded) {
        if (static_cast<char32_t>(static_cast<Unit>(c)) != c)
            return std::nullopt;
    }
    const auto lower = static_cast<Unit>(folded[0]);
    const auto upper = static_cast<Unit>(otherCase(folded[0]));
    const size_t lastStart = text.size() - n;
    const size_t start = static_cast<size_t>(std::clamp<int64_t>(from, 0, int64_t(text.size())));
    if (forward) {
        for (size_t at = start; at <= lastStart; ++at) {
            const Unit u = text[at];
            if ((u == lower || u == upper) && matchesAt(text, at, folded))
                return static_cast<int64_t>(at);
        }
        return std::nullopt;
    }
    for (size_t at = std::min(start, lastStart + 1); at-- > 0;) {
        const Unit u = text[at];
        if ((u == lower || u == upper) && matchesAt(text, at, folded))
            return static_cast<int64_t>(at);
    }
    return std::nullopt;
}

} // namespace

std::optional<int64_t> findText(const BookText &text, std::u32string_view needle, int64_t from,
                                bool forward)
{
    if (needle.empty())
        return std::nullopt;
    std::u32string folded(needle);
    std::transform(folded.begin(), folded.end(), folded.begin(), foldCase);
    return text.visit([&](auto units) { return scan(units, folded, from, forward); });
}

std::optional<SearchHit> findNextWrapping(const BookText &text, std::u32string_view needle,
                                          int64_t from, bool forward)
{
    if (const auto hit = findText(text, needle, from, forward))
        return SearchHit{*hit, false};
    const auto otherEnd = forward ? int64_t{0} : static_cast<int64_t>(text.size());
    if (const auto hit = findText(text, needle, otherEnd, forward))
        return SearchHit{*hit, true};
    return std::nullopt;
}

} // namespace tibbo::core
