#!/usr/bin/env bash
# Prints the robustness figures: per fuzz target the executions and seconds; the faults injected
# into the file-system seam and how each run survived them; the random split-and-join round
# trips; each with what was lost, which must be nothing. Everything runs under AddressSanitizer
# and UndefinedBehaviorSanitizer (clang 14, the "fuzz" preset). Exits 1 when anything was lost.
#
#   bash scripts/figures.sh [FUZZ_SECONDS [ROUND_TRIPS]]     (defaults: 60 s per target; 3000)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
trips=${2:-3000}
status=0

echo "Fuzzing, ${seconds} s per target"
bash fuzz/run.sh "$seconds" || status=1
echo
build/fuzz/tests/robustness/robustness-figures "$trips" || status=1
exit "$status"
