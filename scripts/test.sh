#!/usr/bin/env bash
# Sets up the machine, builds everything with warnings as errors and runs every test.
# Exits non-zero when any step or any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --workflow --preset ci
