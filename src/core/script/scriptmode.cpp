#include "script/scriptmode.h"

#include <array>

namespace tibbo::core {

namespace {

struct ModeRow
{
    ScriptMode mode;
    std::string_view key;
    std::u32string_view caption;
    std::string_view config;
};

// clang-format off
constexpr std::array<ModeRow, 7> kModes{{
    {ScriptMode::Original,               "original",       U"原文",           ""},
    {ScriptMode::Simplified,             "simplified",     U"转简体",         "t2s"},
    {ScriptMode::SimplifiedFromTaiwan,   "simplified-tw",  U"转简体(台湾用语)", "tw2sp"},
    {ScriptMode::SimplifiedFromHongKong, "simplified-hk",  U"转简体(香港字形)", "hk2s"},
    {ScriptMode::Traditional,            "traditional",    U"转繁体",         "s2t"},
    {ScriptMode::TraditionalTaiwan,      "traditional-tw", U"转繁体(台湾用语)", "s2twp"},
    {ScriptMode::TraditionalHongKong,    "traditional-hk", U"转繁体(香港字形)", "s2hk"},
}};
// clang-format on

const ModeRow &rowOf(ScriptMode mode)
{
    for (const ModeRow &row : kModes) {
        if (row.mode == mode)
            return row;
    }
    return kModes[0];
}

} // namespace

const std::vector<ScriptMode> &allScriptModes()
{
    static const std::vector<ScriptMode> modes = [] {
        std::vector<ScriptMode> all;
        for (const ModeRow &row : kModes)
            all.push_back(row.mode);
        return all;
    }();
    return modes;
}

std::string_view scriptModeKey(ScriptMode mode)
{
    return rowOf(mode).key;
}

std::optional<ScriptMode> scriptModeFromKey(std::string_view key)
{
    for (const ModeRow &row : kModes) {
        if (row.key == key)
            return row.mode;
    }
    return std::nullopt;
}

std::u32string_view scriptModeCaption(ScriptMode mode)
{
    return rowOf(mode).caption;
}

std::string_view conversionConfigOf(ScriptMode mode)
{
    return rowOf(mode).config;
}

bool convertsToSimplified(ScriptMode mode)
{
    return mode == ScriptMode::Simplified || mode == ScriptMode::SimplifiedFromTaiwan ||
           mode == ScriptMode::SimplifiedFromHongKong;
}

} // namespace tibbo::core
