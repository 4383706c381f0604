# shellcheck shell=bash
# Timing in pairs for the benchmarks, sourced by bench.sh and patch-bench.sh: each command right
# after its floor, the ratio of the two kept in $work. The caller sets $work and may set
# $label_width, the width of a row's label (default 40).
: "${work:?set work to the folder of the benchmark}"

# measure OUTPUTS COMMAND...: removes OUTPUTS (a glob), runs COMMAND and prints
# "microseconds peak_kib". COMMAND must exit with status $status_ok (default 0: cmp and diff
# exit with 1 for files that differ).
measure() {
    local outputs=$1
    shift
    # shellcheck disable=SC2086  # OUTPUTS is a glob
    rm -rf $outputs
    local start end status=0
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/rss" "$@" >/dev/null || status=$?
    end=$(date +%s%N)
    [ "$status" -eq "${status_ok:-0}" ] || { echo "$* exited with $status" >&2; return 1; }
    echo "$(((end - start) / 1000)) $(tail -n 1 "$work/rss")"
}

# pair NAME FLOOR_OUTPUTS FLOOR OUTPUTS COMMAND...: one pair, the floor (the words FLOOR, one
# argument, split at blanks) first with its FLOOR_OUTPUTS removed, then COMMAND with its OUTPUTS
# removed; appends "ratio peak_kib floor_microseconds" to $work/NAME. The floor must exit with
# $floor_status, when that is set, else as COMMAND must.
pair() {
    local name=$1 floor_outputs=$2 floor=$3 outputs=$4
    shift 4
    local floor_time command_time rss
    sync
    # shellcheck disable=SC2086  # FLOOR is a command line
    read -r floor_time _ < <(status_ok=${floor_status:-${status_ok:-0}} measure "$floor_outputs" $floor)
    read -r command_time rss < <(measure "$outputs" "$@")
    awk -v c="$command_time" -v f="$floor_time" -v m="$rss" 'BEGIN { print c / f, m, f }' \
        >>"$work/$name"
}

# row LABEL NAME: prints the time of the floor and the median, lowest and highest ratio of the
# pairs of NAME, and its peak memory.
row() {
    local floor
    floor=$(cut -d' ' -f3 "$work/$2" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
    sort -n "$work/$2" | awk -v label="$1" -v floor="$floor" -v width="${label_width:-40}" '
        { r[NR] = $1; if ($2 > m) m = $2 }
        END { printf "%-" width "s %9.3f %8.2f %8.2f %8.2f %10.1f\n",
              label, floor / 1e6, r[int((NR + 1) / 2)], r[1], r[NR], m / 1024 }'
}
