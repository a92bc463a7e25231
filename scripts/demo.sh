#!/usr/bin/env bash
# Tries Quorvane without a mower: builds what is missing, starts a simulated
# mower on a pseudo-terminal and the application set up to talk to it, on a
# demo database of its own in build/demo/ (the dealer's own settings and
# database are never touched). The simulator ends when the application closes.
#
#   bash scripts/demo.sh             build, prepare build/demo/ if needed, start
#   bash scripts/demo.sh --fresh     the same on a new demo database
#   bash scripts/demo.sh --server    a workshop of two benches: a throwaway
#                                    database server in build/demo/pg holding a
#                                    copy of the demo database, and two windows
#                                    on it (build/demo/bench1, build/demo/bench2);
#                                    closing both stops the server and throws
#                                    its records away
#   bash scripts/demo.sh [--server] --check
#                                    set everything up, check that the simulated
#                                    mower answers and that the database (and the
#                                    server) holds the demo records, and stop
#                                    without opening a window
#     --build DIR                    the programs already built in DIR; nothing
#                                    is installed or built (used by the tests)
#     --demo DIR                     the demo folder DIR instead of build/demo
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
DEMO_RECORDS=40

usage() {
    echo "usage: scripts/demo.sh [--fresh] [--server] [--check] [--build DIR] [--demo DIR]"
    echo "       scripts/demo.sh --prepare DIR BUILD [PORT]"
}

# The application keeps its settings beside its executable: a program of its
# own in a folder keeps the dealer's settings out of reach. A hard link costs
# no room and replaces a copy still running from an earlier demo; a copy where
# the folders lie on different file systems.
place_program() {
    ln -f "$1" "$2" 2>/dev/null || cp --remove-destination "$1" "$2"
}

prepare() {
    local dir=$1 build=$2
    mkdir -p "$dir/samples"
    if [ ! -e "$dir/database/dbtisl.chk" ]; then
        "$build/quorvane-tool" sample "$dir/database" --records "$DEMO_RECORDS" >/dev/null
    fi
    cp "$source_dir/sim/samples/demo.bin" "$source_dir/sim/samples/demo.TVF" "$dir/samples/"
    place_program "$build/quorvane" "$dir/quorvane"
}

# The language the dealer chose in an earlier demo (in the settings file
# $1); English the first time.
kept_language() {
    local language=""
    [ -f "$1" ] && language=$(sed -n 's/^LANGUAGE=\([0-4]\).*/\1/p' "$1" | head -n 1)
    echo "${language:-0}"
}

# The settings that point the demo copy at the simulator's port.
write_settings() {
    local dir=$1 port=$2 language=$3
    printf '[MainForm]\r\nHeight=760\r\nWidth=1100\r\nTop=40\r\nLeft=40\r\n\r\n[COM]\r\nPORT=%s\r\nAUTO=0\r\n\r\n[GENERAL]\r\nLANGUAGE=%s\r\nSORTBYNAME=0\r\n\r\n[FILEPATH]\r\nDBPATH=%s\r\n' \
        "$port" "$language" "$dir/database" >"$dir/quorvane.INI"
}

