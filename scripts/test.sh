#!/bin/sh
# Installs what is missing, builds everything with ASan and UBSan, runs every test,
# then builds the fuzz targets with clang and runs each one briefly.
# FUZZ_SECONDS sets the length of each fuzz run (default 20; 0 skips fuzzing).
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
JOBS=${JOBS:-2}
if [ ! -f build/test/build.ninja ]; then
    cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVLIN_SANITIZE=ON
fi
cmake --build build/test -j"$JOBS"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$(pwd)/tests/lsan.supp
(cd build/test && ctest --output-on-failure -j"$JOBS" --timeout 600)
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
