#pragma once
// Where a converted text and its original differ in length. A conversion replaces phrases
// by phrases; most keep their length ("头发" → "頭髮") and map character by character.
// The few that do not ("内存" → "記憶體") are recorded here as changes: the original run
// and the converted run that stand for each other. Between changes the two texts run
// side by side, one character to one.
//
// An offset inside a changed phrase has no exact counterpart: it maps to the start of
// the phrase, in both directions, so a place or a bookmark there moves at most to the
// start of the phrase it stands in.

#include <cstdint>
#include <vector>

namespace tibbo::core {

class OffsetMap
{
  public:
    struct Change
    {
        int64_t original = 0;
        int64_t originalLength = 0;
        int64_t converted = 0;
        int64_t convertedLength = 0;
    };

    // Records a changed phrase; changes come in text order and never overlap.
    void add(const Change &change);
    // Appends the changes of `other`, a map of the text that follows this one, whose
    // offsets start at `original` and `converted` here.
    void append(const OffsetMap &other, int64_t original, int64_t converted);
    void clear() { m_changes.clear(); }

    // True when every character maps to one character: the offsets are the same.
    bool sameLengths() const { return m_changes.empty(); }
    const std::vector<Change> &changes() const { return m_changes; }

    // The converted offset of original offset `original` (0 .. the original's length).
    int64_t toConverted(int64_t original) const;
    // The original offset of converted offset `converted`.
    int64_t toOriginal(int64_t converted) const;

  private:
    std::vector<Change> m_changes;
};

} // namespace tibbo::core
