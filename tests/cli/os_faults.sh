#!/usr/bin/env bash
# Real failures of the operating system, met by cindervaxel-cli: the file-size limit
# (RLIMIT_FSIZE), directories that the process may not write, and interrupts (SIGINT, SIGTERM,
# SIGHUP) in the middle of a write. Each case checks the exit status, the message on standard
# error, and that no file was lost, half written or left behind.
#
#   bash tests/cli/os_faults.sh CINDERVAXEL_CLI MAKE_BENCH_MODEL \
#       [file-size-limit|read-only|interrupt|all]
#
# The read-only part needs root, to take the capability to override permission bits away from
# the tool (root is not bound by them otherwise); without root (or setpriv) it exits 77, which
# ctest reports as skipped. The file-size limit works for every user.
set -euo pipefail

cli=$(realpath "$1")
maker=$(realpath "$2")
part=${3:-all}
if { [ "$part" = read-only ] || [ "$part" = all ]; } &&
    { [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; }; then
    echo "skipped: the read-only checks need root and setpriv"
    exit 77
fi

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work"
failures=0
cases=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Runs the tool without CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH: bound by permission bits.
unprivileged() {
    setpriv --inh-caps=-dac_override,-dac_read_search \
        --bounding-set=-dac_override,-dac_read_search "$@"
}

# Runs the tool with a file-size limit of 256 KiB; SIGXFSZ ignored when $1 is "ignored".
limited() {
    local signal=$1
    shift
    if [ "$signal" = ignored ]; then
        bash -c 'trap "" XFSZ; ulimit -f 256; exec "$@"' limited "$@"
    else
        bash -c 'ulimit -f 256; exec "$@"' limited "$@"
    fi
}

# A snapshot of every file below a directory: path, size and checksum.
snapshot() {
    (cd "$1" && find . -type f -print0 | sort -z | xargs -0r sha256sum)
}

# expect_failure NAME CODE FILE COMMAND...: the command exits 1 with a line that names FILE
# (below the working folder) and says what to do, then CODE.
expect_failure() {
    local name=$1 code=$2 file=$3
    shift 3
    cases=$((cases + 1))
    local status=0
    "$@" >out.txt 2>err.txt || status=$?
    if [ "$status" -ne 1 ]; then
        fail "$name: exit status $status, expected 1 ($(cat err.txt))"
    elif [ "$(sed -n 2p err.txt)" != "Error Code: $code" ] ||
        ! head -n 1 err.txt | grep -q "^cindervaxel-cli: $work/$file: .*: .* try again\$"; then
        fail "$name: message '$(cat err.txt)', expected code $code and $file"
    else
        echo "ok: $name (exit 1, code $code, $file named)"
    fi
}

# expect_same NAME DIR SNAPSHOT: nothing below DIR changed, appeared or went.
expect_same() {
    if [ "$(snapshot "$2")" != "$3" ]; then
        fail "$1: files changed:"
        diff <(echo "$3") <(snapshot "$2") || true
    fi
}

"$maker" model.p 1 >/dev/null                   # about 1 MiB; its additional section is 296 KiB
"$maker" old.p 0.01 >/dev/null                  # an older model, for a join to replace
mkdir set
cp model.p set/model.p
"$cli" split set/model.p
set_files=$(snapshot set)

file_size_limit_checks() {
    echo "== The file-size limit"
    for signal in ignored default; do
        mkdir -p "dest-$signal"
        cp old.p "dest-$signal/out.p"
        before=$(snapshot "dest-$signal")
        expect_failure "join over an existing model, SIGXFSZ $signal" 61 "dest-$signal/out.p" \
            limited "$signal" "$cli" join set/model.asm "dest-$signal/out.p"
        expect_same "join, SIGXFSZ $signal: the destination" "dest-$signal" "$before"
        expect_same "join, SIGXFSZ $signal: the set" set "$set_files"
    done

    # A split over an earlier set, which --force lets it replace: a failure before every file is
    # written leaves every file as it was.
    mkdir split-limit new
    "$maker" split-limit/model.p 0.05 >/dev/null
    "$cli" split split-limit/model.p
    cp model.p split-limit/model.p
    cp model.p new/model.p
    "$cli" split new/model.p
    old=$(snapshot split-limit)
    expect_failure "split over an earlier set" 61 split-limit/additional.bin \
        limited ignored "$cli" split --force split-limit/model.p
    expect_same "split over an earlier set" split-limit "$old"
}

read_only_checks() {
    echo "== Directories that may not be written"
    mkdir -p ro-dest
    cp old.p ro-dest/out.p
    chmod 555 ro-dest
    before=$(snapshot ro-dest)
    expect_failure "join over a model in a read-only directory" 70 ro-dest/out.p \
        unprivileged "$cli" join set/model.asm ro-dest/out.p
    expect_failure "join to a new model in a read-only directory" 70 ro-dest/new.p \
        unprivileged "$cli" join set/model.asm ro-dest/new.p
    expect_same "join into a read-only directory" ro-dest "$before"

    mkdir -p rw-dest
    cp old.p rw-dest/out.p
    chmod 444 rw-dest/out.p
    before=$(snapshot rw-dest)
    expect_failure "join over a read-only model" 70 rw-dest/out.p \
        unprivileged "$cli" join set/model.asm rw-dest/out.p
    expect_same "join over a read-only model" rw-dest "$before"

    mkdir -p ro-split
    cp model.p ro-split/model.p
    chmod 555 ro-split
    before=$(snapshot ro-split)
    expect_failure "split in a read-only directory" 70 ro-split/model.asm \
        unprivileged "$cli" split ro-split/model.p
    expect_failure "split in a read-only directory, own folder" 70 ro-split/model \
        unprivileged "$cli" split --own-folder ro-split/model.p
    expect_same "split in a read-only directory" ro-split "$before"
    if [ -n "$(find ro-split -mindepth 1 -maxdepth 1 ! -name model.p)" ]; then
        fail "split in a read-only directory: $(ls -A ro-split)"
    fi

    # A set edited in a folder that may not be written: recount says so and changes nothing.
    mkdir -p ro-set
    cp model.p ro-set/model.p
    "$cli" split ro-set/model.p
    printf '%024d' 0 >>ro-set/poly.bin  # one polygon more, and its colour
    printf 'abcd' >>ro-set/color.bin
    chmod 555 ro-set
    before=$(snapshot ro-set)
    cases=$((cases + 1))
    status=0
    unprivileged "$cli" recount ro-set/model.asm >out.txt 2>err.txt || status=$?
    if [ "$status" -ne 1 ] || ! grep -qx 'Error Code: 70' err.txt ||
        ! grep -q "^cindervaxel-cli: $work/ro-set/header.bin: .*; nothing was changed: " err.txt; then
        fail "recount of a read-only set: exit $status, '$(cat err.txt)'"
    else
        echo "ok: recount of a read-only set (exit 1, nothing was changed)"
    fi
    expect_same "recount of a read-only set" ro-set "$before"
    # An index that may not be read: check says so, as every command does.
    chmod 000 ro-set/model.asm
    expect_failure "check of an index that may not be read" 70 ro-set/model.asm \
        unprivileged "$cli" check ro-set/model.asm
}

temporary_files() { find "$1" -maxdepth 1 -name '.*.tmp'; }

# Splits a small model and then one of about 256 MiB over an older set, and interrupts the second
# with each signal while a temporary file is being written: the tool ends as the signal asks
# (status 128 + its number), and leaves each output as before or complete and no temporary file,
# also after the small model's eleven files went through the same list of files to remove.
interrupt_checks() {
    echo "== Interrupts in the middle of a write"
    # nohup, or a background job started without job control, passes SIGHUP or SIGINT on ignored,
    # and a signal ignored at start stays ignored in every program started from here: no split
    # would end by it, and a watch would wait for ever.
    local ignored
    ignored=$(awk '/^SigIgn:/ { print $2 }' "/proc/$$/status" 2>/dev/null || true)
    if [ -n "$ignored" ] && (((0x$ignored & 0x4003) != 0)); then  # SIGHUP, SIGINT, SIGTERM
        fail "interrupts: started with SIGHUP, SIGINT or SIGTERM ignored (SigIgn $ignored): run it in the foreground, not under nohup"
        return
    fi
    mkdir -p big/new
    "$maker" big/new/model.p 256 >/dev/null
    "$cli" split big/new/model.p
    set -m  # background jobs as a terminal starts them: interrupts not ignored
    for signal in INT TERM HUP; do
        local number status=0 dir="big/$signal"
        number=$(kill -l "$signal")
        for _ in 1 2 3; do
            rm -rf "$dir" "$dir-first"
            mkdir -p "$dir" "$dir-first"
            cp model.p "$dir/model.p"
            cp model.p "$dir-first/model.p"
            "$cli" split "$dir/model.p"  # the older set, of the 1 MiB model
            ln -f big/new/model.p "$dir/model.p"
            old=$(snapshot "$dir")
            "$cli" split --force "$dir-first/model.p" "$dir/model.p" &
            local pid=$!
            until [ -n "$(temporary_files "$dir")" ] || ! kill -0 "$pid" 2>/dev/null; do
                sleep 0.01
            done
            kill -s "$signal" "$pid" 2>/dev/null || true
            status=0
            wait "$pid" || status=$?
            [ "$status" -eq 0 ] || break  # 0: the split was done before the signal came
        done
        cases=$((cases + 1))
        if [ "$status" -ne $((128 + number)) ]; then
            fail "SIG$signal: exit status $status, expected $((128 + number))"
        elif [ -n "$(temporary_files "$dir")" ]; then
            fail "SIG$signal: temporary file left behind: $(temporary_files "$dir")"
        else
            for file in "$dir"/*; do
                name=$(basename "$file")
                if ! cmp -s "$file" "big/new/$name" &&
                    ! echo "$old" | grep -q "$(sha256sum <"$file" | cut -d' ' -f1)  ./$name\$"; then
                    fail "SIG$signal: $name is neither old nor new"
                fi
            done
            echo "ok: SIG$signal in the middle of a write (exit $status, files old or new)"
        fi
    done
    # Into its own folder: the folder that the split made goes with its temporary files.
    mkdir -p big/own
    ln -f big/new/model.p big/own/model.p
    "$cli" split --own-folder big/own/model.p &
    local pid=$!
    until [ -n "$(temporary_files big/own/model 2>/dev/null)" ] || ! kill -0 "$pid" 2>/dev/null; do
        sleep 0.01
    done
    kill -s INT "$pid" 2>/dev/null || true
    status=0
    wait "$pid" || status=$?
    cases=$((cases + 1))
    if [ "$status" -ne 130 ] || [ -e big/own/model ]; then
        fail "SIGINT into its own folder: exit status $status, left: $(ls -A big/own)"
    else
        echo "ok: SIGINT into its own folder (exit 130, the folder removed)"
    fi
    watch_interrupts
    set +m
}

# join --watch of the 256 MiB set, its model written into the watched folder, ended by a signal
# while it waits and by SIGINT while it rebuilds: within a second, with the signal's status, the
# model whole and no temporary file left.
watch_interrupts() {
    local dir=big/watch signal number status start end
    rm -rf "$dir"
    cp -al big/new "$dir"  # the same files: a watch only reads them
    for signal in INT TERM rebuild; do
        number=$(kill -l "${signal/rebuild/INT}")
        rm -f "$dir/out.p"
        : >"$dir/log"  # empty before the watch starts, which may take a moment
        "$cli" join --watch "$dir/model.asm" "$dir/out.p" >"$dir/log" 2>&1 &
        local pid=$!
        until [ -s "$dir/log" ] || ! kill -0 "$pid" 2>/dev/null; do sleep 0.01; done
        if [ "$signal" = rebuild ]; then
            touch "$dir/poly.bin"
            until [ -n "$(temporary_files "$dir")" ] || ! kill -0 "$pid" 2>/dev/null; do
                sleep 0.005
            done
        fi
        start=$(date +%s%N)
        kill -s "${signal/rebuild/INT}" "$pid" 2>/dev/null || true
        status=0
        wait "$pid" || status=$?
        end=$(date +%s%N)
        cases=$((cases + 1))
        if [ "$status" -ne $((128 + number)) ] || [ $((end - start)) -gt 1000000000 ]; then
            fail "watch, $signal: exit status $status after $(((end - start) / 1000000)) ms"
        elif [ -n "$(temporary_files "$dir")" ] || ! cmp -s "$dir/out.p" big/new/model.p; then
            fail "watch, $signal: the model is not whole, or a temporary file is left"
        else
            echo "ok: watch, $signal: exit $status after $(((end - start) / 1000000)) ms, model whole"
        fi
    done
}

case "$part" in
    file-size-limit) file_size_limit_checks ;;
    read-only) read_only_checks ;;
    interrupt) interrupt_checks ;;
    *) file_size_limit_checks; read_only_checks; interrupt_checks ;;
esac
expect_same "the set after all runs" set "$set_files"

echo "$cases cases, $failures failures"
[ "$failures" -eq 0 ]
