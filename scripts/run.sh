#!/usr/bin/env bash
# Sets up the machine, builds the programs and starts the window program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release
cmake --build --preset release
if [ -x build/release/src/app/cindervaxel ]; then
    exec build/release/src/app/cindervaxel
fi
exec build/release/src/cli/cindervaxel-cli --help
