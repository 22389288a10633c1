// A book file read in pieces gives the book that its whole text gives: the input chooses
// the piece size (1 to 64 bytes), so characters, line ends and paragraph decisions fall
// across many cuts; the reader's own pieces are 256 KiB.
#include "fuzzcheck.h"
#include "referencebook.h"

#include "text/codepage.h"
#include "text/htmlparser.h"
#include "text/plaintext.h"

#include <string>
#include <unistd.h>

using namespace tibbo::core;

namespace {

// The book file: made and removed at once, reached through its descriptor, so nothing
// is left behind however the run ends.
int bookFile()
{
    static const int fd = [] {
        std::string pattern = "/tmp/tibbo-fuzz-book-XXXXXX";
        const int made = ::mkstemp(pattern.data());
        ::unlink(pattern.c_str());
        return made;
    }();
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const bool trim = data[0] & 1;
    const size_t pieceBytes = 1 + (data[0] >> 1) % 64;
    const std::string_view file = tibbo::fuzz::bytesOf(data + 1, size - 1);
    FUZZ_CHECK(bookFile() >= 0 && ::ftruncate(bookFile(), 0) == 0);
    FUZZ_CHECK(::pwrite(bookFile(), file.data(), file.size(), 0) == ssize_t(file.size()));
    const std::string path = "/proc/self/fd/" + std::to_string(bookFile());

    const std::u32string decoded = test::decodeBook(file);
    const auto loaded = loadPlainBook(path, trim, nullptr, BookEncodingName::Auto, pieceBytes);
    FUZZ_CHECK(loaded);
    const BookTexts built = test::buildPlainBook(decoded, trim);
    FUZZ_CHECK(loaded->paragraphText == built.paragraphText);
    FUZZ_CHECK(loaded->scrollMap == built.scrollMap);
    const auto source = loadHtmlSource(path, nullptr, BookEncodingName::Auto, pieceBytes);
    FUZZ_CHECK(source && *source == BookText(htmlSource(decoded)));
    return 0;
}
