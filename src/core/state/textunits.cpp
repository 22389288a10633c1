#include "state/textunits.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace tibbo::core {

namespace {

std::mutex folderLock;
std::string textFolder;

std::string currentTextFolder()
{
    std::lock_guard lock(folderLock);
    return textFolder;
}

size_t pageBytes()
{
    static const size_t bytes = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return bytes;
}

size_t roundUpToPage(size_t bytes)
{
    const size_t page = pageBytes();
    return (bytes + page - 1) / page * page;
}

bool keptInMemory(long fileSystem)
{
    return fileSystem == TMPFS_MAGIC || fileSystem == RAMFS_MAGIC;
}

// Gives the file `bytes` of room that is its own on the disk, so writing a page of the
// mapping never finds the disk full (which the kernel could only answer with SIGBUS).
bool makeRoom(int file, size_t bytes)
{
    int result;
    do
        result = fallocate(file, 0, 0, static_cast<off_t>(bytes));
    while (result != 0 && errno == EINTR);
    return result == 0;
}

// An unnamed file in the text folder with `bytes` of room, or -1.
int makeTextFile(size_t bytes)
{
    const std::string folder = currentTextFolder();
    if (folder.empty())
        return -1;
    int file = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (file < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A file system without unnamed files: a named one, unlinked at once.
        std::string name = folder + "/.text-XXXXXX";
        file = mkostemp(name.data(), O_CLOEXEC);
        if (file >= 0)
            unlink(name.c_str());
    }
    if (file < 0)
        return -1;
    if (!makeRoom(file, bytes)) {
        close(file);
        return -1;
    }
    return file;
}

} // namespace

bool setTextFolder(const std::string &folder)
{
    bool usable = true;
    if (!folder.empty()) {
        struct statfs about
        {
        };
        usable = statfs(folder.c_str(), &about) == 0 && !keptInMemory(about.f_type);
    }
    std::lock_guard lock(folderLock);
    textFolder = usable ? folder : std::string();
    return usable;
}

template <typename Unit> TextUnits<Unit>::TextUnits(const TextUnits &other)
{
    reserve(other.m_size);
    if (other.m_size)
        std::memcpy(extend(other.m_size), other.m_data, other.m_size * sizeof(Unit));
}

template <typename Unit> TextUnits<Unit> &TextUnits<Unit>::operator=(const TextUnits &other)
{
    if (this != &other) {
        TextUnits copy(other);
        *this = std::move(copy);
    }
    return *this;
}

template <typename Unit>
TextUnits<Unit>::TextUnits(TextUnits &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0)),
      m_mappedBytes(std::exchange(other.m_mappedBytes, 0)), m_file(std::exchange(other.m_file, -1))
{
}

template <typename Unit> TextUnits<Unit> &TextUnits<Unit>::operator=(TextUnits &&other) noexcept
{
    if (this != &other) {
        free();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_mappedBytes = std::exchange(other.m_mappedBytes, 0);
        m_file = std::exchange(other.m_file, -1);
    }
    return *this;
}

template <typename Unit> TextUnits<Unit>::~TextUnits()
{
    free();
}

template <typename Unit> void TextUnits<Unit>::free()
{
    if (m_data)
        munmap(m_data, m_mappedBytes);
    if (m_file >= 0)
        close(m_file);
    m_data = nullptr;
    m_size = m_capacity = m_mappedBytes = 0;
    m_file = -1;
}

template <typename Unit> void TextUnits<Unit>::clear()
{
    free();
}

template <typename Unit> void TextUnits<Unit>::reserve(size_t units)
{
    if (units <= m_capacity)
        return;
    const bool toFile = m_file >= 0 || units * sizeof(Unit) >= kTextFileBytes;
    if (!moveTo(units, toFile))
        throw std::bad_alloc();
}

template <typename Unit> void TextUnits<Unit>::grow(size_t units)
{
    const size_t least = pageBytes() / sizeof(Unit);
    reserve(std::max({units, m_capacity * 2, least}));
}

template <typename Unit> Unit *TextUnits<Unit>::extend(size_t count)
{
    if (count > m_capacity - m_size)
        grow(m_size + count);
    Unit *added = m_data + m_size;
    m_size += count;
    return added;
}

template <typename Unit> void TextUnits<Unit>::append(const Unit *units, size_t count)
{
    if (count == 0)
        return;
    if (count > m_capacity - m_size)
        grow(m_size + count);
    if (m_file >= 0) {
        const auto *bytes = reinterpret_cast<const char *>(units);
        size_t left = count * sizeof(Unit);
        auto at = static_cast<off_t>(m_size * sizeof(Unit));
        while (left > 0) {
            const ssize_t put = pwrite(m_file, bytes, left, at);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                break;
            bytes += put;
            left -= static_cast<size_t>(put);
            at += put;
        }
        // The file's room was taken when it was made, so a write does not fail for want of
        // it; whatever the file did not take goes in through the mapping.
        if (left > 0)
            std::memcpy(reinterpret_cast<char *>(m_data) + at, bytes, left);
        m_size += count;
        return;
    }
    std::memcpy(extend(count), units, count * sizeof(Unit));
}

template <typename Unit> bool TextUnits<Unit>::moveTo(size_t units, bool toFile)
{
    const size_t bytes = roundUpToPage(std::max<size_t>(units, 1) * sizeof(Unit));
    // Room of the same kind grows or shrinks where it is; the kernel moves the pages.
    if (m_data && toFile == (m_file >= 0)) {
        if (m_file >= 0 && bytes > m_mappedBytes && !makeRoom(m_file, bytes))
            return moveTo(units, false);
        void *moved = mremap(m_data, m_mappedBytes, bytes, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED)
            return false;
        if (m_file >= 0 && bytes < m_mappedBytes)
            (void)ftruncate(m_file, static_cast<off_t>(bytes));
        m_data = static_cast<Unit *>(moved);
        m_mappedBytes = bytes;
        m_capacity = bytes / sizeof(Unit);
        return true;
    }
    int file = toFile ? makeTextFile(bytes) : -1;
    void *room = file >= 0 ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0)
                           : mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (room == MAP_FAILED && file >= 0) {
        close(file);
        file = -1;
        room = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    }
    if (room == MAP_FAILED)
        return false;
    const size_t keep = std::min(m_size, bytes / sizeof(Unit));
    if (keep)
        std::memcpy(room, m_data, keep * sizeof(Unit));
    free();
    m_data = static_cast<Unit *>(room);
    m_size = keep;
    m_mappedBytes = bytes;
    m_capacity = bytes / sizeof(Unit);
    m_file = file;
    return true;
}

template <typename Unit> void TextUnits<Unit>::trimRoom()
{
    if (m_size == 0) {
        free();
        return;
    }
    if (roundUpToPage(m_size * sizeof(Unit)) < m_mappedBytes)
        moveTo(m_size, m_file >= 0);
}

template <typename Unit> void TextUnits<Unit>::release(size_t from, size_t to) const
{
    if (m_file < 0)
        return;
    to = std::min(to, m_size);
    if (from >= to)
        return;
    const size_t page = pageBytes();
    const size_t begin = roundUpToPage(from * sizeof(Unit));
    const size_t end = to * sizeof(Unit) / page * page;
    if (end > begin)
        madvise(reinterpret_cast<char *>(m_data) + begin, end - begin, MADV_DONTNEED);
}

template class TextUnits<char16_t>;
template class TextUnits<char32_t>;

} // namespace tibbo::core
