#!/usr/bin/env bash
# Tries Quorvane without a mower: builds what is missing, starts a simulated
# mower on a pseudo-terminal and the application set up to talk to it, on a
# demo database of its own in build/demo/ (the dealer's own settings and
# database are never touched). The simulator ends when the application closes.
#
#   bash scripts/demo.sh             build, prepare build/demo/ if needed, start
#   bash scripts/demo.sh --fresh     the same on a new demo database
#   bash scripts/demo.sh --prepare DIR BUILD [PORT]
#                                    only write a demo folder into DIR with the
#                                    programs of BUILD, and its settings for the
#                                    mower on PORT (used by the tests)
#
# In the application: Tools > Load history (Ctrl+L) reads the simulated mower;
# File > Import history (Ctrl+B) takes samples/demo.bin; Tools > Upgrade
# (Ctrl+U) programs the mower with samples/demo.TVF.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)

# The simulated mower: a serial number the sample database does not know, so
# that its first history goes through the create dialog, and a few hundred events.
DEMO_SERIAL=0x04D3E40A
DEMO_EVENTS=400
DEMO_TYPE=0x24

prepare() {
    local dir=$1 build=$2
    mkdir -p "$dir/samples"
    if [ ! -e "$dir/database/dbtisl.chk" ]; then
        "$build/quorvane-tool" sample "$dir/database" --records 40 >/dev/null
    fi
    cp "$source_dir/sim/samples/demo.bin" "$source_dir/sim/samples/demo.TVF" "$dir/samples/"
    # The application keeps its settings beside its executable: a copy of its
    # own in the demo folder keeps the dealer's settings out of reach.
    cp "$build/quorvane" "$dir/quorvane"
}

# The settings that point the demo copy at the simulator's port.
write_settings() {
    local dir=$1 port=$2 language=$3
    printf '[MainForm]\r\nHeight=760\r\nWidth=1100\r\nTop=40\r\nLeft=40\r\n\r\n[COM]\r\nPORT=%s\r\nAUTO=0\r\n\r\n[GENERAL]\r\nLANGUAGE=%s\r\nSORTBYNAME=0\r\n\r\n[FILEPATH]\r\nDBPATH=%s\r\n' \
        "$port" "$language" "$dir/database" >"$dir/quorvane.INI"
}

if [ "${1:-}" = "--simulator-args" ]; then
    echo "--serial $DEMO_SERIAL --type $DEMO_TYPE --events $DEMO_EVENTS"
    exit 0
fi
if [ "${1:-}" = "--prepare" ]; then
    prepare "$2" "$3"
    [ -n "${4:-}" ] && write_settings "$2" "$4" 0
    exit 0
fi

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quorvane quorvane-tool quorvane-mowersim

demo="$source_dir/build/demo"
if [ "${1:-}" = "--fresh" ]; then
    rm -rf "$demo"
    shift
fi
prepare "$demo" "$source_dir/build"

# The simulator prints its pseudo-terminal's path as its first line.
port_file=$(mktemp)
# shellcheck disable=SC2046
./build/quorvane-mowersim $(bash "$0" --simulator-args) --exit-after 86400 >"$port_file" &
simulator=$!
trap 'kill "$simulator" 2>/dev/null || true; rm -f "$port_file"' EXIT
for _ in $(seq 50); do
    [ -s "$port_file" ] && break
    sleep 0.1
done
port=$(head -n 1 "$port_file")
[ -n "$port" ] || { echo "the simulated mower did not start" >&2; exit 1; }

# Keep the language the dealer chose in an earlier demo; English the first time.
language=0
if [ -f "$demo/quorvane.INI" ]; then
    language=$(sed -n 's/^LANGUAGE=\([0-4]\).*/\1/p' "$demo/quorvane.INI" | head -n 1)
    language=${language:-0}
fi
write_settings "$demo" "$port" "$language"
echo "Simulated mower on $port; demo database in $demo/database"
echo "Try: Tools > Load history (Ctrl+L), File > Import history with $demo/samples/demo.bin,"
echo "     Tools > Upgrade with $demo/samples/demo.TVF"
"$demo/quorvane" || true
