#!/usr/bin/env bash
# Sets Brivadoro up when needed and runs every check, or only the steps named (tools/test.sh asan):
#   tests  the test suite in build/
#   asan   the test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/
#   fuzz   the fuzz targets of build-asan/, each for a bounded time from its seed corpus
# Prints how long each step took; the first failing step ends the run with its status.
set -euo pipefail
cd "$(dirname "$0")/.."

steps=("$@")
((${#steps[@]})) || steps=(tests asan fuzz)

# The sanitizer build: clang, so that the fuzz targets can share it.
build_asan() {
    if [ ! -f build-asan/CMakeCache.txt ]; then
        cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
            -DBRIVADORO_SANITIZE=ON -DBRIVADORO_FUZZ=ON -DBRIVADORO_BENCHMARKS=OFF >/dev/null
    fi
    cmake --build build-asan -- --quiet
}

run_step() {
    case $1 in
    tests) ctest --test-dir build --output-on-failure --timeout 600 ;;
    asan) build_asan && ctest --test-dir build-asan --label-exclude fuzz --output-on-failure --timeout 600 ;;
    fuzz) build_asan && ctest --test-dir build-asan --label-regex fuzz --parallel 2 --output-on-failure ;;
    *)
        echo "Unknown step: $1" >&2
        return 2
        ;;
    esac
}

started=$SECONDS
tools/setup.sh
echo "== setup: $((SECONDS - started)) s"
for step in "${steps[@]}"; do
    begun=$SECONDS
    run_step "$step"
    echo "== $step: $((SECONDS - begun)) s"
done
echo "== total: $((SECONDS - started)) s"
