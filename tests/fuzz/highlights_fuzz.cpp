// A highlights file as anything may have left it: what is read from it, written and read
// again, is the same and reads clean.
#include "fuzzcheck.h"

#include "reading/highlights.h"

using namespace tibbo::core;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ParsedHighlights parsed = parseHighlightFile(tibbo::fuzz::bytesOf(data, size));
    const ParsedHighlights again = parseHighlightFile(highlightFileBytes(parsed.file));
    FUZZ_CHECK(!again.damaged);
    FUZZ_CHECK(again.file.highlights == parsed.file.highlights);
    FUZZ_CHECK(again.file.identity == parsed.file.identity);
    for (const Highlight &h : parsed.file.highlights)
        FUZZ_CHECK(h.start >= 0 && h.length >= 1 && h.colour >= 0 && h.colour < kHighlightColours);
    return 0;
}
