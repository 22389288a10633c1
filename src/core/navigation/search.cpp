#include "navigation/search.h"

#include "navigation/searchpattern.h"

#include <algorithm>
#include <limits>

namespace tibbo::core {

std::optional<int64_t> findText(const BookText &text, std::u32string_view needle, int64_t from,
                                bool forward)
{
    if (needle.empty())
        return std::nullopt;
    const SearchPattern pattern(needle);
    const auto start = static_cast<size_t>(std::clamp<int64_t>(from, 0, int64_t(text.size())));
    return text.visit([&](auto units) -> std::optional<int64_t> {
        using Unit = typename decltype(units)::value_type;
        // A character the units cannot hold (beyond 16 bits in a 16-bit text) matches
        // nothing.
        if (pattern.largestCharacter() > std::numeric_limits<Unit>::max())
            return std::nullopt;
        const auto hit =
            forward ? pattern.findForward(units, start) : pattern.findBackward(units, start);
        if (!hit)
            return std::nullopt;
        return static_cast<int64_t>(*hit);
    });
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

std::vector<int64_t> allMatches(const BookText &text, std::u32string_view needle)
{
    std::vector<int64_t> matches;
    if (needle.empty())
        return matches;
    const SearchPattern pattern(needle);
    text.visit([&](auto units) {
        using Unit = typename decltype(units)::value_type;
        if (pattern.largestCharacter() > std::numeric_limits<Unit>::max())
            return 0;
        for (size_t start = 0; start < units.size();) {
            const auto hit = pattern.findForward(units, start);
            if (!hit)
                break;
            matches.push_back(static_cast<int64_t>(*hit));
            start = *hit + pattern.size();
        }
        return 0;
    });
    return matches;
}

} // namespace tibbo::core
