#pragma once
// Whole-file reading and writing. Every file the program writes is written whole to a
// temporary file in the same folder and renamed over the old one, so a crash, a kill
// or a full disk during the write leaves the previous file whole.

#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core {

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<std::string> readFile(const std::string &path);

// Writes bytes to path through a temporary file and a rename; false when anything
// failed, in which case the old file is untouched and no temporary file is left.
bool writeFileAtomically(const std::string &path, std::string_view bytes);

bool fileExists(const std::string &path);

// The part of a path after its last "/" or "\" (the whole path when it has neither).
std::string fileNameOf(std::string_view path);

} // namespace tibbo::core
