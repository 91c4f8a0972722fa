#!/usr/bin/env bash
# Checks Brivadoro as `cmake --install` lays it out, staged with DESTDIR under a prefix of /usr.
# installed_tree.sh <stage|files|validate|run> <build folder> <staging folder> <application id>
#     [<program folder> <sounds folder>], both relative to the prefix, bin and share/brivadoro/suoni
#     unless given
set -euo pipefail
check=$1 build=$2 stage=$3 id=$4 bindir=${5:-bin} sounds_dir=${6:-share/brivadoro/suoni}
prefix=$stage/usr
program=$prefix/$bindir/brivadoro
entry=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
sounds=(sparo.wav esplosi.wav laser.wav)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

entry_value() {
    sed -n "s/^$1=//p" "$entry"
}

# A fresh staged install.
stage() {
    rm -rf "$stage"
    DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
}

# Every file in its place, named as the desktop entry names them, which starts the program by its
# full path; the fixed-size icon is 48 by 48.
files() {
    [ "$(entry_value Exec)" = "${program#"$stage"}" ] || fail "the desktop entry starts $(entry_value Exec)"
    local expected=(
        "$bindir/brivadoro"
        "share/icons/hicolor/scalable/apps/$(entry_value Icon).svg"
        "share/icons/hicolor/48x48/apps/$(entry_value Icon).png"
        "share/metainfo/$id.metainfo.xml"
    )
    for sound in "${sounds[@]}"; do
        expected+=("$sounds_dir/$sound")
    done
    for file in "${expected[@]}"; do
        [ -s "$prefix/$file" ] || fail "$file is missing or empty"
    done
    [ -x "$program" ] || fail "the program is not executable"
    local size
    size=$(od -An -tu1 -j16 -N8 "$prefix/share/icons/hicolor/48x48/apps/$id.png" | tr -s ' ')
    [ "$size" = " 0 0 0 48 0 0 0 48" ] || fail "the PNG icon's width and height are$size"
}

# The desktop entry has no error nor warning; its one hint, two main categories, is asked for.
# The metadata validates alone and against the tree, which must hold its launchable entry.
validate() {
    local report
    report=$(desktop-file-validate "$entry") || fail "desktop-file-validate: $report"
    if grep -v 'contains more than one main category' <<<"$report" | grep -q .; then
        fail "desktop-file-validate: $report"
    fi
    appstreamcli validate --no-net "$metainfo"
    appstreamcli validate-tree --no-net "$stage"
}

# The staged program starts (its name box waits for an answer) and opens its three sounds from the
# staged data folder. strace writes each thread's file opens to a file of its own, so no line is
# split; SDL's dummy device lets the program open its sounds without a sound card.
run() {
    [ ! -e "$prefix/$bindir/suoni" ] || fail "a suoni folder beside the staged program would hide the lookup"
    scratch=$(mktemp -d)
    trap 'end_game; rm -rf "$scratch"' EXIT
    QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy XDG_DATA_HOME=$scratch/records \
        strace -ff -qq -e trace=openat -o "$scratch/trace" \
        bash -c 'echo $$ >"$1"; exec "$2"' - "$scratch/pid" "$program" &
    local opened=0
    for _ in $(seq 100); do
        opened=$(opened_sounds)
        ((opened < ${#sounds[@]})) || break
        [ ! -s "$scratch/pid" ] || game_running || break
        sleep 0.2
    done
    game_running || fail "the staged program ended before its name box was answered"
    ((opened == ${#sounds[@]})) || fail "the staged program opened $opened of its ${#sounds[@]} sounds"
}

# How many of the sounds in the staged data folder the game has opened so far.
opened_sounds() {
    cat "$scratch"/trace.* 2>/dev/null |
        grep -o "\"$prefix/$sounds_dir/[a-z]*\\.wav\", O_RDONLY) = [0-9]" | sort -u | wc -l || true
}

game_running() {
    [ -s "$scratch/pid" ] && kill -0 "$(cat "$scratch/pid")" 2>/dev/null
}

# Ends the game, and with it strace, which ends with its last tracee.
end_game() {
    if game_running; then
        kill "$(cat "$scratch/pid")"
    fi
    wait
}

"$check"
