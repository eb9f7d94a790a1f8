#!/bin/bash
# A track change on screen: with the 12-track Video CD image of bench/make-colour-disc.sh
# playing (track 1 red), the request for track 5 → track 5's own colour (magenta) on the X
# screen. This player gets the key "5" (through XTest, into its focused window, as a singer
# types it); VLC, which has no key for a title of its own choosing, gets "title 4" (its titles
# count the disc's tracks from 0) on its remote-control socket. Both end points are the same:
# the new picture visible, watched by bench/first_picture. "tamrel-menu" is this player on the
# same tracks behind the disc's own menu (Playback Control checked): the key "5" typed in the
# menu → the chosen list's track on screen. Runs interleaved; medians.
#   [PROGRAMS="tamrel tamrel-menu cvlc vlc"] bench/track-change.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-9}
source "$root/bench/screen-bench-env.sh"

magenta=ff00ff
# VLC's remote control talks on standard output too: only the watcher's line of two numbers
# counts.
measure() { # name → "first-picture-ms change-ms", or "fail"
    local socket=$home/$1.sock
    case $1 in
    tamrel)
        watch_as_user --change key:5 --to $magenta -- env TAMREL_MPV_OPTIONS=ao=null \
            TAMREL_CD_DRIVES= "$player" "$work/colour-vcd.cue" ;;
    tamrel-menu)
        watch_as_user --change key:5 --to $magenta -- env TAMREL_MPV_OPTIONS=ao=null \
            TAMREL_CD_DRIVES= XDG_CONFIG_HOME="$home/menu-config" "$player" \
            "$work/colour-menu-vcd.cue" ;;
    cvlc)
        watch_as_user --change "unix:$socket:title 4" --to $magenta -- cvlc --quiet \
            --aout=dummy --extraintf oldrc --rc-fake-tty --rc-unix "$socket" \
            "vcd://$work/colour-vcd.cue" ;;
    vlc)
        watch_as_user --change "unix:$socket:title 4" --to $magenta -- vlc --quiet \
            --no-qt-privacy-ask --aout=dummy --extraintf oldrc --rc-fake-tty \
            --rc-unix "$socket" "vcd://$work/colour-vcd.cue" ;;
    esac 2>/dev/null | grep -E '^[0-9.]+ [0-9.]+$' | tail -1 | grep . || echo fail
}

read -ra programs <<<"${PROGRAMS:-tamrel tamrel-menu cvlc vlc}"
declare -A times
for run in $(seq "$runs"); do
    for name in "${programs[@]}"; do
        result=$(measure "$name")
        times[$name]="${times[$name]:-} ${result#* }"
    done
    echo "run $run of $runs done" >&2
done

ours=$(echo "${times[tamrel]}" | median)
printf '%-12s %16s %8s\n' "program" "track 5 ms" "ratio"
for name in "${programs[@]}"; do
    m=$(echo "${times[$name]}" | median)
    printf '%-12s %16s %8s\n' "$name" "$m" "$(ratio "$ours" "$m")"
done
echo "(request for track 5 → its picture on screen; ratio: this player's time over the program's; ${runs} runs each, interleaved)"
