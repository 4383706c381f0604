#!/usr/bin/env bash
# Benchmark: split and join of synthetic models of about 1, 64 and 512 MiB with cindervaxel-cli,
# each against the floor: the same bytes at the same offsets copied inside the kernel
# (copy_file_range, bench/copy_reference.cpp: no checks, no temporary files, no renames), run
# right before it, pair by pair. Beside it cp of the whole model, one dd per section as a modder
# scripts it by hand, a split over its own unchanged set (which writes nothing), a split that
# replaces another model's set (--force) and a join that replaces a model, one with --sync, and
# one by the other way of copying (inside the kernel, or through a buffer of the program's: the
# build option CINDERVAXEL_KERNEL_COPY); and diff of two models that differ in one byte near the
# end, against cmp -s of the same two files (the floor of that row). Then 1000 small models split
# in one call against cp of the files that this writes. Prints for each row the time of the floor
# and the ratio to it of the pair in the middle (the median), of the lowest and of the highest
# pair, and the peak resident memory; then the time from starting the window program to its main
# window shown (offscreen); then `join --watch`: the time from a saved section file to the model
# rebuilt, over 50 saves of a 1 and a 64 MiB model, and the CPU time the watch uses in 10 idle
# seconds.
#
#   bash bench/bench.sh [ROUNDS] [SIZES_MIB...]      (defaults: 5 rounds; 1 64 512)
#   bash bench/bench.sh watch                        (the watch alone)
#
# The models and outputs go to $BENCH_DIR (default build/bench-data; a tmpfs such as /dev/shm
# measures without a disk), which needs about four times the largest model in free space.
# Everything runs warm from the page cache: each command's earlier output is removed right before
# it (on a virtual machine, memory that lies free for a while goes back to the host and costs more
# to take again than the copy itself). Each pair starts with a sync, untimed: without it, what the
# pairs before left for the disk to write made a 512 MiB split of the pair after it take up to
# seven times as long as its floor.
set -euo pipefail
cd "$(dirname "$0")/.."

only=
if [ "${1:-}" = watch ]; then
    only=watch
    shift
fi
rounds=${1:-5}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1 64 512)
work=${BENCH_DIR:-build/bench-data}

bash scripts/setup.sh time
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
# The same programs with the other way of copying between files.
other=$(grep -q 'CINDERVAXEL_KERNEL_COPY:BOOL=ON' build/release/CMakeCache.txt && echo OFF || echo ON)
cmake -S . -B build/bench-other-copy -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCINDERVAXEL_BUILD_UI=OFF -DCINDERVAXEL_KERNEL_COPY="$other" >/dev/null
cmake --build build/bench-other-copy --target cindervaxel-cli >/dev/null
cli=${BENCH_CLI:-build/release/src/cli/cindervaxel-cli}  # BENCH_CLI: another build to compare
other_cli=build/bench-other-copy/src/cli/cindervaxel-cli
maker=build/release/bench/make-bench-model
reference=build/release/bench/copy-reference
startup=build/release/bench/startup-time
latency=build/release/bench/watch-latency

mkdir -p "$work"

# watch_rows SIZES_MIB...: for each size, a model split into a set, `join --watch` of it, and
# 50 saves of poly.bin timed by watch-latency (half of them by rename, as editors save); then,
# for the first size, the CPU time (user and system) that the watch used in 10 seconds without a
# change, from the scheduler's count for the process (/proc/PID/schedstat, in nanoseconds).
watch_rows() {
    local size dir pid offset before after
    for size in "$@"; do
        dir="$work/watch-$size"
        rm -rf "$dir"
        mkdir -p "$dir/set" "$dir/out"
        "$maker" "$dir/set/model.p" "$size" >/dev/null
        "$cli" split "$dir/set/model.p"
        offset=$("$cli" info "$dir/set/model.p" | awk '$1 == "poly.bin" { print $2 }')
        "$cli" join --watch "$dir/set/model.asm" "$dir/out/model.p" >"$dir/log" 2>&1 &
        pid=$!
        until [ -s "$dir/log" ]; do sleep 0.05; done  # the first join is done
        printf 'join --watch, %s MiB model: ' "$(($(stat -c %s "$dir/set/model.p") / 1048576))"
        "$latency" "$dir/set/poly.bin" "$offset" "$dir/out/model.p" 50
        if [ "$size" = "$1" ]; then
            sleep 1
            before=$(cut -d' ' -f1 "/proc/$pid/schedstat")
            sleep 10
            after=$(cut -d' ' -f1 "/proc/$pid/schedstat")
            echo "join --watch, idle for 10 s: $(((after - before) / 1000)) µs of CPU time"
        fi
        kill "$pid"
        wait "$pid" 2>/dev/null || true
        rm -rf "$dir"
    done
}
if [ "$only" = watch ]; then
    watch_rows 1 64
    exit 0
fi

# shellcheck disable=SC2034  # read by row() in timing.sh
label_width=32
# shellcheck source=bench/timing.sh
source bench/timing.sh

# dd_sections split|join MODEL FOLDER: one dd per section, at its offset, as `info` gives them.
dd_sections() {
    local name offset length
    while read -r name offset length; do
        if [ "$1" = split ]; then
            dd if="$2" of="$3/$name" bs=1M iflag=skip_bytes,count_bytes skip="$offset" \
                count="$length" status=none
        else
            dd if="$3/$name" of="$2" bs=1M oflag=seek_bytes seek="$offset" conv=notrunc \
                status=none
        fi
    done <"$work/sections"
}

