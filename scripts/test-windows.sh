#!/usr/bin/env bash
# Builds the core, the command-line tool and their tests as Windows executables (mingw-w64), runs
# the tests under Wine without a display, then splits and joins models with cindervaxel-cli.exe,
# makes, applies and merges patches of them, and compares every byte of the results and of what
# the tool prints. Installs what it needs with apt-get (through sudo when not root). Exits
# non-zero when any step or any check fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# shellcheck source=scripts/windows-lib.sh
source scripts/windows-lib.sh

bash scripts/setup.sh g++-mingw-w64-x86-64-posix wine64 wine googletest

# Wine in a prefix of its own, headless.
unset DISPLAY WAYLAND_DISPLAY
trap wine_stop EXIT
wine_prefix "$root/build/wine-prefix"

cmake --workflow --preset windows

echo "== Split and join with cindervaxel-cli.exe under Wine"
cli="$root/build/windows/src/cli/cindervaxel-cli.exe"
maker="$root/build/windows/bench/make-bench-model.exe"
work="$root/build/windows-round-trip"
rm -rf "$work"
mkdir -p "$work"

# Runs cindervaxel-cli.exe with the arguments; its status goes to $status, its standard output
# and error to $work/out and $work/err.
cli() {
    set +e
    "$wine" "$cli" "$@" >"$work/out" 2>"$work/err" </dev/null
    status=$?
    set -e
}

# expect STATUS OUT ERR: the last run ended with STATUS and printed exactly OUT and ERR.
expect() {
    printf '%s' "$2" >"$work/out.expected"
    printf '%s' "$3" >"$work/err.expected"
    local result=0
    if [ "$status" -ne "$1" ]; then
        echo "  status $status, expected $1"
        result=1
    fi
    if ! cmp -s "$work/out" "$work/out.expected"; then
        echo "  standard output differs:"
        od -c "$work/out" | head -20
        result=1
    fi
    if ! cmp -s "$work/err" "$work/err.expected"; then
        echo "  standard error differs:"
        od -c "$work/err" | head -20
        result=1
    fi
    return $result
}

le32() {
    local v=$1
    # shellcheck disable=SC2059
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) \
        $((v >> 24 & 255)))"
}

# The worked example: NumVerts 2, NumExtra 1, NumValue3 3, NumLines 4, NumPolys 1, NumHundrets 1,
# 432 bytes. The opaque header bytes are random; the sections are random bytes mixed with CR LF,
# lone LF and CR, and Ctrl-Z, which a text mode anywhere on the way would change.
{
    head -c 8 /dev/urandom
    le32 1; le32 2; le32 1
    head -c 4 /dev/urandom
    le32 3
    head -c 4 /dev/urandom
    le32 4; le32 1
    head -c 8 /dev/urandom
    le32 1
    head -c 76 /dev/urandom
    for _ in $(seq 16); do
        printf '\r\n\032\n\r'
        head -c 14 /dev/urandom
    done
} >"$work/robot.p"
check "the test model has 432 bytes" [ "$(stat -c %s "$work/robot.p")" -eq 432 ]

# Section file, offset and length in the worked example.
sections=(
    "header.bin 0 128" "additional.bin 128 36" "value3.bin 164 24" "color.bin 188 12"
    "edges.bin 200 16" "poly.bin 216 24" "hundrets.bin 240 100" "fiftysix.bin 340 60"
    "bbox.bin 400 24" "unknown.bin 424 8"
)

# set_holds DIR MODEL: every section file in DIR holds exactly its bytes of MODEL.
set_holds() {
    local entry name offset length
    for entry in "${sections[@]}"; do
        read -r name offset length <<<"$entry"
        cmp -s "$1/$name" <(tail -c +$((offset + 1)) "$2" | head -c "$length") ||
            { echo "  $name differs"; return 1; }
    done
}

info_text() {
    printf '%-14s %s\n' "Model file" "$1"
    printf '%-14s %s\n' ModelType 1 NumVerts 2 NumExtra 1 NumValue3 3 NumLines 4 NumPolys 1 \
        NumHundrets 1
    printf '\n%-16s %12s %12s\n' "Section file" Offset Length
    local entry name offset length
    for entry in "${sections[@]}"; do
        read -r name offset length <<<"$entry"
        printf '%-16s %12s %12s\n' "$name" "$offset" "$length"
    done
    printf '\n%-16s %12s\n' FileLength 432
    printf '%-16s %12s\n' ModelLength 432
    printf '%-16s %12s\n' "Unowned bytes" 0
    printf '%-16s %s\n' "Index file" "$2"
}

model=$(winpath "$work/robot.p")
cli info "$model"
check "info prints the layout, byte for byte" expect 0 "$(info_text "$model" robot.asm)
" ""

cli split --own-folder "$model"
check "split --own-folder with a Z:\\ path" expect 0 "" ""
check "the own folder holds the index and ten section files" \
    [ "$(find "$work/robot" -type f | wc -l)" -eq 11 ]
