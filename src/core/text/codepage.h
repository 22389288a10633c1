#pragma once
// Book files are GBK; they are read as GB18030, its superset, so every GBK file reads
// the same and nothing the program writes can lose a character. A file that starts
// with a UTF-8 byte-order mark, or that is entirely valid UTF-8 with non-ASCII bytes,
// is read as UTF-8. Bytes that are not valid in the code page become U+FFFD and the
// rest of the book is still read.

#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

inline constexpr char32_t kReplacementChar = U'\uFFFD';

std::u32string decodeGb18030(std::string_view bytes);
std::string encodeGb18030(std::u32string_view text);

// Decodes a book's bytes piece by piece, in the code page decodeBook would choose for
// the whole: a character cut by the end of one piece is completed by the next, so the
// result is exactly decodeBook's, without a second copy of the whole text.
class ChunkDecoder
{
  public:
    // utf8: the bytes are UTF-8 (the byte-order mark already dropped); else GB18030.
    explicit ChunkDecoder(bool utf8);
    ~ChunkDecoder();
    ChunkDecoder(const ChunkDecoder &) = delete;
    ChunkDecoder &operator=(const ChunkDecoder &) = delete;

    // Appends the characters of bytes to out; last: no more bytes follow, so a cut-off
    // character becomes U+FFFD.
    void decode(std::string_view bytes, bool last, std::u32string &out);

  private:
    size_t decodeOneWithIconv(std::string_view bytes, bool complete, std::u32string &out);

    bool m_utf8;
    void *m_iconv = nullptr;
    std::string m_carry; // the first bytes of a character cut by the end of a piece
};

// Whether decodeBook reads these bytes as UTF-8, and where the text starts (after a
// byte-order mark).
struct BookEncoding
{
    bool utf8 = false;
    size_t textStart = 0;
};
BookEncoding detectBookEncoding(std::string_view bytes);

// True when bytes hold only well-formed UTF-8 (shortest forms, no surrogates).
bool isValidUtf8(std::string_view bytes);
// Decodes UTF-8; malformed sequences become U+FFFD.
std::u32string fromUtf8(std::string_view bytes);
std::string toUtf8(std::u32string_view text);

// Decodes a book file's bytes by the rule above (a UTF-8 byte-order mark is dropped).
std::u32string decodeBook(std::string_view bytes);

// Splits text into lines: CR LF or a lone CR ends a line and is not part of it, a lone
// LF is data. A final line without terminator counts; a text ending in a terminator
// has no empty line after it, and an empty text has no lines.
std::vector<std::u32string_view> splitLines(std::u32string_view text);

} // namespace tibbo::core
