#include "text/fileio.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace tibbo::core {

namespace {

std::optional<std::string> refuse(ReadFailure *failure, ReadFailure why, int fd = -1)
{
    if (fd >= 0)
        ::close(fd);
    if (failure)
        *failure = why;
    return std::nullopt;
}

} // namespace

std::optional<std::string> readFile(const std::string &path, ReadFailure *failure, int64_t maxBytes,
                                    LinkPolicy links)
{
    if (failure)
        *failure = ReadFailure::None;
    // O_NONBLOCK: opening a FIFO must not wait for a writer. It changes nothing for the
    // regular files that are read below.
    const int noFollow = links == LinkPolicy::Refuse ? O_NOFOLLOW : 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | noFollow);
    if (fd < 0)
        return refuse(failure, errno == ELOOP && noFollow ? ReadFailure::SymbolicLink
                                                          : ReadFailure::CannotOpen);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return refuse(failure, ReadFailure::CannotRead, fd);
    if (!S_ISREG(st.st_mode))
        return refuse(failure, ReadFailure::NotRegularFile, fd);
    if (st.st_size > maxBytes)
        return refuse(failure, ReadFailure::TooLarge, fd);
    std::string data;
    data.reserve(static_cast<size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return refuse(failure, ReadFailure::CannotRead, fd);
        }
        // A file that grows while it is read is held to the same limit.
        if (static_cast<int64_t>(data.size()) > maxBytes - n)
            return refuse(failure, ReadFailure::TooLarge, fd);
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

std::optional<FilePieces> FilePieces::open(const std::string &path, ReadFailure *failure,
                                           int64_t maxBytes)
{
    if (failure)
        *failure = ReadFailure::None;
    const auto refused = [failure](ReadFailure why, int fd) -> std::optional<FilePieces> {
        refuse(failure, why, fd);
        return std::nullopt;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return refused(ReadFailure::CannotOpen, -1);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return refused(ReadFailure::CannotRead, fd);
    if (!S_ISREG(st.st_mode))
        return refused(ReadFailure::NotRegularFile, fd);
    if (st.st_size > maxBytes)
        return refused(ReadFailure::TooLarge, fd);
    return FilePieces(fd, st.st_size);
}

FilePieces::FilePieces(FilePieces &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(other.m_size)
{
}

FilePieces::~FilePieces()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

// A file that shrinks while it is read ends early (a short read is a failure); one that
// grows is read to the size it had when it was opened.
int64_t FilePieces::readAt(int64_t at, char *into, size_t count) const
{
    const auto want =
        static_cast<size_t>(std::min<int64_t>(m_size - at, static_cast<int64_t>(count)));
    for (;;) {
        const ssize_t n = ::pread(m_fd, into, want, at);
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

std::optional<MappedFile> MappedFile::open(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    const auto size = static_cast<size_t>(st.st_size);
    void *data = size == 0 ? nullptr : ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (data == MAP_FAILED)
        return std::nullopt;
    if (data)
        ::madvise(data, size, MADV_SEQUENTIAL);
    return MappedFile(static_cast<const char *>(data), size);
}

MappedFile::MappedFile(MappedFile &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0))
{
}

MappedFile::~MappedFile()
{
    if (m_data)
        ::munmap(const_cast<char *>(m_data), m_size);
}

void MappedFile::release(size_t offset)
{
    static const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t end = std::min(offset, m_size) / page * page;
    const size_t begin = end > kStretchBehind ? end - kStretchBehind : 0;
    if (!m_data || end <= begin)
        return;
    ::madvise(const_cast<char *>(m_data) + begin, end - begin, MADV_DONTNEED);
}

bool writeFileAtomically(const std::string &path, std::string_view bytes)
{
    std::string tmp = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return false;
    bool ok = true;
    const char *p = bytes.data();
    size_t left = bytes.size();
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    ok = ok && giveReplacedMode(fd, path);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(tmp.c_str());
    return ok;
}

bool giveReplacedMode(int fd, const std::string &path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return true;
    return ::fchmod(fd, st.st_mode & 0777) == 0;
}

bool fileExists(const std::string &path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string fileNameOf(std::string_view path)
{
    const size_t cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

} // namespace tibbo::core
