#!/usr/bin/env bash
# Static checks over Brivadoro's own sources; any finding fails. `tools/lint.sh [check...]` runs the
# named checks, all of them when none is named:
#   format    clang-format --dry-run --Werror, and no code file over 400 lines
#   cppcheck  cppcheck's warning, style, performance and portability checks
#   tidy      clang-tidy with the checked-in .clang-tidy files, over every translation unit
#   layers    no file of src/ includes from a folder above its own
# cppcheck and clang-tidy read the configured build folder, $BUILD_DIR or build/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
jobs=$(nproc)

# The project's files whose names match the patterns given, build folders left out; read from the
# tree itself, so that a checkout without git history is checked the same.
sources() {
    local names=() pattern
    for pattern in "$@"; do names+=(-o -name "$pattern"); done
    find . \( -path ./.git -o -path './build*' \) -prune -o -type f \( "${names[@]:1}" \) -print |
        sed 's|^\./||' | LC_ALL=C sort
}
mapfile -t units < <(sources '*.cpp')
mapfile -t headers < <(sources '*.h')

format() {
    clang-format --dry-run --Werror "${units[@]}" "${headers[@]}"
    local long
    # Code files only: the manual page, a document, is as long as what it must tell.
    long=$(sources '*.cpp' '*.h' '*.h.in' '*.py' '*.sh' CMakeLists.txt | xargs wc -l | awk '$2 != "total" && $1 > 400')
    if [ -n "$long" ]; then
        echo "Files over 400 lines:"$'\n'"$long" >&2
        return 1
    fi
}

# normalCheckLevelMaxBranches only says that cppcheck 2.11 and later follow branches to a bounded
# depth, as cppcheck 2.10 always did, so both releases check alike.
cppcheck() {
    command cppcheck --quiet --error-exitcode=1 --std=c++20 --library=qt -j "$jobs" \
        --enable=warning,style,performance,portability --inline-suppr --suppress=missingIncludeSystem \
        --suppress=normalCheckLevelMaxBranches \
        --template='{file}:{line}: {severity}: {message} [{id}]' \
        -I src -I "$build/src" -I tests "${units[@]}"
}

tidy() {
    [ -f "$build/compile_commands.json" ] || {
        echo "No $build/compile_commands.json: configure and build first (tools/setup.sh)." >&2
        return 1
    }
    # The build's precompiled headers are left out: clang cannot read GCC's, and each file must
    # stand on its own includes, as it is checked.
    local commands log status=0
    commands=$(mktemp -d)
    sed -E -e 's/ -Winvalid-pch//g' -e 's/ -Xclang -include-pch -Xclang [^ ]+//g' \
        -e 's/ (-Xclang )?-include (-Xclang )?[^ ]*cmake_pch\.hxx//g' \
        "$build/compile_commands.json" >"$commands/compile_commands.json"
    log=$(mktemp)
    printf '%s\n' "${units[@]}" | xargs -P "$jobs" -n 1 clang-tidy -p "$commands" --quiet >"$log" 2>&1 || status=$?
    grep -v '^[0-9]* warnings\? generated\.$' "$log" || true
    rm -rf "$log" "$commands"
    return "$status"
}

# The folders of src/ from the bottom up, those of one level side by side: a file may include from
# its own level and the levels below. src/main.cpp stands above them all.
layer_order=(toolkit board "clock records sound targets" diary "report game")

layers() {
    local -A level
    local rank=0 group folder file line target status=0
    for group in "${layer_order[@]}"; do
        for folder in $group; do level[$folder]=$rank; done
        rank=$((rank + 1))
    done
    while IFS= read -r file; do
        folder=${file#src/}
        folder=${folder%%/*}
        [ -n "${level[$folder]:-}" ] || { echo "$file: folder $folder has no place in layer_order" >&2; status=1; continue; }
        while IFS= read -r line; do
            target=$(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' <<<"$line")
            if [ -z "$target" ] || [ -z "${level[$target]:-}" ]; then continue; fi
            if ((level[$target] > level[$folder])); then
                echo "$file: $line reaches up from $folder to $target" >&2
                status=1
            fi
        done < <(grep '^#include "' "$file")
    done < <(sources '*.cpp' '*.h' '*.h.in' | grep '^src/[a-z_]*/')
    return "$status"
}

checks=("$@")
((${#checks[@]})) || checks=(format cppcheck tidy layers)
for check in "${checks[@]}"; do
    case $check in
    format | cppcheck | tidy | layers) "$check" ;;
    *)
        echo "Unknown check: $check (format, cppcheck, tidy or layers)" >&2
        exit 2
        ;;
    esac
done
