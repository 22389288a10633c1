#include "text/codepage.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <strings.h>
#include <type_traits>
#include <uchardet.h>
#include <utility>
#include <vector>

namespace tibbo::core {

namespace {

const char *utf32Name()
{
    return std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
}

class Iconv
{
  public:
    Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Iconv() { iconv_close(m_cd); }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;
    iconv_t get() const { return m_cd; }

  private:
    iconv_t m_cd;
};

} // namespace

namespace {

// The character of every two-byte sequence of a code page (GB18030 or Big5): lead byte
// 0x81 .. 0xFE, trail byte 0x40 .. 0xFE, 191 trails a lead; 0 where the pair is no
// character of the Basic Multilingual Plane. Made once per code page, through iconv.
std::vector<char16_t> makeTwoByteTable(const char *codePage)
{
    std::vector<char16_t> t(126 * 191, 0);
    Iconv cd(utf32Name(), codePage);
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char32_t c = 0;
            char *in = pair;
            size_t inLeft = 2;
            char *outPtr = reinterpret_cast<char *>(&c);
            size_t outLeft = sizeof c;
            iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
                inLeft == 0 && outLeft == 0 && c > 0 && c <= 0xFFFF)
                t[static_cast<size_t>((lead - 0x81) * 191 + (trail - 0x40))] =
                    static_cast<char16_t>(c);
        }
    return t;
}

const char *codePageName(TextEncoding encoding)
{
    return encoding == TextEncoding::Big5 ? "BIG5" : "GB18030";
}

const std::vector<char16_t> &twoByteTable(TextEncoding encoding)
{
    if (encoding == TextEncoding::Big5) {
        static const std::vector<char16_t> big5 = makeTwoByteTable("BIG5");
        return big5;
    }
    static const std::vector<char16_t> gb18030 = makeTwoByteTable("GB18030");
    return gb18030;
}

bool isUnicode(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf16Le ||
           encoding == TextEncoding::Utf16Be;
}

} // namespace

std::string_view encodingName(BookEncodingName name)
{
    switch (name) {
    case BookEncodingName::Gb18030:
        return "GB18030";
    case BookEncodingName::Big5:
        return "Big5";
    case BookEncodingName::Utf8:
        return "UTF-8";
    case BookEncodingName::Utf16:
        return "UTF-16";
    case BookEncodingName::Auto:
        break;
    }
    return "";
}

std::optional<BookEncodingName> parseEncodingName(std::string_view text)
{
    std::string key;
    for (char c : text)
        if (c != '-')
            key += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (BookEncodingName name :
         {BookEncodingName::Auto, BookEncodingName::Gb18030, BookEncodingName::Big5,
          BookEncodingName::Utf8, BookEncodingName::Utf16}) {
        std::string known;
        for (char c : encodingName(name))
            if (c != '-')
                known += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (key == known)
            return name;
    }
    return std::nullopt;
}

bool hasManyReplacements(int64_t replacements, int64_t characters)
{
    return replacements > 100 || replacements * 200 > characters;
}

std::u32string decodeGb18030(std::string_view bytes)
{
    std::u32string out;
    // Every character other than ASCII takes at least two bytes of 0x80 or above, so
    // this bound is exact for GBK text and the string is allocated once.
    size_t ascii = 0;
    for (char c : bytes)
        ascii += static_cast<unsigned char>(c) < 0x80;
    out.reserve(ascii + (bytes.size() - ascii + 1) / 2 + 16);
    ChunkDecoder(false).decode(bytes, true, out);
    return out;
}

