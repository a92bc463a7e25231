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

# Every file the package holds, and nothing else: no build helper, no test program.
expected="./usr/bin/quorvane
./usr/bin/quorvane-mowersim
./usr/bin/quorvane-tool
./usr/share/applications/quorvane.desktop
./usr/share/icons/hicolor/128x128/apps/quorvane.png
./usr/share/icons/hicolor/48x48/apps/quorvane.png
./usr/share/icons/hicolor/scalable/apps/quorvane.svg
./usr/share/metainfo/io.github.quorvane.Quorvane.metainfo.xml"
contents=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { print $6 }' <<<"$contents" | sort)
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
        ! readelf -S "$work/root/usr/bin/$program" | grep -q '\.debug_info' || fail "/usr/bin/$program is not stripped"
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
