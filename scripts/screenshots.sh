#!/usr/bin/env bash
# Renders the pictures of the user guide (docs/user-guide.md) off screen:
# installs what is missing, builds the renderer and the command-line tool,
# and writes the PNG files, optimised, into docs/pictures/, where the guide
# finds them in a clone, on the repository's web page and in the package.
# The windows run on a sample database in a temporary folder: the dealer's
# own settings and database are never opened.
#
#   bash scripts/screenshots.sh [--build DIR] [--out DIR]
#
#   --build DIR   the build folder (build/ by default, as scripts/run.sh)
#   --out DIR     where the pictures go (docs/pictures/ by default)
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
out=docs/pictures
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=${2:?--build needs a folder}; shift 2 ;;
        --out) out=${2:?--out needs a folder}; shift 2 ;;
        *) echo "usage: bash scripts/screenshots.sh [--build DIR] [--out DIR]" >&2; exit 2 ;;
    esac
done

bash scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target quorvane-screenshots quorvane-tool

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tool's sample database when the tool has the command; otherwise the
# renderer makes its own.
database_args=()
if "$build/quorvane-tool" --help 2>&1 | grep -q '^ *sample '; then
    if "$build/quorvane-tool" sample "$work/database" --records 40 >/dev/null; then
        database_args=(--database "$work/database")
    else
        echo "quorvane-tool sample failed: the renderer's own sample database is used" >&2
    fi
fi

mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.pdf
# An offscreen screen larger than the windows shown: on a smaller one the
# main window would rightly be shrunk into it.
echo '{"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1920, "height": 1200}]}' >"$work/screen.json"
QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json" "$build/quorvane-screenshots" --out "$out" "${database_args[@]}" >/dev/null
# The service reports' first pages as pictures (pdftoppm, from poppler-utils).
for pdf in "$out"/report-*.pdf; do
    pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$pdf" "${pdf%.pdf}"
    rm -f "$pdf"
done
# Losslessly smaller (optipng): the pictures live in the repository.
if command -v optipng >/dev/null; then
    optipng -quiet -o2 -strip all "$out"/*.png
fi
echo "Pictures written to $out/:"
ls "$out"
