#pragma once
// What the fuzz harnesses share: a failed property ends the run as a crash does, with
// the reason, so libFuzzer keeps the input that broke it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace tibbo::fuzz {

inline std::string_view bytesOf(const uint8_t *data, size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

} // namespace tibbo::fuzz