check "each section file holds exactly its bytes" set_holds "$work/robot" "$work/robot.p"
check "the index has 64 bytes" [ "$(stat -c %s "$work/robot/robot.asm")" -eq 64 ]

head -c 5000 /dev/urandom >"$work/back.p"
cli join --force "$(winpath "$work/robot/robot.asm")" "$(winpath "$work/back.p")"
check "join --force over a longer file that is no model" expect 0 "" ""
check "the joined model is the split one, byte for byte" cmp "$work/robot.p" "$work/back.p"
check "no temporary file is left behind" [ -z "$(find "$work" -mindepth 1 -maxdepth 1 -name '*tmp*')" ]

cd "$work"
cli join robot/robot.asm again.p
cd "$root"
check "join with relative paths and forward slashes" expect 0 "" ""
check "... gives the model again" cmp "$work/robot.p" "$work/again.p"

set_index=$(winpath "$work/robot/robot.asm")
cli diff "$model" "$set_index"
check "diff of a model and its own set: the same, status 0" \
    expect 0 "$model and $set_index give the same model.
" ""
cp -r "$work/robot" "$work/edited"
flip "$work/edited/edges.bin" 5
head -c 24 /dev/urandom >>"$work/edited/poly.bin"
cli diff "$set_index" "$(winpath "$work/edited/robot.asm")"
check "diff of two sets: a changed edge and a polygon that header.bin's counts leave out" \
    expect 1 "edges.bin (4-byte elements): element 1 changed
$set_index and $(winpath "$work/edited/robot.asm") differ in 1 section file.
" "cindervaxel-cli: note: $(winpath "$work/edited/poly.bin") is 48 bytes; header.bin's counts give 24, and the \
rest is left out, as a join leaves it out: run cindervaxel-cli check \
$(winpath "$work/edited/robot.asm") to see what to do
"
cli diff --json "$model" "$(winpath "$work/edited/robot.asm")"
check "diff --json: one document, status 1" \
    grep -q '"changed": \[$' "$work/out"
cli diff "$model" "$(winpath "$work/missing.p")"
check "diff of a missing file: trouble, status 2" \
    expect 2 "" "cindervaxel-cli: $(winpath "$work/missing.p"): there is no such file: check the path
Error Code: 53
"

foreign="drache-ä-δ-竜"
cp "$work/robot.p" "$work/$foreign.p"
cli split --own-folder "$(winpath "$work/$foreign.p")"
check "split of a model whose name no code page holds" expect 0 "" ""
check "... names its folder and index after it" [ -f "$work/$foreign/$foreign.asm" ]
cli join "$(winpath "$work/$foreign/$foreign.asm")" "$(winpath "$work/$foreign-back.p")"
check "... and joins it again" cmp "$work/robot.p" "$work/$foreign-back.p"

# console ARGS...: what a console shows of cindervaxel-cli.exe run in $work with ARGS, its lines
# joined and its runs of spaces made one: Wine's console on a pseudo-terminal (script), in code
# page 437 as many consoles are, drawing the screen with cursor moves, which become spaces or go.
console() {
    (cd "$work" && script -qec "$wine cmd /c 'chcp 437 >nul & $(winpath "$cli") $*'" /dev/null) |
        perl -pe 's/\e\[(\d*)C/ /g; s/\e\[[0-9;?]*[A-Za-z]//g; s/[\r\n]//g; s/ +/ /g'
}
head -c 300 "$work/robot.p" >"$work/$foreign-short.p"
check "a console shows a name that no code page holds as it is, on standard output" \
    grep -qF "Index file $foreign.asm" <(console info "$foreign.p")
check "... and on standard error" \
    grep -qF "cindervaxel-cli: $(winpath "$work/$foreign-short.p"): the header's counts need" \
    <(console split "$foreign-short.p")
cli --help
check "--help fits an 80-column console" [ "$(awk 'length > 79' "$work/out")" = "" -a "$status" -eq 0 ]

# A network share: Wine serves \\server\share from the folder its prefix maps it to.
mkdir -p "$WINEPREFIX/dosdevices/unc/server"
ln -sfn "$work" "$WINEPREFIX/dosdevices/unc/server/share"
rm -rf "$work/robot"
cli split --own-folder '\\server\share\robot.p'
check "split --own-folder of a model on a network share" expect 0 "" ""
check "... writes its set there" set_holds "$work/robot" "$work/robot.p"
cli join '//server/share/robot/robot.asm' '\\server\share\unc-back.p'
check "... and joins it there again, from paths with either separator" \
    cmp "$work/robot.p" "$work/unc-back.p"
cli info '\\?\UNC\server\share\robot.p'
check "a network path in its extended form" [ "$status" -eq 0 ]
cli info "\\\\?\\$(winpath "$work/robot.p")"
check "a local path in its extended form" [ "$status" -eq 0 ]

cli split "$(winpath "$work/missing.p")"
check "a missing model: message on standard error, the file named, status 1" \
    expect 1 "" "cindervaxel-cli: $(winpath "$work/missing.p"): there is no such file: check the path
