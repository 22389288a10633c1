#pragma once
// The clock every benchmark reads its figures from.

#include <algorithm>
#include <chrono>

namespace tibbo::bench {

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Best of n runs, so a busy machine does not inflate a figure.
template <typename F> double bestOf(int n, F &&f)
{
    double best = 1e300;
    for (int i = 0; i < n; ++i) {
        const auto t0 = Clock::now();
        f();
        best = std::min(best, msSince(t0));
    }
    return best;
}

} // namespace tibbo::bench
