#pragma once
// Turning a plain-text book into the two text forms the reader works with.

#include "state/booktext.h"
#include "state/linelist.h"
#include "state/scrolltextmap.h"
#include "text/codepage.h"
#include "text/fileio.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core {

struct BookTexts
{
    BookText paragraphText; // paragraphs each closed by '^', one more '^' at the end
    // Makes the scroll text from the paragraph text: every line of the file followed by
    // CR LF.
    ScrollTextMap scrollMap;
    TextEncoding encoding = TextEncoding::Gb18030; // the encoding the file was read in
    int64_t characters = 0;                        // characters the file decoded to
    int64_t replacementCount = 0;                  // how many of them are U+FFFD
    // Whether so many characters are U+FFFD that the book is likely read in the wrong
    // encoding (see hasManyReplacements).
    bool manyReplacements() const { return hasManyReplacements(replacementCount, characters); }
};

// Builds the book from the file's decoded characters as they arrive, with the line rules
// of splitLines: CR LF or a lone CR end a line, a lone LF is data. Without trimming a
// paragraph ends before a non-empty line that starts with U+3000 or a blank; lines of one
// paragraph are joined without a separator. With trimming every line is a paragraph. An
// empty file gives an empty book. Whether a line closes its paragraph is known only at
// the first character of the next line, so that decision waits for it. The texts only
// ever grow at their end: what is built stays as it is.
class PlainBookBuilder
{
  public:
    // Builds into texts of its own (texts(), finish()).
    explicit PlainBookBuilder(bool trimParagraphs);
    // Builds into the given texts, which must be empty and outlive the builder.
    PlainBookBuilder(bool trimParagraphs, BookText &paragraphText, ScrollTextMap &scrollMap);
    PlainBookBuilder(const PlainBookBuilder &) = delete;
    PlainBookBuilder &operator=(const PlainBookBuilder &) = delete;

    // The texts so far (to reserve room before the characters come).
    BookTexts &texts() { return m_texts; }
    void feed(std::u32string_view chars);
    // Ends the book in the texts it builds into (the last paragraph's marks).
    void close();
    // The whole book built into its own texts; the counts of characters and replacements
    // are the caller's.
    BookTexts finish();
    // Characters of the paragraph text up to and including its last '^': the text up to
    // there ends a paragraph and is cut into lines as the whole book would be.
    int64_t paragraphsEnd() const { return m_paragraphsEnd; }

  private:
    void push(char32_t c);
    // The characters made so far, those not yet handed to the text included.
    int64_t made() const { return static_cast<int64_t>(m_text->size() + m_made.size()); }
    // Hands the characters made to the text, all at once.
    void handOver();
    void startLine(bool empty, char32_t first = 0);
    void endLine();
    void closeParagraph(bool close);

    bool m_trim;
    BookTexts m_texts;
    BookText *m_text;
    ScrollTextMap *m_map;
    // The characters of the piece being fed, handed to the text at its end.
    std::u32string m_made;
    int64_t m_paragraphsEnd = 0;
    bool m_inLine = false;
    bool m_anyLine = false;
    bool m_decisionDue = false;
    bool m_skipLf = false;
};

// The largest book file the reader takes: 512 MiB. Larger files are refused before
// anything is read. No byte decodes to more than one character, so a book from a file
// this size stays well inside the line list's 32-bit entries.
inline constexpr int64_t kMaxBookBytes = int64_t{512} << 20;
static_assert(kMaxBookBytes < kMaxBookChars);

// The pieces the loaders read a book file in. Tests and fuzzing give smaller ones, so
// that a character, a line end or a paragraph decision falls across a cut.
inline constexpr size_t kBookPieceBytes = size_t{1} << 18;

// A book file decoded a piece at a time, from its start, in the encoding
// chooseBookEncoding gives the whole file (or the one asked for). Whether a file is
// UTF-8 depends on all of it; when its first piece cannot tell, the decoding goes on in
// the likely encoding and starts again from the first byte (Step::Restarted) in the
// other one once the rest shows it wrong, so the characters given in the end are those
// of one decode of the whole file.
class BookDecoding
{
  public:
    // Nothing when the file cannot be opened or read, is not a regular file or is larger
    // than kMaxBookBytes, with the reason in `failure` when given. Never blocks on opening.
    static std::unique_ptr<BookDecoding> open(const std::string &path, ReadFailure *failure,
                                              BookEncodingName encoding = BookEncodingName::Auto,
                                              size_t pieceBytes = kBookPieceBytes);
    ~BookDecoding();
    BookDecoding(const BookDecoding &) = delete;
    BookDecoding &operator=(const BookDecoding &) = delete;

