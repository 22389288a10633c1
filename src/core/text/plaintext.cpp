#include "text/plaintext.h"

#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/fileio.h"

#include <algorithm>

namespace tibbo::core {

PlainBookBuilder::PlainBookBuilder(bool trimParagraphs)
    : m_trim(trimParagraphs), m_text(&m_texts.paragraphText), m_map(&m_texts.scrollMap)
{
}

PlainBookBuilder::PlainBookBuilder(bool trimParagraphs, BookText &paragraphText,
                                   ScrollTextMap &scrollMap)
    : m_trim(trimParagraphs), m_text(&paragraphText), m_map(&scrollMap)
{
}

void PlainBookBuilder::push(char32_t c)
{
    m_made.push_back(c);
    if (c == kParagraphMark)
        m_paragraphsEnd = made();
}

void PlainBookBuilder::handOver()
{
    m_text->append(m_made);
    m_made.clear();
}

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
            m_map->keepMark(made());
        push(c);
    }
    handOver();
}

void PlainBookBuilder::close()
{
    if (m_inLine)
        endLine();
    if (m_decisionDue)
        closeParagraph(m_trim);
    if (m_anyLine)
        push(kParagraphMark);
    m_anyLine = false;
    handOver();
}

BookTexts PlainBookBuilder::finish()
{
    close();
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
    m_map->insertLineEnd(made());
    m_inLine = false;
    m_decisionDue = true;
}

void PlainBookBuilder::closeParagraph(bool close)
{
    m_decisionDue = false;
    if (close)
        push(kParagraphMark);
}

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

bool allAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

// Whether the file is UTF-8 text (all of it valid UTF-8, with a byte beyond ASCII) can
// decide its encoding; until that is known the decoding doubts.
struct BookDecoding::Impl
{
    enum class Doubt {
        None,
        // Every byte so far is ASCII: read as ifNotUtf8 (ASCII reads the same in each);
        // the first piece with a byte beyond it decides.
        AsciiSoFar,
        // Read as UTF-8; a byte sequence that is not UTF-8 makes it ifNotUtf8.
        Utf8SoFar,
    };

    Impl(FilePieces f, size_t piece) : file(std::move(f)), pieceBytes(std::max<size_t>(piece, 1)) {}

    FilePieces file;
    size_t pieceBytes;
    TextEncoding ifNotUtf8 = TextEncoding::Gb18030;
    Doubt doubt = Doubt::None;
    std::string utf8Carry; // the start of a sequence the next piece completes
    std::unique_ptr<ChunkDecoder> decoder;
    std::string buffer;
    int64_t at = 0;
    bool done = false;

    // Checks the next piece of a file read as UTF-8: false once it is not UTF-8 text.
    bool stillUtf8(std::string_view piece, bool last)
    {
        const std::string joined = utf8Carry + std::string(piece);
        const size_t whole = last ? joined.size() : wholeUtf8Prefix(joined);
        utf8Carry = joined.substr(whole);
        return isValidUtf8(std::string_view(joined).substr(0, whole));
    }
};

