#!/usr/bin/env bash
# Builds the Windows packages of Cindervaxel on Debian and leaves them in build/windows-packages/:
#   cindervaxel-VERSION-win64.zip   portable: unzip anywhere and start cindervaxel.exe
#   cindervaxel-VERSION-win64.exe   installer (NSIS): Program Files, Start menu, "Open with"
# Qt for Windows is built first when it is not in the cache yet (scripts/build-qt-windows.sh,
# about 12 minutes on two cores); then the windows-ui preset builds the programs and CPack packs
# them. Installs what it needs with apt-get (through sudo when not root).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh g++-mingw-w64-x86-64-posix wine64 wine googletest nsis imagemagick unzip
# Appends: a plain tee would truncate a log file that stdout and stderr share.
CINDERVAXEL_QT_WINDOWS=$(bash scripts/build-qt-windows.sh | tee -a /dev/stderr | tail -1)
export CINDERVAXEL_QT_WINDOWS

started=$SECONDS
cmake --preset windows-ui >/dev/null
cmake --build --preset windows-ui
echo "windows-ui built in $((SECONDS - started)) s"

started=$SECONDS
out=build/windows-packages
rm -rf "$out"
cpack --config build/windows-ui/CPackConfig.cmake -B "$out"
rm -rf "$out/_CPack_Packages"
echo "Packed in $((SECONDS - started)) s:"
ls -l "$out"

# The table of the files the packages carry, written into docs/windows.md between its two marker
# lines. Each row: shell patterns for its files' paths in the packages, and what they are. Every
# file belongs to exactly one row.
doc=docs/windows.md
qt_version=$(basename "$CINDERVAXEL_QT_WINDOWS" | sed 's/^qt6-base-\([0-9.]*\).*/\1/')
gcc_version=$(x86_64-w64-mingw32-g++-posix -dumpversion | cut -d- -f1)
rows=(
    "cindervaxel.exe|the window program"
    "cindervaxel-cli.exe|the command-line tool (static)"
    "Qt6Core.dll|Qt $qt_version"
    "Qt6Gui.dll|Qt $qt_version"
    "Qt6Widgets.dll|Qt $qt_version"
    "platforms/*|Qt's Windows platform plugin"
    "styles/*|Qt's native look"
    "imageformats/*|the About picture and the icon"
    "libstdc++-6.dll|MinGW-w64 C++ runtime (GCC $gcc_version)"
    "libgcc_s_seh-1.dll|MinGW-w64 runtime"
    "libwinpthread-1.dll|MinGW-w64 threads"
    "LICENSE.txt THIRD-PARTY-NOTICES.txt|the program's licence; what is whose"
    "licenses/*|Qt's LGPL and GPL texts, copyright notices"
    "kaitai/*|Kaitai Struct descriptions (model, index)"
)
zip=$out/cindervaxel-$(sed -n 's/^project(Cindervaxel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-win64
notes=build/windows-ui/shipped-files
mkdir -p "$notes"
# "SIZE PATH" for each file of the zip, the path inside the package's folder.
unzip -Z -l "$zip.zip" | awk '/^-/ { sub(/^[^\/]*\//, "", $NF); print $4, $NF }' |
    sort -k2 >"$notes/files"
mib() { awk -v bytes="$1" 'BEGIN { printf "%.2f MiB", bytes / 1048576 }'; }
table=$notes/table.md
placed=()
total=0
{
    echo "Both packages hold the same @TOTAL@ (the installer is $(mib "$(stat -c %s "$zip.exe")"),"
    echo "the zip $(mib "$(stat -c %s "$zip.zip")")), and nothing else is loaded:"
    echo
    echo "| file | size | what it is |"
    echo "|---|--:|---|"
    for row in "${rows[@]}"; do
        files=() bytes=0
        while read -r size path; do
            for pattern in ${row%%|*}; do
                # shellcheck disable=SC2053  # a pattern, matched as such
                if [[ $path == $pattern ]]; then
                    files+=("${path//\//\\}") placed+=("$path")
                    bytes=$((bytes + size))
                fi
            done
        done <"$notes/files"
        total=$((total + bytes))
        # A file by its path, two by the first's path and the second's name, more by their folder.
        case ${#files[@]} in
            0) echo "no file in the packages for the row '${row%%|*}'" >&2; exit 1 ;;
            1) name="\`${files[0]}\`" ;;
            2) name="\`${files[0]}\`, \`${files[1]##*\\}\`" ;;
            *) name="\`${files[0]%%\\*}\\\` (${#files[@]} files)" ;;
        esac
        echo "| $name | $(mib "$bytes") | ${row#*|} |"
    done
} >"$table.rows"
unplaced=$(cut -d' ' -f2- "$notes/files" | grep -vxF -f <(printf '%s\n' "${placed[@]}") || true)
[ -z "$unplaced" ] || { echo "$doc's table has no row for: $unplaced" >&2; exit 1; }
# The columns padded to their widest cell, the size right-aligned, as in the rest of the docs.
awk -v total="$(mib "$total")" '
    { sub(/@TOTAL@/, total); line[NR] = $0 }
    /^\|/ { n = split($0, cell, /\|/); for (i = 2; i < n; i++) {
        text = cell[i]; gsub(/^ +| +$/, "", text); if (length(text) > w[i]) w[i] = length(text) } }
    END { for (r = 1; r <= NR; r++) {
        if (line[r] !~ /^\|/) { print line[r]; continue }
        n = split(line[r], cell, /\|/); out = "|"
        for (i = 2; i < n; i++) {
            text = cell[i]; gsub(/^ +| +$/, "", text)
            if (text ~ /^-+:?$/) { text = sprintf("%" w[i] + 2 "s", ""); gsub(/ /, "-", text)
                if (i == 3) text = substr(text, 2) ":"; out = out text "|" }
            else if (i == 3) out = out sprintf(" %" w[i] "s |", text)
            else out = out sprintf(" %-" w[i] "s |", text) }
        print out } }' "$table.rows" >"$table"
# Into docs/windows.md, between the marker lines, when it differs.
begin='<!-- The table below is written by scripts/package-windows.sh. -->'
end='<!-- The table above is written by scripts/package-windows.sh. -->'
awk -v begin="$begin" -v end="$end" -v table="$table" '
    $0 == end { skip = 0 }
    !skip { print }
    $0 == begin { skip = 1; while ((getline row < table) > 0) print row }' "$doc" >"$table.doc"
if ! grep -qxF "$begin" "$doc" || ! grep -qxF "$end" "$doc"; then
    echo "$doc lacks the marker lines of the table of shipped files" >&2
    exit 1
elif cmp -s "$doc" "$table.doc"; then
    echo "$doc's table of shipped files is up to date."
else
    cp "$table.doc" "$doc"
    echo "$doc's table of shipped files was written anew:"
    cat "$table"
fi
