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
examples=$prefix/share/doc/brivadoro/examples
metainfo=$prefix/share/metainfo/$id.metainfo.xml
sounds=(sparo.wav esplosi.wav laser.wav)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# desktop_value <file> <group> <key>: the key's value in that group of a desktop entry.
desktop_value() {
    awk -v group="[$2]" -v key="$3=" '
        /^\[/ { in_group = ($0 == group) }
        in_group && index($0, key) == 1 { print substr($0, length(key) + 1) }' "$1"
}

entry_value() {
    desktop_value "$entry" 'Desktop Entry' "$1"
}

# The manual page in English and in Italian, as installed or gzipped by the package.
man_pages() {
    local page
    for page in "$prefix/share/man/man6/brivadoro.6" "$prefix/share/man/it/man6/brivadoro.6"; do
        [ ! -e "$page.gz" ] || page=$page.gz
        echo "$page"
    done
}

# A fresh staged install.
stage() {
    rm -rf "$stage"
    DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
}

# Every file in its place, named as the desktop entry names them, which starts the program by its
# full path; the diary action of the entry and of the class's example starts the same command as
# their game, with the report to open; the fixed-size icon is 48 by 48.
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
    [ -s "$examples/brivadoro.conf" ] || fail "the example configuration is missing or empty"
    for file in "$examples/brivadoro-classe.desktop" $(man_pages); do
        [ -s "$file" ] || fail "${file#"$prefix/"} is missing or empty"
        ! zcat -f "$file" | grep -q '@[A-Z_]*@' || fail "${file#"$prefix/"} keeps a template's @NAME@"
    done
    [ -x "$program" ] || fail "the program is not executable"
    local game action
    for file in "$entry" "$examples/brivadoro-classe.desktop"; do
        game=$(desktop_value "$file" 'Desktop Entry' Exec)
        action=$(desktop_value "$file" 'Desktop Action diario' Exec)
        [ "$action" = "$game --report --open" ] || fail "${file#"$prefix/"}'s diary action starts $action"
    done
    local size
    size=$(od -An -tu1 -j16 -N8 "$prefix/share/icons/hicolor/48x48/apps/$id.png" | tr -s ' ')
    [ "$size" = " 0 0 0 48 0 0 0 48" ] || fail "the PNG icon's width and height are$size"
}

# The desktop entry and the class's example have no error nor warning; their one hint, two main
# categories, is asked for. The metadata validates alone and against the tree, which must hold its
# launchable entry. The manual pages render without a groff warning, as lintian reads them, and the
# Italian one is Italian. The example configuration changes nothing until a key is uncommented:
# QSettings takes a line starting with "#" for a key, so only ";" comments.
validate() {
    local report file key
    for file in "$entry" "$examples/brivadoro-classe.desktop"; do
        report=$(desktop-file-validate "$file") || fail "desktop-file-validate: $report"
        if grep -v 'contains more than one main category' <<<"$report" | grep -q .; then
            fail "desktop-file-validate: $report"
        fi
    done
    appstreamcli validate --no-net "$metainfo"
    appstreamcli validate-tree --no-net "$stage"
    for file in $(man_pages); do
        report=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)
        [ -z "$report" ] || fail "man warns on ${file#"$prefix/"}: $report"
    done
    zcat -f "$(man_pages | tail -n 1)" | grep -qx '\.SH NOME' || fail "the Italian manual page is not Italian"
    report=$(grep -vE '^(;.*|\[General\]|)$' "$examples/brivadoro.conf" || true)
    [ -z "$report" ] || fail "the example configuration sets: $report"
    for key in RecordFolder FullScreen Sound; do
        grep -q "^;$key=" "$examples/brivadoro.conf" || fail "the example configuration lacks ;$key="
    done
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
