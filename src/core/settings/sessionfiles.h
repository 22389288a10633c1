#pragma once
// settings.ini and Slide.cache as a pair on disk: writing them so that an interrupted or
// failed write never leaves a Slide.cache of one book beside the settings.ini of
// another, checking on reading that they belong together, keeping a settings.ini that
// could not be read whole, and clearing the temporary files of writes that never ended.
//
// Order of the write: the old Slide.cache is removed first, then settings.ini (which
// holds the book itself) is written, then the new Slide.cache. A kill or a full disk at
// any point leaves settings.ini old or new and Slide.cache missing or of the same write;
// only two processes writing at once can still pair them wrongly, and the check on
// reading catches that.

#include "settings/settingsfile.h"

#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core {

struct SessionWrite
{
    bool settingsWritten = false;
    bool cacheWritten = false; // false too when settings.ini failed: the cache is not tried
};

// Writes settings.ini from data and Slide.cache from the scroll text bookText into
// appDir, in the order above, each through a temporary file, a rename and a sync of the
// folder, so the new files survive a power cut. A failed write leaves the old file of
// that name (settings.ini) or none (Slide.cache); the scroll text is then rebuilt on
// reading.
SessionWrite writeSessionFiles(std::string_view appDir, const SettingsData &data,
                               std::u32string_view bookText);

// Writes bytes to path through a temporary file "<path>.tmp-XXXXXX" that stays locked
// (flock) until it is renamed over path, then syncs the folder. False when anything
// failed; the old file is then untouched and no temporary file is left.
bool writeFileDurably(const std::string &path, std::string_view bytes);

std::string settingsBackupPath(std::string_view appDir); // appDir + "/settings.ini.bak"

// Copies settings.ini to settings.ini.bak (written durably). Call it before writing
// over a settings.ini whose read was not clean (SettingsRead::clean false), once: after
// it, the file on disk is the reader's own again. True when the copy was made or there
// is no settings.ini to keep.
bool keepSettingsBackup(std::string_view appDir);

// True when scrollText is the scroll text of the book whose paragraph text is
// paragraphText. Both loaders make the two texts from the same characters in the same
// order: the scroll text adds only line ends (CR, LF), the paragraph text only paragraph
// marks '^' and drops CR and LF. So the two are compared with CR, LF and '^' skipped on
// both sides: exact for plain and HTML books, one pass, no copy.
bool scrollTextBelongsTo(std::u32string_view scrollText, std::u32string_view paragraphText);

// A scroll text made from the paragraph text alone: each paragraph (closed by '^', or
// the text after the last '^') on a line of its own, ended by CR LF. It belongs to
// paragraphText; the book's own line breaks within a paragraph are not known here.
std::u32string scrollTextFromParagraphText(std::u32string_view paragraphText);

// The scroll text for the book settings.ini brought back: Slide.cache's text when
// cacheBytes (the file's bytes; nothing when it is missing) is a whole Slide.cache that
// belongs to paragraphText, otherwise the text rebuilt from paragraphText. Replaces the
// scroll text; it is never appended to.
std::u32string restoreScrollText(const std::optional<std::string> &cacheBytes,
                                 std::u32string_view paragraphText);

// Removes the temporary files that writes of settings.ini, settings.ini.bak,
// Slide.cache and the mark files left behind when they were killed ("<name>.tmp-" and six
// letters or digits). A temporary another running process is still writing is left
// alone: the session files' writer holds a lock on it, and a mark file's temporary is
// only removed once it has not changed for a minute. Returns how many were removed.
int cleanStaleTemporaries(std::string_view appDir);

} // namespace tibbo::core
