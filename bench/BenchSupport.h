#pragma once
// What the benchmark programs share.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <vector>

namespace bench {

// The fastest of `runs` runs, in milliseconds.
inline double bestOf(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best,
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// The sizes the command line names, or the defaults when it names none.
inline std::vector<int> sizesFrom(int argc, char** argv, std::vector<int> defaults) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::atoi(argv[i]));
    }
    return sizes.empty() ? defaults : sizes;
}

} // namespace bench
