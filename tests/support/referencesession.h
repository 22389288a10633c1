#pragma once
// settings.ini and Slide.cache made and matched the whole-file way, as the tests'
// reference for the reader's own writing and matching in pieces.

#include "settings/settingsfile.h"
#include "state/readerstate.h"

#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core::test {

// The exact bytes of settings.ini for data, its own book text and line list included.
std::string writeSettingsFile(const SettingsData &data);
// The exact bytes of Slide.cache: the scroll text followed by one more CR LF.
std::string slideCacheBytes(std::u32string_view scrollText);
// SlideCacheMatch run to its end at once.
std::optional<ScrollTextMap> matchSlideCache(const std::string &path,
                                             const BookText &paragraphText);
// The scroll text of the state's book: its lines, each ended by CR LF.
std::u32string scrollTextOf(const ReaderState &state);

} // namespace tibbo::core::test