# A bench of the server demo: a program of its own in DIR, its settings on
# the server, its window at LEFT so that the two benches sit side by side.
write_bench() {
    local dir=$1 build=$2 port=$3 uri=$4 left=$5
    mkdir -p "$dir"
    place_program "$build/quorvane" "$dir/quorvane"
    printf '[MainForm]\r\nHeight=720\r\nWidth=900\r\nTop=40\r\nLeft=%s\r\n\r\n[COM]\r\nPORT=%s\r\nAUTO=0\r\n\r\n[GENERAL]\r\nLANGUAGE=%s\r\nSORTBYNAME=0\r\n\r\n[FILEPATH]\r\nDBSERVER=%s\r\n' \
        "$left" "$port" "$(kept_language "$dir/quorvane.INI")" "$uri" >"$dir/quorvane.INI"
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

fresh=0 server=0 check=0 build="" demo=""
while [ $# -gt 0 ]; do
    case $1 in
    --fresh) fresh=1 ;;
    --server) server=1 ;;
    --check) check=1 ;;
    --build | --demo)
        if [ $# -lt 2 ] || [ -z "$2" ]; then
            usage >&2
            exit 2
        fi
        if [ "$1" = --build ]; then build=$2; else demo=$2; fi
        shift
        ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
    esac
    shift
done

fail() {
    echo "demo: $*" >&2
    exit 1
}

# Runs a command quietly; what it said is shown when it fails.
quietly() {
    local said status=0
    said=$("$@" 2>&1) || status=$?
    [ "$status" = 0 ] || printf '%s\n' "$said" | sed 's/^/    /' >&2
    return "$status"
}

if [ -z "$build" ]; then
    bash scripts/install-deps.sh
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$(nproc)" --target quorvane quorvane-tool quorvane-mowersim
    build="$source_dir/build"
fi
build=$(cd "$build" && pwd)
for program in quorvane quorvane-tool quorvane-mowersim; do
    [ -x "$build/$program" ] || fail "$build/$program is missing; build it first"
done
tool="$build/quorvane-tool"
demo=${demo:-$build/demo}
mkdir -p "$(dirname "$demo")"
demo="$(cd "$(dirname "$demo")" && pwd)/$(basename "$demo")"
pg="$demo/pg"

# One demo at a time on a demo folder: a second one would start over the
# database under the first one's windows, or stop its server. The lock is
# the script's alone (descriptor 9 is closed for every program it starts), so
# it goes with the script, whatever the programs it started do.
exec 9>"$demo.lock"
flock -n 9 || fail "another demo runs on $demo; close its windows first"

simulator="" port_file="" server_up=0 uri="" bench_pids=()
cleanup() {
    local pid
    # Windows still open when the script is broken off (Ctrl+C) go first:
    # the server is about to go away under them.
    for pid in "${bench_pids[@]}"; do
        if [ -z "$pid" ] || ! kill -TERM "$pid" 2>/dev/null; then
            continue
        fi
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "$simulator" ]; then
        kill "$simulator" 2>/dev/null || true
    fi
    if [ -n "$port_file" ]; then
        rm -f "$port_file"
    fi
    if [ "$server_up" = 1 ]; then
        bash "$source_dir/scripts/pg-cluster.sh" stop "$pg" 9>&- || true
        if [ "$check" = 0 ] && [ -n "$uri" ]; then
            echo "Demo database server stopped."
        fi
    fi
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

if [ "$fresh" = 1 ]; then
    # A server an earlier demo left running goes with its folder.
    [ -e "$pg" ] && { bash scripts/pg-cluster.sh stop "$pg" 9>&- || true; }
    rm -rf "$demo"
fi
prepare "$demo" "$build"

# The simulator prints its pseudo-terminal's path as its first line.
port_file=$(mktemp)
# shellcheck disable=SC2046
"$build/quorvane-mowersim" $(bash "$source_dir/scripts/demo.sh" --simulator-args) --exit-after 86400 >"$port_file" 9>&- &
simulator=$!
for _ in $(seq 50); do
    [ -s "$port_file" ] && break
    sleep 0.1
done
port=$(head -n 1 "$port_file")
[ -n "$port" ] || fail "the simulated mower did not start"

write_settings "$demo" "$port" "$(kept_language "$demo/quorvane.INI")"

if [ "$server" = 1 ]; then
    [ "$check" = 1 ] || echo "Starting the demo's database server in $pg ..."
    # A server still running from a demo that was killed is used as it is;
    # what a crash left of one is made anew (scripts/pg-cluster.sh).
    server_up=1
    errors=$(mktemp)
    if ! uri=$(bash scripts/pg-cluster.sh start "$pg" 9>&- 2>"$errors"); then
        {
            echo "demo: the demo's database server did not start:"
            sed 's/^/    /' "$errors"
        } >&2
        rm -f "$errors"
        exit 1
    fi
    rm -f "$errors"
    quietly "$tool" server init "$uri" || fail "cannot make the tables on $uri"
    # The demo records go onto the server once: a server that was kept keeps
    # what was filed on it.
    if [ -e "$pg/demo-records-copied" ]; then
        held="what an earlier demo, which did not end, left on it (--fresh starts over)"
    else
        quietly "$tool" copy "$demo/database" "$uri" || fail "cannot copy $demo/database onto $uri (--fresh starts over)"
        touch "$pg/demo-records-copied"
        held="a copy of $demo/database"
    fi
    write_bench "$demo/bench1" "$build" "$port" "$uri" 20
    write_bench "$demo/bench2" "$build" "$port" "$uri" 940
fi

if [ "$check" = 1 ]; then
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"; cleanup' EXIT
    quietly "$tool" download --port "$port" --out "$scratch/mower.bin" \
        || fail "the simulated mower on $port does not answer"
    quietly "$tool" check "$demo/database" || fail "$demo/database is not sound"
    if [ "$server" = 1 ]; then
        quietly "$tool" check "$uri" || fail "the records on $uri are not sound"
        # What the server holds, taken back into a folder, is the demo
        # database byte for byte.
        quietly "$tool" copy "$uri" "$scratch/back" || fail "cannot copy the records back from $uri"
        for file in "$demo/database/"*.dat "$demo/database/dbtisl.chk"; do
            cmp -s "$file" "$scratch/back/$(basename "$file")" || fail "$uri does not hold $(basename "$file") as the demo database does (--fresh starts over)"
        done
        count=$(find "$scratch/back" -name '*.dat' | wc -l)
        [ "$count" = "$(find "$demo/database" -name '*.dat' | wc -l)" ] \
            || fail "$uri holds $count records, not the demo database's (--fresh starts over)"
        for bench in bench1 bench2; do
            if [ ! -x "$demo/$bench/quorvane" ] || ! grep -qF "DBSERVER=$uri" "$demo/$bench/quorvane.INI"; then
                fail "$demo/$bench is not set up for the server"
            fi
        done
        echo "demo check: the simulated mower answers; $uri holds the $count demo records"
    else
        echo "demo check: the simulated mower answers; $demo/database is sound"
    fi
    exit 0
fi

if [ "$server" = 0 ]; then
    echo "Simulated mower on $port; demo database in $demo/database"
    echo "Try: Tools > Load history (Ctrl+L), File > Import history with $demo/samples/demo.bin,"
    echo "     Tools > Upgrade with $demo/samples/demo.TVF"
    "$demo/quorvane" 9>&- || true
    exit 0
fi

echo "Demo database server: $uri"
echo "  holding $held."
echo "  It stops, and what it holds is thrown away, when both windows close."
echo "Two windows on it, as two benches of a workshop ($demo/bench1 and bench2)."
echo "Try: in one window, Tools > Load history (Ctrl+L) reads the simulated mower on $port,"
echo "     or File > Import history (Ctrl+B) with $demo/samples/demo.bin;"
echo "     the record appears in the other window within a second."
for bench in bench1 bench2; do
    "$demo/$bench/quorvane" 9>&- &
    bench_pids+=("$!")
done
for i in "${!bench_pids[@]}"; do
    wait "${bench_pids[$i]}" || true
    bench_pids[i]=""
done
