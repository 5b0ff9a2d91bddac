#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for the given number of
# seconds (default 20) over its corpus in fuzz/corpus/<target>. A finding fails.
# A second argument limits the run to one target: scripts/fuzz.sh 600 fuzz_bookmarks
set -e
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-20}
ONLY=${2:-}
[ "$SECONDS_EACH" = 0 ] && exit 0
# Builds are serialised (several engineers may fuzz at once); runs are not.
mkdir -p build
(
    flock 9
    if [ ! -f build/fuzz/build.ninja ]; then
        CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVLIN_FUZZ=ON
    fi
    cmake --build build/fuzz -j"${JOBS:-2}" ${ONLY:+--target "$ONLY"}
) 9>build/.fuzz-build.lock
for exe in build/fuzz/fuzz/fuzz_*; do
    [ -x "$exe" ] || continue
    name=$(basename "$exe")
    if [ -n "$ONLY" ] && [ "$ONLY" != "$name" ]; then continue; fi
    seeds=fuzz/corpus/$name
    work=build/fuzz/corpus/$name
    mkdir -p "$work" build/fuzz/artifacts
    echo "== $name: ${SECONDS_EACH}s"
    log=build/fuzz/$name.log
    if ! "$exe" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -max_len=1048576 \
        -artifact_prefix=build/fuzz/artifacts/"$name"- "$work" $( [ -d "$seeds" ] && echo "$seeds" ) >"$log" 2>&1; then
        tail -60 "$log"
        echo "fuzz target $name found a fault (input in build/fuzz/artifacts/)"
        exit 1
    fi
    tail -1 "$log"
done
