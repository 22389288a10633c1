#pragma once
// The yardstick of the benchmarks: the whole file decoded from GB18030 by iconv alone,
// the least any reader of the book has to do.

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>

namespace tibbo::bench {

// Best of three, milliseconds; an invalid byte is passed over as one character.
inline double iconvDecodeMs(const std::string &bytes)
{
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        const auto t0 = std::chrono::steady_clock::now();
        std::u32string out(bytes.size() + 1, U'\0');
        iconv_t cd = iconv_open("UTF-32LE", "GB18030");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return 0;
        char *in = const_cast<char *>(bytes.data());
        size_t inLeft = bytes.size();
        char *to = reinterpret_cast<char *>(out.data());
        size_t outLeft = out.size() * sizeof(char32_t);
        while (inLeft > 0 && iconv(cd, &in, &inLeft, &to, &outLeft) == static_cast<size_t>(-1)) {
            if (errno != EILSEQ && errno != EINVAL)
                break;
            ++in;
            --inLeft;
            *reinterpret_cast<char32_t *>(to) = U'\uFFFD';
            to += sizeof(char32_t);
            outLeft -= sizeof(char32_t);
        }
        iconv_close(cd);
        best = std::min(
            best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                      .count());
    }
    return best;
}

} // namespace tibbo::bench
