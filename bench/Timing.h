// The median wall time of a piece of work, for the plain timing programs.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace pim::bench {

inline double MedianMs(int runs, const std::function<void()>& work) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace pim::bench