    enum class Step {
        Decoded,   // the next piece's characters were appended
        Done,      // the file is decoded whole: nothing was appended
        Restarted, // throw away every character given so far: decoding starts again
        Failed,    // the file could not be read on
    };
    // Decodes the next piece and appends its characters to `chars`.
    Step next(std::u32string &chars);

    // The encoding the characters so far are decoded in (final once Done).
    TextEncoding encoding() const { return m_encoding; }
    // Characters given since the start (or the last restart), and how many are U+FFFD.
    int64_t characters() const;
    int64_t replacements() const;
    int64_t fileBytes() const;
    // The most characters the file can decode to: every character takes a byte or more,
    // two or four in UTF-16.
    int64_t mostCharacters() const;
    // Share of the file decoded, 0 .. 1.
    double progress() const;

  private:
    struct Impl;
    explicit BookDecoding(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
    TextEncoding m_encoding = TextEncoding::Gb18030;
};

// A plain-text book read a piece at a time into texts that can be shown before the rest
// has come; the texts end as loadPlainBook's.
class PlainBookReading
{
  public:
    // Opens the file: nothing when loadPlainBook would refuse it.
    static std::unique_ptr<PlainBookReading>
    open(const std::string &path, bool trimParagraphs, ReadFailure *failure = nullptr,
         BookEncodingName encoding = BookEncodingName::Auto, size_t pieceBytes = kBookPieceBytes);

    // Empties the texts, makes room in them for the whole book, and builds into them from
    // now on; they must outlive the reading.
    void start(BookText &paragraphText, ScrollTextMap &scrollMap);
    using Step = BookDecoding::Step;
    // Reads and builds the next piece. Done: the book is whole in the texts. Restarted:
    // the texts were emptied and building starts again (see BookDecoding). Failed: the
    // texts keep what was read, ended as a book.
    Step readPiece();

    // Characters of the paragraph text that end a paragraph (the whole text when done).
    int64_t paragraphsEnd() const;
    bool done() const { return m_done; }
    double progress() const { return m_decoding->progress(); }
    TextEncoding encoding() const { return m_decoding->encoding(); }
    int64_t characters() const { return m_decoding->characters(); }
    int64_t replacementCount() const { return m_decoding->replacements(); }
    bool manyReplacements() const { return hasManyReplacements(replacementCount(), characters()); }
    int64_t mostCharacters() const { return m_decoding->mostCharacters() + 2; }

  private:
    PlainBookReading(std::unique_ptr<BookDecoding> decoding, bool trim);

    std::unique_ptr<BookDecoding> m_decoding;
    bool m_trim;
    BookText *m_text = nullptr;
    ScrollTextMap *m_map = nullptr;
    std::optional<PlainBookBuilder> m_builder;
    std::u32string m_chars;
    bool m_done = false;
};

// Reads a plain-text book and builds it (PlainBookBuilder), decoding the file piece by
// piece so that no second copy of the whole text is made. The encoding is the one
// chooseBookEncoding gives for the whole file, or `encoding` when that names one; the
// result says which it was. Nothing when the file cannot be opened or read, is not a
// regular file (a folder, /dev/zero, a FIFO) or is larger than kMaxBookBytes, with the
// reason in `failure` when given. Never blocks on opening.
std::optional<BookTexts> loadPlainBook(const std::string &path, bool trimParagraphs,
                                       ReadFailure *failure = nullptr,
                                       BookEncodingName encoding = BookEncodingName::Auto,
                                       size_t pieceBytes = kBookPieceBytes);

// Reads an HTML book's file as the parse source (htmlSource of the decoded file), piece
// by piece, in the narrowest form; nothing when the file is refused (as loadPlainBook).
std::optional<BookText> loadHtmlSource(const std::string &path, ReadFailure *failure = nullptr,
                                       BookEncodingName encoding = BookEncodingName::Auto,
                                       size_t pieceBytes = kBookPieceBytes);

// What the reader tells the user when a book is refused, for every failure but None.
std::string_view bookRefusedMessage(ReadFailure failure);

} // namespace tibbo::core
