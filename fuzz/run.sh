#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UBSan) and runs
# each for a bounded time over its seed corpus. Usage: fuzz/run.sh [seconds]
# A finding stops the run with the crashing input saved in build-fuzz/findings;
# fix it and add the input to fuzz/corpus/<target>/ as a regression case.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh
if [ ! -f build-fuzz/CMakeCache.txt ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DHAKOMARU_BUILD_FUZZ=ON -DHAKOMARU_BUILD_UI=OFF -DHAKOMARU_BUILD_TESTS=OFF \
        -DHAKOMARU_BUILD_BENCH=OFF
fi
targets=(ini_store:ini quotes:quotes tariff_edit:tariff_edit tariff_recheck:tariff_recheck
    tab_text:tab_text selection:selection jsonl:jsonl csv:csv jpeg:jpeg)
cmake --build build-fuzz -j "$(nproc)" --target $(for t in "${targets[@]}"; do printf 'fuzz_%s ' "${t%%:*}"; done)

mkdir -p build-fuzz/findings
for t in "${targets[@]}"; do
    name=${t%%:*}
    seeds=fuzz/corpus/${t##*:}
    work=build-fuzz/corpus/$name
    mkdir -p "$work"
    echo "== fuzz_$name for ${seconds}s"
    # New inputs go to the work corpus; the seeds in the repository stay as they are.
    status=0
    build-fuzz/bin/fuzz_$name "$work" "$seeds" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ \
        >"build-fuzz/fuzz_$name.log" 2>&1 || status=$?
    grep -E 'stat::number_of_executed_units|stat::peak_rss|ERROR|SUMMARY|Test unit written' \
        "build-fuzz/fuzz_$name.log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "build-fuzz/fuzz_$name.log"
        echo "fuzz_$name found a fault"
        exit 1
    fi
done
