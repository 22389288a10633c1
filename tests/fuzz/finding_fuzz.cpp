// The search, the chapter finder and the number rules on any text: the search finds what
// a plain comparison at every start finds, in both directions; chapters lie in the text
// in order; numbers read back as they were written.
#include "fuzzcheck.h"

#include "navigation/search.h"
#include "navigation/searchpattern.h"
#include "text/codepage.h"
#include "text/headings.h"
#include "text/numbers.h"

#include <cmath>
#include <string>

using namespace tibbo::core;

namespace {

std::optional<int64_t> plainFind(const std::u32string &text, const std::u32string &needle,
                                 int64_t from, bool forward)
{
    const auto matchesAt = [&](size_t at) {
        for (size_t k = 0; k < needle.size(); ++k)
            if (foldSearchCase(text[at + k]) != foldSearchCase(needle[k]))
                return false;
        return true;
    };
    if (needle.empty() || needle.size() > text.size())
        return std::nullopt;
    const auto start = static_cast<size_t>(std::clamp<int64_t>(from, 0, int64_t(text.size())));
    const size_t last = text.size() - needle.size();
    if (forward) {
        for (size_t at = start; at <= last; ++at)
            if (matchesAt(at))
                return static_cast<int64_t>(at);
        return std::nullopt;
    }
    for (size_t at = std::min(start, last + 1); at-- > 0;)
        if (matchesAt(at))
            return static_cast<int64_t>(at);
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const std::string_view bytes = tibbo::fuzz::bytesOf(data + 2, size - 2);
    const std::u32string all = fromUtf8(bytes);
    const size_t needleLength = std::min<size_t>(data[0] % 8, all.size());
    const std::u32string needle = all.substr(0, needleLength);
    const std::u32string text = all.substr(needleLength);
    const int64_t from = static_cast<int64_t>(data[1]) - 8;
    const BookText book(text);
    for (const bool forward : {true, false})
        FUZZ_CHECK(findText(book, needle, from, forward) == plainFind(text, needle, from, forward));

    const auto chapters = findChapters(book);
    for (size_t i = 0; i < chapters.size(); ++i) {
        FUZZ_CHECK(chapters[i].offset >= 0 && chapters[i].offset < int64_t(text.size()));
        FUZZ_CHECK(i == 0 || chapters[i - 1].offset < chapters[i].offset);
        FUZZ_CHECK(chapters[i].title.size() <= kChapterTitleLimit);
    }

    const std::string line(bytes);
    const double value = val(line);
    FUZZ_CHECK(!std::isnan(value));
    // What the writer makes of a number reads back as that number, to the digits written.
    if (std::isfinite(value) && std::fabs(value) < 1e15 && std::fabs(value) > 1e-15)
        FUZZ_CHECK(std::fabs(val(str(value)) - value) <= std::fabs(value) * 1e-6);
    if (const auto integer = toInteger(line))
        FUZZ_CHECK(toInteger(std::to_string(*integer)) == integer);
    toBoolean(line);
    return 0;
}
