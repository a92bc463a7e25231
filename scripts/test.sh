#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the whole suite (core, link, database, server store, windows) in build/;
#   2. the core suites and the server store's again under the address and
#      undefined-behaviour sanitizers;
#   3. each fuzz target for a few seconds (FUZZ_SECONDS, default 10) from its seed corpus.
# The server store's tests run against a throwaway PostgreSQL cluster in each
# build folder (BUILD/pg-test), which ctest starts and stops around them.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
bash scripts/install-deps.sh

# A run broken off leaves no server running: ctest stops its cluster only
# when it gets to its end, and a test that died leaves its own behind.
stop_test_clusters() {
    for dir in build/pg-test build/pg-test-stop-* build-asan/pg-test build-asan/pg-test-stop-* build/demo-check/pg; do
        [ -e "$dir" ] && bash scripts/pg-cluster.sh stop "$dir"
    done
    return 0
}
trap stop_test_clusters EXIT

echo "== build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")

echo "== sanitizers"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_SANITIZE=ON -DQUORVANE_BUILD_UI=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs")

echo "== fuzz smoke"
# Each target for FUZZ_SECONDS on a temporary copy of its seeds (fuzz/corpus/).
bash scripts/fuzz.sh --smoke "${FUZZ_SECONDS:-10}"

echo "== every test passed"
