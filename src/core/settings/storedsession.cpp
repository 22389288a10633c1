#include "settings/storedsession.h"

#include "settings/settingsindex.h"
#include "state/readerstate.h"
#include "state/scrolltextmap.h"
#include "text/codepage.h"
#include "text/fileio.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace tibbo::core {

namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr size_t kTemporaryLetters = 6;  // mkstemp's XXXXXX
constexpr time_t kMarkTemporaryAge = 60; // seconds without change: its writer is gone
constexpr int64_t kSlidePiece = 1 << 16; // bytes of Slide.cache decoded at a time

std::string folderOf(const std::string &path)
{
    const size_t cut = path.rfind('/');
    if (cut == std::string::npos)
        return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

// Makes a rename or an unlink in the folder survive a power cut.
void syncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// False with the reason in `error` (a write that takes nothing counts as a full disk).
bool writeAll(int fd, std::string_view bytes, int &error)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

enum class WriteOutcome { Written, Failed, TemporaryTaken };

// A file's bytes in their temporary, flushed to the disk and still locked, waiting for
// the rename that puts them in place.
struct PreparedFile
{
    std::string temporary;
    int fd = -1;
    bool written = false;
    int error = 0;
};

// The file gets `mode` when given, else the mode of the file it replaces when
// `takeReplacedMode`, else keeps the temporary's.
PreparedFile prepareFile(const std::string &path, const FileProducer &produce,
                         std::optional<mode_t> mode, bool takeReplacedMode = true)
{
    PreparedFile file;
    file.temporary = path + std::string(kTemporaryMark) + "XXXXXX";
    file.fd = ::mkostemp(file.temporary.data(), O_CLOEXEC);
    if (file.fd < 0) {
        file.error = errno;
        return file;
    }
    // Held until the rename: a start-up that cleans temporaries leaves this one alone.
    // Between mkostemp and here a cleaner may still take it; the rename then finds no
    // file and the write is tried once more.
    ::flock(file.fd, LOCK_EX);
    int &error = file.error;
    bool allWritten = true;
    produce([&](std::string_view piece) {
        allWritten = allWritten && writeAll(file.fd, piece, error);
    });
    const auto failed = [&error](bool ok) {
        if (!ok && error == 0)
            error = errno != 0 ? errno : EIO;
        return !ok;
    };
    const bool modeGiven = mode               ? ::fchmod(file.fd, *mode) == 0
                           : takeReplacedMode ? giveReplacedMode(file.fd, path)
                                              : true;
    file.written = allWritten && !failed(modeGiven) && !failed(::fsync(file.fd) == 0);
    return file;
}

// Renames a prepared file over path and syncs the folder; a file that was not prepared
// whole, or that cannot be renamed, is removed and path keeps its old file.
WriteOutcome commitFile(PreparedFile &file, const std::string &path, int &error)
{
    error = file.error;
    if (file.fd < 0)
        return WriteOutcome::Failed;
    const auto failed = [&error](bool ok) {
        if (!ok && error == 0)
            error = errno != 0 ? errno : EIO;
        return !ok;
    };
    const bool renamed =
        file.written && !failed(::rename(file.temporary.c_str(), path.c_str()) == 0);
    const int renameError = file.written && !renamed ? error : 0;
    const bool closed = ::close(std::exchange(file.fd, -1)) == 0;
    if (!closed && error == 0)
        error = errno;
    if (!renamed)
        ::unlink(file.temporary.c_str());
    if (renamed)
        syncFolder(folderOf(path));
    if (!renamed && renameError == ENOENT)
        return WriteOutcome::TemporaryTaken;
    return closed && renamed ? WriteOutcome::Written : WriteOutcome::Failed;
}

// A prepared file that is not to be put in place.
void dropFile(PreparedFile &file)
{
    if (file.fd < 0)
        return;
    ::unlink(file.temporary.c_str());
    ::close(std::exchange(file.fd, -1));
}

WriteOutcome writeOnce(const std::string &path, const FileProducer &produce,
                       std::optional<mode_t> mode, int &error)
{
    PreparedFile file = prepareFile(path, produce, mode);
    return commitFile(file, path, error);
}

bool isTemporaryLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool endsWith(std::string_view s, std::string_view end)
{
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

// The file a temporary of this program's writers stands for, or nothing.
std::optional<std::string_view> temporaryOf(std::string_view name)
{
    const size_t suffix = kTemporaryMark.size() + kTemporaryLetters;
    if (name.size() <= suffix)
        return std::nullopt;
    const std::string_view letters = name.substr(name.size() - kTemporaryLetters);
    if (name.substr(name.size() - suffix, kTemporaryMark.size()) != kTemporaryMark ||
        !std::all_of(letters.begin(), letters.end(), isTemporaryLetter))
        return std::nullopt;
    return name.substr(0, name.size() - suffix);
}

} // namespace

bool writeFileDurably(const std::string &path, const FileProducer &produce,
                      std::optional<mode_t> mode, int *error)
{
    int reason = 0;
    WriteOutcome outcome = writeOnce(path, produce, mode, reason);
    if (outcome == WriteOutcome::TemporaryTaken) {
        reason = 0;
        outcome = writeOnce(path, produce, mode, reason);
    }
    if (error)
        *error = outcome == WriteOutcome::Written ? 0 : (reason != 0 ? reason : EIO);
    return outcome == WriteOutcome::Written;
}

bool writeFileDurably(const std::string &path, std::string_view bytes, std::optional<mode_t> mode,
                      int *error)
{
    return writeFileDurably(
        path, [bytes](const ByteSink &sink) { sink(bytes); }, mode, error);
}

// settings.ini first: until it is in place the old Slide.cache still belongs to the old
// settings.ini, so a failed write leaves the pair as it was. Only then is the old cache
// removed (a kill after this leaves none, never one of another book) and the new one
// put in place. The new cache's temporary is written and flushed on a thread of its own
// meanwhile (the two encodings of the book take most of an exit); it stays a temporary
// until its turn in that order. The index goes before settings.ini is written over (the
// sync of the folder after the rename makes its removal last too) and comes back right
// after it, so at any point there is no index or the one made for the settings.ini
// beside it.
SessionWrite writeSessionFiles(std::string_view appDir, const SettingsData &data,
                               const ReaderState &state, bool scrollTextChanged)
{
    SessionWrite result;
    const std::string settings = settingsFilePath(appDir);
    const std::string cache = slideCachePath(appDir);
    const std::string indexPath = settingsIndexPath(appDir);
    ::unlink(indexPath.c_str());
    SettingsIndex index;
    const FileProducer cachePieces = [&state](const ByteSink &sink) {
        slideCachePieces(state.paragraphText, state.scrollMap, sink);
    };
    PreparedFile preparedCache;
    std::jthread cacheWriter;
    if (scrollTextChanged) {
        try {
            // The old cache is gone by the rename, so the new one keeps its temporary's
            // mode, as a cache written after the removal does.
            cacheWriter = std::jthread(
                [&] { preparedCache = prepareFile(cache, cachePieces, std::nullopt, false); });
        } catch (const std::system_error &) {
            // No thread to be had: the cache is written after settings.ini instead.
        }
    }
    result.settingsWritten = writeFileDurably(
        settings,
        [&](const ByteSink &sink) {
            SettingsHashing hashing;
            writeSettingsPieces(
                data, state.paragraphText, state.lineEnds,
                [&](std::string_view piece) {
                    hashing.add(piece);
                    sink(piece);
                },
                &index.layout);
            index.hash = hashing.hash();
        },
        std::nullopt, &result.error);
    const bool cachePrepared = cacheWriter.joinable();
    if (cachePrepared)
        cacheWriter.join();
    if (!result.settingsWritten) {
        dropFile(preparedCache);
        result.failedPath = settings;
        return result;
    }
    // Without its index the next start reads settings.ini whole, as it always could.
    result.indexWritten = writeFileDurably(indexPath, settingsIndexBytes(index));
    if (!scrollTextChanged) {
        result.cacheWritten = true;
        return result;
    }
    if (::unlink(cache.c_str()) == 0)
        syncFolder(std::string(appDir));
    if (cachePrepared) {
        int reason = 0;
        WriteOutcome outcome = commitFile(preparedCache, cache, reason);
        if (outcome == WriteOutcome::TemporaryTaken) {
            reason = 0;
            outcome = writeOnce(cache, cachePieces, std::nullopt, reason);
        }
        result.cacheWritten = outcome == WriteOutcome::Written;
        result.error = result.cacheWritten ? 0 : (reason != 0 ? reason : EIO);
    } else {
        result.cacheWritten = writeFileDurably(cache, cachePieces, std::nullopt, &result.error);
    }
    if (!result.cacheWritten)
        result.failedPath = cache;
    return result;
}

std::string settingsBackupPath(std::string_view appDir)
{
    return settingsFilePath(appDir) + ".bak";
}

SettingsBackup keepSettingsBackup(std::string_view appDir, int *error)
{
    const std::string path = settingsFilePath(appDir);
    ReadFailure failure = ReadFailure::None;
    const auto bytes = readFile(path, &failure, kNoSizeLimit, LinkPolicy::Refuse);
    if (failure == ReadFailure::SymbolicLink)
        return SettingsBackup::RefusedLink;
    if (!bytes) {
        if (!fileExists(path))
            return SettingsBackup::NothingToKeep;
        if (error)
            *error = failure == ReadFailure::CannotOpen ? EACCES : EIO;
        return SettingsBackup::Failed;
    }
    // The backup is as private as the file it keeps, not as the backup it replaces.
    struct stat st
    {
    };
    const std::optional<mode_t> mode =
        ::lstat(path.c_str(), &st) == 0 ? std::optional<mode_t>(st.st_mode & 0777) : std::nullopt;
    return writeFileDurably(settingsBackupPath(appDir), *bytes, mode, error)
               ? SettingsBackup::Kept
               : SettingsBackup::Failed;
}

SlideCacheMatch::SlideCacheMatch(const std::string &path, const BookText &paragraphText)
    : m_matcher(paragraphText)
{
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return;
    struct stat info
    {
    };
    char last[2] = {};
    // A whole Slide.cache ends with the CR LF after the scroll text; anything else was cut
    // off or is no Slide.cache.
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 2 ||
        ::pread(m_fd, last, 2, info.st_size - 2) != 2 || last[0] != '\r' || last[1] != '\n') {
        finish(false);
        return;
    }
    m_textEnd = info.st_size - 2;
    m_bytes.resize(kSlidePiece);
}

