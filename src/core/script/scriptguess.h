#pragma once
// Telling the script a book is written in, to offer the reader a conversion.

#include "state/booktext.h"

#include <cstddef>

namespace tibbo::core {

// Whether the book looks written in Traditional characters to a reader of Simplified
// ones: in its first kScriptSample characters, the Simplified conversion changes a fair
// share of the Chinese characters and far more than the Traditional one does.
inline constexpr size_t kScriptSample = 20000;
bool looksTraditional(const BookText &text);

} // namespace tibbo::core
