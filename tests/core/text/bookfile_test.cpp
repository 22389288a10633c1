// Files that are not books: the reader refuses them with a reason instead of hanging on
// a FIFO or reading a device without end.
#include "referencebook.h"
#include "text/fileio.h"
#include "text/plaintext.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace tibbo::core::test;

using namespace tibbo::core;

namespace {

class TempDir
{
  public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "books-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::string file(const char *name, const std::string &bytes) const
    {
        const std::string path = m_path + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    const std::string &path() const { return m_path; }

  private:
    std::string m_path;
};

} // namespace

TEST(BookFile, notARegularFile_isRefusedWithItsReason)
{
    TempDir dir;
    struct Row
    {
        const char *name;
        std::string path;
        ReadFailure failure;
    };
    const Row rows[] = {
        {"a device", "/dev/null", ReadFailure::NotRegularFile},
        {"a folder", dir.path(), ReadFailure::NotRegularFile},
        {"a missing file", dir.path() + "/missing.txt", ReadFailure::CannotOpen},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ReadFailure failure = ReadFailure::None;
        EXPECT_FALSE(readBook(row.path, &failure));
        EXPECT_EQ(failure, row.failure);
    }
    ReadFailure failure = ReadFailure::CannotRead;
    EXPECT_EQ(readBook(dir.file("a.txt", "ab\r\n"), &failure), U"ab\r\n");
    EXPECT_EQ(failure, ReadFailure::None);
}

TEST(BookFile, fifoWithoutWriter_isRefusedAtOnce)
{
    TempDir dir;
    const std::string fifo = dir.path() + "/book.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ReadFailure failure = ReadFailure::None;
    auto reading = std::async(std::launch::async, [&] { return readBook(fifo, &failure); });
    if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "opening a FIFO blocked";
        // Let the blocked open go on so the test can end.
        ::close(::open(fifo.c_str(), O_WRONLY));
    }
    EXPECT_FALSE(reading.get());
    EXPECT_EQ(failure, ReadFailure::NotRegularFile);
}

TEST(BookFile, sizeLimit)
{
    TempDir dir;
    struct Row
    {
        const char *name;
        size_t bytes;
        int64_t limit;
        ReadFailure failure;
    };
    const Row rows[] = {
        {"at the limit", 10, 10, ReadFailure::None},
        {"one byte over", 11, 10, ReadFailure::TooLarge},
        {"empty", 0, 0, ReadFailure::None},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ReadFailure failure = ReadFailure::CannotRead;
        const auto bytes =
            readFile(dir.file("f", std::string(row.bytes, 'a')), &failure, row.limit);
        EXPECT_EQ(failure, row.failure);
        EXPECT_EQ(bytes.has_value(), row.failure == ReadFailure::None);
    }
    // A book one byte past the reader's limit, as a sparse file: refused before reading.
    const std::string big = dir.path() + "/big.txt";
    const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kMaxBookBytes + 1), 0);
    ::close(fd);
    ReadFailure failure = ReadFailure::None;
    EXPECT_FALSE(readBook(big, &failure));
    EXPECT_EQ(failure, ReadFailure::TooLarge);
}

TEST(BookFile, everyRefusal_hasItsOwnMessage)
{
    // The window shows these; a device and an oversized file must not be reported as a
    // missing file.
    const auto missing = bookRefusedMessage(ReadFailure::CannotOpen);
    EXPECT_NE(bookRefusedMessage(ReadFailure::NotRegularFile), missing);
    EXPECT_NE(bookRefusedMessage(ReadFailure::TooLarge), missing);
    EXPECT_NE(bookRefusedMessage(ReadFailure::TooLarge),
              bookRefusedMessage(ReadFailure::NotRegularFile));
    EXPECT_EQ(bookRefusedMessage(ReadFailure::CannotRead), missing);
}
