#include "text/plaintext.h"

#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/fileio.h"

#include <algorithm>

namespace tibbo::core {

PlainBookBuilder::PlainBookBuilder(bool trimParagraphs) : m_trim(trimParagraphs) {}

void PlainBookBuilder::feed(std::u32string_view chars)
{
    for (const char32_t c : chars) {
        if (m_skipLf) {
            m_skipLf = false;
            if (c == U'\n')
                continue;
        }
        if (c == U'\r') {
            startLine(true);
            endLine();
            m_skipLf = true;
            continue;
        }
        startLine(false, c);
        if (c == kParagraphMark)
            m_texts.scrollMap.keepMark(static_cast<int64_t>(m_texts.paragraphText.size()));
        m_texts.paragraphText.push_back(c);
    }
}

BookTexts PlainBookBuilder::finish()
{
    if (m_inLine)
        endLine();
    if (m_decisionDue)
        closeParagraph(m_trim);
    if (m_anyLine)
        m_texts.paragraphText.push_back(kParagraphMark);
    return std::move(m_texts);
}

// The first character of a line (or its end, for an empty line) decides whether the line
// before closed its paragraph: a line that starts with U+3000 or a blank opens one; with
// trimming every line does.
void PlainBookBuilder::startLine(bool empty, char32_t first)
{
    if (m_inLine)
        return;
    m_inLine = true;
    m_anyLine = true;
    if (m_decisionDue)
        closeParagraph(m_trim || (!empty && (first == U'\u3000' || first == U' ')));
}

void PlainBookBuilder::endLine()
{
    m_texts.scrollMap.insertLineEnd(static_cast<int64_t>(m_texts.paragraphText.size()));
    m_inLine = false;
    m_decisionDue = true;
}

void PlainBookBuilder::closeParagraph(bool close)
{
    m_decisionDue = false;
    if (close)
        m_texts.paragraphText.push_back(kParagraphMark);
}

namespace {

} // namespace

namespace {

// The bytes up to the last whole UTF-8 sequence of `bytes`; the rest (at most three
// bytes) belongs to a sequence the next piece completes.
size_t wholeUtf8Prefix(std::string_view bytes)
{
    size_t k = bytes.size();
    while (k > 0 && bytes.size() - k < 3 &&
           (static_cast<unsigned char>(bytes[k - 1]) & 0xC0) == 0x80)
        --k;
    if (k == 0)
        return bytes.size();
    const auto lead = static_cast<unsigned char>(bytes[k - 1]);
    const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return need > bytes.size() - (k - 1) ? k - 1 : bytes.size();
}

// What the choice of encoding needs to know of a whole file, found a piece at a time:
// its first bytes, whether it is all valid UTF-8 (only asked when the encoding is not
// forced), and the ASCII bytes (to size the text).
struct FileSurvey
{
    std::string firstBytes; // up to kEncodingSampleBytes
    bool validUtf8 = true;
    size_t ascii = 0;
    size_t bytes = 0;
};

std::optional<FileSurvey> survey(const FilePieces &file, bool askUtf8, size_t pieceBytes)
{
    FileSurvey s;
    s.validUtf8 = askUtf8;
    std::string carry;
    const bool read = file.forEachPiece(pieceBytes, [&](std::string_view piece, bool last) {
        if (s.firstBytes.size() < kEncodingSampleBytes)
            s.firstBytes.append(piece.substr(0, kEncodingSampleBytes - s.firstBytes.size()));
        s.bytes += piece.size();
        s.ascii += static_cast<size_t>(std::count_if(piece.begin(), piece.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        }));
        if (!s.validUtf8)
            return;
        const std::string joined = carry + std::string(piece);
        const size_t whole = last ? joined.size() : wholeUtf8Prefix(joined);
        s.validUtf8 = isValidUtf8(std::string_view(joined).substr(0, whole));
        carry = joined.substr(whole);
    });
    if (!read)
        return std::nullopt;
    return s;
}

} // namespace

