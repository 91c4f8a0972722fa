#!/usr/bin/env bash
# Installs the Debian package into a clean minimal Debian that has no build tools, as a school's
# machine gets it, and checks it there: what apt-get fetches, --version, the installed program
# showing its name box, taking a name and showing the board in a real window under Xvfb, its start
# against the build tree's program side by side, and apt-get remove leaving no file of the package.
# Usage, as root: tools/package-install-check.sh [--release bookworm|trixie] [DEB]. The release is
# this machine's unless named. Given no DEB, it first builds the package from the committed tree in
# another clean Debian of that release, as a fresh machine would. About 5 minutes, 10 with the build,
# more the first time, when it makes the clean Debian with debootstrap.
# The figures, logs and screenshots go to build-package/install-check/.
set -euo pipefail
cd "$(dirname "$0")/.."

[ "$(id -u)" -eq 0 ] || { echo "Run as root: it makes and enters a Debian root with chroot." >&2; exit 2; }
source tools/debian-root.sh
release=$(debian_release)
if [ "${1:-}" = --release ]; then
    release=$2
    shift 2
fi
[ -n "$release" ] || { echo "This machine runs no Debian release that I know: name one with --release." >&2; exit 2; }
tools/setup.sh # the build tree's program and map_probe, for the side-by-side start
tools/install-missing.sh xdotool x11-utils imagemagick xvfb

out=$PWD/build-package/install-check
rm -rf "$out"
mkdir -p "$out"
log=$out/figures.txt
say() { echo "$*" | tee -a "$log"; }

# A minimal Debian of the release, made once and copied afresh for every root.
base=${TMPDIR:-/tmp}/brivadoro-clean-$release
make_debian_root "$release" "$base" "$out/debootstrap.log"

roots=()
xvfb=
cleanup() {
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    local root
    for root in "${roots[@]}"; do drop_debian_root "$root"; done
}
trap cleanup EXIT

# A fresh copy of the clean Debian, with /dev, /proc and the host's name servers, made in the folder
# given and dropped when the check ends.
new_root() {
    roots+=("$1")
    cp -a "$base/." "$1/"
    enter_debian_root "$1"
}

