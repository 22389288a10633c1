#include "text/codepage.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <stdexcept>
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

// The character of every two-byte GB18030 sequence: lead byte 0x81 .. 0xFE, trail byte
// 0x40 .. 0xFE, 191 trails a lead; 0 where the pair is no character. Made once, through
// iconv.
const std::vector<char16_t> &twoByteTable()
{
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(126 * 191, 0);
        Iconv cd(utf32Name(), "GB18030");
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
    }();
    return table;
}

} // namespace

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

ChunkDecoder::ChunkDecoder(bool utf8) : m_utf8(utf8)
{
    if (!utf8) {
        m_iconv = iconv_open(utf32Name(), "GB18030");
        if (m_iconv == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot decode GB18030");
    }
}

ChunkDecoder::~ChunkDecoder()
{
    if (m_iconv)
        iconv_close(static_cast<iconv_t>(m_iconv));
}

void ChunkDecoder::decode(std::string_view bytes, bool last, std::u32string &out)
{
    std::string joined;
    if (!m_carry.empty()) {
        joined = std::exchange(m_carry, std::string()) + std::string(bytes);
        bytes = joined;
    }
    if (m_utf8) {
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
        return;
    }
    // Most of a GBK book is ASCII and two-byte characters: those are read from a table;
    // four-byte forms, invalid bytes and a character cut by the end go through iconv.
    const std::vector<char16_t> &pairs = twoByteTable();
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        }
        if (c >= 0x81 && c <= 0xFE && i + 1 < n && b[i + 1] >= 0x40 && b[i + 1] <= 0xFE) {
            const char16_t v = pairs[static_cast<size_t>((c - 0x81) * 191 + (b[i + 1] - 0x40))];
            if (v != 0) {
                out.push_back(v);
                i += 2;
                continue;
            }
        }
        const size_t used = decodeOneWithIconv(bytes.substr(i, 4), last || i + 4 <= n, out);
        if (used == 0) {
            // The rest of the character comes with the next piece.
            m_carry.assign(bytes.substr(i));
            return;
        }
        i += used;
    }
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
// writing settings.ini with a 20 MB book costs a table look-up a character.
struct BmpCode
{
    unsigned char length = 0; // 0: not looked up yet
    char bytes[4] = {};
};

} // namespace

std::string encodeGb18030(std::u32string_view text)
{
    static std::vector<BmpCode> table(0x10000);
    Iconv cd("GB18030", utf32Name());
    // Room for the longest form of every character; trimmed at the end.
    std::string out(text.size() * 4, '\0');
    char *dst = out.data();
    for (char32_t c : text) {
        if (c < 0x80) {
            *dst++ = static_cast<char>(c);
            continue;
        }
        if (c < 0x10000) {
            BmpCode &code = table[c];
            if (code.length == 0) {
                std::string one;
                encodeWithIconv(cd, std::u32string_view(&c, 1), one);
                code.length = static_cast<unsigned char>(std::min<size_t>(one.size(), 4));
                std::memcpy(code.bytes, one.data(), code.length);
            }
            std::memcpy(dst, code.bytes, 4);
            dst += code.length;
            continue;
        }
        std::string one;
        encodeWithIconv(cd, std::u32string_view(&c, 1), one);
        std::memcpy(dst, one.data(), std::min<size_t>(one.size(), 4));
        dst += std::min<size_t>(one.size(), 4);
    }
    out.resize(static_cast<size_t>(dst - out.data()));
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

BookEncoding detectBookEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return {true, 3};
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return {!ascii && isValidUtf8(bytes), 0};
}

std::u32string decodeBook(std::string_view bytes)
{
    const BookEncoding encoding = detectBookEncoding(bytes);
    if (encoding.utf8)
        return fromUtf8(bytes.substr(encoding.textStart));
    return decodeGb18030(bytes);
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
