// settings.index as anything may have left it, beside a settings.ini of the reader's own,
// and a settings.ini as anything may have left it beside that file's index: reading never
// fails, an index that reads writes back as itself, and an excerpt, when one is read,
// is a text with a line list that fits it. (Only an index the writer made promises the
// saved spread itself: one crafted to pass every check may show other rows until the
// whole book is in place.)
#include "fuzzcheck.h"

#include "settings/settingsindex.h"
#include "state/readerstate.h"
#include "text/spread.h"

#include <algorithm>
#include <string>

using namespace tibbo::core;

namespace {

struct Written
{
    ReaderState state;
    std::string settings;
    SettingsIndex index;
};

// A book of 70 000 characters (two text checkpoints), cut 13 to a line, its saved place
// past entry 4096.
const Written &written()
{
    static const Written w = [] {
        Written out;
        std::u32string text;
        for (int k = 0; k < 70000; ++k)
            text += k % 97 == 96 ? kParagraphMark : static_cast<char32_t>(0x4E00 + k % 300);
        text.back() = kParagraphMark;
        setParagraphText(out.state, BookText(text));
        out.state.lineEnds.clear();
        size_t start = 0;
        out.state.lineEnds.push_back(0);
        while (start < text.size()) {
            size_t end = std::min(start + 13, text.size());
            const size_t mark = text.find(kParagraphMark, start);
            if (mark < end)
                end = mark + 1;
            out.state.lineEnds.push_back(static_cast<LineEnd>(end));
            start = end;
        }
        out.state.lineEndsVersion = out.state.textVersion;
        out.state.linesPerPage = 10;
        out.state.topLine = 4101;
        SettingsHashing hashing;
        writeSettingsPieces(
            settingsFromState(out.state), out.state.paragraphText, out.state.lineEnds,
            [&](std::string_view piece) {
                hashing.add(piece);
                out.settings += piece;
            },
            &out.index.layout);
        out.index.hash = hashing.hash();
        return out;
    }();
    return w;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Written &w = written();
    const std::string_view bytes = tibbo::fuzz::bytesOf(data, size);
    // As an index beside the reader's own settings.ini.
    if (const auto index = parseSettingsIndex(bytes)) {
        FUZZ_CHECK(parseSettingsIndex(settingsIndexBytes(*index)) == index);
        if (const auto excerpt = readSettingsExcerpt(w.settings, *index)) {
            const ReaderState shown = excerptState(*excerpt, w.state);
            FUZZ_CHECK(lineListFits(shown.lineEnds, shown.paragraphText.size()));
            FUZZ_CHECK(excerptSpread(*excerpt, shown).rows.size() ==
                       static_cast<size_t>(2 * w.state.linesPerPage));
        }
    }
    // As a settings.ini beside the index of the reader's own.
    if (const auto excerpt = readSettingsExcerpt(bytes, w.index)) {
        FUZZ_CHECK(bytes.size() == w.settings.size());
        const ReaderState shown = excerptState(*excerpt, w.state);
        FUZZ_CHECK(lineListFits(shown.lineEnds, shown.paragraphText.size()));
    }
    return 0;
}
