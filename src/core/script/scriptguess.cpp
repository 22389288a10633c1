#include "script/scriptguess.h"

#include "script/openccconverter.h"

#include <algorithm>

namespace tibbo::core {

namespace {

bool isHan(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3134F);
}

// Chinese characters of `original` that `mode` changes. The conversions that keep
// lengths are compared character by character; a changed phrase counts whole.
int64_t changedCharacters(std::u32string_view original, ScriptMode mode)
{
    const auto converter = OpenccConverter::forMode(mode);
    if (!converter)
        return 0;
    const ConvertedRun run = converter->convert(original);
    int64_t changed = 0;
    for (size_t k = 0; k < original.size(); ++k) {
        const int64_t at = run.map.toConverted(static_cast<int64_t>(k));
        if (isHan(original[k]) && (at >= static_cast<int64_t>(run.text.size()) ||
                                   run.text[static_cast<size_t>(at)] != original[k]))
            ++changed;
    }
    return changed;
}

} // namespace

bool looksTraditional(const BookText &text)
{
    const std::u32string sample = text.substr(0, kScriptSample);
    const auto han = std::count_if(sample.begin(), sample.end(), isHan);
    if (han == 0)
        return false;
    // Simplified text: the Simplified conversion changes next to nothing (a few
    // characters that have variants). Traditional text: one character in five or more.
    // Most books are Simplified and are told by that alone, so the large Traditional
    // dictionaries are loaded only for a book that may be Traditional.
    const int64_t toSimplified = changedCharacters(sample, ScriptMode::Simplified);
    if (toSimplified * 20 < han)
        return false;
    const int64_t toTraditional = changedCharacters(sample, ScriptMode::Traditional);
    return toSimplified >= 3 * toTraditional;
}

} // namespace tibbo::core
