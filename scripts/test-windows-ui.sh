#!/usr/bin/env bash
# The window program for Windows, tested on Debian under Wine: builds Qt for Windows (or takes it
# from the cache), builds the windows-ui preset and runs its window tests under Wine, makes the
# packages (scripts/package-windows.sh), then checks them as a user would meet them, each in a
# fresh Wine prefix on a virtual X display:
#   installer  silent install into Program Files and with /D=, the files, Start-menu shortcut,
#              Add/Remove Programs and "Open with" entries; the window shown; a split and a join
#              by the installed cindervaxel-cli.exe; the uninstaller removing all of it
#   zip        unpacked into a folder with a space and a non-ASCII name: the window shown, a split
#              and a join, and nothing written outside that folder
# Screenshots of the window go to build/windows-check/*.png. Prints the time each part took and
# exits non-zero when any step or check fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# shellcheck source=scripts/windows-lib.sh
source scripts/windows-lib.sh

bash scripts/setup.sh g++-mingw-w64-x86-64-posix wine64 wine googletest nsis imagemagick \
    fonts-wine fonts-dejavu-core xvfb xauth xdotool unzip

work="$root/build/windows-check"
rm -rf "$work"
mkdir -p "$work"
display_pid=
cleanup() {
    wine_stop
    [ -z "$display_pid" ] || kill "$display_pid" 2>/dev/null || true
}
trap cleanup EXIT

part_started=$SECONDS
part() {
    echo "   ... $((SECONDS - part_started)) s"
    echo "== $*"
    part_started=$SECONDS
}

echo "== Qt for Windows"
# Appends: a plain tee would truncate a log file that stdout and stderr share.
CINDERVAXEL_QT_WINDOWS=$(bash scripts/build-qt-windows.sh | tee -a /dev/stderr | tail -1)
export CINDERVAXEL_QT_WINDOWS

part "The windows-ui preset"
cmake --preset windows-ui >/dev/null
cmake --build --preset windows-ui

# The preset builds and runs the window tests alone: the core's tests run under Wine in
# scripts/test-windows.sh, from the windows preset.
part "The window tests of the windows-ui build under Wine, headless"
(
    unset DISPLAY WAYLAND_DISPLAY
    wine_prefix "$work/prefix-tests"
    ctest --preset windows-ui
    wine_stop
)

