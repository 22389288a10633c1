#pragma once
// A book read the whole-file way, as the tests' reference for the reader's own piecewise
// reading: the file read at once, its encoding chosen from all its bytes, decoded in one
// go and built into paragraphs from the whole decoded text.

#include "text/codepage.h"
#include "text/fileio.h"
#include "text/plaintext.h"

#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core::test {

// chooseBookEncoding for a file whose bytes are all at hand.
TextEncoding detectBookEncoding(std::string_view bytes,
                                BookEncodingName forced = BookEncodingName::Auto);
// The choice that reads a book in `encoding` (both UTF-16 byte orders are Utf16).
BookEncodingName encodingNameOf(TextEncoding encoding);
// A book file's bytes decoded in the encoding detectBookEncoding chooses (a byte-order
// mark is dropped).
std::u32string decodeBook(std::string_view bytes, BookEncodingName forced = BookEncodingName::Auto);
// The file read and decoded whole; nothing when the reader would refuse it, with the
// reason in `failure`.
std::optional<std::u32string> readBook(const std::string &path, ReadFailure *failure = nullptr,
                                       BookEncodingName encoding = BookEncodingName::Auto);
// The book built from all of its decoded characters at once, with their counts.
BookTexts buildPlainBook(std::u32string_view decoded, bool trimParagraphs);

} // namespace tibbo::core::test
