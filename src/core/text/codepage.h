#pragma once
// Book files are mostly GBK; they are read as GB18030, its superset, so every GBK file
// reads the same and nothing the program writes can lose a character. A book may also
// be UTF-8, UTF-16 (either byte order) or Big5: see chooseBookEncoding. Bytes that are
// not valid in the encoding become U+FFFD and the rest of the book is still read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

inline constexpr char32_t kReplacementChar = U'\uFFFD';

// The encodings a book file is read in.
enum class TextEncoding { Gb18030, Big5, Utf8, Utf16Le, Utf16Be };

// The encodings a reader can ask for: Auto lets chooseBookEncoding decide; Utf16 takes
// the byte order from the byte-order mark, or from the bytes when there is none.
enum class BookEncodingName { Auto, Gb18030, Big5, Utf8, Utf16 };

// The name shown to the reader and kept with the book: "GB18030", "Big5", "UTF-8",
// "UTF-16"; "" for Auto.
std::string_view encodingName(BookEncodingName name);
// The name encodingName gives back (letter case and '-' ignored); nothing for any other
// text. "" is Auto.
std::optional<BookEncodingName> parseEncodingName(std::string_view text);

// Whether a decode that gave `replacements` U+FFFD among `characters` characters read the
// book in the wrong encoding, or the file is damaged: more than 100 of them, or more
// than one character in 200.
bool hasManyReplacements(int64_t replacements, int64_t characters);

std::u32string decodeGb18030(std::string_view bytes);
std::string encodeGb18030(std::u32string_view text);
// Appends the GB18030 form of text to out. The 16-bit form takes code units that are
// whole characters, as a narrow BookText holds them.
void appendGb18030(std::u32string_view text, std::string &out);
void appendGb18030(std::u16string_view text, std::string &out);

// Decodes a book's bytes piece by piece: a character cut by the end of one piece (a
// UTF-16 unit, a surrogate pair, a multi-byte sequence) is completed by the next, so the
// result is exactly what one decode of the whole gives, without a second copy of the
// whole text. In UTF-8 and UTF-16 a byte-order mark at the very start is dropped.
class ChunkDecoder
{
  public:
    explicit ChunkDecoder(TextEncoding encoding);
    // utf8: the bytes are UTF-8; else GB18030.
    explicit ChunkDecoder(bool utf8)
        : ChunkDecoder(utf8 ? TextEncoding::Utf8 : TextEncoding::Gb18030)
    {
    }
    ~ChunkDecoder();
    ChunkDecoder(const ChunkDecoder &) = delete;
    ChunkDecoder &operator=(const ChunkDecoder &) = delete;

    // Appends the characters of bytes to out; last: no more bytes follow, so a cut-off
    // character becomes U+FFFD.
    void decode(std::string_view bytes, bool last, std::u32string &out);

    // Characters appended so far, and how many of them are U+FFFD.
    int64_t characters() const { return m_characters; }
    int64_t replacements() const { return m_replacements; }

  private:
    void decodeTwoByte(std::string_view bytes, bool last, std::u32string &out);
    void decodeUtf16(std::string_view bytes, bool last, std::u32string &out);
    size_t decodeOneWithIconv(std::string_view bytes, bool complete, std::u32string &out);

    TextEncoding m_encoding;
    void *m_iconv = nullptr;
    const std::vector<char16_t> *m_pairs = nullptr; // the two-byte table of the code page
    std::string m_carry; // the first bytes of a character cut by the end of a piece
    bool m_atStart = true;
    int64_t m_characters = 0;
    int64_t m_replacements = 0;
};

// How many bytes from the start of a book chooseBookEncoding looks at for UTF-16 and
// for the code page.
inline constexpr size_t kEncodingSampleBytes = size_t{256} << 10;

// The encoding a book is read in. Unless `forced` names one:
// - a byte-order mark decides (UTF-8, UTF-16 LE, UTF-16 BE);
// - without one, the first 64 KiB are taken for UTF-16 only on strong evidence: they
//   hold zero bytes and, in one byte order, read as the characters of a book with no
//   stray surrogate or control character (a few NUL bytes in a GBK or UTF-8 book never
//   make it UTF-16);
// - non-ASCII bytes that are all valid UTF-8 mean UTF-8;
// - otherwise GB18030, this reader's home, unless uchardet, given the first
//   kEncodingSampleBytes, takes them for Big5 and Big5 is also the more plausible
//   reading: the bytes are valid Big5 and not valid GB18030, or valid in both and clearly
//   more of them are the common characters of Big5 than of GB2312.
// firstBytes: the file's first kEncodingSampleBytes bytes (or all, when shorter);
// utf8Text: the whole file is valid UTF-8 and holds a non-ASCII byte.
TextEncoding chooseBookEncoding(std::string_view firstBytes, bool utf8Text,
                                BookEncodingName forced = BookEncodingName::Auto);

// True when bytes hold only well-formed UTF-8 (shortest forms, no surrogates).
bool isValidUtf8(std::string_view bytes);
// Decodes UTF-8; malformed sequences become U+FFFD.
std::u32string fromUtf8(std::string_view bytes);
std::string toUtf8(std::u32string_view text);

// Splits text into lines: CR LF or a lone CR ends a line and is not part of it, a lone
// LF is data. A final line without terminator counts; a text ending in a terminator
// has no empty line after it, and an empty text has no lines.
std::vector<std::u32string_view> splitLines(std::u32string_view text);

} // namespace tibbo::core
