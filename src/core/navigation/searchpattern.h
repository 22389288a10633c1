#pragma once
// A search needle prepared once for scans in both directions (Knuth-Morris-Pratt): after
// a mismatch the scan goes on from the longest part of the needle already matched that
// can still start a match, so it never reads a unit of the text twice. A search costs at
// most two comparisons per unit whatever the text and the needle; a scan that compares
// the needle afresh at every start costs n·m on ten million copies of one character and
// a long needle that matches all of it but its last character.
//
// Letters A-Z and full-width Ａ-Ｚ match their lower-case forms; nothing else is folded.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

char32_t foldSearchCase(char32_t c);

class SearchPattern
{
  public:
    explicit SearchPattern(std::u32string_view needle);

    size_t size() const { return m_forward.size(); }
    // The largest character of the needle: a text whose units cannot hold it has no match.
    char32_t largestCharacter() const { return m_largest; }

    // The first match starting at or after `start`. Units: anything with size() and
    // operator[] giving a character (std::u16string_view, std::u32string_view).
    template <typename Units>
    std::optional<size_t> findForward(const Units &units, size_t start) const
    {
        return scan<+1>(units, start, units.size(), m_forward, m_forwardBorders);
    }
    // The last match starting before `end`.
    template <typename Units>
    std::optional<size_t> findBackward(const Units &units, size_t end) const
    {
        const size_t m = size();
        if (m == 0 || end == 0 || m > units.size())
            return std::nullopt;
        // A match starting before `end` ends before end - 1 + m.
        const size_t stop = std::min(end - 1 + m, units.size());
        return scan<-1>(units, stop, 0, m_backward, m_backwardBorders);
    }

  private:
    // Walks from `from` towards `to` (forward: from .. to-1; backward: from-1 .. to) and
    // returns the offset where the needle (reversed for a backward walk) was completed:
    // forward its start is that offset + 1 - m, backward the offset itself.
    template <int Direction, typename Units>
    static std::optional<size_t> scan(const Units &units, size_t from, size_t to,
                                      const std::u32string &needle,
                                      const std::vector<uint32_t> &borders)
    {
        const size_t m = needle.size();
        if (m == 0 || m > units.size())
            return std::nullopt;
        const char32_t first = needle[0];
        const char32_t firstOther = otherCase(first);
        size_t matched = 0;
        size_t i = from;
        while (Direction > 0 ? i < to : i > to) {
            const size_t at = Direction > 0 ? i++ : --i;
            const auto unit = static_cast<char32_t>(units[at]);
            if (matched == 0) {
                // Most units are not the needle's first character: one or two comparisons.
                if (unit != first && unit != firstOther)
                    continue;
                matched = 1;
            } else {
                const char32_t c = foldSearchCase(unit);
                while (matched > 0 && c != needle[matched])
                    matched = borders[matched - 1];
                if (c == needle[matched])
                    ++matched;
            }
            if (matched == m)
                return Direction > 0 ? at + 1 - m : at;
        }
        return std::nullopt;
    }

    static char32_t otherCase(char32_t folded);
    static std::vector<uint32_t> bordersOf(const std::u32string &needle);

    std::u32string m_forward;  // folded
    std::u32string m_backward; // folded and reversed
    // borders[k]: the length of the longest proper prefix of needle[0..k] that is also
    // its suffix.
    std::vector<uint32_t> m_forwardBorders;
    std::vector<uint32_t> m_backwardBorders;
    char32_t m_largest = 0;
};

} // namespace tibbo::core
