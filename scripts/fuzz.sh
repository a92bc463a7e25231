#!/usr/bin/env bash
# Runs every fuzz target in turn, one core each:
#   bash scripts/fuzz.sh [SECONDS]          each target SECONDS (default 600) on its
#                                           committed seeds (fuzz/corpus/<target>/) plus a
#                                           working copy kept in build-fuzz/corpus-work/<target>/
#   bash scripts/fuzz.sh --smoke [SECONDS]  the same (default 10 s) on a temporary working
#                                           copy, removed afterwards (scripts/test.sh, CI)
# Builds the targets in build-fuzz/ (clang) when needed. Prints each target's runs
# per second and the coverage it reached. Stops, exit status 1, at the first
# crash, leak, undefined behaviour, hang or memory blow-up, and says where the
# input that caused it is saved (build-fuzz/crashes/). The committed seeds are
# never written to.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=0
if [ "${1:-}" = "--smoke" ]; then
    smoke=1
    shift
fi
seconds=${1:-$([ "$smoke" = 1 ] && echo 10 || echo 600)}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]] || [ $# -gt 1 ]; then
    echo "usage: bash scripts/fuzz.sh [--smoke] [SECONDS]" >&2
    exit 2
fi
for tool in clang clang++ cmake; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: bash scripts/install-deps.sh" >&2; exit 2; }
done

build=build-fuzz
targets=()
for src in fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$src" .cpp)")
done

echo "-- building ${targets[*]} in $build/"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_FUZZ=ON -DQUORVANE_BUILD_UI=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >"$build/fuzz-build.log" 2>&1 || {
    tail -n 40 "$build/fuzz-build.log"; echo "building the fuzz targets failed (log: $build/fuzz-build.log)"; exit 1; }

crashes=$build/crashes
logs=$build/fuzz-logs
mkdir -p "$crashes" "$logs"
# Undefined behaviour is fatal, as a crash is; the sanitizers print where.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
scratch=""
trap 'if [ -n "$scratch" ]; then rm -rf "$scratch"; fi' EXIT

for target in "${targets[@]}"; do
    seeds=fuzz/corpus/$target
    if [ ! -d "$seeds" ]; then
        echo "$target has no seed corpus ($seeds/): make one with $build/fuzz/make_fuzz_corpus fuzz/corpus" >&2
        exit 1
    fi
    if [ "$smoke" = 1 ]; then
        scratch=$(mktemp -d)
        work=$scratch
        cp "$seeds"/* "$work"/
        folders=("$work")
    else
        work=$build/corpus-work/$target
        mkdir -p "$work"
        # New and reduced inputs go to the first folder only: the working copy.
        folders=("$work" "$seeds")
    fi
    # Inputs grow up to the largest seed, or 4096 bytes. A checker of 64
    # entries meets every case its folder holds (five record files, missing
    # ones, repeats, wrong sums); longer ones only cost a look-up per entry.
    limit=()
    case $target in
        fuzz_checker) limit=(-max_len=384) ;;
    esac
    log=$logs/$target.log
    [ "$seconds" -ge 60 ] && echo "-- $target for ${seconds}s (log: $log)"
    status=0
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
        "${limit[@]}" -artifact_prefix="$crashes/$target-" "${folders[@]}" >"$log" 2>&1 || status=$?

    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        saved=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
        echo "fuzz target $target failed (whole log: $log)"
        if [ -n "$saved" ]; then
            echo "the input is saved in $saved; replay it with: $build/fuzz/$target $saved"
        fi
        exit 1
    fi
    start=$(grep -m1 -E '^#[0-9]+[[:space:]]+INITED' "$log" | sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\).*/\1 \2/p')
    end=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 | sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\).*/\1 \2/p')
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    added=$(sed -n 's/^stat::new_units_added: *//p' "$log")
    read -r cov0 ft0 <<<"${start:-0 0}"
    read -r cov1 ft1 <<<"${end:-0 0}"
    echo "$target: ${seconds}s, ${runs:-?} runs, ${rate:-?} runs/s; coverage $cov0 -> $cov1 edges" \
         "(+$((cov1 - cov0))), features $ft0 -> $ft1 (+$((ft1 - ft0))); ${added:-0} new inputs"
    if [ "$smoke" = 1 ]; then
        rm -rf "$scratch"
        scratch=""
    fi
done
if [ "$smoke" = 0 ]; then
    echo "working corpora: $build/corpus-work/ (copy an input worth keeping into fuzz/corpus/<target>/)"
fi
