#!/usr/bin/env bash
# Builds the Debian package of the committed tree, build-package/brivadoro_<version>_<arch>.deb, with
# debhelper, from a fresh copy of HEAD in build-package/. Installs the packaging tools and the build
# dependencies when any is missing, quiet when none is; with --packages, only installs the tools.
# Run from anywhere, as root or as a sudo user.
set -euo pipefail
cd "$(dirname "$0")/.."

out=build-package
source_tree=$out/brivadoro
tools/install-missing.sh debhelper dpkg-dev fakeroot lintian
[ "${1:-}" != --packages ] || exit 0

rm -rf "$out"
tools/committed-tree.sh "$source_tree"
cd "$source_tree"

# The package's version is the project's, with the Debian revision after it.
project_version=$(sed -n 's/^project(Brivadoro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package_version=$(dpkg-parsechangelog -S Version)
if [ "${package_version%-*}" != "$project_version" ]; then
    echo "debian/changelog's version $package_version is not that of project() in CMakeLists.txt," \
        "$project_version: give them the same upstream version." >&2
    exit 1
fi

# Each Debian release's build depends on that release's own libraries, so it carries the release in
# its version and its changelog: 1.0.0-1~deb12 for bookworm, 1.0.0-1~deb13 for trixie. The tilde
# sorts both below a plain 1.0.0-1, and the Debian 12 build below the Debian 13 one, so a machine
# upgraded from 12 to 13 takes the newer build. Elsewhere the version stays as debian/changelog has it.
release=$(. /etc/os-release && [ "${ID:-}" = debian ] && echo "${VERSION_ID:-} ${VERSION_CODENAME:-}" || true)
read -r release_number release_name <<<"$release" || true
if [ -n "${release_number:-}" ] && [ -n "${release_name:-}" ]; then
    package_version=$package_version~deb$release_number
    sed -i "1s/^brivadoro ([^)]*) [^;]*;/brivadoro ($package_version) $release_name;/" debian/changelog
fi

if ! dpkg-checkbuilddeps >/dev/null 2>&1; then
    echo "Installing the build dependencies of debian/control"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get build-dep -y -qq --no-install-recommends ./ >/dev/null
fi

if ! dpkg-buildpackage -b -us -uc --jobs-try="$(nproc)" >../build.log 2>&1; then
    tail -n 20 ../build.log | cut -c 1-300 >&2
    echo "The package build failed: $out/build.log has its whole log." >&2
    exit 1
fi
echo "$out/brivadoro_${package_version}_$(dpkg --print-architecture).deb"
