#pragma once
// The line list: entry 0 is 0, entry k the number of characters of the paragraph text
// covered by display lines 1 .. k.

#include <cstdint>
#include <vector>

namespace tibbo::core {

// The most characters a book may have: 2^30 - 1. The largest file the reader opens
// holds fewer, so every entry of the line list fits in 32 bits (half the room of a
// 64-bit list), with two bits to spare for the scroll text's map.
inline constexpr int64_t kMaxBookChars = (int64_t{1} << 30) - 1;

using LineEnd = int32_t;
using LineList = std::vector<LineEnd>;

} // namespace tibbo::core
