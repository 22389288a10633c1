#pragma once
// Turning a plain-text book into the two text forms the reader works with.

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

// Reads and decodes a book file; nothing when it cannot be opened or read.
std::optional<std::u32string> readBook(const std::string &path);

} // namespace tibbo::core
