#!/bin/sh
# Installs what is missing, builds Tavlin (optimised) when needed and starts it.
# Arguments are passed on: `scripts/run.sh convert bookmarks.html -o out.htm`.
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ ! -f build/release/build.ninja ]; then
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVLIN_TESTS=OFF -DTAVLIN_BENCH=OFF >/dev/null
fi
cmake --build build/release --target tavlin -j2
exec build/release/tavlin "$@"
