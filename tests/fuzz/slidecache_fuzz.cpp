// Slide.cache against its book: the scroll text every loader makes matches its own book
// (and so the cache is never written again for nothing), and a scroll text that matches
// a book is made back from it exactly (so a wrong cache is never taken).
#include "fuzzcheck.h"
#include "referencebook.h"

#include "state/scrolltextmap.h"
#include "text/codepage.h"
#include "text/plaintext.h"

using namespace tibbo::core;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const std::u32string text = test::decodeBook(tibbo::fuzz::bytesOf(data + 1, size - 1));
    const BookTexts book = test::buildPlainBook(text, data[0] & 1);
    for (const ScrollTextMap &map :
         {book.scrollMap, ScrollTextMap::onePerParagraph(book.paragraphText)}) {
        const std::u32string scroll = map.scrollText(book.paragraphText);
        const auto matched = ScrollTextMap::match(scroll, book.paragraphText);
        FUZZ_CHECK(matched && matched->scrollText(book.paragraphText) == scroll);
    }
    // Any two texts: the first half as the scroll text, the rest as paragraphs.
    const size_t half = text.size() / 2;
    const BookText paragraphs(std::u32string_view(text).substr(half));
    const std::u32string scroll = text.substr(0, half);
    if (const auto matched = ScrollTextMap::match(scroll, paragraphs))
        FUZZ_CHECK(matched->scrollText(paragraphs) == scroll);
    return 0;
}