namespace {

// What decoding a whole file found.
struct DecodedFile
{
    TextEncoding encoding = TextEncoding::Gb18030;
    int64_t characters = 0;
    int64_t replacements = 0;
};

// Surveys the file, chooses its encoding (chooseBookEncoding's choice for the whole
// file, or `encoding` when that names one) and hands its characters to `feed` a piece
// at a time. `reserve` is told first how many characters there can be at most: every
// character but ASCII takes two bytes or more, every one two or four in UTF-16.
template <typename Reserve, typename Feed>
std::optional<DecodedFile> decodeFile(const std::string &path, ReadFailure *failure,
                                      BookEncodingName encoding, size_t pieceBytes, Reserve reserve,
                                      Feed feed)
{
    const auto file = FilePieces::open(path, failure, kMaxBookBytes);
    if (!file)
        return std::nullopt;
    const auto facts = survey(*file, encoding == BookEncodingName::Auto, pieceBytes);
    if (!facts) {
        if (failure)
            *failure = ReadFailure::CannotRead;
        return std::nullopt;
    }
    const bool utf8Text = facts->ascii < facts->bytes && facts->validUtf8;
    const TextEncoding chosen = chooseBookEncoding(facts->firstBytes, utf8Text, encoding);
    const bool utf16 = chosen == TextEncoding::Utf16Le || chosen == TextEncoding::Utf16Be;
    reserve(utf16 ? facts->bytes / 2 : facts->ascii + (facts->bytes - facts->ascii) / 2);
    ChunkDecoder decoder(chosen);
    std::u32string chars;
    const bool read = file->forEachPiece(pieceBytes, [&](std::string_view piece, bool last) {
        chars.clear();
        decoder.decode(piece, last, chars);
        feed(std::u32string_view(chars));
    });
    if (!read) {
        if (failure)
            *failure = ReadFailure::CannotRead;
        return std::nullopt;
    }
    return DecodedFile{chosen, decoder.characters(), decoder.replacements()};
}

} // namespace

std::optional<BookTexts> loadPlainBook(const std::string &path, bool trimParagraphs,
                                       ReadFailure *failure, BookEncodingName encoding,
                                       size_t pieceBytes)
{
    PlainBookBuilder builder(trimParagraphs);
    // The paragraph text has at most two characters more than the file has (its line
    // ends become at most one mark each, and one more closes the book): it is allocated
    // once.
    const auto decoded = decodeFile(
        path, failure, encoding, pieceBytes,
        [&](size_t most) { builder.texts().paragraphText.reserve(most + 2); },
        [&](std::u32string_view chars) { builder.feed(chars); });
    if (!decoded)
        return std::nullopt;
    BookTexts texts = builder.finish();
    texts.encoding = decoded->encoding;
    texts.characters = decoded->characters;
    texts.replacementCount = decoded->replacements;
    return texts;
}

std::optional<BookText> loadHtmlSource(const std::string &path, ReadFailure *failure,
                                       BookEncodingName encoding, size_t pieceBytes)
{
    BookText source;
    bool afterCr = false;
    const auto decoded = decodeFile(
        path, failure, encoding, pieceBytes, [&](size_t most) { source.reserve(most); },
        [&](std::u32string_view chars) {
            for (const char32_t c : chars) {
                const bool lineEnd = c == U'\r' || (c == U'\n' && afterCr);
                afterCr = c == U'\r';
                if (!lineEnd)
                    source.push_back(c);
            }
        });
    if (!decoded)
        return std::nullopt;
    return source;
}

std::string_view bookRefusedMessage(ReadFailure failure)
{
    switch (failure) {
    case ReadFailure::NotRegularFile:
        return "这不是一个普通的文件,不能当书打开.";
    case ReadFailure::TooLarge:
        return "这个文件太大了,超过了512MB,我读不了.";
    case ReadFailure::None:
    case ReadFailure::CannotOpen:
    case ReadFailure::CannotRead:
    case ReadFailure::SymbolicLink:
        break;
    }
    return "这个文件打不开,请看看它是不是还在.";
}

} // namespace tibbo::core
