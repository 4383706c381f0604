#!/usr/bin/env bash
# Benchmark: split and join of synthetic models of about 1, 64 and 512 MiB with cindervaxel-cli,
# against cp of the same model file, alternating, several rounds, median. Prints for each size the
# times as ratios to cp and the peak resident memory of each command; then the time from starting
# the window program to its main window shown (offscreen).
#
#   bash bench/bench.sh [ROUNDS] [SIZES_MIB...]      (defaults: 5 rounds; 1 64 512)
#
# The models and outputs go to $BENCH_DIR (default build/bench-data), which needs about three
# times the largest model in free space. Everything runs warm from the page cache; `sync` runs
# between commands, untimed, so that one command's write-back does not land on the next. Every
# command writes new files: replacing existing files makes ext4 start their write-back at once,
# for cp as for split and join.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-5}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1 64 512)
work=${BENCH_DIR:-build/bench-data}

bash scripts/setup.sh time
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
cli=${BENCH_CLI:-build/release/src/cli/cindervaxel-cli}  # BENCH_CLI: another build to compare
maker=build/release/bench/make-bench-model
startup=build/release/bench/startup-time

mkdir -p "$work"

# Runs a command after an untimed sync and removal of its earlier output (the files in the array
# outputs); prints "microseconds peak_kib".
measure() {
    sync
    rm -f "${outputs[@]}"
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/rss" "$@" >/dev/null
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 )) $(cat "$work/rss")"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-8s %10s %10s %10s %12s %12s %12s\n' "model" "cp s" "split/cp" "join/cp" \
    "cp MiB" "split MiB" "join MiB"
for size in "${sizes[@]}"; do
    dir="$work/$size"
    rm -rf "$dir"
    mkdir -p "$dir/set"
    "$maker" "$dir/set/model.p" "$size" >/dev/null
    bytes=$(stat -c %s "$dir/set/model.p")
    # Round 0 warms up and is not counted. Each command's earlier output is removed right before
    # it, after the sync: on a virtual machine, memory that lies free for a while goes back to the
    # host and costs more to take again than the copy itself.
    for ((round = 0; round <= rounds; round++)); do
        if [ "$round" -eq 1 ]; then
            : >"$dir/cp"; : >"$dir/split"; : >"$dir/join"
        fi
        outputs=("$dir/copy.p")
        measure cp "$dir/set/model.p" "$dir/copy.p" >>"$dir/cp"
        outputs=("$dir"/set/*.bin "$dir/set/model.asm")
        measure "$cli" split "$dir/set/model.p" >>"$dir/split"
        outputs=("$dir/joined.p")
        measure "$cli" join "$dir/set/model.asm" "$dir/joined.p" >>"$dir/join"
        cmp -s "$dir/set/model.p" "$dir/joined.p" || { echo "join differs from the model" >&2; exit 1; }
    done
    cp_us=$(cut -d' ' -f1 "$dir/cp" | median)
    split_us=$(cut -d' ' -f1 "$dir/split" | median)
    join_us=$(cut -d' ' -f1 "$dir/join" | median)
    rss() { cut -d' ' -f2 "$1" | sort -n | tail -1; }
    awk -v name="$((bytes / 1048576)) MiB" -v cp="$cp_us" -v sp="$split_us" -v jo="$join_us" \
        -v rc="$(rss "$dir/cp")" -v rs="$(rss "$dir/split")" -v rj="$(rss "$dir/join")" \
        'BEGIN { printf "%-8s %10.3f %10.2f %10.2f %12.1f %12.1f %12.1f\n",
                 name, cp / 1e6, sp / cp, jo / cp, rc / 1024, rs / 1024, rj / 1024 }'
    rm -rf "$dir"
done

# Start-up: the whole process from exec to the main window exposed, and the part of it from main().
: >"$work/startup"
for ((round = 1; round <= rounds; round++)); do
    start=$(date +%s%N)
    in_main=$(QT_QPA_PLATFORM=offscreen "$startup" 2>/dev/null)
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 )) $in_main" >>"$work/startup"
done
process_ms=$(cut -d' ' -f1 "$work/startup" | median | awk '{ printf "%.1f", $1 / 1000 }')
main_ms=$(cut -d' ' -f2 "$work/startup" | median)
echo
echo "main window shown after ${process_ms} ms (${main_ms} ms of it from main()), median of $rounds"
