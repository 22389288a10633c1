#pragma once
// Decoding a book's bytes in given pieces, as a file is read, for the tests that check
// that a character cut between two pieces comes out whole.
#include "text/codepage.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core::test {

// The bytes decoded in pieces cut at the given points, as one text.
inline std::u32string decodeInPieces(std::string_view bytes, TextEncoding encoding,
                                     std::vector<size_t> cuts)
{
    ChunkDecoder decoder(encoding);
    std::u32string out;
    cuts.push_back(bytes.size());
    size_t from = 0;
    for (size_t cut : cuts) {
        cut = std::min(std::max(cut, from), bytes.size());
        decoder.decode(bytes.substr(from, cut - from), cut == bytes.size(), out);
        from = cut;
    }
    return out;
}

} // namespace tibbo::core::test
