#!/usr/bin/env bash
# Checks the desktop entry and the AppStream metadata with their validators,
# then builds the Debian package from the build tree and checks what it holds
# and declares.
#
#   check_package.sh PACKAGING_DIR BUILD_DIR CPACK VERSION
set -euo pipefail

packaging=$1
build=$2
cpack=$3
version=$4

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

desktop=$packaging/quorvane.desktop
metainfo=$packaging/io.github.quorvane.Quorvane.metainfo.xml

echo "-- desktop entry and AppStream metadata"
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
# The metadata names the desktop entry by its file name, and the entry names
# the icon the package installs.
grep -q '<launchable type="desktop-id">quorvane.desktop</launchable>' "$metainfo" \
    || fail "the metadata does not launch quorvane.desktop"
grep -qx 'Icon=quorvane' "$desktop" || fail "the desktop entry does not name the icon quorvane"
grep -qx 'Exec=quorvane' "$desktop" || fail "the desktop entry does not start quorvane"

echo "-- the Debian package"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    fail "cpack could not build the package"
    exit 1
fi
deb=$work/quorvane_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
    ls "$work"
    fail "no $(basename "$deb")"
    exit 1
fi

# Every file the package holds, and nothing else: no build helper, no test
# program; the guide's pictures are those of the repository.
docs=$packaging/../docs
expected=$( {
    printf '%s\n' ./usr/bin/quorvane ./usr/bin/quorvane-mowersim ./usr/bin/quorvane-tool \
        ./usr/share/applications/quorvane.desktop \
        ./usr/share/doc/quorvane/changelog.gz ./usr/share/doc/quorvane/copyright \
        ./usr/share/doc/quorvane/user-guide.md \
        ./usr/share/icons/hicolor/128x128/apps/quorvane.png ./usr/share/icons/hicolor/48x48/apps/quorvane.png \
        ./usr/share/icons/hicolor/scalable/apps/quorvane.svg \
        ./usr/share/lintian/overrides/quorvane \
        ./usr/share/man/man1/quorvane.1.gz ./usr/share/man/man1/quorvane-mowersim.1.gz \
        ./usr/share/man/man1/quorvane-tool.1.gz \
        ./usr/share/metainfo/io.github.quorvane.Quorvane.metainfo.xml
    for picture in "$docs"/pictures/*.png; do echo "./usr/share/doc/quorvane/pictures/$(basename "$picture")"; done
} | LC_ALL=C sort)
contents=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { print $6 }' <<<"$contents" | LC_ALL=C sort)
if [ "$files" != "$expected" ]; then
    fail "the package's files differ from the expected ones:"
    diff <(echo "$expected") <(echo "$files") || true
fi
for program in quorvane quorvane-tool quorvane-mowersim; do
    grep -qE "^-rwxr-xr-x .* \./usr/bin/$program\$" <<<"$contents" || fail "/usr/bin/$program is not executable"
done

dpkg-deb -x "$deb" "$work/root"
cmp -s "$desktop" "$work/root/usr/share/applications/quorvane.desktop" || fail "the installed desktop entry differs"
cmp -s "$metainfo" "$work/root/usr/share/metainfo/io.github.quorvane.Quorvane.metainfo.xml" \
    || fail "the installed metadata differs"
# Each PNG is one, at the size its folder names (the width and height of its header).
for size in 48 128; do
    png=$work/root/usr/share/icons/hicolor/${size}x${size}/apps/quorvane.png
    [ -f "$png" ] || continue
    signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    [ "$signature" = 89504e470d0a1a0a ] || fail "${size}x${size} icon is no PNG"
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "${size}x${size} icon is ${width}x${height}"
done
# The programs carry no debug information (it stays in the build tree).
if command -v readelf >/dev/null; then
    for program in quorvane quorvane-tool quorvane-mowersim; do
        ! grep -q '\.debug_info' <<<"$(readelf -S "$work/root/usr/bin/$program")" || fail "/usr/bin/$program is not stripped"
    done
fi

# The guide shows its pictures from where it is installed.
guide=$work/root/usr/share/doc/quorvane/user-guide.md
[ -f "$guide" ] && bash "$(dirname "$0")/check_guide.sh" "$(dirname "$guide")" >/dev/null \
    || fail "the installed guide misses pictures"
# The changelog is the project's own, newest version first, and it is this one.
changelog_version=$(gzip -dc "$work/root/usr/share/doc/quorvane/changelog.gz" | head -n 1 | sed -n 's/^quorvane (\([^)]*\)).*/\1/p')
[ "$changelog_version" = "$version" ] || fail "the changelog's newest version is '$changelog_version', not $version"
head -n 1 "$work/root/usr/share/doc/quorvane/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' \
    || fail "the copyright file is not in the machine-readable format"
# Each manual page renders without a complaint from the formatter.
for page in quorvane quorvane-tool quorvane-mowersim; do
    file=$work/root/usr/share/man/man1/$page.1.gz
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 >/dev/null || echo "man failed")
    [ -z "$warnings" ] || fail "the manual page of $page: $warnings"
done

# The distribution's own check: no error and no warning. The spelling notes
# on the catalogue's own texts are overridden in the package, with the reason.
if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
    cat "$work/lintian.log"
    fail "lintian reports errors or warnings"
fi

# Built with the distribution's hardening: relocations read-only and bound
# at start, the stack protector, fortified string and memory functions.
if command -v readelf >/dev/null; then
    for program in quorvane quorvane-tool quorvane-mowersim; do
        binary=$work/root/usr/bin/$program
        grep -q GNU_RELRO <<<"$(readelf -lW "$binary")" || fail "$program: no relro"
        grep -Eq 'BIND_NOW|FLAGS_1.*NOW' <<<"$(readelf -dW "$binary")" || fail "$program: not bound at start (now)"
        symbols=$(readelf --dyn-syms -W "$binary")
        grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program: no stack protector"
        grep -Eq '__[a-z_]+_chk(@|$| )' <<<"$(grep -v __stack_chk_fail <<<"$symbols")" || fail "$program: no fortified function"
    done
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quorvane ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Section)" ] || fail "no Section"
[ -n "$(field Description)" ] || fail "no Description"
# The shared libraries, computed: Qt's widgets, and the C++ runtime.
# The package names of a relationship field, one a line, without versions.
names() { field "$1" | tr ',|' '\n\n' | awk 'NF { print $1 }'; }
for library in libqt6core6 libqt6gui6 libqt6widgets6 libstdc++6 libc6; do
    names Depends | grep -qxF "$library" || fail "Depends names no $library: $(field Depends)"
done
for package in fonts-liberation qt6-translations-l10n; do
    names Recommends | grep -qxF "$package" || fail "Recommends names no $package: $(field Recommends)"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "package $(basename "$deb") ($(stat -c %s "$deb") bytes) holds and declares what it should"
