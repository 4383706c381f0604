#!/usr/bin/env bash
# Runs each fuzz target for a given time with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14, the "fuzz" preset), and prints per target the executions,
# the seconds and the findings. Exits 1 when any target found anything.
#
#   bash fuzz/run.sh [SECONDS] [TARGET...]      (defaults: 60 s; split_model_fuzzer
#                                                index_record_fuzzer join_set_fuzzer)
#
# Each target starts from its generated seeds and its regressions (fuzz/regressions/TARGET) and
# grows a working corpus in build/fuzz/corpus/TARGET, kept from run to run. A finding is written
# to build/fuzz/findings/TARGET/ and its log to build/fuzz/logs/TARGET.log; once the fault is
# fixed, copy the input into fuzz/regressions/TARGET/ so that the test suite replays it for good.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(split_model_fuzzer index_record_fuzzer join_set_fuzzer)

bash scripts/setup.sh clang-14 libclang-rt-14-dev >&2
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

build=build/fuzz
found=0
printf '%-22s %12s %8s %9s %9s\n' "fuzz target" "executions" "seconds" "findings" "lost"
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    findings=$build/findings/$target
    log=$build/logs/$target.log
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    inputs=("$corpus" "$build/fuzz/seeds/$target")
    [ -d "fuzz/regressions/$target" ] && inputs+=("fuzz/regressions/$target")

    start=$(date +%s)
    status=0
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "${inputs[@]}" >"$log" 2>&1 || status=$?
    elapsed=$(($(date +%s) - start))

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    count=$(find "$findings" -type f | wc -l)
    if [ "$status" -ne 0 ] && [ "$count" -eq 0 ]; then
        count=1  # ended abnormally without an artifact: still a finding
    fi
    printf '%-22s %12s %8s %9s %9s\n' "$target" "${runs:--}" "$elapsed" "$count" \
        "$([ "$count" -eq 0 ] && echo nothing || echo "see $log")"
    if [ "$count" -ne 0 ]; then
        found=1
        grep -E 'FINDING|ERROR|SUMMARY' "$log" | head -5 >&2 || true
    fi
done
exit "$found"
