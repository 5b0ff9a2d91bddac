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
(cd build/test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$JOBS")
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
