#pragma once
// Turning a plain-text book into the two text forms the reader works with.

#include "text/fileio.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core {

struct BookTexts
{
    std::u32string bookText;      // every line of the file followed by CR LF
    std::u32string paragraphText; // paragraphs each closed by '^', one more '^' at the end
};

// Builds both texts from the file's decoded characters. Without trimming a paragraph
// ends before a non-empty line that starts with U+3000 or a blank; lines of one
// paragraph are joined without a separator. With trimming every line is a paragraph.
// An empty file gives two empty texts.
BookTexts buildPlainBook(std::u32string_view decoded, bool trimParagraphs);

// The largest book file the reader takes: 512 MiB. A book is held as UTF-32 twice (the
// paragraph text and the scroll text) beside its line list, and settings.ini stores it
// again at exit: a 512 MiB GBK book takes about 4 GB while it opens, a 512 MiB ASCII
// book about 8 GB. Larger files are refused before anything is read.
inline constexpr int64_t kMaxBookBytes = int64_t{512} << 20;

// Reads and decodes a book file; nothing when it cannot be opened or read, is not a
// regular file (a folder, /dev/zero, a FIFO) or is larger than kMaxBookBytes, with the
// reason in `failure` when given. Never blocks on opening.
std::optional<std::u32string> readBook(const std::string &path, ReadFailure *failure = nullptr);

// What the reader tells the user when a book is refused, for every failure but None.
std::string_view bookRefusedMessage(ReadFailure failure);

} // namespace tibbo::core
