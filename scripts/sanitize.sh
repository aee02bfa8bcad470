#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ and runs every test there, headless. Only reports that come
# from inside Qt and the libraries below it are suppressed (see tests/sanitizers/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ ! -f build-asan/CMakeCache.txt ]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHAKOMARU_SANITIZE=ON \
        -DHAKOMARU_BUILD_BENCH=OFF
fi
cmake --build build-asan -j "$(nproc)"
supp="$PWD/tests/sanitizers"
export QT_QPA_PLATFORM=offscreen
# strict_string_checks stays off: with it, libxkbcommon-x11 trips the strndup
# interceptor while Qt connects to an X server.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp"
ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 900
