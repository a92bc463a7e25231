#!/usr/bin/env bash
# Installs what is missing, builds the application into build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quorvane quorvane-tool
exec ./build/quorvane "$@"
