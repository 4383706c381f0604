#!/usr/bin/env bash
# The window program for Windows, tested on Debian under Wine: builds Qt for Windows (or takes it
# from the cache), builds the windows-ui preset and runs its window tests under Wine, makes the
# packages (scripts/package-windows.sh), then checks them as a user would meet them, each in a
# fresh Wine prefix on a virtual X display:
#   installer  clicked through into Program Files (the PATH option ticked) and silent with /D=:
#              the files, the Start-menu shortcuts and the console of "Cindervaxel command line",
#              the user's PATH, Add/Remove Programs and "Open with" entries; "Run Cindervaxel";
#              the window shown, and a join into a bare name from the Start menu; a patch file
#              opened in the Apply Patch window and applied; a split and a join by the installed
#              cindervaxel-cli.exe; the uninstaller removing all of it
#   zip        unpacked into a folder with a space and a non-ASCII name: the window shown and its
#              file dialog used, a split and a join, cindervaxel-cli.exe in a console of its own,
#              and nothing written outside that folder, in the registry neither
# Screenshots of the installer's pages, the consoles, the dialogs and the window go to
# build/windows-check/*.png. Prints the time each part took and exits non-zero when any step or
# check fails.
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
        styles/qwindowsvistastyle.dll kaitai/model.ksy kaitai/index.ksy "$@"
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

# registry_dump FILE: as FILE.txt, the parts of the registry that an installer or a program may
# write to: the machine's software and the user's (Wine's own keys left out: Wine writes there
# whenever a program runs) and the user's environment.
registry_dump() {
    local key
    for key in 'HKLM\Software' 'HKCU\Software' 'HKCU\Environment'; do
        "$wine" reg export "$key" "$(winpath "$1")" /y >/dev/null 2>&1
        iconv -f UTF-16LE -t UTF-8 "$1" | tr -d '\r'
    done | awk '/^\[/ { wine = /^\[HKEY_CURRENT_USER\\Software\\Wine[]\\]/ } !wine' >"$1.txt"
}

# shortcut FILE: the target, the arguments and the starting folder of the shortcut (.lnk) FILE,
# one a line: the target from its link information, the others from its strings (Wine's script
# host cannot read shortcuts).
shortcut() {
    perl -MEncode -e '
        open my $f, "<:raw", $ARGV[0] or die "$ARGV[0]: $!\n";
        local $/;
        my $b = <$f>;
        my $flags = unpack "V", substr $b, 20, 4;
        my ($at, $target, %text) = (76, "");
        $at += 2 + unpack "v", substr $b, $at, 2 if $flags & 0x01;
        if ($flags & 0x02) {
            my ($size, $base) = unpack "V x12 V", substr $b, $at, 20;
            $target = unpack "Z*", substr $b, $at + $base;
            $at += $size;
        }
        for my $field ([0x04, "name"], [0x08, "relative"], [0x10, "dir"], [0x20, "args"]) {
            next unless $flags & $field->[0];
            my $chars = unpack "v", substr $b, $at, 2;
            ($text{$field->[1]} = decode "UTF-16LE", substr $b, $at + 2, 2 * $chars) =~ s/\0+$//;
            $at += 2 + 2 * $chars;
        }
        binmode STDOUT, ":encoding(UTF-8)";
        print "$target\n$text{args}\n$text{dir}\n";' "$1"
}

# window TITLE: the shown X window of a Windows program whose title matches TITLE, waited for.
window() {
    timeout 30 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1 || true
}

# keys WINDOW KEY...: the keys typed into WINDOW, a moment apart; "type:TEXT" types TEXT.
keys() {
    local window=$1 key
    shift
    xdotool windowfocus "$window" 2>/dev/null || echo "  (no window to type $* into)"
    for key in "$@"; do
        sleep 0.3
        case $key in
            type:*) xdotool type --delay 30 "${key#type:}" ;;
            *) xdotool key "$key" ;;
        esac
    done
    sleep 1
}

# shot NAME: the screen as NAME.png, once what was just shown is painted.
shot() {
    sleep 2
    import -window root "$work/$1.png"
}

# Everything below drive C: but the folders Wine itself writes to whenever a program runs.
drive_c_files() {
    (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -path ./users/root/Temp -prune \
        -o -type f -print | sort)
}

# A set for the windows to join: a model and its files, split by the build's cindervaxel-cli.exe.
set="$work/set"
mkdir -p "$set"
(
    wine_prefix "$work/prefix-tests"
    WINEPATH="$(winpath "$CINDERVAXEL_QT_WINDOWS/bin")" "$wine" \
        build/windows-ui/bench/make-bench-model.exe "$(winpath "$set/robot.p")" 0.1 >/dev/null
    "$wine" build/windows-ui/src/cli/cindervaxel-cli.exe split "$(winpath "$set/robot.p")" </dev/null
    wine_stop
)
# A mod of that model, changing an element of additional.bin (byte 128 on, 12 bytes each), and its
# patch, for the Apply Patch window.
mods="$work/mods"
mkdir -p "$mods"
cp "$set/robot.p" "$mods/robot.p"
cp "$set/robot.p" "$mods/mod.p"
flip "$mods/mod.p" $((128 + 12 * 2 + 5))
(
    wine_prefix "$work/prefix-tests"
    "$wine" build/windows-ui/src/cli/cindervaxel-cli.exe patch "$(winpath "$mods/robot.p")" \
        "$(winpath "$mods/mod.p")" "$(winpath "$mods/robot.cvxpatch")" </dev/null
    wine_stop
)