ChunkDecoder::ChunkDecoder(TextEncoding encoding) : m_encoding(encoding)
{
    if (encoding == TextEncoding::Gb18030 || encoding == TextEncoding::Big5) {
        m_iconv = iconv_open(utf32Name(), codePageName(encoding));
        if (m_iconv == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot decode ") + codePageName(encoding));
        m_pairs = &twoByteTable(encoding);
    }
}

ChunkDecoder::~ChunkDecoder()
{
    if (m_iconv)
        iconv_close(static_cast<iconv_t>(m_iconv));
}

void ChunkDecoder::decode(std::string_view bytes, bool last, std::u32string &out)
{
    const size_t start = out.size();
    std::string joined;
    if (!m_carry.empty()) {
        joined = std::exchange(m_carry, std::string()) + std::string(bytes);
        bytes = joined;
    }
    switch (m_encoding) {
    case TextEncoding::Utf8: {
        // A sequence cut by the end of the piece waits for the rest.
        size_t end = bytes.size();
        if (!last) {
            size_t k = end;
            while (k > 0 && end - k < 3 &&
                   (static_cast<unsigned char>(bytes[k - 1]) & 0xC0) == 0x80)
                --k;
            if (k > 0) {
                const auto lead = static_cast<unsigned char>(bytes[k - 1]);
                const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
                if (need > end - (k - 1))
                    end = k - 1;
            }
        }
        out += fromUtf8(bytes.substr(0, end));
        m_carry.assign(bytes.substr(end));
        break;
    }
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        decodeUtf16(bytes, last, out);
        break;
    case TextEncoding::Gb18030:
    case TextEncoding::Big5:
        decodeTwoByte(bytes, last, out);
        break;
    }
    if (m_atStart && out.size() > start) {
        m_atStart = false;
        if (isUnicode(m_encoding) && out[start] == U'\uFEFF')
            out.erase(start, 1);
    }
    m_characters += static_cast<int64_t>(out.size() - start);
    m_replacements +=
        std::count(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), kReplacementChar);
}

// UTF-16 a unit at a time: a unit or a surrogate pair cut by the end of the piece waits
// for the rest; a surrogate without its partner becomes U+FFFD, as does an odd byte at
// the very end.
void ChunkDecoder::decodeUtf16(std::string_view bytes, bool last, std::u32string &out)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    const size_t n = bytes.size();
    const bool bigEndian = m_encoding == TextEncoding::Utf16Be;
    const auto unit = [&](size_t i) -> char32_t {
        return bigEndian ? char32_t(b[i]) << 8 | b[i + 1] : char32_t(b[i + 1]) << 8 | b[i];
    };
    size_t i = 0;
    while (i + 2 <= n) {
        const char32_t u = unit(i);
        if (u < 0xD800 || u > 0xDFFF) {
            out.push_back(u);
            i += 2;
            continue;
        }
        if (u <= 0xDBFF) {
            if (i + 4 > n && !last)
                break; // the low surrogate comes with the next piece
            if (i + 4 <= n) {
                const char32_t low = unit(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    out.push_back(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    i += 4;
                    continue;
                }
            }
        }
        out.push_back(kReplacementChar);
        i += 2;
    }
    if (i < n && last) {
        out.push_back(kReplacementChar);
        i = n;
    }
    m_carry.assign(bytes.substr(i));
}

// Most of a book in a two-byte code page is ASCII and two-byte characters: those are
// read from a table; four-byte forms, invalid bytes and a character cut by the end go
// through iconv.
void ChunkDecoder::decodeTwoByte(std::string_view bytes, bool last, std::u32string &out)
{
    const std::vector<char16_t> &pairs = *m_pairs;
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    const size_t n = bytes.size();
    // No byte gives more than one character: the room is made once and written in place.
    const size_t start = out.size();
    out.resize(start + n);
    char32_t *to = out.data() + start;
    size_t made = 0;
    std::u32string one;
    size_t i = 0;
    while (i < n) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            to[made++] = c;
            ++i;
            continue;
        }
        if (c >= 0x81 && c <= 0xFE && i + 1 < n && b[i + 1] >= 0x40 && b[i + 1] <= 0xFE) {
            const char16_t v = pairs[static_cast<size_t>((c - 0x81) * 191 + (b[i + 1] - 0x40))];
            if (v != 0) {
                to[made++] = v;
                i += 2;
                continue;
            }
        }
        one.clear();
        const size_t used = decodeOneWithIconv(bytes.substr(i, 4), last || i + 4 <= n, one);
        if (used == 0) {
            // The rest of the character comes with the next piece.
            m_carry.assign(bytes.substr(i));
            break;
        }
        to[made++] = one[0];
        i += used;
    }
    out.resize(start + made);
}

