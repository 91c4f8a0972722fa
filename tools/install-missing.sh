#!/usr/bin/env bash
# Installs those of the Debian packages named that are missing, with apt-get, as root or through
# sudo; quiet when none is. A name this system's package lists lack is named and left out, and the
# others are installed all the same. Usage: tools/install-missing.sh PACKAGE...
set -euo pipefail

missing=()
for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
((${#missing[@]})) || exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
found=()
unknown=()
for package in "${missing[@]}"; do
    if apt-cache show --no-all-versions "$package" >/dev/null 2>&1; then
        found+=("$package")
    else
        unknown+=("$package")
    fi
done
((${#unknown[@]} == 0)) || echo "Not in this system's package lists, so not installed: ${unknown[*]}" >&2
((${#found[@]})) || exit 0
echo "Installing: ${found[*]}"
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${found[@]}" >/dev/null
