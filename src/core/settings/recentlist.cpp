#include "settings/recentlist.h"

#include "state/readerstate.h"
#include "text/fileio.h"

#include <algorithm>

namespace tibbo::core {

namespace {

std::string upperAscii(std::string_view text)
{
    std::string upper(text);
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// The last n bytes; the letters compared are ASCII, so a byte suffix of a UTF-8 path
// equals a character suffix whenever it can match at all.
std::string_view lastBytes(std::string_view text, size_t n)
{
    return text.size() >= n ? text.substr(text.size() - n) : text;
}

} // namespace

bool pathIsStorable(std::string_view path)
{
    return path.find_first_of("\r\n") == std::string_view::npos && path != "[/Recent]";
}

void addRecent(std::vector<std::string> &recent, std::string_view path)
{
    if (!pathIsStorable(path))
        return;
    if (std::find(recent.begin(), recent.end(), path) != recent.end())
        return;
    recent.insert(recent.begin(), std::string(path));
    recent.resize(kRecentSlots, std::string(kNoneMarker));
}

std::string recentCaption(std::string_view entry)
{
    return fileNameOf(entry);
}

std::vector<RecentMenuItem> recentMenuItems(const std::vector<std::string> &recent)
{
    std::vector<RecentMenuItem> items(kRecentSlots, RecentMenuItem{"none", false});
    const size_t shown = std::min<size_t>(recent.size(), kRecentSlots);
    for (size_t i = 0; i < shown; ++i) {
        items[i].caption = recentCaption(recent[i]);
        items[i].enabled = items[i].caption != "none";
    }
    return items;
}

bool hasOwnBook(const std::vector<std::string> &recent)
{
    return recent.size() > 1 && recentCaption(recent[1]) != "none";
}

bool isHtmlPath(std::string_view path)
{
    return upperAscii(lastBytes(path, 3)) == "HTM" || upperAscii(lastBytes(path, 4)) == "HTML";
}

} // namespace tibbo::core