// One character at the start of bytes through iconv: the bytes it took, or 0 when it is
// cut off and more bytes may follow. An invalid byte becomes U+FFFD and is skipped
// alone, so the byte after it starts afresh; a character cut off by the very end becomes
// one U+FFFD and ends the text.
size_t ChunkDecoder::decodeOneWithIconv(std::string_view bytes, bool complete, std::u32string &out)
{
    const auto cd = static_cast<iconv_t>(m_iconv);
    char32_t one[2];
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = bytes.size();
    char *outPtr = reinterpret_cast<char *>(one);
    size_t outLeft = sizeof(char32_t);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const int err = rc == static_cast<size_t>(-1) ? errno : 0;
    if (outLeft == 0) {
        out.push_back(one[0]);
        return bytes.size() - inLeft;
    }
    if (err == EINVAL && !complete)
        return 0;
    out.push_back(kReplacementChar);
    return err == EINVAL ? bytes.size() : 1;
}

namespace {

// Encodes a run of characters through iconv; a code point that is no character at all
// (a surrogate, a value past U+10FFFF) is written as '?'.
void encodeWithIconv(Iconv &cd, std::u32string_view text, std::string &out)
{
    const size_t start = out.size();
    out.resize(start + text.size() * 4 + 4);
    char *in = reinterpret_cast<char *>(const_cast<char32_t *>(text.data()));
    size_t inLeft = text.size() * sizeof(char32_t);
    char *outPtr = out.data() + start;
    size_t outLeft = out.size() - start;
    while (inLeft > 0) {
        if (iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            throw std::runtime_error("GB18030 encoding failed");
        *outPtr++ = '?';
        --outLeft;
        in += sizeof(char32_t);
        inLeft = inLeft >= sizeof(char32_t) ? inLeft - sizeof(char32_t) : 0;
    }
    out.resize(static_cast<size_t>(outPtr - out.data()));
}

// The GB18030 bytes of each character of the Basic Multilingual Plane, filled in as
// characters are first met: a book uses a few thousand distinct characters, so
// writing settings.ini with a 20 MB book costs a table look-up a character. settings.ini
// and Slide.cache are encoded on two threads at once: a form is filled in under a lock
// and published by its length, so a reader never sees a length before its bytes.
struct BmpCode
{
    std::atomic<unsigned char> length = 0; // 0: not looked up yet
    char bytes[4] = {};
};

} // namespace

namespace {

// The GB18030 form of one character, through iconv (opened when first needed); at most
// four bytes.
std::string encodeOneWithIconv(std::optional<Iconv> &cd, char32_t c)
{
    if (!cd)
        cd.emplace("GB18030", utf32Name());
    std::string one;
    encodeWithIconv(*cd, std::u32string_view(&c, 1), one);
    one.resize(std::min<size_t>(one.size(), 4));
    return one;
}

template <typename Char>
void appendGb18030Units(std::basic_string_view<Char> text, std::string &out)
{
    // The forms of the Basic Multilingual Plane, looked up once each.
    static std::vector<BmpCode> table(0x10000);
    static std::mutex filling;
    std::optional<Iconv> cd;
    // Room for the longest form of every character; trimmed at the end.
    const size_t start = out.size();
    out.resize(start + text.size() * 4);
    char *dst = out.data() + start;
    for (const Char unit : text) {
        const auto c = static_cast<char32_t>(unit);
        if (c < 0x80) {
            *dst++ = static_cast<char>(c);
            continue;
        }
        if (c < 0x10000) {
            BmpCode &code = table[c];
            unsigned char length = code.length.load(std::memory_order_acquire);
            if (length == 0) {
                const std::lock_guard lock(filling);
                length = code.length.load(std::memory_order_relaxed);
                if (length == 0) {
                    const std::string one = encodeOneWithIconv(cd, c);
                    std::memcpy(code.bytes, one.data(), one.size());
                    length = static_cast<unsigned char>(one.size());
                    code.length.store(length, std::memory_order_release);
                }
            }
            std::memcpy(dst, code.bytes, 4);
            dst += length;
            continue;
        }
        const std::string one = encodeOneWithIconv(cd, c);
        std::memcpy(dst, one.data(), one.size());
        dst += one.size();
    }
    out.resize(static_cast<size_t>(dst - out.data()));
}

} // namespace

void appendGb18030(std::u32string_view text, std::string &out)
{
    appendGb18030Units(text, out);
}

void appendGb18030(std::u16string_view text, std::string &out)
{
    appendGb18030Units(text, out);
}

std::string encodeGb18030(std::u32string_view text)
{
    std::string out;
    appendGb18030(text, out);
    return out;
}

namespace {

// Decodes one UTF-8 sequence at bytes[i]; returns its length, or 0 when malformed.
size_t utf8Sequence(std::string_view b, size_t i, char32_t &cp)
{
    const auto c0 = static_cast<unsigned char>(b[i]);
    if (c0 < 0x80) {
        cp = c0;
        return 1;
    }
    size_t len;
    char32_t min;
    if ((c0 & 0xE0) == 0xC0) {
        len = 2;
        cp = c0 & 0x1F;
        min = 0x80;
    } else if ((c0 & 0xF0) == 0xE0) {
        len = 3;
        cp = c0 & 0x0F;
        min = 0x800;
    } else if ((c0 & 0xF8) == 0xF0) {
        len = 4;
        cp = c0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > b.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(b[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    char32_t cp;
    for (size_t i = 0; i < bytes.size();) {
        // Runs of ASCII are the common case; skip them without decoding.
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t n = utf8Sequence(bytes, i, cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::u32string fromUtf8(std::string_view bytes)
{
    std::u32string out;
    out.reserve(bytes.size());
    char32_t cp;
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = utf8Sequence(bytes, i, cp);
        if (n == 0) {
            out += kReplacementChar;
            ++i;
        } else {
            out += cp;
            i += n;
        }
    }
    return out;
}

std::string toUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            if (c >= 0xD800 && c <= 0xDFFF)
                c = kReplacementChar;
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c <= 0x10FFFF) {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += "\xEF\xBF\xBD";
        }
    }
    return out;
}

namespace {

constexpr size_t kUtf16SampleBytes = size_t{64} << 10;

// The marks every book is full of: ASCII, CJK punctuation, full-width forms. Read in
// the wrong byte order they become characters no book uses (U+0D00, U+0CFF, U+0230),
// or ideographs, which are not counted either way.
bool isCommonMark(char32_t unit)
{
    return unit == U'\t' || unit == U'\n' || unit == U'\r' || (unit >= 0x20 && unit < 0x7F) ||
           (unit >= 0x3000 && unit <= 0x303F) || (unit >= 0xFF00 && unit <= 0xFFEF);
}

// The UTF-16 byte order of bytes without a byte-order mark: the one under which more
// units are common marks; little-endian when both read alike.
TextEncoding utf16ByteOrder(std::string_view bytes)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    size_t little = 0;
    size_t big = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        little += isCommonMark(char32_t(b[i + 1]) << 8 | b[i]);
        big += isCommonMark(char32_t(b[i]) << 8 | b[i + 1]);
    }
    return big > little ? TextEncoding::Utf16Be : TextEncoding::Utf16Le;
}

std::optional<TextEncoding> byteOrderMark(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return TextEncoding::Utf8;
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return TextEncoding::Utf16Le;
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return TextEncoding::Utf16Be;
    return std::nullopt;
}

// Characters a book read in the right encoding is written with: ASCII, Latin-1, general
// punctuation, symbols and box drawing, CJK punctuation, kana, bopomofo, the ideographs
// and their compatibility forms, full-width forms. Bytes of a code page or of UTF-8 read
// as UTF-16 give mostly Hangul, Yi, surrogates and private-use characters instead.
bool isBookCharacter(char32_t unit)
{
    return unit == U'\t' || unit == U'\n' || unit == U'\r' || (unit >= 0x20 && unit < 0x7F) ||
           (unit >= 0xA0 && unit <= 0x24F) || (unit >= 0x370 && unit <= 0x4FF) ||
           (unit >= 0x2000 && unit <= 0x27BF) || (unit >= 0x2E80 && unit <= 0x31FF) ||
           (unit >= 0x3400 && unit <= 0x4DBF) || (unit >= 0x4E00 && unit <= 0x9FFF) ||
           (unit >= 0xF900 && unit <= 0xFAFF) || (unit >= 0xFE10 && unit <= 0xFE6F) ||
           (unit >= 0xFF00 && unit <= 0xFFEF) || unit >= 0x10000;
}

bool isPrintableAscii(unsigned char c)
{
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r';
}

// Whether the sample reads as UTF-16 text in this byte order, on strong evidence:
// - every unit is a character: no surrogate out of its pair, no control character other
//   than tab, LF, FF and CR, no noncharacter;
// - at least 95 % of the characters are ones a book is written with (isBookCharacter);
// - fewer than half are two printable ASCII bytes side by side: an ASCII or UTF-8 text
//   with a stray zero byte reads as ideographs made of such pairs.
// A Chinese book in UTF-16 passes with nearly every character, and its few zero bytes
// (CR LF, U+3000) fall anywhere; a GBK or UTF-8 book with a few NUL bytes fails.
bool readsAsUtf16(std::string_view bytes, bool bigEndian)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    const size_t n = bytes.size() & ~size_t{1};
    const auto unit = [&](size_t i) -> char32_t {
        return bigEndian ? char32_t(b[i]) << 8 | b[i + 1] : char32_t(b[i + 1]) << 8 | b[i];
    };
    size_t characters = 0;
    size_t bookCharacters = 0;
    size_t asciiPairs = 0;
    for (size_t i = 0; i + 1 < n; i += 2) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDFFF) {
            if (u >= 0xDC00)
                return false;
            if (i + 3 >= n)
                break; // the pair is cut by the end of the sample
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if ((u < 0x20 && u != U'\t' && u != U'\n' && u != U'\f' && u != U'\r') ||
                   (u >= 0x7F && u < 0xA0) || u == 0xFFFE || u == 0xFFFF) {
            return false;
        }
        ++characters;
        bookCharacters += isBookCharacter(u);
        asciiPairs +=
            u >= 0x100 && u < 0x10000 && isPrintableAscii(b[i]) && isPrintableAscii(b[i + 1]);
    }
    return characters > 0 && bookCharacters * 100 >= characters * 95 && asciiPairs * 2 < characters;
}

// The UTF-16 byte order of a book without a byte-order mark, or nothing when it is not
// UTF-16. Only a sample with zero bytes is looked at: a book in a code page or in UTF-8
// holds none, or only a few stray ones.
std::optional<TextEncoding> utf16WithoutMark(std::string_view bytes)
{
    bytes = bytes.substr(0, kUtf16SampleBytes);
    if (bytes.find('\0') == std::string_view::npos)
        return std::nullopt;
    const bool little = readsAsUtf16(bytes, false);
    const bool big = readsAsUtf16(bytes, true);
    if (little && big)
        return utf16ByteOrder(bytes);
    if (little)
        return TextEncoding::Utf16Le;
    if (big)
        return TextEncoding::Utf16Be;
    return std::nullopt;
}

// How much larger the share of common characters must be in the Big5 reading than in the
// GB18030 one for a book valid in both to be read as Big5.
constexpr double kClearlyMoreCommon = 0.15;

struct DetectorDeleter
{
    void operator()(uchardet_t detector) const { uchardet_delete(detector); }
};

// Whether uchardet takes the bytes for Big5 (its other verdicts are not needed: UTF-8
// and UTF-16 are told by rule, and everything else is read as GB18030).
bool uchardetSaysBig5(std::string_view bytes)
{
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, DetectorDeleter> detector(
        uchardet_new());
    if (!detector || uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0)
        return false;
    uchardet_data_end(detector.get());
    const char *charset = uchardet_get_charset(detector.get());
    return charset && strncasecmp(charset, "BIG5", 4) == 0;
}

bool allAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The share of a code page's two-byte characters in the bytes that are its common ones:
// for GB18030 the symbols and the first level of GB2312 (the 3,755 most used simplified
// characters), for Big5 its symbols and its 5,401 frequently used characters. The same
// bytes read in the other code page fall mostly outside those ranges.
double commonShare(std::string_view bytes, TextEncoding codePage)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    const size_t n = bytes.size();
    size_t pairs = 0;
    size_t common = 0;
    for (size_t i = 0; i < n;) {
        const unsigned char lead = b[i];
        if (lead < 0x80 || i + 1 >= n) {
            ++i;
            continue;
        }
        const unsigned char trail = b[i + 1];
        if (codePage == TextEncoding::Gb18030 && trail >= 0x30 && trail <= 0x39) {
            ++pairs; // a four-byte form: a rare character
            i += 4;
            continue;
        }
        ++pairs;
        const unsigned code = unsigned(lead) << 8 | trail;
        if (codePage == TextEncoding::Gb18030)
            common += trail >= 0xA1 && trail <= 0xFE &&
                      ((lead >= 0xB0 && lead <= 0xD7) || (lead >= 0xA1 && lead <= 0xA9));
        else
            common += (code >= 0xA440 && code <= 0xC67E) || (code >= 0xA140 && code <= 0xA3BF);
        i += 2;
    }
    return pairs == 0 ? 0.0 : static_cast<double>(common) / static_cast<double>(pairs);
}

