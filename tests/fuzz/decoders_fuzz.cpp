// Bytes in every encoding the reader reads: decoding in two pieces cut anywhere gives
// what decoding at once gives, and text read as GB18030 comes back from the encoder
// unchanged (every character a book can hold survives settings.ini).
#include "fuzzcheck.h"
#include "referencebook.h"

#include "text/codepage.h"

using namespace tibbo::core;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view bytes = tibbo::fuzz::bytesOf(data + 1, size - 1);
    const size_t cut = bytes.empty() ? 0 : data[0] % (bytes.size() + 1);
    for (const TextEncoding encoding :
         {TextEncoding::Gb18030, TextEncoding::Big5, TextEncoding::Utf8, TextEncoding::Utf16Le,
          TextEncoding::Utf16Be}) {
        std::u32string atOnce, inPieces;
        ChunkDecoder whole(encoding);
        whole.decode(bytes, true, atOnce);
        ChunkDecoder pieces(encoding);
        pieces.decode(bytes.substr(0, cut), false, inPieces);
        pieces.decode(bytes.substr(cut), true, inPieces);
        FUZZ_CHECK(atOnce == inPieces);
        FUZZ_CHECK(whole.characters() == static_cast<int64_t>(atOnce.size()));
        FUZZ_CHECK(whole.replacements() == pieces.replacements());
    }
    const std::u32string text = decodeGb18030(bytes);
    FUZZ_CHECK(decodeGb18030(encodeGb18030(text)) == text);
    if (isValidUtf8(bytes))
        FUZZ_CHECK(toUtf8(fromUtf8(bytes)) == bytes);
    test::decodeBook(bytes);
    return 0;
}
