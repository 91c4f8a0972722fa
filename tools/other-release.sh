#!/usr/bin/env bash
# Checks the other supported Debian release from this one: Debian 13 on a Debian 12 machine, Debian 12
# on a Debian 13 one. In a minimal root of that release it runs, on a fresh copy of the committed
# tree, the README's set-up, the build, the test suite (the short games in a real window and the
# static checks included) and the Debian package with lintian: `tools/test.sh tests package`.
# The root is made once with debootstrap, from the mirror apt uses here, and kept with what was
# installed in it ($TMPDIR or /tmp, brivadoro-<release>-root); remove it to start from nothing.
# Whatever happens, nothing stays running or mounted in the root when the script ends.
# With --prepare, only makes the root and installs what the set-up and the package need there, so
# that tools/test.sh can do that part while this machine builds.
# Usage: tools/other-release.sh [--prepare] [bookworm|trixie]; as root, or through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || exec sudo "$0" "$@"
source tools/debian-root.sh
prepare=
if [ "${1:-}" = --prepare ]; then
    prepare=yes
    shift
fi

this=$(debian_release)
case ${1:-$this} in
bookworm) release=${1:-trixie} ;;
trixie) release=${1:-bookworm} ;;
*)
    echo "The other release is Debian 13 from a Debian 12 machine, Debian 12 from a Debian 13 one;" \
        "this machine is $(. /etc/os-release && echo "${PRETTY_NAME:-unknown}"): name the release to check," \
        "bookworm or trixie." >&2
    exit 2
    ;;
esac

root=${TMPDIR:-/tmp}/brivadoro-$release-root
mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9 # one run at a time in a root
trap 'leave_debian_root "$root"' EXIT
trap 'exit 143' TERM INT
make_debian_root "$release" "$root" "$root.log"
leave_debian_root "$root" # what an interrupted run may have left
enter_debian_root "$root"

rm -rf "$root/src"
tools/committed-tree.sh "$root/src/brivadoro"
inside() {
    chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        ${CI:+CI=$CI} bash -c "cd /src/brivadoro && $1" </dev/null
}
if [ -n "$prepare" ]; then
    inside 'tools/setup.sh --packages && tools/package.sh --packages'
    exit
fi
echo "Debian $release ($(cat "$root/etc/debian_version")) in $root: tools/test.sh tests package"
inside 'tools/test.sh tests package'
