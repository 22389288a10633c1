#pragma once
// Character references of HTML text: named ones ("&ldquo;") from the table of the
// common HTML names (Latin-1, typographic marks, Greek letters and symbols) and numeric
// ones ("&#20013;", "&#x4E2D;").

#include <cstdint>
#include <optional>
#include <string_view>

namespace tibbo::core {

struct DecodedEntity
{
    char32_t character = 0;
    int64_t length = 0; // characters of the source the reference takes, '&' to ';'
};

// The reference at the start of text (which starts with '&'), closed by ';'. A name
// that is not in the table, a missing ';' or "&#;" is no reference: nothing. A number
// that is no character (0, a surrogate, past U+10FFFF) gives U+FFFD; 128 to 159 give
// the characters Windows-1252 has there, as browsers do.
std::optional<DecodedEntity> decodeEntity(std::u32string_view text);

} // namespace tibbo::core
