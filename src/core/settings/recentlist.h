#pragma once
// The recent-files list and the choice of loader for a chosen path.
//
// The list holds full paths, newest first, with kNoneMarker ("\none") in empty slots;
// the recent menu always has kRecentSlots items, item i standing for entry i.

#include <string>
#include <string_view>
#include <vector>

namespace tibbo::core {

// The message for a book whose path cannot be stored (Simplified Chinese, UTF-8).
inline constexpr std::string_view kUnstorablePathMessage =
    "这个文件的路径里有换行符,没法记到设置里.请把文件改个名字或者换个文件夹再打开.";

// False for a path that settings.ini cannot hold as one line and give back unchanged: it
// holds a CR or an LF (a line end of the line-based file), or it equals the recent
// list's closing tag "[/Recent]". Any other bytes are fine, UTF-8 or not. The window
// refuses such a book before it replaces the reader's own, with kUnstorablePathMessage.
bool pathIsStorable(std::string_view path);

// Registers a book. A path that is not storable is not listed at all. A path already listed (exact,
// case-sensitive comparison) keeps its place, even when it is not the newest. Otherwise every entry
// moves one place down, the path goes in front and the list is cut or padded with none markers to
// kRecentSlots entries, so the oldest entry falls out.
void addRecent(std::vector<std::string> &recent, std::string_view path);

struct RecentMenuItem
{
    std::string caption;
    bool enabled = false;
};

// The part of an entry after its last "\" or "/": "none" for the none marker.
std::string recentCaption(std::string_view entry);

// The kRecentSlots menu items: captions of the first entries, disabled where the caption
// is "none" (the none marker, or a book file really named "none"). Slots beyond a short
// list are disabled "none" items; entries beyond the fifth are not shown.
std::vector<RecentMenuItem> recentMenuItems(const std::vector<std::string> &recent);

// The reader has a book of their own besides the one on show: the second entry names a
// book (on a first start the manual is the first). A book file named "none" counts as
// none, as its menu item does.
bool hasOwnBook(const std::vector<std::string> &recent);

// True when the path goes to the HTML loader: its last 3 characters upper-cased are
// "HTM" or its last 4 are "HTML". So "a.shtml" and even "readmehtm" (no dot) are HTML.
bool isHtmlPath(std::string_view path);

} // namespace tibbo::core
