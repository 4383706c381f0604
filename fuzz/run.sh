#!/usr/bin/env bash
# Runs the fuzz target for a given time with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14, the "fuzz" preset), and prints the executions, the
# seconds and the findings. Exits 1 when it found anything.
#
#   bash fuzz/run.sh [SECONDS]      (default: 60)
#
# It starts from the corpus in fuzz/corpus (seeds and every input that ever failed) and grows a
# working corpus in build/fuzz/corpus, kept from run to run. A finding is written to
# build/fuzz/findings/ and its log to build/fuzz/fuzz.log; once the fault is fixed, copy the input
# into fuzz/corpus/ under a name that says what it caught, so that the test suite replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
bash scripts/setup.sh clang-14 libclang-rt-14-dev >&2
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

build=build/fuzz
mkdir -p "$build/corpus" "$build/findings"
log=$build/fuzz.log
start=$(date +%s)
status=0
"$build/fuzz/split_join_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/findings/" "$build/corpus" fuzz/corpus \
    >"$log" 2>&1 || status=$?
elapsed=$(($(date +%s) - start))
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
count=$(find "$build/findings" -type f | wc -l)
if [ "$status" -ne 0 ] && [ "$count" -eq 0 ]; then
    count=1  # ended abnormally without an artifact: still a finding
fi
printf '%-18s %12s %8s %9s\n' "fuzz target" "executions" "seconds" "findings"
printf '%-18s %12s %8s %9s\n' split_join_fuzzer "${runs:--}" "$elapsed" "$count"
if [ "$count" -ne 0 ]; then
    grep -E 'FINDING|ERROR|SUMMARY' "$log" | head -5 >&2 || true
    exit 1
fi