part "The installer clicked through, in a fresh Wine prefix"
wine_prefix "$work/prefix-installer"
wine_stop
# The user's PATH has entries of its own, one with a variable: they must stay as they are.
user_path='C:\Tools;%USERPROFILE%\bin'
"$wine" reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$user_path" /f >/dev/null 2>&1
registry_dump "$work/registry-before"
drive_c_files >"$work/drive-c-before"
programs="$WINEPREFIX/drive_c/Program Files/Cindervaxel"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Cindervaxel"
documents="$WINEPREFIX/drive_c/users/root/Documents"
start_menu='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Cindervaxel'
classes='HKLM\Software\Classes'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Cindervaxel'
"$wine" "$(winpath "$installer")" </dev/null >/dev/null 2>&1 &
# Each page as the user sees it, and the key pressed there: Return for the default button (Next,
# I Agree, Install), Alt+A to tick the box that adds the programs to the PATH.
setup=$(window '^Cindervaxel Setup$')
for page in welcome:Return licence:Return options:alt+a options-ticked:Return folder:Return \
    start-menu:Return; do
    shot "installer-${page%%:*}"
    keys "$setup" "${page#*:}"
done
for _ in $(seq 60); do
    [ -f "$programs/Uninstall.exe" ] && break
    sleep 1
done
shot installer-finish
keys "$setup" Return
check "the last page's \"Run Cindervaxel\" starts the program" test -n "$(window '^Cindervaxel V1')"
shot installer-run
wine_stop
check "installs into Program Files the packages' files and the uninstaller" \
    holds_exactly "$programs" Uninstall.exe
check "a Start-menu shortcut to the program, which starts in the user's Documents" \
    test "$(shortcut "$menu/Cindervaxel.lnk")" = 'C:\Program Files\Cindervaxel\cindervaxel.exe

%USERPROFILE%\Documents'
check "\"Cindervaxel command line\": a console in Documents, the programs on its PATH, a greeting" \
    test "$(shortcut "$menu/Cindervaxel command line.lnk")" = 'C:\windows\system32\cmd.exe
/k "set "PATH=C:\Program Files\Cindervaxel;%PATH%" & echo Type "cindervaxel-cli --help" to see what it can do."
%USERPROFILE%\Documents'
"$wine" start "$start_menu\\Cindervaxel command line.lnk"
console=$(window 'cmd\.exe$')
keys "$console" "type:cd >$(winpath "$work/console.txt")" Return \
    "type:cindervaxel-cli --version >>$(winpath "$work/console.txt")" Return \
    "type:cindervaxel-cli --help" Return
shot console-help
cp "$set/robot.p" "$set/Röbot-δ.p"
keys "$console" type:cls Return "type:cindervaxel-cli info $(winpath "$set/Röbot-δ.p")" Return \
    "type:cindervaxel-cli split $(winpath "$set/Röbot-δ.p")" Return
shot console-names
keys "$console" type:exit Return
check "... which opens there and runs cindervaxel-cli" \
    test "$(tr -d '\r' <"$work/console.txt")" = "C:\\users\\root\\Documents
cindervaxel-cli $version"
check "the option ticked, the programs are on the user's PATH, after its own entries" \
    test "$(reg_value 'HKCU\Environment' Path)" = "$user_path;C:\\Program Files\\Cindervaxel"
check "registered with Add/Remove Programs" \
    test "$(reg_value "$uninstall" UninstallString)" = '"C:\Program Files\Cindervaxel\Uninstall.exe"'
check "... by name and version" test "$(reg_value "$uninstall" DisplayName)" = Cindervaxel -a \
    "$(reg_value "$uninstall" DisplayVersion)" = "$version"
for type in "p Cindervaxel.p" "asm Cindervaxel.asm" "cvxpatch Cindervaxel.cvxpatch"; do
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

# join_in_window WINDOW DEST TAB...: in the main window, a join of the set into DEST: TAB... from
# the focused control to the destination field, then the index field, Assemble!, and Yes to its
# question.
join_in_window() {
    keys "$1" "${@:3}" ctrl+a "type:$2" Tab Tab ctrl+a "type:$(winpath "$set/robot.asm")" Tab Tab \
        space
    keys "$(window '^File Lengths$')" Return
}
# Started from the Start menu, the window joins into a bare file name.
"$wine" start "$start_menu\\Cindervaxel.lnk"
main=$(window '^Cindervaxel V1')
join_in_window "$main" schwert_neu.p Tab Tab Tab Tab Tab Tab
keys "$main" alt+F4
wineserver -w
check "a bare name joined in the window started from the Start menu lands in Documents" \
    cmp "$set/robot.p" "$documents/schwert_neu.p"
