#!/usr/bin/env bash
# Sets Brivadoro up when needed and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
exec build/brivadoro
