#!/usr/bin/env bash
# Copies the committed tree, HEAD without uncommitted changes, into the folder given; a tree without
# git history, as unpacked from an archive, is copied as it is, its build folders left out.
# Usage: tools/committed-tree.sh FOLDER
set -euo pipefail
mkdir -p "$1"
destination=$(realpath "$1")
cd "$(dirname "$0")/.."
if git rev-parse --verify -q HEAD >/dev/null 2>&1; then
    git archive --format=tar HEAD | tar -x -C "$destination"
else
    tar -c --exclude='./build*' --exclude=./.git . | tar -x -C "$destination"
fi
