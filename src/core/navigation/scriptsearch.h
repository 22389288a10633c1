#pragma once
// Finding a word typed in either script: the book is searched, as it is stored, for the
// word as typed and for each conversion of it (头发, 頭髮; 内存, 記憶體), and the nearest
// match of any of them is the hit. A match of a converted form is a match of what the
// reader sees too, whatever script the book is shown in.

#include "state/booktext.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

// The word as typed, then its conversions by every conversion that could be loaded,
// each form once.
std::vector<std::u32string> searchForms(std::u32string_view needle);

struct ScriptHit
{
    int64_t offset = 0;
    // Characters of the original text the match covers.
    int64_t length = 0;
    // The search went past an end of the book and went on from the other.
    bool wrapped = false;
};

// The nearest match of any form: forward, the first one starting at or after `from`;
// backward, the last one starting before `from`; when none lies that way, the search
// goes on from the other end. Nothing when the book holds no form.
std::optional<ScriptHit> findInEitherScript(const BookText &text,
                                            const std::vector<std::u32string> &forms, int64_t from,
                                            bool forward);

} // namespace tibbo::core
