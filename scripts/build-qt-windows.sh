#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows from Debian's own qt6-base source, the version the Linux build
# uses, with Debian's mingw-w64 POSIX compilers: only Core, Gui, Widgets and Test, the windows,
# offscreen and minimal platform plugins, the Windows styles and the GIF and ICO image formats.
#
#     bash scripts/build-qt-windows.sh          # prints the folder of the built Qt on its last line
#
# The result goes into a cache folder outside the clone, named after the source version and a hash
# of the options, so that a second run does nothing and other options build afresh:
# ${XDG_CACHE_HOME:-~/.cache}/cindervaxel/qt6-base-VERSION-win64-HASH. The build takes about
# 12 minutes on two cores. Installs what it needs with apt-get (through sudo when not root) and
# adds a deb-src entry for Debian's sources when there is none.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
    qt6-base-dev-tools dpkg-dev perl

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

# The source is that of the Qt the Linux build uses, so that its host tools (moc, rcc, uic from
# qt6-base-dev-tools) fit the Windows libraries exactly.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)

# The cross compilers for Qt's own build. Qt's toolchain file remembers this file's path, and the
# project's build reads it through that, so it lives inside the installed Qt.
toolchain_text='set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
'

# Everything the program does not use is off (OpenGL through INPUT_opengl, as the configure
# script's -no-opengl does: the feature switches alone make its checks fail). direct2d needs DirectWrite off with it (the
# windows plugin compiles its DirectWrite font database only with direct2d); Debian's source has
# no wintab, so there is no tablet support. Every third-party library Qt bundles is built in
# (system_* off), so Qt's own DLLs are all there is to ship.
off_features=(opengl opengl_desktop opengl_dynamic dynamicgl opengles2 vulkan direct2d direct2d1_1
    directwrite directwrite3 dbus sql network printsupport concurrent xml icu glib zstd jpeg
    tabletevent pkg_config system_zlib system_png system_jpeg system_freetype system_harfbuzz
    system_pcre2 system_doubleconversion system_libb2 system_textmarkdownreader)
on_features=(gif ico png freetype)
options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DINPUT_opengl=no
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF)
for feature in "${off_features[@]}"; do
    options+=("-DFEATURE_$feature=OFF")
done
for feature in "${on_features[@]}"; do
    options+=("-DFEATURE_$feature=ON")
done

hash=$(printf '%s\n' "$toolchain_text" "${options[@]}" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/cindervaxel
prefix="$cache/qt6-base-$version-win64-$hash"
mkdir -p "$cache"

# One build at a time: a second run waits for the first and then finds its result.
exec 9>"$prefix.lock"
flock 9

if [ -f "$prefix/.complete" ]; then
    echo "Qt for Windows is built already (Debian's qt6-base $version, options $hash)."
    echo "$prefix"
    exit 0
fi

if ! grep -rqsE '^[[:space:]]*(Types:.*deb-src|deb-src[[:space:]])' \
    /etc/apt/sources.list /etc/apt/sources.list.d/; then
    # The same mirrors and suites as Debian's deb entries; other vendors' archives may have no
    # sources, and apt-get update would fail on them.
    echo "Adding a deb-src entry beside each of Debian's deb entries"
    for list in /etc/apt/sources.list.d/*.sources; do
        if grep -q '^URIs:.*debian\.org' "$list" 2>/dev/null; then
            sed 's/^Types:.*$/Types: deb-src/' "$list" |
                "${as_root[@]}" tee "/etc/apt/sources.list.d/src-$(basename "$list")" >/dev/null
        fi
    done
    if [ -f /etc/apt/sources.list ]; then
        sed -n '/debian\.org/s/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list |
            "${as_root[@]}" tee /etc/apt/sources.list.d/src-sources.list >/dev/null
    fi
    "${as_root[@]}" apt-get update -q
fi

started=$(date +%s)
work="$cache/build-qt6-base-$hash"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"
printf '%s' "$toolchain_text" >"$prefix/mingw-w64-x86_64-posix.cmake"

echo "== Fetching Debian's qt6-base $version"
(cd "$work" && apt-get source -q --download-only "qt6-base=$version" &&
    dpkg-source -x ./*.dsc source) >"$work/fetch.log" 2>&1 || { tail -20 "$work/fetch.log"; exit 1; }

echo "== Configuring Qt for Windows (options $hash)"
cmake -S "$work/source" -B "$work/build" "${options[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-x86_64-posix.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" >"$work/configure.log" 2>&1 ||
    { tail -40 "$work/configure.log"; exit 1; }

echo "== Building Qt for Windows (about 12 minutes on two cores)"
cmake --build "$work/build" --parallel "$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -40 "$work/build.log"; exit 1; }
cmake --install "$work/build" --strip >"$work/install.log" 2>&1 ||
    { tail -40 "$work/install.log"; exit 1; }

# The MinGW runtime that Qt's DLLs load, and the programs built with them, goes beside them, as in
# Qt's own MinGW builds; stripped, libstdc++-6.dll shrinks from 24 MB to 2 MB.
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    x86_64-w64-mingw32-strip --strip-unneeded -o "$prefix/bin/$dll" \
        "$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")"
done

# What a program that ships these DLLs must give its users with them: the licence Qt is used
# under (the LGPL, and the GPL it builds on), the copyright of Qt and the libraries built into
# it and of the MinGW runtime as Debian records them, and which source and options made them.
mkdir -p "$prefix/licenses"
cp "$work/source/LICENSES/LGPL-3.0-only.txt" "$work/source/LICENSES/GPL-3.0-only.txt" \
    "$prefix/licenses/"
cp "$work/source/debian/copyright" "$prefix/licenses/qt6-base-copyright.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$prefix/licenses/gcc-runtime-copyright.txt"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$prefix/licenses/mingw-w64-copyright.txt"
printf '%s\n' "$version" >"$prefix/licenses/debian-version.txt"
{
    echo "Configured with:"
    echo "cmake ${options[*]} -DCMAKE_TOOLCHAIN_FILE=mingw-w64-x86_64-posix.cmake" | fold -s -w 99
    echo
    echo "mingw-w64-x86_64-posix.cmake:"
    printf '%s' "$toolchain_text"
} >"$prefix/licenses/build-options.txt"

touch "$prefix/.complete"
rm -rf "$work"
elapsed=$(($(date +%s) - started))
echo "Qt for Windows built in $((elapsed / 60)) min $((elapsed % 60)) s" \
    "($(du -sm "$prefix" | cut -f1) MB installed)."
echo "$prefix"
