#!/usr/bin/env bash
# Builds Brivadoro and prints its benchmark figures: handler costs offscreen, the sound's delays, and
# start-up time and memory against a minimal Qt program that shows one dialog, as the game first shows
# its name box, on a private Xvfb display. The sound plays to a private PulseAudio server whose one
# sink plays to no card, as a desktop's sound server would take the game's stream.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

scratch=$(mktemp -d)
records=$scratch/records
sound=$scratch/sound
mkdir -m 700 "$records" "$sound"
HOME=$sound XDG_RUNTIME_DIR=$sound pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --load="module-null-sink sink_name=bench" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$sound/native" 2>/dev/null &
server=$!
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb $server 2>/dev/null; rm -rf "$scratch"' EXIT
export PULSE_SERVER=unix:$sound/native
for _ in $(seq 200); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.05
done

status=0
for bench in build/bench/bench_*; do
    if [ -f "$bench" ] && [ -x "$bench" ]; then
        QT_QPA_PLATFORM=offscreen "$bench" || status=1
    fi
done

sleep 1
# At the first window, then a second after it, once the sound device is open; the muted game never
# loads the sound library.
for settle in 0 1000; do
    DISPLAY=$display XDG_DATA_HOME=$records QT_QPA_PLATFORM=xcb build/bench/map_probe 15 --settle=$settle \
        "game=$PWD/build/brivadoro" "muted=$PWD/build/brivadoro,--mute" "minimal=$PWD/build/bench/minimal_window,dialog"
done

# Start to the name box with a configuration file that names a class's folder and sets both switches,
# against none: reading and checking the configuration must cost the start nothing to speak of.
mkdir -p "$scratch/configured/brivadoro" "$scratch/unconfigured" "$scratch/classe"
printf '[General]\nRecordFolder=%s\nFullScreen=false\nSound=true\n' "$scratch/classe" \
    >"$scratch/configured/brivadoro/brivadoro.conf"
DISPLAY=$display XDG_DATA_HOME=$records QT_QPA_PLATFORM=xcb build/bench/map_probe 15 \
    "configured=/usr/bin/env,XDG_CONFIG_DIRS=$scratch/configured,$PWD/build/brivadoro" \
    "unconfigured=/usr/bin/env,XDG_CONFIG_DIRS=$scratch/unconfigured,$PWD/build/brivadoro"

# The idle figures are the game's own: with a sound server, SDL's audio thread adds its steady feed of
# silence, about 0.4 % of a core here, as it did through SDL_mixer.
env -u PULSE_SERVER dbus-run-session -- /usr/bin/python3 bench/idle_cpu.py --program "$PWD/build/brivadoro" 2>/dev/null || status=1
env -u PULSE_SERVER dbus-run-session -- /usr/bin/python3 bench/idle_cpu.py --program "$PWD/build/brivadoro" \
    --screen 3840x2160 --full-screen --limit 0.5 2>/dev/null || status=1
exit $status
