#include "referencesession.h"

#include "settings/storedsession.h"
#include "text/codepage.h"

#include <cstdint>

namespace tibbo::core::test {

std::string writeSettingsFile(const SettingsData &data)
{
    std::string bytes;
    writeSettingsPieces(data, data.paragraphText, data.lineEnds,
                        [&](std::string_view piece) { bytes += piece; });
    return bytes;
}

std::string slideCacheBytes(std::u32string_view scrollText)
{
    return encodeGb18030(scrollText) + "\r\n";
}

std::optional<ScrollTextMap> matchSlideCache(const std::string &path, const BookText &paragraphText)
{
    SlideCacheMatch match(path, paragraphText);
    while (!match.step(SIZE_MAX)) {
    }
    return match.take();
}

std::u32string scrollTextOf(const ReaderState &state)
{
    return state.scrollMap.scrollText(state.paragraphText);
}

} // namespace tibbo::core::test
