#pragma once
// Shared set-up of the core tests: small books, the corpus, and pieces of a decode.

#include "state/readerstate.h"
#include "text/codepage.h"
#include "text/fileio.h"
#include "text/htmlparser.h"
#include "text/plaintext.h"

#include "referencebook.h"

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core::test {

// A book of `lines` display lines of 10 characters each, L lines a page, the spread of
// topLine on show. Only the line list: the text is not needed by the page arithmetic.
inline ReaderState book(int64_t lines, int64_t linesPerPage, int64_t topLine = 1)
{
    ReaderState state;
    state.lineEnds.clear();
    for (int64_t k = 0; k <= lines; ++k)
        state.lineEnds.push_back(10 * k);
    state.linesPerPage = linesPerPage;
    state.topLine = topLine;
    return state;
}

// The line numbers of bookmarks, in list order.
inline std::vector<int64_t> linesOf(const std::vector<Bookmark> &marks)
{
    std::vector<int64_t> lines;
    for (const auto &mark : marks)
        lines.push_back(mark.line);
    return lines;
}

// An HTML book parsed whole, from the decoded text of its file.
inline BookTexts htmlBook(std::u32string_view file)
{
    HtmlParser parser{htmlSource(file)};
    while (parser.run(1 << 20) != HtmlParser::Status::Done) {
    }
    return {parser.takeParagraphText(), parser.takeScrollMap()};
}

// The scroll text of a loaded book.
inline std::u32string scrollOf(const BookTexts &texts)
{
    return texts.scrollMap.scrollText(texts.paragraphText);
}

#ifdef TIBBO_CORPUS_DIR
// The bytes of a novel of the corpus; empty when it cannot be read.
inline std::string corpusBytes(const std::string &name)
{
    return readFile(std::string(TIBBO_CORPUS_DIR) + "/" + name).value_or("");
}

// The paragraph text of a novel of the corpus, read once a test program; nothing when it
// cannot be read.
inline const BookText *novel(const std::string &name)
{
    static std::map<std::string, BookText> books;
    auto it = books.find(name);
    if (it == books.end()) {
        const auto text = readBook(std::string(TIBBO_CORPUS_DIR) + "/" + name);
        if (!text)
            return nullptr;
        it = books.emplace(name, buildPlainBook(*text, false).paragraphText).first;
    }
    return &it->second;
}
#endif

// The bytes decoded in pieces cut at the given points, as one text: a character cut
// between two pieces must come out whole.
inline std::u32string decodeInPieces(std::string_view bytes, TextEncoding encoding,
                                     std::vector<size_t> cuts)
{
    ChunkDecoder decoder(encoding);
    std::u32string out;
    cuts.push_back(bytes.size());
    size_t from = 0;
    for (size_t cut : cuts) {
        cut = std::min(std::max(cut, from), bytes.size());
        decoder.decode(bytes.substr(from, cut - from), cut == bytes.size(), out);
        from = cut;
    }
    return out;
}

} // namespace tibbo::core::test
