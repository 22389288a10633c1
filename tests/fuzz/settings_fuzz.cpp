// settings.ini as anything may have left it: reading never fails, and whatever it gives,
// applied to the reader and written back, is a file that reads clean.
#include "fuzzcheck.h"

#include "settings/settingsfile.h"
#include "state/readerstate.h"

#include <string>

using namespace tibbo::core;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SettingsRead read = readSettingsFile(tibbo::fuzz::bytesOf(data, size));
    if (read.lineEndsFitText)
        FUZZ_CHECK(read.paragraphText && read.lineEnds &&
                   lineListFits(*read.lineEnds, read.paragraphText->size()));
    ReaderState state;
    applySettingsToState(std::move(read), state);
    std::string written;
    writeSettingsPieces(settingsFromState(state), state.paragraphText, state.lineEnds,
                        [&written](std::string_view piece) { written += piece; });
    const SettingsRead again = readSettingsFile(written);
    FUZZ_CHECK(again.clean);
    FUZZ_CHECK(again.paragraphText && *again.paragraphText == state.paragraphText);
    return 0;
}
