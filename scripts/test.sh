#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the whole suite (core, link, database, windows) in build/;
#   2. the core suites again under the address and undefined-behaviour sanitizers;
#   3. each fuzz target for a few seconds (FUZZ_SECONDS, default 10).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
bash scripts/install-deps.sh

echo "== build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")

echo "== sanitizers"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_SANITIZE=ON -DQUORVANE_BUILD_UI=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs")

echo "== fuzz smoke"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_FUZZ=ON -DQUORVANE_BUILD_UI=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$jobs"
seconds=${FUZZ_SECONDS:-10}
shopt -s nullglob
for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    corpus=$(mktemp -d)
    echo "-- $(basename "$target") for ${seconds}s"
    "$target" -max_total_time="$seconds" -max_len=20000 -rss_limit_mb=2048 "$corpus" >"$corpus.log" 2>&1 || {
        tail -n 40 "$corpus.log"; echo "fuzz target $(basename "$target") failed"; exit 1; }
    tail -n 1 "$corpus.log"
    rm -rf "$corpus" "$corpus.log"
done

echo "== every test passed"
