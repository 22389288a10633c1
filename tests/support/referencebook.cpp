#include "referencebook.h"

#include <algorithm>

namespace tibbo::core::test {

TextEncoding detectBookEncoding(std::string_view bytes, BookEncodingName forced)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const bool utf8Text = forced == BookEncodingName::Auto && !ascii && isValidUtf8(bytes);
    return chooseBookEncoding(bytes, utf8Text, forced);
}

BookEncodingName encodingNameOf(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Big5:
        return BookEncodingName::Big5;
    case TextEncoding::Utf8:
        return BookEncodingName::Utf8;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        return BookEncodingName::Utf16;
    case TextEncoding::Gb18030:
        break;
    }
    return BookEncodingName::Gb18030;
}

std::u32string decodeBook(std::string_view bytes, BookEncodingName forced)
{
    const TextEncoding encoding = detectBookEncoding(bytes, forced);
    if (encoding == TextEncoding::Gb18030)
        return decodeGb18030(bytes);
    std::u32string out;
    ChunkDecoder(encoding).decode(bytes, true, out);
    return out;
}

std::optional<std::u32string> readBook(const std::string &path, ReadFailure *failure,
                                       BookEncodingName encoding)
{
    auto bytes = readFile(path, failure, kMaxBookBytes);
    if (!bytes)
        return std::nullopt;
    return decodeBook(*bytes, encoding);
}

BookTexts buildPlainBook(std::u32string_view decoded, bool trimParagraphs)
{
    PlainBookBuilder builder(trimParagraphs);
    builder.feed(decoded);
    BookTexts texts = builder.finish();
    texts.characters = static_cast<int64_t>(decoded.size());
    texts.replacementCount = std::count(decoded.begin(), decoded.end(), kReplacementChar);
    return texts;
}

} // namespace tibbo::core::test
