// A mark file as anything may have left it: the bookmarks read from it, written and read
// again, are the same bookmarks.
#include "fuzzcheck.h"

#include "bookmarks/bookmarkstore.h"

using namespace tibbo::core;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto marks = parseMarkFile(tibbo::fuzz::bytesOf(data, size));
    const auto again = parseMarkFile(markFileBytes(marks));
    FUZZ_CHECK(again.size() == marks.size());
    for (size_t i = 0; i < marks.size(); ++i)
        FUZZ_CHECK(again[i].line == marks[i].line && marks[i].line >= 1);
    return 0;
}
