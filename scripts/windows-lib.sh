# shellcheck shell=bash
# What the Windows test scripts share: running Windows programs under Wine, as root, headless or
# on an X display, changing bytes of test files and counting checks. Sourced by them; defines
# $wine, $passed, $failed and the functions below.

wine=/usr/lib/wine/wine64  # Debian keeps the 64-bit loader off PATH

# wine_prefix DIR: makes the Wine prefix in DIR the current one (WINEPREFIX), quiet, with no
# debugger and no menu entries on the host's desktop for the programs installed into it, and
# starts it with a server that stays: the first start sets a new prefix up and starts its
# services, which must not inherit a pipe of the caller's; without it, ctest may hang at test
# discovery. Wine's own fonts go into it as well: Debian's Wine does not find them, and without
# Tahoma the text typed into a field is drawn outside the field. The user's folders (Documents,
# Desktop, ...), which Wine links to the host's home, become folders of the prefix's own, so that
# what the programs write there stays in the prefix.
wine_prefix() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="winedbg.exe=d;winemenubuilder.exe=d"
    export LC_ALL=C.UTF-8  # Wine takes the arguments of Windows programs as UTF-8
    mkdir -p "$WINEPREFIX"
    wineserver -p
    "$wine" wineboot </dev/null >/dev/null 2>&1
    local fonts=(/usr/share/wine/fonts/*.ttf)  # from fonts-wine
    [ ! -e "${fonts[0]}" ] || cp "${fonts[@]}" "$WINEPREFIX/drive_c/windows/Fonts/"
    local folder
    for folder in "$WINEPREFIX"/drive_c/users/*/*; do
        [ ! -L "$folder" ] || { rm "$folder" && mkdir "$folder"; }
    done
}

# wine_stop: ends every program of the current prefix and its server. The next program starts a
# server that ends a moment after its last program, so that `wineserver -w` waits for them.
wine_stop() {
    wineserver -k 2>/dev/null || true
}

# winpath PATH: a Unix path as Windows programs under Wine see it, on drive Z: with backslashes.
winpath() {
    printf 'Z:%s' "${1//\//\\}"
}

# flip FILE OFFSET [BITS]: changes the byte at OFFSET of FILE, whatever it was, by turning over
# BITS (1 when not given).
flip() {
    local byte
    byte=$(od -An -tu1 -j "$2" -N1 "$1")
    # shellcheck disable=SC2059  # the format is the byte
    printf "\\$(printf '%03o' $((byte ^ ${3:-1})))" | dd of="$1" bs=1 seek="$2" conv=notrunc \
        status=none
}

passed=0
failed=0

# check NAME COMMAND...: counts the check as passed when COMMAND succeeds.
check() {
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok     $name"
    else
        failed=$((failed + 1))
        echo "FAILED $name"
    fi
}
