#!/usr/bin/env bash
# Starts the real application from a fresh folder with neither settings nor log,
# stops it with SIGTERM as a desktop session does at log-out, and checks what it
# leaves behind.
set -euo pipefail
app="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$app" "$dir/quorvane"
cd "$dir"
# A screen that holds the first start's window (668 x 775 at 200, 130): a
# smaller one would rightly move and shrink it into the screen.
echo '{"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1600, "height": 1000}]}' >screen.json
QT_QPA_PLATFORM="offscreen:configfile=$dir/screen.json" ./quorvane >stdout.txt 2>stderr.txt &
pid=$!
sleep 1.5
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
fail() { echo "FAIL: $*"; echo "--- stdout"; cat stdout.txt; echo "--- stderr"; cat stderr.txt; exit 1; }
[ "$status" -eq 0 ] || fail "exit status $status"
grep -qx "Appel du destructeur" stdout.txt || fail "no goodbye line on standard output"
for line in "[MainForm]" "Height=775" "Width=668" "Top=130" "Left=200" "[GENERAL]" "LANGUAGE=1" \
            "SORTBYNAME=0" "[COM]" "PORT=COM1" "AUTO=1"; do
    grep -qxF "$line" quorvane.INI || fail "quorvane.INI lacks $line"
done
! grep -q DBPATH quorvane.INI || fail "DBPATH was written"
head -n 1 quorvane.log | grep -q "Starting program$" || fail "first log line: $(head -n 1 quorvane.log)"
[ -d database ] || fail "no database folder"
echo "start and stop: ok"
