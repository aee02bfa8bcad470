#!/usr/bin/env bash
# Configures (once) and builds everything into build/. Incremental.
set -euo pipefail
cd "$(dirname "$0")/.."
"$PWD/scripts/setup.sh"
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j "$(nproc)"
