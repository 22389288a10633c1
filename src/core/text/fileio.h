#pragma once
// Whole-file reading and writing. Every file the program writes is written whole to a
// temporary file in the same folder and renamed over the old one, so a crash, a kill
// or a full disk during the write leaves the previous file whole.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core {

// Why readFile gave nothing.
enum class ReadFailure {
    None,
    CannotOpen,     // missing, or not readable by this user
    NotRegularFile, // a folder, a device such as /dev/zero, a FIFO, a socket
    TooLarge,       // more bytes than the caller can hold
    CannotRead,     // an input/output error while reading
    SymbolicLink,   // a link, where links are refused (LinkPolicy::Refuse)
};

enum class LinkPolicy {
    Follow,
    // A file that may be copied where others can read it is read only when it is no link:
    // the copy would otherwise show whatever file the link leads to.
    Refuse,
};

inline constexpr int64_t kNoSizeLimit = std::numeric_limits<int64_t>::max();

// The file's bytes, or nothing when it cannot be opened or read, is not a regular file,
// or holds more than maxBytes; `failure`, when given, says which. Opening never blocks
// (a FIFO without a writer is refused at once, not waited on) and reading never runs
// without end (a device like /dev/zero is refused before its first byte).
std::optional<std::string> readFile(const std::string &path, ReadFailure *failure = nullptr,
                                    int64_t maxBytes = kNoSizeLimit,
                                    LinkPolicy links = LinkPolicy::Follow);

// A file read a piece at a time, so that a large one is never held whole. Refused for
// the same reasons as readFile, with the same guarantees on opening.
class FilePieces
{
  public:
    static std::optional<FilePieces> open(const std::string &path, ReadFailure *failure = nullptr,
                                          int64_t maxBytes = kNoSizeLimit);
    FilePieces(FilePieces &&other) noexcept;
    FilePieces &operator=(FilePieces &&) = delete;
    ~FilePieces();

    int64_t size() const { return m_size; }
    // Hands the file to `piece` in pieces of up to pieceSize bytes, from the start;
    // false when reading failed (the pieces handed so far were read well).
    template <typename F> bool forEachPiece(size_t pieceSize, F &&piece) const
    {
        std::string buffer(pieceSize, '\0');
        for (int64_t at = 0; at < m_size;) {
            const int64_t got = readAt(at, buffer.data(), pieceSize);
            if (got <= 0)
                return false;
            at += got;
            piece(std::string_view(buffer.data(), static_cast<size_t>(got)), at >= m_size);
        }
        return true;
    }
    // Reads up to count bytes from offset `at` into `into`: how many, 0 at the end of the
    // file, -1 on an error.
    int64_t readAt(int64_t at, char *into, size_t count) const;

  private:
    FilePieces(int fd, int64_t size) : m_fd(fd), m_size(size) {}

    int m_fd = -1;
    int64_t m_size = 0;
};

// A file mapped into memory for one pass from start to end: the pages already read can
// be given back, so a large file never stays resident whole. Only for files that are
// replaced by a rename, never cut in place (a mapping of a file that shrinks faults).
class MappedFile
{
  public:
    static std::optional<MappedFile> open(const std::string &path);
    MappedFile(MappedFile &&other) noexcept;
    MappedFile &operator=(MappedFile &&) = delete;
    ~MappedFile();

    std::string_view bytes() const { return {m_data, m_size}; }
    // A pass has got to `offset`: the pages of the last stretch before it leave memory.
    // A pass that reads bytes again (a line's end looked for, then the line decoded)
    // gives them back again as it passes them a second time; a mapped page that is read
    // again comes back from the page cache.
    void release(size_t offset);

  private:
    // How far behind a pass's offset its pages are given back: more than a pass goes
    // between two reports.
    static constexpr size_t kStretchBehind = size_t{8} << 20;

    MappedFile(const char *data, size_t size) : m_data(data), m_size(size) {}
    const char *m_data = nullptr;
    size_t m_size = 0;
};

// Writes bytes to path through a temporary file and a rename; false when anything
// failed, in which case the old file is untouched and no temporary file is left. The
// file gets the mode giveReplacedMode gives it.
bool writeFileAtomically(const std::string &path, std::string_view bytes);

// Gives fd, the temporary file that is about to be renamed over path, the permission
// bits of the file at path (through a link, of the file it leads to), so a user's
// choice (chmod 600, a shared group) outlives the write. A new file keeps the mode it
// was made with: mkstemp's 0600, less what the umask takes. False when fchmod failed.
bool giveReplacedMode(int fd, const std::string &path);

bool fileExists(const std::string &path);

// The part of a path after its last "/" or "\" (the whole path when it has neither).
std::string fileNameOf(std::string_view path);

} // namespace tibbo::core
