#!/usr/bin/env bash
# Builds Brivadoro and prints its benchmark figures: handler costs offscreen, and start-up time and
# memory against a minimal Qt program that shows one dialog, as the game first shows its name box,
# on a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

status=0
for bench in build/bench/bench_*; do
    if [ -f "$bench" ] && [ -x "$bench" ]; then
        QT_QPA_PLATFORM=offscreen "$bench" || status=1
    fi
done

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
records=$(mktemp -d)
DISPLAY=$display XDG_DATA_HOME=$records QT_QPA_PLATFORM=xcb build/bench/map_probe 15 \
    "game=$PWD/build/brivadoro" "minimal=$PWD/build/bench/minimal_window,dialog"
rm -rf "$records"

dbus-run-session -- /usr/bin/python3 bench/idle_cpu.py --program "$PWD/build/brivadoro" 2>/dev/null || status=1
exit $status
