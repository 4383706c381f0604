#!/usr/bin/env bash
# Runs each fuzz target for a given time with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14, the "fuzz" preset), and prints the executions, the
# seconds and the findings. Exits 1 when it found anything.
#
#   bash fuzz/run.sh [SECONDS]      (default: 60)
#
# Each starts from its corpus in fuzz/ (seeds and every input that ever failed: corpus for split
# and join, patch-corpus for patches) and grows a working corpus in build/fuzz/, kept from run to
# run. A finding is written to build/fuzz/findings/TARGET/ and its log to build/fuzz/TARGET.log;
# once the fault is fixed, copy the input into the target's corpus under a name that says what it
# caught, so that the test suite replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
bash scripts/setup.sh clang-14 libclang-rt-14-dev >&2
cmake --preset fuzz >/dev/null
# The build says nothing unless it fails.
mkdir -p build/fuzz
cmake --build --preset fuzz >build/fuzz/build.log 2>&1 || { cat build/fuzz/build.log >&2; exit 1; }

build=build/fuzz
mkdir -p "$build/findings"
found=0
printf '%-18s %12s %8s %9s\n' "fuzz target" "executions" "seconds" "findings"
# Each target from its corpus (fuzz/corpus: split and join, fuzz/patch-corpus: patches), growing
# a working corpus of its own in build/fuzz.
for target in split_join_fuzzer:corpus patch_fuzzer:patch-corpus; do
    name=${target%%:*} corpus=${target#*:}
    mkdir -p "$build/$corpus" "$build/findings/$name"
    log=$build/$name.log
    start=$(date +%s)
    status=0
    "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$name/" "$build/$corpus" \
        "fuzz/$corpus" >"$log" 2>&1 || status=$?
    elapsed=$(($(date +%s) - start))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    count=$(find "$build/findings/$name" -type f | wc -l)
    if [ "$status" -ne 0 ] && [ "$count" -eq 0 ]; then
        count=1  # ended abnormally without an artifact: still a finding
    fi
    printf '%-18s %12s %8s %9s\n' "$name" "${runs:--}" "$elapsed" "$count"
    if [ "$count" -ne 0 ]; then
        grep -E 'FINDING|ERROR|SUMMARY' "$log" | head -5 >&2 || true
        found=1
    fi
done
exit "$found"
