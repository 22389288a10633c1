#include "text/codepage.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <stdexcept>

namespace tibbo::core {

namespace {

const char *utf32Name() { return std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE"; }

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

std::u32string decodeGb18030(std::string_view bytes)
{
    Iconv cd(utf32Name(), "GB18030");
    std::u32string out;
    // Every character other than ASCII takes at least two bytes of 0x80 or above, so
    // this bound is exact for GBK text and the string is allocated once. Decoding
    // through a small buffer keeps the peak near the text's own size.
    size_t ascii = 0;
    for (char c : bytes)
        ascii += static_cast<unsigned char>(c) < 0x80;
    out.reserve(ascii + (bytes.size() - ascii + 1) / 2 + 16);
    char32_t buffer[1 << 14];
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char *outPtr = reinterpret_cast<char *>(buffer);
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft);
        const int err = rc == static_cast<size_t>(-1) ? errno : 0;
        out.append(buffer, (sizeof buffer - outLeft) / sizeof(char32_t));
        if (err == 0 || err == E2BIG)
            continue;
        if (err != EILSEQ && err != EINVAL)
            throw std::runtime_error("GB18030 decoding failed");
        // An invalid byte (EILSEQ) is replaced and skipped alone, so the byte after it
        // starts afresh; a character cut off by the end of the file (EINVAL) becomes
        // one replacement character.
        out.push_back(kReplacementChar);
        if (err == EINVAL) {
            inLeft = 0;
        } else {
            ++in;
            --inLeft;
        }
    }
    return out;
}

std::string encodeGb18030(std::u32string_view text)
{
    Iconv cd("GB18030", utf32Name());
    // GB18030 needs at most four bytes a character.
    std::string out(text.size() * 4 + 4, '\0');
    char *in = reinterpret_cast<char *>(const_cast<char32_t *>(text.data()));
    size_t inLeft = text.size() * sizeof(char32_t);
    char *outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ || errno == EINVAL) {
            // Only code points that are no characters at all (surrogates, values past
            // U+10FFFF) land here; they are written as '?'.
            *outPtr++ = '?';
            --outLeft;
            in += sizeof(char32_t);
            inLeft = inLeft >= sizeof(char32_t) ? inLeft - sizeof(char32_t) : 0;
        } else {
            throw std::runtime_error("GB18030 encoding failed");
        }
    }
    out.resize(outPtr - out.data());
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

std::u32string decodeBook(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return fromUtf8(bytes.substr(3));
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii && isValidUtf8(bytes))
        return fromUtf8(bytes);
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
