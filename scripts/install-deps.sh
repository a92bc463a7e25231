#!/usr/bin/env bash
# Installs, from Debian's registry, whatever of the build and test packages is
# missing. Runs as root (or through sudo when it is there).
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    qt6-base-dev libgl-dev
    qt6-svg-dev fonts-liberation qt6-translations-l10n
    libsimpleini-dev
    libgtest-dev libgmock-dev
    zlib1g-dev
    postgresql-15 libpq-dev
    clang libclang-rt-dev
    dpkg-dev desktop-file-utils appstream
    poppler-utils optipng lintian
    xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The tests run throwaway clusters of their own (scripts/pg-cluster.sh): the
# server package is not to make and start a system-wide cluster.
if [[ " ${missing[*]} " == *" postgresql-15 "* ]]; then
    $sudo mkdir -p /etc/postgresql-common/createcluster.d
    echo "create_main_cluster = false" | $sudo tee /etc/postgresql-common/createcluster.d/no-main-cluster.conf >/dev/null
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