Error Code: 76
"
head -c 431 "$work/robot.p" >"$work/short.p"
cli split "$(winpath "$work/short.p")"
check "a short model: the file, the cause and the code, status 1" \
    expect 1 "" "cindervaxel-cli: $(winpath "$work/short.p"): the header's counts need 432 bytes, \
the file has 431: check that it is a model file, complete and undamaged, and split that
Error Code: 62
"
truncate -s 20 "$work/robot/poly.bin"
cp "$work/back.p" "$work/kept.p"
cli join "$(winpath "$work/robot/robot.asm")" "$(winpath "$work/kept.p")"
check "a wrong section length ends the program, status 3" \
    expect 3 "" "cindervaxel-cli: $(winpath "$work/robot/poly.bin"): it is 20 bytes, the index \
records 24: run cindervaxel-cli check $(winpath "$work/robot/robot.asm") to see whether a recount \
mends it
"
check "... and leaves the destination as it was" cmp "$work/back.p" "$work/kept.p"

# A model of some megabytes, copied in several pieces each way.
mkdir -p "$work/big"
"$wine" "$maker" "$(winpath "$work/big/big.p")" 3 >/dev/null </dev/null
cli split "$(winpath "$work/big/big.p")"
check "split of a 3 MiB model" expect 0 "" ""
cli join "$(winpath "$work/big/big.asm")" "$(winpath "$work/big-back.p")"
check "join of a 3 MiB model" expect 0 "" ""
check "... gives it back byte for byte" cmp "$work/big/big.p" "$work/big-back.p"

cli diff "$(winpath "$work/big/big.p")" "$(winpath "$work/big-back.p")"
check "diff of two 3 MiB models, the same: status 0" [ "$status" -eq 0 ]
flip "$work/big-back.p" $(($(stat -c %s "$work/big-back.p") - 100))
cli diff "$(winpath "$work/big/big.p")" "$(winpath "$work/big-back.p")"
check "... and with one byte changed near the end: that element of unknown.bin, status 1" \
    grep -qx 'unknown.bin (4-byte elements): element [0-9]* changed' "$work/out"
check "... status 1" [ "$status" -eq 1 ]

# Patches: mods of robot.p that change elements of additional.bin (byte 128 on, 12 bytes each):
# a.p and b.p element 0 differently, c.p element 1; ac.p has the changes of a.p and c.p.
mods="$work/mods"
mkdir -p "$mods"
for mod in a b c ac; do cp "$work/robot.p" "$mods/$mod.p"; done
flip "$mods/a.p" 128
flip "$mods/b.p" 128 2
flip "$mods/c.p" 140
flip "$mods/ac.p" 128
flip "$mods/ac.p" 140
modpath() { winpath "$mods/$1"; }
model=$(winpath "$work/robot.p")
for mod in a b c; do
    cli patch "$model" "$(modpath $mod.p)" "$(modpath $mod.cvxpatch)"
    check "patch of robot.p and its mod $mod.p" expect 0 "" ""
done
cli info "$(modpath c.cvxpatch)"
check "info of a patch: what it changes" \
    grep -qx 'additional.bin: element 1 changed' "$work/out"
check "... status 0" [ "$status" -eq 0 ]
cli apply "$model" "$(modpath a.cvxpatch)" "$(modpath out.p)"
check "apply gives the mod" expect 0 "" ""
check "... byte for byte" cmp "$mods/a.p" "$mods/out.p"
cp "$work/robot.p" "$mods/in-place.p"
cli apply "$(modpath in-place.p)" "$(modpath c.cvxpatch)" "$(modpath in-place.p)"
check "apply in place: says where the original is kept, status 0" \
    expect 0 "" "cindervaxel-cli: note: the original is kept as $(modpath in-place.p.orig)
"
check "... the mod written, byte for byte" cmp "$mods/c.p" "$mods/in-place.p"
check "... the original kept as in-place.p.orig" cmp "$work/robot.p" "$mods/in-place.p.orig"
cli merge "$model" "$(modpath a.p)" "$(modpath c.p)" "$(modpath merged.p)"
check "merge of two mods that change different elements" expect 0 "" ""
check "... has the changes of both, byte for byte" cmp "$mods/ac.p" "$mods/merged.p"
ls -A "$mods" >"$work/mods-before"
patch_a=$(modpath a.cvxpatch)
patch_b=$(modpath b.cvxpatch)
cli apply "$model" "$patch_a" "$patch_b" "$(modpath conflict.p)"
check "apply of two patches that change an element differently: refused, status 1" \
    expect 1 "" "cindervaxel-cli: $patch_b: $patch_a and $patch_b change element 0 of \
additional.bin differently: prefer the first or the last of them, or leave one out
Error Code: 5
"
check "... and nothing written" diff "$work/mods-before" <(ls -A "$mods")
cli apply --prefer last "$model" "$patch_a" "$patch_b" "$(modpath conflict.p)"
check "--prefer last settles it: the last patch's change" cmp "$mods/b.p" "$mods/conflict.p"
check "... status 0" [ "$status" -eq 0 ]

echo "round-trip: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