SlideCacheMatch::~SlideCacheMatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SlideCacheMatch::step(size_t budget)
{
    for (size_t read = 0; !done() && read < std::max<size_t>(budget, 1);) {
        if (m_at >= m_textEnd) {
            finish(true);
            break;
        }
        const auto want = static_cast<size_t>(std::min<int64_t>(m_textEnd - m_at, kSlidePiece));
        const ssize_t got = ::pread(m_fd, m_bytes.data(), want, m_at);
        if (got <= 0) {
            finish(false);
            break;
        }
        m_at += got;
        read += static_cast<size_t>(got);
        m_piece.clear();
        m_decoder.decode(std::string_view(m_bytes.data(), static_cast<size_t>(got)),
                         m_at >= m_textEnd, m_piece);
        if (!m_matcher.feed(m_piece))
            finish(false);
    }
    return done();
}

void SlideCacheMatch::finish(bool whole)
{
    if (whole)
        m_map = m_matcher.finish();
    ::close(m_fd);
    m_fd = -1;
    m_bytes = {};
    m_piece = {};
}

int cleanStaleTemporaries(std::string_view appDir)
{
    const std::string folder(appDir);
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        const auto target = temporaryOf(name);
        const bool sessionFile =
            target && (*target == "settings.ini" || *target == "Slide.cache" ||
                       *target == "settings.ini.bak" || *target == "settings.index");
        const bool markFile = target && endsWith(*target, ".mark");
        if (!sessionFile && !markFile)
            continue;
        const std::string path = folder + "/" + std::string(name);
        // Whatever stands under the name is opened without waiting: a FIFO would block
        // the open until a writer came, and start-up with it. Only a file is removed.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held
        {
        }, named{};
        const bool stale =
            ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            (sessionFile || std::time(nullptr) - held.st_mtime >= kMarkTemporaryAge) &&
            ::lstat(path.c_str(), &named) == 0 && named.st_ino == held.st_ino &&
            named.st_dev == held.st_dev;
        if (stale && ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    if (removed > 0)
        syncFolder(folder);
    return removed;
}

} // namespace tibbo::core