BookDecoding::BookDecoding(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

BookDecoding::~BookDecoding() = default;

std::unique_ptr<BookDecoding> BookDecoding::open(const std::string &path, ReadFailure *failure,
                                                 BookEncodingName encoding, size_t pieceBytes)
{
    auto file = FilePieces::open(path, failure, kMaxBookBytes);
    if (!file)
        return nullptr;
    // The first bytes choose the encoding, whatever the size of the pieces.
    std::string first(static_cast<size_t>(std::min<int64_t>(file->size(), kEncodingSampleBytes)),
                      '\0');
    for (size_t got = 0; got < first.size();) {
        const int64_t n =
            file->readAt(static_cast<int64_t>(got), first.data() + got, first.size() - got);
        if (n <= 0) {
            if (failure)
                *failure = ReadFailure::CannotRead;
            return nullptr;
        }
        got += static_cast<size_t>(n);
    }
    const int64_t size = file->size();
    auto impl = std::make_unique<Impl>(std::move(*file), pieceBytes);
    using Doubt = Impl::Doubt;
    TextEncoding chosen = chooseBookEncoding(first, false, encoding);
    impl->ifNotUtf8 = chosen;
    if (encoding == BookEncodingName::Auto) {
        const TextEncoding ifUtf8 = chooseBookEncoding(first, true);
        if (ifUtf8 != chosen) {
            // Only the whole file can say; the first bytes say what is likely.
            const bool wholeInSample = size <= static_cast<int64_t>(first.size());
            if (wholeInSample) {
                if (!allAscii(first) && isValidUtf8(first))
                    chosen = ifUtf8;
            } else if (allAscii(first)) {
                impl->doubt = Doubt::AsciiSoFar;
            } else if (isValidUtf8(std::string_view(first).substr(0, wholeUtf8Prefix(first)))) {
                chosen = ifUtf8;
                impl->doubt = Doubt::Utf8SoFar;
            }
        }
    }
    impl->decoder = std::make_unique<ChunkDecoder>(chosen);
    impl->buffer.resize(impl->pieceBytes);
    std::unique_ptr<BookDecoding> decoding(new BookDecoding(std::move(impl)));
    decoding->m_encoding = chosen;
    return decoding;
}

BookDecoding::Step BookDecoding::next(std::u32string &chars)
{
    Impl &d = *m_impl;
    using Doubt = Impl::Doubt;
    if (d.done)
        return Step::Done;
    const int64_t size = d.file.size();
    if (d.at >= size) {
        d.done = true;
        return Step::Done;
    }
    const int64_t got = d.file.readAt(d.at, d.buffer.data(), d.pieceBytes);
    if (got <= 0) {
        d.done = true;
        return Step::Failed;
    }
    const std::string_view piece(d.buffer.data(), static_cast<size_t>(got));
    const bool last = d.at + got >= size;
    const auto startAgain = [&](TextEncoding encoding) {
        m_encoding = encoding;
        d.decoder = std::make_unique<ChunkDecoder>(encoding);
        d.utf8Carry.clear();
        d.at = 0;
        return Step::Restarted;
    };
    if (d.doubt == Doubt::AsciiSoFar && !allAscii(piece)) {
        // The first byte beyond ASCII: UTF-8 text if it and all that follows is UTF-8.
        d.utf8Carry.clear();
        if (d.stillUtf8(piece, last)) {
            d.doubt = Doubt::Utf8SoFar;
            return startAgain(TextEncoding::Utf8);
        }
        d.doubt = Doubt::None;
    } else if (d.doubt == Doubt::Utf8SoFar && !d.stillUtf8(piece, last)) {
        d.doubt = Doubt::None;
        return startAgain(d.ifNotUtf8);
    }
    d.decoder->decode(piece, last, chars);
    d.at += got;
    if (last)
        d.doubt = Doubt::None;
    return Step::Decoded;
}

int64_t BookDecoding::characters() const
{
    return m_impl->decoder->characters();
}

int64_t BookDecoding::replacements() const
{
    return m_impl->decoder->replacements();
}

int64_t BookDecoding::fileBytes() const
{
    return m_impl->file.size();
}

int64_t BookDecoding::mostCharacters() const
{
    const bool utf16 = m_encoding == TextEncoding::Utf16Le || m_encoding == TextEncoding::Utf16Be;
    return utf16 ? fileBytes() / 2 + 1 : fileBytes();
}

double BookDecoding::progress() const
{
    const int64_t size = m_impl->file.size();
    return size <= 0 || m_impl->done ? 1.0
                                     : static_cast<double>(m_impl->at) / static_cast<double>(size);
}

PlainBookReading::PlainBookReading(std::unique_ptr<BookDecoding> decoding, bool trim)
    : m_decoding(std::move(decoding)), m_trim(trim)
{
}

std::unique_ptr<PlainBookReading> PlainBookReading::open(const std::string &path,
                                                         bool trimParagraphs, ReadFailure *failure,
                                                         BookEncodingName encoding,
                                                         size_t pieceBytes)
{
    auto decoding = BookDecoding::open(path, failure, encoding, pieceBytes);
    if (!decoding)
        return nullptr;
    return std::unique_ptr<PlainBookReading>(
        new PlainBookReading(std::move(decoding), trimParagraphs));
}

void PlainBookReading::start(BookText &paragraphText, ScrollTextMap &scrollMap)
{
    m_text = &paragraphText;
    m_map = &scrollMap;
    // The paragraph text has at most two characters more than the file has (its line
    // ends become at most one mark each, and one more closes the book): the room is made
    // once, and only the part written takes memory.
    *m_text = BookText();
    m_text->reserve(static_cast<size_t>(mostCharacters()));
    m_map->clear();
    m_builder.emplace(m_trim, *m_text, *m_map);
    m_done = false;
}

PlainBookReading::Step PlainBookReading::readPiece()
{
    if (m_done)
        return Step::Done;
    m_chars.clear();
    const Step step = m_decoding->next(m_chars);
    switch (step) {
    case Step::Decoded:
        m_builder->feed(m_chars);
        break;
    case Step::Restarted:
        start(*m_text, *m_map);
        break;
    case Step::Done:
    case Step::Failed:
        m_builder->close();
        m_done = true;
        m_chars = std::u32string();
        break;
    }
    return step;
}

int64_t PlainBookReading::paragraphsEnd() const
{
    return m_done ? static_cast<int64_t>(m_text->size()) : m_builder->paragraphsEnd();
}

std::optional<BookTexts> loadPlainBook(const std::string &path, bool trimParagraphs,
                                       ReadFailure *failure, BookEncodingName encoding,
                                       size_t pieceBytes)
{
    auto reading = PlainBookReading::open(path, trimParagraphs, failure, encoding, pieceBytes);
    if (!reading)
        return std::nullopt;
    BookTexts texts;
    reading->start(texts.paragraphText, texts.scrollMap);
    for (;;) {
        const auto step = reading->readPiece();
        if (step == PlainBookReading::Step::Done)
            break;
        if (step == PlainBookReading::Step::Failed) {
            if (failure)
                *failure = ReadFailure::CannotRead;
            return std::nullopt;
        }
    }
    texts.encoding = reading->encoding();
    texts.characters = reading->characters();
    texts.replacementCount = reading->replacementCount();
    return texts;
}

std::optional<BookText> loadHtmlSource(const std::string &path, ReadFailure *failure,
                                       BookEncodingName encoding, size_t pieceBytes)
{
    auto decoding = BookDecoding::open(path, failure, encoding, pieceBytes);
    if (!decoding)
        return std::nullopt;
    BookText source;
    source.reserve(static_cast<size_t>(decoding->mostCharacters()));
    bool afterCr = false;
    std::u32string chars;
    for (;;) {
        chars.clear();
        const auto step = decoding->next(chars);
        if (step == BookDecoding::Step::Done)
            break;
        if (step == BookDecoding::Step::Failed) {
            if (failure)
                *failure = ReadFailure::CannotRead;
            return std::nullopt;
        }
        if (step == BookDecoding::Step::Restarted) {
            source = BookText();
            source.reserve(static_cast<size_t>(decoding->mostCharacters()));
            afterCr = false;
            continue;
        }
        // The line ends go; the rest is added at once.
        size_t kept = 0;
        for (const char32_t c : chars) {
            const bool lineEnd = c == U'\r' || (c == U'\n' && afterCr);
            afterCr = c == U'\r';
            if (!lineEnd)
                chars[kept++] = c;
        }
        source.append(std::u32string_view(chars.data(), kept));
    }
    source.trimRoom();
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
