#!/usr/bin/env bash
# Every picture the user guide names lies beside it in the repository, as a
# PNG: the guide must show its pictures from a fresh clone and from the
# installed package, where no screenshot was ever rendered.
#
#   check_guide.sh DOCS_DIR
set -euo pipefail

docs=$1
guide=$docs/user-guide.md
failures=0
count=0
while IFS= read -r picture; do
    count=$((count + 1))
    case "$picture" in
        pictures/*.png) ;;
        *) echo "FAIL: $picture is not a PNG of docs/pictures/"; failures=$((failures + 1)); continue ;;
    esac
    file=$docs/$picture
    if [ ! -f "$file" ]; then
        echo "FAIL: the guide shows $picture, which is missing"
        failures=$((failures + 1))
    elif [ "$(od -An -tx1 -N8 "$file" | tr -d ' \n')" != 89504e470d0a1a0a ]; then
        echo "FAIL: $picture is no PNG"
        failures=$((failures + 1))
    fi
done < <(grep -o '!\[[^]]*\]([^)]*)' "$guide" | sed 's/.*](\(.*\))/\1/')

[ "$count" -gt 0 ] || { echo "FAIL: the guide shows no picture"; exit 1; }
[ "$failures" -eq 0 ] || { echo "$failures of $count pictures failed"; exit 1; }
echo "the guide's $count pictures are all in docs/pictures/"
