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
};

inline constexpr int64_t kNoSizeLimit = std::numeric_limits<int64_t>::max();

// The file's bytes, or nothing when it cannot be opened or read, is not a regular file,
// or holds more than maxBytes; `failure`, when given, says which. Opening never blocks
// (a FIFO without a writer is refused at once, not waited on) and reading never runs
// without end (a device like /dev/zero is refused before its first byte).
std::optional<std::string> readFile(const std::string &path, ReadFailure *failure = nullptr,
                                    int64_t maxBytes = kNoSizeLimit);

// Writes bytes to path through a temporary file and a rename; false when anything
// failed, in which case the old file is untouched and no temporary file is left.
bool writeFileAtomically(const std::string &path, std::string_view bytes);

bool fileExists(const std::string &path);

// The part of a path after its last "/" or "\" (the whole path when it has neither).
std::string fileNameOf(std::string_view path);

} // namespace tibbo::core
