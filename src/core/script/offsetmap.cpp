#include "script/offsetmap.h"

#include <algorithm>

namespace tibbo::core {

void OffsetMap::add(const Change &change)
{
    m_changes.push_back(change);
}

void OffsetMap::append(const OffsetMap &other, int64_t original, int64_t converted)
{
    for (Change change : other.m_changes) {
        change.original += original;
        change.converted += converted;
        m_changes.push_back(change);
    }
}

int64_t OffsetMap::toConverted(int64_t original) const
{
    // The last change that begins at or before the offset.
    const auto after = std::upper_bound(
        m_changes.begin(), m_changes.end(), original,
        [](int64_t value, const Change &change) { return value < change.original; });
    if (after == m_changes.begin())
        return original;
    const Change &change = *(after - 1);
    if (original < change.original + change.originalLength)
        return change.converted;
    return original - (change.original + change.originalLength) +
           (change.converted + change.convertedLength);
}

int64_t OffsetMap::toOriginal(int64_t converted) const
{
    const auto after = std::upper_bound(
        m_changes.begin(), m_changes.end(), converted,
        [](int64_t value, const Change &change) { return value < change.converted; });
    if (after == m_changes.begin())
        return converted;
    const Change &change = *(after - 1);
    if (converted < change.converted + change.convertedLength)
        return change.original;
    return converted - (change.converted + change.convertedLength) +
           (change.original + change.originalLength);
}

} // namespace tibbo::core
