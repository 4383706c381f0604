#!/usr/bin/env bash
# Benchmark of mod patches: on synthetic models of about 64 and 512 MiB, three edits as modders
# make them (three polygons changed; one polygon inserted; 10 000 elements of value3.bin
# removed), each made into a patch by `cindervaxel-cli patch` against `cmp -s` of the two models
# (or, for models of different lengths, where cmp -s stops at once, `cat` of both: the floor of
# reading both), and applied by `cindervaxel-cli apply` against `cp` of the original
# (the floor of writing a model of that size). Pair by pair, the floor first; prints the floor's
# time, the median, lowest and highest ratio to it and the peak resident memory. Then the size of
# each patch beside those of `xdelta3 -9` and, up to 64 MiB, `bsdiff` on the same two models, and
# their time and memory to make one.
#
#   bash bench/patch-bench.sh [ROUNDS] [SIZES_MIB...]    (defaults: 5 rounds; 64 512)
#
# The models go to $BENCH_DIR (default build/bench-data), which needs about six times the largest
# model in free space. Everything runs warm from the page cache, as bench/bench.sh explains.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-5}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(64 512)
work=${BENCH_DIR:-build/bench-data}/patches

bash scripts/setup.sh time xdelta3 bsdiff
cmake --preset release >/dev/null
cmake --build --preset release --target cindervaxel-cli make-bench-model >/dev/null
cli=${BENCH_CLI:-build/release/src/cli/cindervaxel-cli}
maker=build/release/bench/make-bench-model
mkdir -p "$work"

# shellcheck source=bench/timing.sh
source bench/timing.sh

# edit KIND MODEL MOD: MOD is MODEL with one edit of KIND, made as a modder makes it: split, the
# section file edited, recounted and joined.
edit() {
    local set=$work/edit
    rm -rf "$set"
    mkdir -p "$set"
    cp "$2" "$set/model.p"
    "$cli" split "$set/model.p"
    local poly=$set/poly.bin value3=$set/value3.bin
    case $1 in
    changed) # polygons 10, 5000 and 20000 (24 bytes each)
        for at in 10 5000 20000; do
            printf 'CHANGED-POLYGON-%08d' "$at" |
                dd of="$poly" bs=24 seek="$at" conv=notrunc status=none
        done ;;
    inserted) # a polygon in front of polygon 1000, and its colour in front of colour 1000
        { head -c $((1000 * 24)) "$poly"; printf 'A-POLYGON-INSERTED-HERE!'
          tail -c +$((1000 * 24 + 1)) "$poly"; } >"$set/poly.new"
        { head -c $((1000 * 4)) "$set/color.bin"; printf 'RGBA'
          tail -c +$((1000 * 4 + 1)) "$set/color.bin"; } >"$set/color.new"
        mv "$set/poly.new" "$poly"
        mv "$set/color.new" "$set/color.bin" ;;
    removed) # 10 000 elements of value3.bin (8 bytes each) from element 2000 on
        { head -c $((2000 * 8)) "$value3"; tail -c +$((12000 * 8 + 1)) "$value3"; } \
            >"$set/value3.new"
        mv "$set/value3.new" "$value3" ;;
    esac
    "$cli" recount "$set/model.asm" >/dev/null
    "$cli" join "$set/model.asm" "$3"
    rm -rf "$set"
}

edits=(changed inserted removed)
printf '%-40s %9s %8s %8s %8s %10s\n' "against the floor" "floor s" "median" "lowest" "highest" \
    "peak MiB"
sizes_out=$work/sizes
: >"$sizes_out"
for size in "${sizes[@]}"; do
    model=$work/model.p
    "$maker" "$model" "$size" >/dev/null
    mib=$(($(stat -c %s "$model") / 1048576))
    for kind in "${edits[@]}"; do
        mod=$work/mod.p patch=$work/mod.cvxpatch out=$work/out.p
        edit "$kind" "$model" "$mod"
        # cmp -s stops at the first byte that differs, and at once for files of different
        # lengths: for those, reading both whole is the floor.
        if [ "$(stat -c %s "$model")" -eq "$(stat -c %s "$mod")" ]; then
            floor="cmp -s $model $mod" cmp_status=1 against="cmp -s"
        else
            floor="cat $model $mod" cmp_status=0 against="cat of both"
        fi
        for ((round = 0; round <= rounds; round++)); do
            floor_status=$cmp_status pair "patch-$kind" "" "$floor" "$patch" \
                "$cli" patch "$model" "$mod" "$patch"
            pair "apply-$kind" "$work/copy.p" "cp $model $work/copy.p" "$out" \
                "$cli" apply "$model" "$patch" "$out"
            cmp -s "$out" "$mod" || { echo "apply did not give the mod" >&2; exit 1; }
            if [ "$round" -eq 0 ]; then # a warm-up
                rm -f "$work/patch-$kind" "$work/apply-$kind"
            fi
        done
        row "patch ($kind) against $against, $mib MiB" "patch-$kind"
        row "apply ($kind) against cp, $mib MiB" "apply-$kind"
        rm -f "$work/patch-$kind" "$work/apply-$kind"
        # The same edit by the byte patchers.
        read -r xd_time xd_rss < <(measure "" xdelta3 -9 -f -e -s "$model" "$mod" "$work/mod.vcdiff")
        xd_size=$(stat -c %s "$work/mod.vcdiff")
        bs_size=- bs_time=- bs_rss=-
        if [ "$size" -le 64 ]; then
            read -r bs_time bs_rss < <(measure "" bsdiff "$model" "$mod" "$work/mod.bsdiff")
            bs_size=$(stat -c %s "$work/mod.bsdiff")
            bs_time=$(awk -v t="$bs_time" 'BEGIN { printf "%.2f s", t / 1e6 }')
            bs_rss="$((bs_rss / 1024)) MiB"
        fi
        printf '%s\n' "$mib MiB, $kind: patch $(stat -c %s "$patch") bytes; xdelta3 -9 $xd_size bytes in $(awk -v t="$xd_time" 'BEGIN { printf "%.2f s", t / 1e6 }'), $((xd_rss / 1024)) MiB; bsdiff $bs_size bytes in $bs_time, $bs_rss" >>"$sizes_out"
        rm -f "$mod" "$patch" "$out" "$work/copy.p" "$work/mod.vcdiff" "$work/mod.bsdiff"
    done
    rm -f "$model"
done
printf '\nPatch sizes, and the byte patchers on the same two models:\n'
cat "$sizes_out"
