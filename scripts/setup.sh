#!/usr/bin/env bash
# Installs the Debian packages that building and testing Cindervaxel needs. Runs apt-get directly
# as root and through sudo otherwise; does nothing when every package is there already.
# Extra packages may be named as arguments.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev libgtest-dev nlohmann-json3-dev libxxhash-dev help2man "$@")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
