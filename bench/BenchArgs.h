#pragma once
#include <algorithm>
#include <cstdlib>
#include <cstring>

// The arguments the timed-command benchmarks share: --runs N and --skip-large.
struct BenchArgs {
    int runs;
    bool skipLarge = false;
};

inline BenchArgs parseBenchArgs(int argc, char** argv, int defaultRuns) {
    BenchArgs args{defaultRuns};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            args.runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--skip-large") == 0) {
            args.skipLarge = true;
        }
    }
    return args;
}
