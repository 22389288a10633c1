#include "text/plaintext.h"

#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/fileio.h"

namespace tibbo::core {

namespace {

bool startsParagraph(std::u32string_view line)
{
    return !line.empty() && (line.front() == U'\u3000' || line.front() == U' ');
}

} // namespace

BookTexts buildPlainBook(std::u32string_view decoded, bool trimParagraphs)
{
    BookTexts texts;
    const auto lines = splitLines(decoded);
    if (lines.empty())
        return texts;
    texts.bookText.reserve(decoded.size() + lines.size());
    texts.paragraphText.reserve(decoded.size() + 1);
    for (size_t i = 0; i < lines.size(); ++i) {
        texts.bookText.append(lines[i]);
        texts.bookText.append(U"\r\n");
        texts.paragraphText.append(lines[i]);
        const bool hasNext = i + 1 < lines.size();
        if (trimParagraphs || (hasNext && startsParagraph(lines[i + 1])))
            texts.paragraphText.push_back(kParagraphMark);
    }
    texts.paragraphText.push_back(kParagraphMark);
    return texts;
}

std::optional<std::u32string> readBook(const std::string &path, ReadFailure *failure)
{
    auto bytes = readFile(path, failure, kMaxBookBytes);
    if (!bytes)
        return std::nullopt;
    return decodeBook(*bytes);
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
        break;
    }
    return "这个文件打不开,请看看它是不是还在.";
}

} // namespace tibbo::core
