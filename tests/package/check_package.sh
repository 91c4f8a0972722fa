#!/usr/bin/env bash
# Builds the Debian package with tools/package.sh and checks it: its files, its dependencies, the
# unpacked tree as tests/install/installed_tree.sh checks an installed one, and lintian, where any
# error or warning fails.
set -euo pipefail
cd "$(dirname "$0")/../.."

id=org.example.brivadoro.Brivadoro
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

begun=$SECONDS
deb=$(tools/package.sh | tail -n 1)
echo "tools/package.sh: $((SECONDS - begun)) s, $deb"

contents=$(dpkg-deb --contents "$deb" | awk '{ print $NF }')
for file in usr/games/brivadoro \
    usr/share/games/brivadoro/suoni/{sparo,esplosi,laser}.wav \
    "usr/share/applications/$id.desktop" \
    "usr/share/icons/hicolor/scalable/apps/$id.svg" \
    "usr/share/icons/hicolor/48x48/apps/$id.png" \
    "usr/share/metainfo/$id.metainfo.xml" \
    usr/share/man/man6/brivadoro.6.gz \
    usr/share/man/it/man6/brivadoro.6.gz \
    usr/share/doc/brivadoro/examples/{brivadoro.conf,brivadoro-classe.desktop} \
    usr/share/doc/brivadoro/copyright \
    usr/share/doc/brivadoro/changelog.Debian.gz; do
    grep -qx "\./$file" <<<"$contents" || fail "the package lacks /$file"
done

# Each field as a list of package names, versions left out.
field_names() {
    dpkg-deb --field "$deb" "$1" | tr ',' '\n' | sed 's/(.*)//; s/ //g' | grep .
}
depends=$(field_names Depends)
recommends=$(field_names Recommends || true)
for package in libqt6widgets6 libqt6gui6 libqt6svg6 fonts-liberation2 qt6-translations-l10n; do
    grep -qx "$package" <<<"$depends" || fail "Depends lacks $package: $(dpkg-deb --field "$deb" Depends)"
done
for package in libsdl2-2.0-0; do
    grep -qx "$package" <<<"$recommends" || fail "Recommends lacks $package"
    # SDL is loaded at run time, so that the game also runs without it: no link may pull it in.
    ! grep -qx "$package" <<<"$depends" || fail "Depends names $package, which the game can do without"
done

# The unpacked package is an installed tree under /usr: its files, their validation, and the
# program finding its sounds in the games' data folder.
stage=$PWD/$(dirname "$deb")/unpacked
rm -rf "$stage"
dpkg-deb --extract "$deb" "$stage"
for check in files validate run; do
    tests/install/installed_tree.sh "$check" "" "$stage" "$id" games share/games/brivadoro/suoni ||
        fail "installed_tree.sh $check on the unpacked package"
done

# lintian warns on stderr when run as root, as the CI runs; that note is no finding.
status=0
report=$(lintian --fail-on error,warning --display-info "${deb%.deb}.changes" 2>&1) || status=$?
report=$(grep -v '^running with root privileges is not recommended!$' <<<"$report" || true)
if ((status != 0)); then
    fail "lintian, status $status:"$'\n'"$report"
else
    echo "lintian: no error, no warning${report:+$'\n'$report}"
fi

((failures == 0)) || exit 1
echo "The package passed its checks."
