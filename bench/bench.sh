#!/usr/bin/env bash
# Benchmark: split and join of synthetic models of about 1, 64 and 512 MiB with cindervaxel-cli,
# each against cp of the same model run right before it; and 1000 small models split in one call
# against cp of the files that this writes. Prints for each row the ratio to cp of the pair in the
# middle (the median), of the lowest and of the highest pair, and the peak resident memory; then
# the time from starting the window program to its main window shown (offscreen).
#
#   bash bench/bench.sh [ROUNDS] [SIZES_MIB...]      (defaults: 5 rounds; 1 64 512)
#
# The models and outputs go to $BENCH_DIR (default build/bench-data), which needs about three
# times the largest model in free space. Everything runs warm from the page cache, back to back:
# each command's earlier output is removed right before it (on a virtual machine, memory that
# lies free for a while goes back to the host and costs more to take again than the copy itself),
# and no sync runs in between, which made single pairs scatter from 0.3 to 8 times. Every
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

# measure OUTPUTS COMMAND...: removes OUTPUTS (a glob), runs COMMAND and prints
# "microseconds peak_kib".
measure() {
    local outputs=$1
    shift
    # shellcheck disable=SC2086  # OUTPUTS is a glob
    rm -rf $outputs
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/rss" "$@" >/dev/null
    end=$(date +%s%N)
    echo "$(((end - start) / 1000)) $(cat "$work/rss")"
}

# pair NAME FROM TO COPIES OUTPUTS COMMAND...: one pair, `cp -r FROM TO` first (its earlier
# COPIES removed), then COMMAND; appends "ratio peak_kib" of the command to $work/NAME and the
# time of cp to $work/NAME.cp.
pair() {
    local name=$1 from=$2 to=$3 copies=$4 outputs=$5
    shift 5
    local cp_time command_time rss
    read -r cp_time _ < <(measure "$copies" cp -r "$from" "$to")
    read -r command_time rss < <(measure "$outputs" "$@")
    awk -v c="$command_time" -v p="$cp_time" -v m="$rss" 'BEGIN { print c / p, m }' >>"$work/$name"
    echo "$cp_time" >>"$work/$name.cp"
}

# row LABEL NAME: prints the median, lowest and highest ratio of the pairs of NAME.
row() {
    sort -n "$work/$2" | awk -v label="$1" -v cp="$(sort -n "$work/$2.cp" | awk '{ v[NR] = $1 }
        END { print v[int((NR + 1) / 2)] }')" '
        { r[NR] = $1; if ($2 > m) m = $2 }
        END { printf "%-24s %9.3f %8.2f %8.2f %8.2f %10.1f\n",
              label, cp / 1e6, r[int((NR + 1) / 2)], r[1], r[NR], m / 1024 }'
}

printf '%-24s %9s %8s %8s %8s %10s\n' "command" "cp s" "median" "lowest" "highest" "peak MiB"
for size in "${sizes[@]}"; do
    dir="$work/$size"
    rm -rf "$dir"
    mkdir -p "$dir/set"
    "$maker" "$dir/set/model.p" "$size" >/dev/null
    "$cli" split "$dir/set/model.p"
    rm -f "$work/split" "$work/split.cp" "$work/join" "$work/join.cp"
    # Round 0 warms up and is not counted.
    for ((round = 0; round <= rounds; round++)); do
        pair split "$dir/set/model.p" "$dir/copy.p" "$dir/copy.p" \
            "$dir/set/*.bin $dir/set/model.asm" \
            "$cli" split "$dir/set/model.p"
        pair join "$dir/set/model.p" "$dir/copy.p" "$dir/copy.p" "$dir/joined.p" \
            "$cli" join "$dir/set/model.asm" "$dir/joined.p"
        cmp -s "$dir/set/model.p" "$dir/joined.p" || { echo "join differs" >&2; exit 1; }
        if [ "$round" -eq 0 ]; then
            rm -f "$work/split" "$work/split.cp" "$work/join" "$work/join.cp"
        fi
    done
    mib=$(($(stat -c %s "$dir/set/model.p") / 1048576))
    row "split, $mib MiB" split
    row "join, $mib MiB" join
    rm -rf "$dir"
done

# 1000 small models, split by one call into folders of their own, against cp of those files into
# the same place. (Into a folder made anew for it, cp took eight times as long here: ext4 creates
# files in a new folder's new subfolders far more slowly.)
dir="$work/many"
rm -rf "$dir"
mkdir -p "$dir/models" "$dir/reference"
"$maker" "$dir/model.p" 0.004 >/dev/null
for i in $(seq 1000); do
    cp "$dir/model.p" "$dir/models/model$i.p"
done
cp "$dir/models/"*.p "$dir/reference/"
"$cli" split --own-folder "$dir/reference/"*.p
rm -f "$dir/reference/"*.p "$work/models" "$work/models.cp"
for ((round = 0; round <= rounds; round++)); do
    pair models "$dir/reference/." "$dir/models" "$dir/models/*/" "$dir/models/*/" \
        "$cli" split --own-folder "$dir/models/"*.p
    if [ "$round" -eq 0 ]; then
        rm -f "$work/models" "$work/models.cp"
    fi
done
diff -r --exclude='*.p' "$dir/reference" "$dir/models" >/dev/null ||
    { echo "split of many models differs" >&2; exit 1; }
row "split, 1000 small models" models
rm -rf "$dir"

# Start-up: the whole process from exec to the main window exposed, and the part of it from main().
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
: >"$work/startup"
for ((round = 1; round <= rounds; round++)); do
    start=$(date +%s%N)
    in_main=$(QT_QPA_PLATFORM=offscreen "$startup" 2>/dev/null)
    end=$(date +%s%N)
    echo "$(((end - start) / 1000)) $in_main" >>"$work/startup"
done
process_ms=$(cut -d' ' -f1 "$work/startup" | median | awk '{ printf "%.1f", $1 / 1000 }')
main_ms=$(cut -d' ' -f2 "$work/startup" | median)
echo
echo "main window shown after ${process_ms} ms (${main_ms} ms of it from main()), median of $rounds"