int64_t replacementsIn(std::string_view bytes, TextEncoding codePage)
{
    ChunkDecoder decoder(codePage);
    std::u32string out;
    out.reserve(bytes.size());
    decoder.decode(bytes, false, out);
    return decoder.replacements();
}

// GBK is this reader's home: bytes that are valid in both code pages are read as GB18030
// unless Big5 is clearly the more plausible reading. uchardet takes short or repetitive
// GBK text for Big5 (its Big5 model sees valid pairs and little else), so its verdict
// alone is not enough.
bool readAsBig5(std::string_view sample)
{
    if (!uchardetSaysBig5(sample))
        return false;
    const int64_t invalidGb = replacementsIn(sample, TextEncoding::Gb18030);
    const int64_t invalidBig5 = replacementsIn(sample, TextEncoding::Big5);
    if (invalidGb != invalidBig5 && (invalidGb == 0 || invalidBig5 == 0))
        return invalidBig5 == 0;
    return commonShare(sample, TextEncoding::Big5) >=
           commonShare(sample, TextEncoding::Gb18030) + kClearlyMoreCommon;
}
} // namespace

TextEncoding chooseBookEncoding(std::string_view firstBytes, bool utf8Text, BookEncodingName forced)
{
    firstBytes = firstBytes.substr(0, kEncodingSampleBytes);
    const std::optional<TextEncoding> mark = byteOrderMark(firstBytes);
    switch (forced) {
    case BookEncodingName::Gb18030:
        return TextEncoding::Gb18030;
    case BookEncodingName::Big5:
        return TextEncoding::Big5;
    case BookEncodingName::Utf8:
        return TextEncoding::Utf8;
    case BookEncodingName::Utf16:
        if (mark && *mark != TextEncoding::Utf8)
            return *mark;
        return utf16ByteOrder(firstBytes.substr(0, kUtf16SampleBytes));
    case BookEncodingName::Auto:
        break;
    }
    if (mark)
        return *mark;
    if (const auto utf16 = utf16WithoutMark(firstBytes))
        return *utf16;
    if (utf8Text)
        return TextEncoding::Utf8;
    if (!allAscii(firstBytes) && readAsBig5(firstBytes))
        return TextEncoding::Big5;
    return TextEncoding::Gb18030;
}

std::vector<std::u32string_view> splitLines(std::u32string_view text)
{
    std::vector<std::u32string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != U'\r')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (i + 1 < text.size() && text[i + 1] == U'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

} // namespace tibbo::core