# Again, the model field's file dialog opened and cancelled first, and the set's poly.bin cut
# short: the message's advice names the Start-menu entry.
truncate -s 20 "$set/poly.bin"
"$wine" start "$start_menu\\Cindervaxel.lnk"
main=$(window '^Cindervaxel V1')
keys "$main" Tab Tab Tab Tab space
shot installed-dialog
keys "$(window '^Select Vexmoor')" Escape
join_in_window "$main" schwert_zwei.p Tab Tab
shot installed-advice
keys "$(window '^Filelength$')" Return
check "... and a wrong length leaves the window open, writing nothing" \
    test -n "$(window '^Cindervaxel V1')" -a ! -e "$documents/schwert_zwei.p"
keys "$main" alt+F4
wineserver -w
rm -f "$documents/schwert_neu.p"  # the user's own file

# Started with a patch file, as "Open with" starts it, the program opens the Apply Patch window
# over its main window. The focus starts on the original's "...": back to its field, then on to
# the model to write (which follows the original, so it is typed over), and Apply!.
"$wine" 'C:\Program Files\Cindervaxel\cindervaxel.exe' "$(winpath "$mods/robot.cvxpatch")" \
    >/dev/null 2>&1 &
applying=$(window '^Apply Patch$')
check "started with a patch file, the installed program opens the Apply Patch window" \
    test -n "$applying"
keys "$applying" shift+Tab "type:$(winpath "$mods/robot.p")" Tab Tab ctrl+a \
    "type:$(winpath "$mods/applied.p")" Tab Tab space
shot installed-apply
check "... whose Apply! writes the mod, byte for byte" cmp "$mods/mod.p" "$mods/applied.p"
check "... and leaves the original as it was" cmp "$set/robot.p" "$mods/robot.p"
keys "$applying" alt+F4
keys "$(window '^Cindervaxel V1')" alt+F4
wineserver -w

"$wine" "C:\\Program Files\\Cindervaxel\\Uninstall.exe" /S </dev/null
wineserver -w
check "the uninstaller removes the folder" test ! -e "$programs"
check "... and the Start-menu folder" test ! -e "$menu"
registry_dump "$work/registry-after"
check "... and every registry entry it or the program made, the user's PATH as it was" \
    diff "$work/registry-before.txt" "$work/registry-after.txt"
check "... and every file" diff "$work/drive-c-before" <(drive_c_files)

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
registry_dump "$work/registry-after"
check "... and the registry is as it was before, the user's PATH included" \
    diff "$work/registry-before.txt" "$work/registry-after.txt"
wine_stop

part "The portable zip, in a fresh Wine prefix"
wine_prefix "$work/prefix-zip"
wine_stop
portable="$work/portable/Mödel Tools"
mkdir -p "$portable"
unzip -q "$zip" -d "$portable"
portable="$portable/cindervaxel-$version-win64"
check "unpacks into one folder with the packages' files" holds_exactly "$portable"
registry_dump "$work/registry-before"
drive_c_files >"$work/drive-c-before"
check "the unpacked program shows its window" shows_window "$portable" portable
check "the unpacked cindervaxel-cli.exe splits and joins byte for byte" splits_and_joins "$portable"
# The window's file dialog, where Qt keeps its last folder: a model chosen in it, then the window
# closed.
"$wine" "$("$wine" winepath -w "$portable" 2>/dev/null)\\cindervaxel.exe" >/dev/null 2>&1 &
main=$(window '^Cindervaxel V1')
keys "$main" Tab Tab Tab Tab space
shot portable-dialog
keys "$(window '^Select Vexmoor')" "type:$(winpath "$set/robot.p")" Return
shot portable-chosen
keys "$main" alt+F4
wineserver -w
# Started from Explorer, in a console of its own, cindervaxel-cli.exe shows its help and waits.
"$wine" start "$("$wine" winepath -w "$portable" 2>/dev/null)\\cindervaxel-cli.exe"
console=$(window 'cindervaxel-cli\.exe$')
shot portable-cli-alone
check "cindervaxel-cli.exe started in a console of its own waits for a key" \
    test -n "$(xdotool search --onlyvisible --name 'cindervaxel-cli\.exe$')"
keys "$console" space
check "... and then ends" test -z "$(xdotool search --onlyvisible --name 'cindervaxel-cli\.exe$')"
check "... and no file is written outside its folder" \
    diff "$work/drive-c-before" <(drive_c_files)
check "... and none inside it" holds_exactly "$portable"
registry_dump "$work/registry-after"
check "... and nothing in the registry" diff "$work/registry-before.txt" "$work/registry-after.txt"
wine_stop

part "Done"
echo "packages: $passed passed, $failed failed; screenshots in $work"
[ "$failed" -eq 0 ]
