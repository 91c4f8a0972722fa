# Minimal Debian roots for the checks that run a release apart from this machine's, sourced by the
# scripts that need one (as root): made once with debootstrap from the mirror apt uses here, entered
# with chroot, and always left with nothing of theirs mounted.

# The mirror of this machine's apt sources, in either of apt's two formats.
debian_mirror() {
    local mirror
    mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
    [ -n "$mirror" ] || mirror=$(awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i !~ /^\[/) { print $i; exit } }' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true)
    [ -n "$mirror" ] || { echo "No Debian mirror in this machine's apt sources." >&2; return 1; }
    echo "$mirror"
}

# The Debian release this machine runs, by its code name (bookworm, trixie), or nothing.
debian_release() {
    (. /etc/os-release && [ "${ID:-}" = debian ] && echo "${VERSION_CODENAME:-}") 2>/dev/null || true
}

# Makes a minimal root of the release in the folder given, unless one is there already; a run that
# stops halfway leaves nothing that looks finished.
make_debian_root() { # release folder log
    [ -x "$2/bin/bash" ] && return 0
    "$(dirname "${BASH_SOURCE[0]}")/install-missing.sh" debootstrap
    echo "Making a minimal Debian $1 in $2 (once)"
    rm -rf --one-file-system "$2.partial"
    debootstrap --variant=minbase "$1" "$2.partial" "$(debian_mirror)" >"$3" 2>&1 ||
        { tail -n 5 "$3" >&2; echo "debootstrap failed: $3 has its log" >&2; return 1; }
    mv "$2.partial" "$2"
}

# Mounts what a program in the root needs: the devices, the processes, and this machine's name
# servers.
enter_debian_root() { # folder
    cp /etc/resolv.conf "$1/etc/"
    mountpoint -q "$1/dev" || mount --bind /dev "$1/dev"
    mountpoint -q "$1/proc" || mount -t proc proc "$1/proc"
}

# Ends every process still running in the root, then unmounts whatever is mounted under it, deepest
# first.
leave_debian_root() { # folder
    local root identity mount pid
    root=$(realpath "$1")
    # Told by the folder's device and inode, not its path, which a root made inside another root
    # shares with one made outside it.
    identity=$(stat -c %d:%i "$root")
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        [ "$(stat -L -c %d:%i "/proc/$pid/root" 2>/dev/null)" = "$identity" ] && kill -KILL "$pid" 2>/dev/null || true
    done
    for mount in $(awk -v under="$root/" 'index($2, under) == 1 { print $2 }' /proc/mounts | sort -r); do
        umount "$mount" || umount --lazy "$mount" || true
    done
}

# Leaves the root and removes it; --one-file-system keeps the removal out of anything that would not
# unmount, such as this machine's /dev.
drop_debian_root() { # folder
    [ -d "$1" ] || return 0
    leave_debian_root "$1"
    rm -rf --one-file-system "$1"
}
