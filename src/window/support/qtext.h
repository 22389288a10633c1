#pragma once
// The core hands the window UTF-8 and UTF-32 text; these make Qt strings of it.

#include <QString>

#include <string>
#include <string_view>

namespace tibbo::window {

inline QString qs(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline QString qs(std::u32string_view text)
{
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace tibbo::window