printf '%-32s %9s %8s %8s %8s %10s\n' "against the floor" "floor s" "median" "lowest" "highest" \
    "peak MiB"
names=(cp split split-dd split-over split-force split-sync split-other join join-dd join-over
    join-sync join-other diff)
for size in "${sizes[@]}"; do
    dir="$work/$size"
    rm -rf "$dir"
    mkdir -p "$dir/set" "$dir/out" "$dir/dd"
    "$maker" "$dir/set/model.p" "$size" >/dev/null
    # Another model, of other counts, whose set a split --force replaces whole.
    "$maker" "$dir/another.p" "$(awk -v s="$size" 'BEGIN { print s * 0.9 }')" >/dev/null
    "$cli" split "$dir/set/model.p"
    "$cli" info "$dir/set/model.p" | awk '/\.bin / && $2 != "-" { print $1, $2, $3 }' \
        >"$work/sections"
    export -f dd_sections
    export work
    model=$dir/set/model.p set_files="$dir/out/*.bin $dir/out/*.asm"
    split_floor="$reference split $model $dir/out"
    join_floor="$reference join $dir/set $dir/joined.p"
    # The same model with one byte changed 100 bytes before its end, in unknown.bin.
    cp "$model" "$dir/other.p"
    last=$(($(stat -c %s "$model") - 100))
    byte=$(od -An -tu1 -j "$last" -N1 "$model")
    # shellcheck disable=SC2059  # the format is the byte
    printf "\\$(printf '%03o' $((byte ^ 1)))" |
        dd of="$dir/other.p" bs=1 seek="$last" conv=notrunc status=none
    { "$cli" diff "$model" "$dir/other.p" || true; } |
        grep -q '^unknown.bin (4-byte elements): element [0-9]* changed$' ||
        { echo "diff does not find the byte that differs" >&2; exit 1; }
    # Round 0 warms up and is not counted.
    for ((round = 0; round <= rounds; round++)); do
        cp "$model" "$dir/out/model.p"
        pair cp "$set_files" "$split_floor" "$dir/copy.p" cp "$model" "$dir/copy.p"
        pair split "$set_files" "$split_floor" "$set_files" "$cli" split "$dir/out/model.p"
        pair split-dd "$set_files" "$split_floor" "$dir/dd/*" bash -c "dd_sections split $model $dir/dd"
        pair split-over "$set_files" "$split_floor" "" "$cli" split "$dir/set/model.p"
        rm -rf "$dir/force"
        mkdir -p "$dir/force"
        cp "$dir/another.p" "$dir/force/model.p"
        "$cli" split "$dir/force/model.p"
        cp "$model" "$dir/force/model.p"
        pair split-force "$set_files" "$split_floor" "" "$cli" split --force "$dir/force/model.p"
        cmp -s "$dir/force/poly.bin" "$dir/set/poly.bin" || { echo "--force replaced nothing" >&2; exit 1; }
        pair split-sync "$set_files" "$split_floor" "$set_files" "$cli" split --sync "$dir/out/model.p"
        pair split-other "$set_files" "$split_floor" "$set_files" "$other_cli" split "$dir/out/model.p"
        pair join "$dir/joined.p" "$join_floor" "$dir/joined.p" "$cli" join "$dir/set/model.asm" "$dir/joined.p"
        pair join-dd "$dir/joined.p" "$join_floor" "$dir/joined-dd.p" bash -c "dd_sections join $dir/joined-dd.p $dir/set"
        cp "$model" "$dir/over.p"
        pair join-over "$dir/joined.p" "$join_floor" "" "$cli" join "$dir/set/model.asm" "$dir/over.p"
        pair join-sync "$dir/joined.p" "$join_floor" "$dir/joined.p" "$cli" join --sync "$dir/set/model.asm" "$dir/joined.p"
        pair join-other "$dir/joined.p" "$join_floor" "$dir/joined.p" "$other_cli" join "$dir/set/model.asm" "$dir/joined.p"
        status_ok=1 pair diff "" "cmp -s $model $dir/other.p" "" "$cli" diff "$model" "$dir/other.p"
        for joined in "$dir/joined.p" "$dir/joined-dd.p" "$dir/over.p"; do
            cmp -s "$model" "$joined" || { echo "$joined differs" >&2; exit 1; }
        done
        if [ "$round" -eq 0 ]; then
            for name in "${names[@]}"; do rm -f "$work/$name"; done
        fi
    done
    mib=$(($(stat -c %s "$model") / 1048576))
    row "cp of the model, $mib MiB" cp
    row "split, $mib MiB" split
    row "  one dd per section" split-dd
    row "  over its own set, unchanged" split-over
    row "  over another's set, --force" split-force
    row "  --sync" split-sync
    row "  the other way of copying" split-other
    row "join, $mib MiB" join
    row "  one dd per section" join-dd
    row "  over an earlier model" join-over
    row "  --sync" join-sync
    row "  the other way of copying" join-other
    row "diff against cmp -s, $mib MiB" diff
    for name in "${names[@]}"; do rm -f "$work/$name"; done
    rm -rf "$dir"
done

# 1000 small models, split by one call into folders of their own, against cp of those files into
# the same place (the floor of this row). (Into a folder made anew for it, cp took eight times as long here: ext4 creates
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
rm -f "$dir/reference/"*.p "$work/models"
for ((round = 0; round <= rounds; round++)); do
    pair models "$dir/models/*/" "cp -r $dir/reference/. $dir/models" "$dir/models/*/" \
        "$cli" split --own-folder "$dir/models/"*.p
    if [ "$round" -eq 0 ]; then
        rm -f "$work/models"
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

echo
watch_rows 1 64
