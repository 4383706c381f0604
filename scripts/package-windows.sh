#!/usr/bin/env bash
# Builds the Windows packages of Cindervaxel on Debian and leaves them in build/windows-packages/:
#   cindervaxel-VERSION-win64.zip   portable: unzip anywhere and start cindervaxel.exe
#   cindervaxel-VERSION-win64.exe   installer (NSIS): Program Files, Start menu, "Open with"
# Qt for Windows is built first when it is not in the cache yet (scripts/build-qt-windows.sh,
# about 12 minutes on two cores); then the windows-ui preset builds the programs and CPack packs
# them. Installs what it needs with apt-get (through sudo when not root).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh g++-mingw-w64-x86-64-posix wine64 wine googletest nsis imagemagick
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
