#!/usr/bin/env bash
# Builds the core and the quote tool alone, without Qt (-DHAKOMARU_BUILD_UI=OFF),
# into build-core/ and runs their tests: what the core needs, and nothing of
# the windows, is proven to be enough.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ ! -f build-core/CMakeCache.txt ]; then
    cmake -S . -B build-core -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DHAKOMARU_BUILD_UI=OFF -DHAKOMARU_BUILD_BENCH=OFF
fi
cmake --build build-core -j "$(nproc)"
ctest --test-dir build-core --output-on-failure -j "$(nproc)" --timeout 600
