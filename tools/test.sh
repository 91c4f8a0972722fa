#!/usr/bin/env bash
# Sets Brivadoro up when needed and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
ctest --test-dir build --output-on-failure --timeout 600 "$@"
