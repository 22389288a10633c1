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
    const auto found = text.visit([&](auto units) -> std::optional<int64_t> {
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
    // The pages searched through go; the ones about the hit come back as it is shown.
    text.releaseAll();
    return found;
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
        // A stretch at a time, each with room for a match that starts in it, so the pages
        // searched can go.
        constexpr size_t kStretch = size_t{1} << 20;
        PagesBehind behind(text);
        for (size_t from = 0; from < units.size(); from += kStretch) {
            const auto stretch = units.substr(0, from + kStretch + pattern.size() - 1);
            for (size_t start =
                     std::max(from, matches.empty() ? 0 : size_t(matches.back()) + pattern.size());
                 start < std::min(stretch.size(), from + kStretch);) {
                const auto hit = pattern.findForward(stretch, start);
                if (!hit || *hit >= from + kStretch)
                    break;
                matches.push_back(static_cast<int64_t>(*hit));
                start = *hit + pattern.size();
            }
            behind.passed(from);
        }
        return 0;
    });
    return matches;
}

} // namespace tibbo::core
