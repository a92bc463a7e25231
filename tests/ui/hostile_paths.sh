#!/usr/bin/env bash
# Gives the built programs a named pipe, a device, a folder, a symbolic-link
# loop or an unreadable file where they read or write, and checks that each
# ends within a few seconds with a clear message and leaves the path as it was.
set -uo pipefail
tool="$1"
sim="$2"
app="$3"
dir=$(mktemp -d)
simpid=""
cleanup() { [ -n "$simpid" ] && kill "$simpid" 2>/dev/null; rm -rf "$dir"; }
trap cleanup EXIT
cd "$dir"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkfifo pipe pipe.TVF
mkdir folder
ln -s loop-b loop-a
ln -s loop-a loop-b

# expect_refusal NAME TEXT COMMAND...: ends in time, exit 1, TEXT on stderr.
expect_refusal() {
    local name="$1" text="$2"
    shift 2
    timeout 5 "$@" >out.txt 2>err.txt
    local status=$?
    [ "$status" -eq 124 ] && { fail "$name: still running after 5 s"; return; }
    [ "$status" -eq 1 ] || fail "$name: exit status $status"
    grep -q "$text" err.txt || fail "$name: no '$text' in: $(cat err.txt)"
}

expect_refusal "show pipe" "named pipe" "$tool" show pipe
expect_refusal "show folder" "folder" "$tool" show folder
expect_refusal "show device" "character device" "$tool" show /dev/zero
expect_refusal "show loop" "symbolic links" "$tool" show loop-a
expect_refusal "download to a device" "character device" "$tool" download --port /dev/null --out /dev/null
expect_refusal "download to a pipe" "named pipe" "$tool" download --port /dev/null --out pipe
[ -p pipe ] || fail "the pipe is no longer a pipe"
[ -c /dev/null ] || fail "/dev/null is no longer a device"

# An upgrade reads its file only once the mower answered: a simulated one.
"$sim" >sim.txt 2>sim-err.txt &
simpid=$!
for _ in $(seq 50); do [ -s sim.txt ] && break; sleep 0.1; done
pty=$(head -n 1 sim.txt)
expect_refusal "upgrade from a pipe" "named pipe" "$tool" upgrade --port "$pty" --yes pipe.TVF
kill "$simpid" 2>/dev/null
wait "$simpid" 2>/dev/null
simpid=""

# run_app NAME: the application in its own folder, stopped by SIGTERM after
# 1.5 s; sets app_status (124 when it had not ended 3 s later).
run_app() {
    local folder="$1"
    (cd "$folder" && QT_QPA_PLATFORM=offscreen exec ./quorvane >stdout.txt 2>stderr.txt) &
    local pid=$!
    sleep 1.5
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid"
        wait "$pid" 2>/dev/null
        app_status=124
        return
    fi
    wait "$pid"
    app_status=$?
}

new_app_folder() {
    rm -rf "$1"
    mkdir "$1"
    cp "$app" "$1/quorvane"
}

# Settings that are a named pipe: no hang, a box at start that the signal
# closes, the pipe left as it is.
new_app_folder a1
mkfifo a1/quorvane.INI
run_app a1
[ "$app_status" -eq 0 ] || fail "pipe as settings: exit status $app_status"
[ -p a1/quorvane.INI ] || fail "pipe as settings: replaced"
grep -q "settings" a1/stderr.txt || fail "pipe as settings: nothing said on standard error"

# Settings over the size bound are the dealer's, not defaults to write over.
new_app_folder a2
{ printf '[FILEPATH]\nDBPATH=/somewhere/else\n; keep me\n'; head -c 5000000 /dev/zero | tr '\0' ';'; } >a2/quorvane.INI
before=$(md5sum <a2/quorvane.INI)
run_app a2
[ "$app_status" -eq 0 ] || fail "large settings: exit status $app_status"
[ "$(md5sum <a2/quorvane.INI)" = "$before" ] || fail "large settings: written over"
[ ! -e /somewhere/else ] || fail "large settings: DBPATH was used"

# A trace log that is a named pipe: the box of the start-up is closed by the
# signal, the settings are saved, the log's failure makes the exit status 1.
new_app_folder a3
mkfifo a3/quorvane.log
run_app a3
[ "$app_status" -eq 1 ] || fail "pipe as log: exit status $app_status"
[ -p a3/quorvane.log ] || fail "pipe as log: replaced"
grep -q "Height=775" a3/quorvane.INI || fail "pipe as log: settings not saved"

# A log that cannot be read (too large) shows a box at start; SIGTERM during
# it closes the box and the program saves everything and exits 0.
new_app_folder a4
truncate -s 100M a4/quorvane.log
run_app a4
[ "$app_status" -eq 0 ] || fail "unreadable log: exit status $app_status"
grep -q "Height=775" a4/quorvane.INI || fail "unreadable log: settings not saved"
grep -q "Starting program" a4/quorvane.log || fail "unreadable log: not rewritten"

