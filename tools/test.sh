#!/usr/bin/env bash
# Sets Brivadoro up when needed and runs every check, or only the steps named (tools/test.sh asan fuzz):
#   tests  the test suite in build/, the short games in a real window included; its static checks
#          run beside the other tests, at the lowest priority
#   asan   the test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/
#   fuzz   the fuzz targets of build-asan/, each for a bounded time from its seed corpus; with asan,
#          one at a time beside asan's tests, at the lowest priority
#   robot  a full five-minute game of build/brivadoro in a real window under Xvfb, played from outside
#   package  the Debian package built by tools/package.sh, its contents and lintian's verdict
#   other-release  the set-up, the tests step and the package step again, in a minimal root of the
#            other supported Debian release (tools/other-release.sh); as root, it runs beside
#            the robot's game, and its root is made while this machine builds
# Prints how long each step took; the first failing step ends the run with its status.
set -euo pipefail
cd "$(dirname "$0")/.."

steps=("$@")
((${#steps[@]})) || steps=(tests asan fuzz robot package other-release)

timed() {
    local name=$1 begun=$SECONDS
    shift
    "$@"
    echo "== $name: $((SECONDS - begun)) s"
}

# The sanitizer build, with clang so that the fuzz targets can share it.
build_asan() {
    if [ ! -f build-asan/CMakeCache.txt ]; then
        cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
            -DBRIVADORO_SANITIZE=ON -DBRIVADORO_FUZZ=ON -DBRIVADORO_BENCHMARKS=OFF >/dev/null
    fi
    cmake --build build-asan -- --quiet
}

# Waits until the other release's root, when it is being made in the background, is ready.
await_preparation() {
    [ -n "${preparation:-}" ] || return 0
    local status=0
    wait "$preparation" || status=$?
    preparation=
    cat "$preparation_log"
    rm -f "$preparation_log"
    return "$status"
}

# Runs the rest of the arguments while the function named first runs in the background at the
# lowest priority: work that waits on nothing takes the processor that the foreground's tests, one at
# a time and often waiting on a window, leave idle, and the foreground still gets a processor
# whenever it asks. The background's output follows the foreground's; the status is the first
# failure's of the two.
alongside() {
    local background=$1 log pid status=0 background_status=0
    shift
    log=$(mktemp)
    (
        renice -n 19 "$BASHPID" >/dev/null
        "$background"
    ) >"$log" 2>&1 &
    pid=$!
    "$@" || status=$?
    wait "$pid" || background_status=$?
    cat "$log"
    rm -f "$log"
    ((status != 0)) || status=$background_status
    return "$status"
}

suite() { ctest --test-dir build --output-on-failure --timeout 600 ${TEST_EXCLUDE:+--exclude-regex "$TEST_EXCLUDE"} "$@"; }
static_checks() { suite --label-regex lint; }
fuzz_targets() { ctest --test-dir build-asan --label-regex fuzz --parallel "${1:-2}" --output-on-failure; }
fuzz_targets_one_at_a_time() { fuzz_targets 1; }
asan_suite() { ctest --test-dir build-asan --label-exclude fuzz --output-on-failure --timeout 600; }

run_step() {
    case $1 in
    tests) alongside static_checks suite --label-exclude lint ;;
    asan) asan_suite ;;
    fuzz) fuzz_targets ;;
    # Each fuzz target alone on the processor that the sanitizer build's tests leave idle: as long a
    # run, on as much of a processor, as when the targets run two at a time on their own.
    asan-and-fuzz) alongside fuzz_targets_one_at_a_time asan_suite ;;
    robot)
        dbus-run-session -- /usr/bin/python3 tests/e2e/play_full_game.py --program build/brivadoro \
            --probe build/tests/e2e/ping_probe --screenshots build/tests/e2e/screenshots-full-game
        ;;
    package) tests/package/check_package.sh ;;
    other-release) await_preparation && tools/other-release.sh ;;
    *)
        echo "Unknown step: $1" >&2
        return 2
        ;;
    esac
}

started=$SECONDS
wants() { [[ " ${steps[*]} " == *" $1 "* ]]; }
# A run that fails leaves nothing running; jobs -p names only this shell's jobs still running, so
# no process that took a finished job's number is hit.
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT

# As root, the other release's root is made and its packages installed in the background while
# this machine builds: that part waits on the network and the disk more than on the processors.
# This machine's packages come first, as two apt-get runs cannot share one package database.
if wants other-release && [ "$(id -u)" -eq 0 ]; then
    timed packages bash -c 'tools/setup.sh --packages && tools/install-missing.sh debootstrap'
    preparation_log=$(mktemp)
    timed "other-release preparation, in the background" tools/other-release.sh --prepare \
        >"$preparation_log" 2>&1 &
    preparation=$!
fi
timed setup tools/setup.sh
for step in "${steps[@]}"; do
    if [[ $step == asan || $step == fuzz ]] && [ -z "${asan_built:-}" ]; then
        timed build-asan build_asan
        asan_built=yes
    fi
    # The fuzz targets run beside the sanitizer build's tests when both are asked for, and once.
    if [ "$step" = asan ] && wants fuzz && [ -z "${fuzzed:-}" ]; then
        step=asan-and-fuzz
    fi
    if [[ $step == fuzz || $step == asan-and-fuzz ]]; then
        [ -z "${fuzzed:-}" ] || continue
        fuzzed=yes
    fi
    # The robot's game waits on its clock for five minutes and needs little of the processors: the
    # other release's step runs beside it, at a lower priority, so that the game gets a processor
    # whenever it wakes. The robot discounts the time its game waits for one.
    if [ "$step" = robot ] && wants other-release && [ -n "${preparation:-}" ]; then
        await_preparation # in this shell, whose child the preparation is
        other_release_log=$(mktemp)
        (
            renice -n 10 "$BASHPID" >/dev/null
            timed other-release run_step other-release
        ) >"$other_release_log" 2>&1 &
        other_release=$!
    fi
    if [ "$step" = other-release ] && [ -n "${other_release:-}" ]; then
        status=0
        wait "$other_release" || status=$?
        cat "$other_release_log"
        rm -f "$other_release_log"
        ((status == 0)) || exit "$status"
        continue
    fi
    timed "$step" run_step "$step"
done
echo "== total: $((SECONDS - started)) s"
