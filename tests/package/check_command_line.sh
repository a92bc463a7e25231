#!/usr/bin/env bash
# The three programs answer --help and --version as command-line programs do:
# on standard output, with status 0, and the application without opening a
# window or needing a display.
#
#   check_command_line.sh BUILD_DIR VERSION
set -euo pipefail

build=$1
version=$2
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# No display of any kind: a program that tried to open a window would fail.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

answer() {  # answer PROGRAM ARG: its standard output; fails on a non-zero status
    local out status=0
    out=$("$build/$1" "$2" 2>/dev/null) || status=$?
    [ "$status" -eq 0 ] || fail "$1 $2 exits with $status"
    printf '%s' "$out"
}

[ "$(answer quorvane --version)" = "quorvane $version" ] || fail "quorvane --version: $(answer quorvane --version)"
# Not through a pipe: grep -q leaves at its first match, and the writer's
# broken pipe would fail the check under pipefail.
grep -q '^usage: quorvane' <<<"$(answer quorvane --help)" || fail "quorvane --help prints no usage"
[ "$(answer quorvane-tool --version)" = "quorvane-tool $version" ] || fail "quorvane-tool --version"
grep -q '^usage: quorvane-tool' <<<"$(answer quorvane-tool --help)" || fail "quorvane-tool --help prints no usage"
grep -q '^usage: quorvane-mowersim' <<<"$(answer quorvane-mowersim --help)" || fail "quorvane-mowersim --help prints no usage"

# The simulator takes the serial number in hexadecimal, as its help says,
# with or without 0x, and serves it in the info frame (bytes 11 to 14).
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for serial in 04D3E40A 0x04D3E40A; do
    "$build/quorvane-mowersim" --serial "$serial" --exit-after 1 --dump "$work/frame.bin" >/dev/null 2>&1 \
        || fail "quorvane-mowersim --serial $serial exits with an error"
    [ "$(od -An -tx1 -j11 -N4 "$work/frame.bin" 2>/dev/null | tr -d ' \n')" = 04d3e40a ] \
        || fail "quorvane-mowersim --serial $serial serves another serial number"
    rm -f "$work/frame.bin"
done
"$build/quorvane-mowersim" --serial 12x >/dev/null 2>&1 && fail "quorvane-mowersim takes --serial 12x"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "the programs answer --help and --version"