part "The packages"
bash scripts/package-windows.sh >"$work/package.log" 2>&1 || { tail -30 "$work/package.log"; exit 1; }
version=$(sed -n 's/^project(Cindervaxel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
installer="$root/build/windows-packages/cindervaxel-$version-win64.exe"
zip="$root/build/windows-packages/cindervaxel-$version-win64.zip"
ls -l "$installer" "$zip"

# The virtual display for the programs' windows.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
display_pid=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
DISPLAY=":$(cat "$work/display")"
export DISPLAY

# What the packages hold besides the uninstaller, one path a line, sorted.
expected_files() {
    printf '%s\n' GPL-3.0-only.txt LGPL-3.0-only.txt gcc-runtime-copyright.txt \
        mingw-w64-copyright.txt qt6-base-build-options.txt qt6-base-copyright.txt |
        sed 's|^|licenses/|'
    printf '%s\n' LICENSE.txt THIRD-PARTY-NOTICES.txt Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
        cindervaxel-cli.exe cindervaxel.exe imageformats/qgif.dll imageformats/qico.dll \
        libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll platforms/qwindows.dll \
        styles/qwindowsvistastyle.dll "$@"
}

# holds_exactly DIR [EXTRA...]: DIR holds the packages' files (and EXTRA) and nothing else.
holds_exactly() {
    local dir=$1
    shift
    diff <(expected_files "$@" | sort) <(cd "$dir" && find . -type f | sed 's|^\./||' | sort)
}

# shows_window DIR NAME: cindervaxel.exe of DIR, started by its Windows path, shows its main
# window. Without a window manager X has the window itself, found by its title; NAME.png is the
# screen then. NAME-desktop.png is a second start inside a Wine desktop named "shell", which
# draws title bars and a task bar.
shows_window() {
    local exe
    exe="$("$wine" winepath -w "$1" 2>/dev/null)\\cindervaxel.exe"
    "$wine" "$exe" >/dev/null 2>&1 &
    local found=0
    if timeout 60 xdotool search --sync --name '^Cindervaxel V1\.0 - File Tool' >/dev/null; then
        found=1
        sleep 3  # the window is mapped before it is painted
        import -window root "$work/$2.png"
    fi
    wine_stop
    "$wine" explorer /desktop=shell,1024x768 "$exe" >/dev/null 2>&1 &
    sleep 8
    import -window root "$work/$2-desktop.png"
    wine_stop
    # A screen that shows a window has more than a few colours.
    [ "$found" -eq 1 ] && [ "$(identify -format %k "$work/$2.png")" -gt 16 ]
}

# splits_and_joins DIR: cindervaxel-cli.exe of DIR splits a model and joins it back, byte for byte.
splits_and_joins() {
    local cli model
    cli="$("$wine" winepath -w "$1" 2>/dev/null)\\cindervaxel-cli.exe"
    mkdir -p "$work/models"
    model="$work/models/robot.p"
    WINEPATH="$(winpath "$CINDERVAXEL_QT_WINDOWS/bin")" \
        "$wine" build/windows-ui/bench/make-bench-model.exe "$(winpath "$model")" 0.5 >/dev/null
    "$wine" "$cli" split --own-folder "$(winpath "$model")" </dev/null &&
        "$wine" "$cli" join "$(winpath "$work/models/robot/robot.asm")" \
            "$(winpath "$work/models/joined.p")" </dev/null &&
        cmp "$model" "$work/models/joined.p" &&
        [ "$(find "$work/models/robot" -type f | wc -l)" -eq 11 ]
    local status=$?
    rm -rf "$work/models"
    return $status
}

# reg_value KEY NAME: the value NAME (empty: the default value) of KEY in the registry. reg
# writes in the console's code page, 437 here.
reg_value() {
    local args=(/ve)
    [ -z "$2" ] || args=(/v "$2")
    "$wine" reg query "$1" "${args[@]}" 2>/dev/null | iconv -f CP437 -t UTF-8 | tr -d '\r' |
        sed -n 's/^ *\(([^)]*)\|[^ ]*\) *REG_[A-Z_]* *//p' | head -1
}

# reg_has KEY [NAME]: KEY is in the registry, and has a value NAME when NAME is given (the default
# value when NAME is empty).
reg_has() {
    local args=()
    if [ $# -ge 2 ]; then
        if [ -z "$2" ]; then args=(/ve); else args=(/v "$2"); fi
    fi
    "$wine" reg query "$1" "${args[@]}" >/dev/null 2>&1
}

# The whole machine's part of the registry that an installer may write to.
registry_dump() {
    "$wine" reg export 'HKLM\Software' "$(winpath "$1")" /y >/dev/null 2>&1
    iconv -f UTF-16LE -t UTF-8 "$1" | tr -d '\r' >"$1.txt"
}

part "The installer: silent install, in a fresh Wine prefix"
wine_prefix "$work/prefix-installer"
wine_stop
registry_dump "$work/registry-before"
"$wine" "$(winpath "$installer")" /S </dev/null
wineserver -w
programs="$WINEPREFIX/drive_c/Program Files/Cindervaxel"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Cindervaxel"
classes='HKLM\Software\Classes'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Cindervaxel'
check "installs into Program Files the packages' files and the uninstaller" \
    holds_exactly "$programs" Uninstall.exe
check "a Start-menu shortcut to the program" test -f "$menu/Cindervaxel.lnk"
check "registered with Add/Remove Programs" \
    test "$(reg_value "$uninstall" UninstallString)" = '"C:\Program Files\Cindervaxel\Uninstall.exe"'
check "... by name and version" test "$(reg_value "$uninstall" DisplayName)" = Cindervaxel -a \
    "$(reg_value "$uninstall" DisplayVersion)" = "$version"
for type in "p Cindervaxel.p" "asm Cindervaxel.asm"; do
    read -r ext progid <<<"$type"
    check ".$ext files offer \"Open with\" Cindervaxel" \
        reg_has "$classes\\.$ext\\OpenWithProgids" "$progid"
    check "... which opens the file in the installed program" \
        test "$(reg_value "$classes\\$progid\\shell\\open\\command" "")" = \
        '"C:\Program Files\Cindervaxel\cindervaxel.exe" "%1"'
    check "... and leaves the default program of .$ext alone" \
        test "$(reg_value "$classes\\.$ext" "")" = "(value not set)"
    check "... and the program lists .$ext among its types" \
        reg_has "$classes\\Applications\\cindervaxel.exe\\SupportedTypes" ".$ext"
done
check "the installed program shows its window" shows_window "$programs" installed
check "the installed cindervaxel-cli.exe splits and joins byte for byte" \
    splits_and_joins "$programs"

"$wine" "C:\\Program Files\\Cindervaxel\\Uninstall.exe" /S </dev/null
wineserver -w
check "the uninstaller removes the folder" test ! -e "$programs"
check "... and the Start-menu folder" test ! -e "$menu"
registry_dump "$work/registry-after"
check "... and every registry entry it made" diff "$work/registry-before.txt" "$work/registry-after.txt"

part "The installer: silent install with /D= into a folder of the user's choice"
# As typed at a command prompt: /D= comes last and unquoted, spaces and all, which cmd passes on
# as it stands (Wine would quote an argument that holds a space).
"$wine" cmd /c "$(winpath "$installer") /S /D=C:\Tools\Mödel Tools" </dev/null
wineserver -w
chosen="$WINEPREFIX/drive_c/Tools/Mödel Tools"
check "installs there" holds_exactly "$chosen" Uninstall.exe
check "... and the Add/Remove entry uninstalls from there" \
    test "$(reg_value "$uninstall" UninstallString)" = '"C:\Tools\Mödel Tools\Uninstall.exe"'
"$wine" 'C:\Tools\Mödel Tools\Uninstall.exe' /S </dev/null
wineserver -w
check "... and the uninstaller removes it" test ! -e "$chosen"
wine_stop

part "The portable zip, in a fresh Wine prefix"
wine_prefix "$work/prefix-zip"
wine_stop
portable="$work/portable/Mödel Tools"
mkdir -p "$portable"
unzip -q "$zip" -d "$portable"
portable="$portable/cindervaxel-$version-win64"
check "unpacks into one folder with the packages' files" holds_exactly "$portable"
# Everything below drive C: but the folders Wine itself writes to whenever a program runs.
drive_c_files() {
    (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -path ./users/root/Temp -prune \
        -o -type f -print | sort)
}
drive_c_files >"$work/drive-c-before"
check "the unpacked program shows its window" shows_window "$portable" portable
check "the unpacked cindervaxel-cli.exe splits and joins byte for byte" splits_and_joins "$portable"
check "... and no file is written outside its folder" \
    diff "$work/drive-c-before" <(drive_c_files)
check "... and none inside it" holds_exactly "$portable"
wine_stop

part "Done"
echo "packages: $passed passed, $failed failed; screenshots in $work"
[ "$failed" -eq 0 ]
