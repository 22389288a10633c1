#pragma once
// settings.ini and Slide.cache as a pair on disk: writing them so that an interrupted or
// failed write never leaves a Slide.cache of one book beside the settings.ini of
// another, checking on reading that they belong together, keeping a settings.ini that
// could not be read whole, and clearing the temporary files of writes that never ended.
//
// Order of the write: settings.ini (which holds the book itself) is written first; once
// it is in place the old Slide.cache is removed and the new one written. A failed
// settings.ini leaves both old files as they were; a kill or a full disk at any later
// point leaves the new settings.ini with Slide.cache missing or of the same write. Only
// two processes writing at once can still pair them wrongly, and the check on reading
// (the cache must match the book of settings.ini) catches that.

#include "settings/settingsfile.h"
#include "state/scrolltextmap.h"
#include "text/codepage.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tibbo::core {

struct SessionWrite
{
    bool settingsWritten = false;
    // settings.index beside it (see settingsindex.h); when false there is none.
    bool indexWritten = false;
    // False too when settings.ini failed: the cache is not tried. True when the cache on
    // disk already held this scroll text and was left as it was.
    bool cacheWritten = false;
    // The file that could not be written and why (an errno value); empty and 0 when
    // both were written.
    std::string failedPath;
    int error = 0;
};

// Writes settings.ini from data and the state's book and line list, with its index
// settings.index, and, when the scroll
// text changed since Slide.cache was last written or matched, Slide.cache from the
// state's scroll text, in the order above, each through a temporary file, a rename and a
// sync of the folder, so the new files survive a power cut. Both are encoded and written
// a piece at a time. A failed settings.ini leaves both old files; a failed Slide.cache
// leaves none, and the scroll text is then rebuilt on reading.
SessionWrite writeSessionFiles(std::string_view appDir, const SettingsData &data,
                               const ReaderState &state, bool scrollTextChanged);

using ByteSink = std::function<void(std::string_view)>;
// Hands the file's bytes to the sink it is given, in pieces.
using FileProducer = std::function<void(const ByteSink &)>;

// Writes the produced bytes to path through a temporary file "<path>.tmp-XXXXXX" that
// stays locked (flock) until it is renamed over path, then syncs the folder. False when
// anything failed, with the reason (an errno value) in `error` when given; the old file
// is then untouched and no temporary file is left. The file gets `mode` when given, else
// the mode giveReplacedMode gives it.
bool writeFileDurably(const std::string &path, const FileProducer &produce,
                      std::optional<mode_t> mode = std::nullopt, int *error = nullptr);
bool writeFileDurably(const std::string &path, std::string_view bytes,
                      std::optional<mode_t> mode = std::nullopt, int *error = nullptr);

std::string settingsBackupPath(std::string_view appDir); // appDir + "/settings.ini.bak"

enum class SettingsBackup {
    Kept,
    NothingToKeep, // there is no settings.ini
    // settings.ini is a link: it is not copied (the copy would show the file it leads to
    // to anyone who may read the backup). The write that follows replaces the link and
    // leaves that file as it is.
    RefusedLink,
    Failed,
};

// Copies settings.ini to settings.ini.bak (written durably, with settings.ini's mode).
// Call it before writing over a settings.ini whose read was not clean
// (SettingsRead::clean false), once: after it, the file on disk is the reader's own
// again. Every outcome but Failed allows the write; Failed forbids it, with the reason
// (an errno value) in `error` when given.
SettingsBackup keepSettingsBackup(std::string_view appDir, int *error = nullptr);

// Matches the Slide.cache at path against paragraphText a piece at a time, so a window
// can let events run between the pieces. The map comes when the file is whole (it ends
// with the CR LF after the scroll text) and belongs to paragraphText (see
// ScrollTextMap::match); otherwise nothing, and the caller rebuilds the scroll text
// from the paragraphs (ScrollTextMap::onePerParagraph). The text must outlive the match
// and stay unchanged.
class SlideCacheMatch
{
  public:
    SlideCacheMatch(const std::string &path, const BookText &paragraphText);
    SlideCacheMatch(const std::string &, BookText &&) = delete;
    ~SlideCacheMatch();
    SlideCacheMatch(const SlideCacheMatch &) = delete;
    SlideCacheMatch &operator=(const SlideCacheMatch &) = delete;

    // Reads and matches about `budget` more bytes of the file; true when done.
    bool step(size_t budget);
    bool done() const { return m_fd < 0; }
    // The result, once done.
    std::optional<ScrollTextMap> take() { return std::move(m_map); }

  private:
    void finish(bool whole);

    int m_fd = -1;
    ScrollTextMap::Matcher m_matcher;
    ChunkDecoder m_decoder{false};
    std::string m_bytes;
    std::u32string m_piece;
    int64_t m_at = 0;
    int64_t m_textEnd = 0;
    std::optional<ScrollTextMap> m_map;
};

// Removes the temporary files that writes of settings.ini, settings.ini.bak,
// Slide.cache and the mark files left behind when they were killed ("<name>.tmp-" and six
// letters or digits). A temporary another running process is still writing is left
// alone: the session files' writer holds a lock on it, and a mark file's temporary is
// only removed once it has not changed for a minute. Returns how many were removed.
int cleanStaleTemporaries(std::string_view appDir);

} // namespace tibbo::core
