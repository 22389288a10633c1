#pragma once
// Turning a plain-text book into the two text forms the reader works with.

#include "state/booktext.h"
#include "state/linelist.h"
#include "state/scrolltextmap.h"
#include "text/codepage.h"
#include "text/fileio.h"

#include <cstdint>
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
// the first character of the next line, so that decision waits for it.
class PlainBookBuilder
{
  public:
    explicit PlainBookBuilder(bool trimParagraphs);

    // The texts so far (to reserve room before the characters come).
    BookTexts &texts() { return m_texts; }
    void feed(std::u32string_view chars);
    // The whole book; the counts of characters and replacements are the caller's.
    BookTexts finish();

  private:
    void startLine(bool empty, char32_t first = 0);
    void endLine();
    void closeParagraph(bool close);

    bool m_trim;
    BookTexts m_texts;
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