# A save that fails at shut-down (the disk is full for anything over 1 KiB):
# no box waits, the failure goes to standard error and the exit status is 1.
new_app_folder a5
{ head -c 3000 /dev/zero | tr '\0' ';'; printf '\n[MainForm]\nHeight=700\n'; } >a5/quorvane.INI
before=$(md5sum <a5/quorvane.INI)
(
    trap '' XFSZ
    ulimit -f 1
    run_app a5
    exit "$app_status"
)
app_status=$?
[ "$app_status" -eq 1 ] || fail "full disk: exit status $app_status"
[ "$(md5sum <a5/quorvane.INI)" = "$before" ] || fail "full disk: settings damaged"
grep -q "quorvane.INI" a5/stderr.txt || fail "full disk: failure not on standard error"

# The settings file is a folder: refused at start, never replaced.
new_app_folder a6
mkdir a6/quorvane.INI
run_app a6
[ "$app_status" -eq 0 ] || fail "folder as settings: exit status $app_status"
[ -d a6/quorvane.INI ] || fail "folder as settings: replaced"

# Leftovers of interrupted writes in the database folder are removed at
# start-up, under the lock; files that only look alike are not.
new_app_folder a7
mkdir a7/database
printf 'half' >a7/database/dbtisl.chk.tmpA1b2C3
printf 'half' >a7/database/0012ABCD.dat.tmpQ9x8Y7
printf 'mine' >a7/database/notes.txt.tmpA1b2C3
run_app a7
[ "$app_status" -eq 0 ] || fail "leftovers: exit status $app_status"
[ ! -e a7/database/dbtisl.chk.tmpA1b2C3 ] && [ ! -e a7/database/0012ABCD.dat.tmpQ9x8Y7 ] \
    || fail "leftovers: not removed"
[ -e a7/database/notes.txt.tmpA1b2C3 ] || fail "leftovers: a file that is not ours was removed"
grep -q "interrupted write: .*dbtisl.chk.tmpA1b2C3" a7/quorvane.log || fail "leftovers: no trace line"

# What the program makes holds customers' names and addresses: another user
# of the PC (uid 65534) reads none of it. The folders on the way are open to
# him, as a home folder usually is, so that only the program's modes decide.
if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$dir"
    as_other() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
    mode_is() { [ "$(stat -c %a "$2")" = "$1" ] || fail "$2: mode $(stat -c %a "$2"), not $1"; }

    # A first start makes the settings, the log, the database folder, its
    # empty checker and its lock; the database is sound from then on.
    new_app_folder a8
    chmod 755 a8
    printf 'anyone may read this\n' >a8/control.txt
    chmod 644 a8/control.txt
    run_app a8
    [ "$app_status" -eq 0 ] || fail "first start: exit status $app_status"
    mode_is 700 a8/database
    for f in a8/quorvane.INI a8/quorvane.log a8/database/dbtisl.chk a8/database/quorvane.lock; do
        mode_is 600 "$f"
    done
    [ -f a8/database/dbtisl.chk ] && [ ! -s a8/database/dbtisl.chk ] || fail "first start: no empty checker"
    "$tool" check a8/database >out.txt 2>&1 || fail "first start: the new database is not sound: $(cat out.txt)"
    run_app a8
    ! grep -q "no db checker" a8/quorvane.log || fail "second start: a missing checker was traced"
    as_other cat a8/control.txt >/dev/null 2>&1 || fail "the other user cannot reach the folder at all"
    for f in a8/quorvane.INI a8/quorvane.log; do
        as_other cat "$f" >/dev/null 2>&1 && fail "another user reads $f"
    done
    as_other "$tool" check a8/database >out.txt 2>&1 && fail "another user reads the database folder"

    # Record files, in a database folder opened to all by an earlier version.
    "$tool" sample a9/database --records 3 >out.txt 2>&1 || fail "sample: $(cat out.txt)"
    mode_is 700 a9
    mode_is 700 a9/database
    chmod 755 a9 a9/database
    as_other cat a9/database/dbtisl.chk >/dev/null 2>&1 && fail "another user reads the checker"
    record=$(find a9/database -name '*.dat' | head -n 1)
    mode_is 600 "$record"
    mode_is 600 a9/database/dbtisl.chk
    as_other "$tool" show "$record" >out.txt 2>err.txt && fail "another user reads a record file"
    grep -q "Permission denied" err.txt || fail "record read by another user: $(cat err.txt)"

    # A dealer who shares the database folder with a group keeps the sharing.
    new_app_folder a10
    chmod 755 a10
    mkdir a10/database
    chgrp 65534 a10/database
    chmod 2770 a10/database
    run_app a10
    mode_is 660 a10/database/dbtisl.chk
    mode_is 660 a10/database/quorvane.lock
    as_other "$tool" check a10/database >out.txt 2>&1 || fail "the group cannot use its database: $(cat out.txt)"
    as_other cat a10/quorvane.INI >/dev/null 2>&1 && fail "another user reads the shared database's settings"
else
    echo "not root: the checks as another user are skipped"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "hostile paths: ok"
