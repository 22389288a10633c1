#include "navigation/scriptsearch.h"

#include "navigation/search.h"
#include "script/openccconverter.h"

#include <algorithm>

namespace tibbo::core {

std::vector<std::u32string> searchForms(std::u32string_view needle)
{
    std::vector<std::u32string> forms{std::u32string(needle)};
    if (needle.empty())
        return forms;
    for (const ScriptMode mode : allScriptModes()) {
        if (const auto converter = OpenccConverter::forMode(mode)) {
            std::u32string form = converter->convert(needle).text;
            if (std::find(forms.begin(), forms.end(), form) == forms.end())
                forms.push_back(std::move(form));
        }
    }
    return forms;
}

std::optional<ScriptHit> findInEitherScript(const BookText &text,
                                            const std::vector<std::u32string> &forms, int64_t from,
                                            bool forward)
{
    const auto nearest = [&](int64_t start) -> std::optional<ScriptHit> {
        std::optional<ScriptHit> best;
        for (const std::u32string &form : forms) {
            const auto hit = findText(text, form, start, forward);
            if (!hit)
                continue;
            // Forward the earliest, backward the latest; at one offset the longer form.
            const bool better =
                !best || (forward ? *hit < best->offset : *hit > best->offset) ||
                (*hit == best->offset && static_cast<int64_t>(form.size()) > best->length);
            if (better)
                best = ScriptHit{*hit, static_cast<int64_t>(form.size()), false};
        }
        return best;
    };
    if (auto hit = nearest(from))
        return hit;
    auto hit = nearest(forward ? int64_t{0} : static_cast<int64_t>(text.size()));
    if (hit)
        hit->wrapped = true;
    return hit;
}

} // namespace tibbo::core
