// An HTML book of any bytes: the parse gives the same book however it is sliced, its
// scroll text matches its paragraphs, and every character reference is read within
// the text it stands in.
#include "fuzzcheck.h"
#include "referencebook.h"

#include "state/scrolltextmap.h"
#include "text/codepage.h"
#include "text/htmlentities.h"
#include "text/htmlparser.h"

using namespace tibbo::core;

namespace {

void parse(const std::u32string &source, int64_t budget, BookText &paragraphs, ScrollTextMap &map)
{
    HtmlParser parser{BookText(source)};
    while (parser.run(budget) != HtmlParser::Status::Done) {
    }
    paragraphs = parser.takeParagraphText();
    map = parser.takeScrollMap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int64_t slice = 1 + data[0] % 16;
    const std::u32string source =
        htmlSource(test::decodeBook(tibbo::fuzz::bytesOf(data + 1, size - 1)));
    BookText whole, sliced;
    ScrollTextMap wholeMap, slicedMap;
    parse(source, int64_t{1} << 30, whole, wholeMap);
    parse(source, slice, sliced, slicedMap);
    FUZZ_CHECK(whole == sliced);
    FUZZ_CHECK(wholeMap == slicedMap);
    const std::u32string scroll = wholeMap.scrollText(whole);
    const auto matched = ScrollTextMap::match(scroll, whole);
    FUZZ_CHECK(matched && matched->scrollText(whole) == scroll);
    for (size_t at = source.find(U'&'); at != std::u32string::npos; at = source.find(U'&', at + 1))
        if (const auto entity = decodeEntity(std::u32string_view(source).substr(at)))
            FUZZ_CHECK(entity->length >= 2 && at + size_t(entity->length) <= source.size());
    return 0;
}
