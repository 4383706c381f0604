#!/usr/bin/env bash
# Tests the Kaitai Struct descriptions in kaitai/ against the command-line tool: compiles them
# with the Kaitai Struct compiler from npm and parses a table of test models with the result
# (tests/kaitai/kaitai_test.js), each section's place compared with what `info --json` says.
#
#     bash scripts/test-kaitai.sh [BUILD_DIR]      # default: build/ci of this source folder
#
# Takes Node.js and npm from the machine, or installs Debian's with apt-get (through sudo when
# not root); the npm packages go into a temporary folder, at the versions pinned below. Its last
# line is "N passed, M failed"; exits non-zero on any difference.
set -euo pipefail
build=build/ci
if [ $# -gt 0 ]; then
    build=$(realpath -m "$1")
fi
cd "$(dirname "$0")/.."

packages=(kaitai-struct-compiler@0.11.0 kaitai-struct@0.11.0 js-yaml@4.1.0)

if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    bash scripts/setup.sh nodejs npm
fi
for program in src/cli/cindervaxel-cli bench/make-bench-model; do
    if [ ! -x "$build/$program" ]; then
        echo "test-kaitai.sh: $build/$program is missing: build it first" \
            "(cmake --build $build --target cindervaxel-cli make-bench-model)" >&2
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "Node.js $(node --version), npm $(npm --version): ${packages[*]}"
npm install --prefix "$work" --no-audit --no-fund --no-save --loglevel=error "${packages[@]}" \
    >/dev/null
# The largest model's elements, each with its place, take about 8 GiB.
NODE_PATH="$work/node_modules" node --max-old-space-size=12288 tests/kaitai/kaitai_test.js \
    "$build/src/cli/cindervaxel-cli" "$build/bench/make-bench-model" "$work"