if (($# == 0)); then
    builder=$(mktemp -d "${TMPDIR:-/tmp}/brivadoro-build-XXXXXX")
    new_root "$builder"
    tools/committed-tree.sh "$builder/src"
    begun=$SECONDS
    chroot "$builder" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        bash -c 'cd /src && tools/package.sh' >"$out/package-build.log" 2>&1 ||
        { tail -n 20 "$out/package-build.log" >&2; exit 1; }
    deb=$out/$(basename "$(tail -n 1 "$out/package-build.log")")
    cp "$builder/src/build-package/$(basename "$deb")" "$deb"
    drop_debian_root "$builder"
    say "built on a clean Debian $release from the committed tree in $((SECONDS - begun)) s, its tools and build dependencies installed"
else
    deb=$(realpath "$1")
fi

# Downloaded archives are kept for the next check; apt-get still says how much it would fetch.
archives=${TMPDIR:-/tmp}/brivadoro-apt-archives
root=$(mktemp -d "${TMPDIR:-/tmp}/brivadoro-install-XXXXXX")
new_root "$root"
mkdir -p "$root/tmp/.X11-unix" "$root/tmp/records" "$root/tmp/runtime" "$archives"
chmod 700 "$root/tmp/runtime"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
mount --bind "$archives" "$root/var/cache/apt/archives"

inside() {
    chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin:/usr/games \
        HOME=/root LANG=C.UTF-8 XDG_DATA_HOME=/tmp/records XDG_RUNTIME_DIR=/tmp/runtime ${DISPLAY:+DISPLAY=$DISPLAY} \
        DEBIAN_FRONTEND=noninteractive "$@"
}

say "package: $(basename "$deb"), $(stat -c %s "$deb") bytes, Installed-Size $(dpkg-deb --field "$deb" Installed-Size) KiB"
for tool in cc gcc g++ c++ cmake make; do
    if inside sh -c "command -v $tool" >/dev/null; then
        echo "The clean Debian has $tool: it is no machine without build tools." >&2
        exit 1
    fi
done
cp "$deb" "$root/tmp/"
inside apt-get update -qq
# What apt-get would fetch: "Need to get <to fetch now>/<all the archives> of archives".
fetched() { sed -n 's|^Need to get .*/\(.*\) of archives.*|\1|p; s|^Need to get \([^/]*\) of archives.*|\1|p' "$1"; }
added() { sed -n 's/.* \([0-9]*\) newly installed.*/\1/p' "$1"; }
inside apt-get install --no-install-recommends --assume-no "/tmp/$(basename "$deb")" >"$out/apt-without-recommends.log" 2>&1 || true
say "apt-get install --no-install-recommends: $(added "$out/apt-without-recommends.log") packages, $(fetched "$out/apt-without-recommends.log")"
inside apt-get install -y "/tmp/$(basename "$deb")" >"$out/apt-install.log" 2>&1
say "apt-get install, Recommends included as apt's default: $(added "$out/apt-install.log") packages, $(fetched "$out/apt-install.log"), $(grep -o '[0-9.,]* [kMG]B of additional disk space' "$out/apt-install.log" || true)"

version=$(inside /usr/games/brivadoro --version)
[ "$version" = "brivadoro $(dpkg-deb --field "$deb" Version | sed 's/-[^-]*$//')" ] ||
    { echo "--version printed: $version" >&2; exit 1; }
say "--version, with no display: $version"

# A display of the host's, whose socket the clean Debian shares; the program runs inside.
display_number=$((200 + RANDOM % 300))
Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$out/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=:$display_number
wait_until() { # seconds, then a command that succeeds once the wait is over
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}
wait_until 20 xdpyinfo || { echo "Xvfb did not answer in 20 s" >&2; exit 1; }
# The game's windows, all titled Brivadoro: the small boxes and the board, told apart by size.
shown() { xdotool search --onlyvisible --name '^Brivadoro$' 2>/dev/null || true; }
board_shown() {
    local window
    for window in $(shown); do
        xdotool getwindowgeometry "$window" | awk '/Geometry:/ { split($2, size, "x"); exit !(size[1] >= 600) }' &&
            return 0
    done
    return 1
}
box_other_than() { [ -n "$(shown | grep -vx "$1")" ]; }
inside /usr/games/brivadoro >"$out/program.log" 2>&1 &
game=$!
some_shown() { [ -n "$(shown)" ]; }
wait_until 30 some_shown || { echo "No name box in 30 s" >&2; exit 1; }
name_box=$(shown | head -n 1)
import -window root "$out/1-name-box.png"
# No window manager runs here: the box gets the keyboard from xdotool itself.
xdotool windowfocus --sync "$name_box" type --delay 50 Anna
xdotool key Return
wait_until 10 box_other_than "$name_box" || { echo "No greeting after the name" >&2; exit 1; }
import -window root "$out/2-greeting.png"
xdotool windowfocus --sync "$(shown | grep -vx "$name_box" | head -n 1)" key Return
wait_until 10 board_shown || { echo "No board after the greeting" >&2; exit 1; }
import -window root "$out/3-board.png"
say "the installed program showed the name box, took the name Anna, greeted and showed the board"
board=$(shown | head -n 1)
xdotool windowfocus --sync "$board" key alt+x
wait_until 10 box_other_than "$board" || { echo "No goodbye after Exit" >&2; exit 1; }
xdotool windowfocus --sync "$(shown | grep -vx "$board" | head -n 1)" key Return
wait_until 10 sh -c "! kill -0 $game" || { echo "The game did not end after Exit and the goodbye" >&2; exit 1; }
wait "$game" || { echo "The game ended with status $?" >&2; exit 1; }
say "Exit and the goodbye ended it with status 0"

# Start to the name box: the installed program against the build tree's, both run inside.
mkdir -p "$root/opt/build-tree"
cp -a build/brivadoro build/suoni "$root/opt/build-tree/"
XDG_DATA_HOME=/tmp/records XDG_RUNTIME_DIR=/tmp/runtime build/bench/map_probe 15 \
    "installed=$(command -v chroot),$root,/usr/games/brivadoro" \
    "build-tree=$(command -v chroot),$root,/opt/build-tree/brivadoro" | tee -a "$log"
kill "$xvfb"
xvfb=

files=$(inside dpkg-query -L brivadoro)
inside apt-get remove -y brivadoro >"$out/apt-remove.log" 2>&1
left=()
while IFS= read -r path; do
    [ -z "$path" ] || [ ! -e "$root$path" ] || [ -d "$root$path" ] || left+=("$path")
done <<<"$files"
# Folders the package made alone go with it; those it shares with others stay.
for folder in /usr/share/games/brivadoro /usr/share/doc/brivadoro; do
    [ ! -e "$root$folder" ] || left+=("$folder")
done
if ((${#left[@]})); then
    echo "apt-get remove left: ${left[*]}" >&2
    exit 1
fi
say "apt-get remove: no file of the package left; dpkg state: $(inside dpkg-query -W -f '${db:Status-Abbrev}' brivadoro 2>/dev/null || echo 'no longer listed by dpkg')"
say "screenshots and logs: $out"
