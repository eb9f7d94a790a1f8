#!/bin/bash
# Process start to the first video picture on the screen, for this player and its peers, on
# the same clip and the same 12-track Video CD image (bench/make-colour-disc.sh), in one Xvfb
# under one window manager, runs interleaved. Each program is started by bench/first_picture,
# which watches the screen itself (shared-memory grabs) until a coloured picture covers part of
# it: the same end point for all. "tamrel menu image" is the same tracks behind the disc's own
# menu with Playback Control checked: its first picture is the menu's.
#   bench/first-picture.sh [BUILD_DIR] [RUNS]
# BASELINE=/path/to/an/older/tamrel-vcd-player adds that build to the runs, for a before and
# after of a change measured in the same runs.
# Installs VLC (Debian's) for itself; every program runs as an unprivileged user
# (bench/screen-bench-env.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-9}
source "$root/bench/screen-bench-env.sh"

# name|command run as the benchmark user
programs=(
    "tamrel clip|env TAMREL_MPV_OPTIONS=ao=null TAMREL_CD_DRIVES= $player $work/clip.dat"
    "mpv clip|mpv --no-config --really-quiet --ao=null --vo=gpu --gpu-sw=yes --geometry=779x392 $work/clip.dat"
    "mpv-x11 clip|mpv --no-config --really-quiet --ao=null --vo=x11 --geometry=779x392 $work/clip.dat"
    "cvlc clip|cvlc --quiet --aout=dummy $work/clip.dat"
    "vlc clip|vlc --quiet --no-qt-privacy-ask --aout=dummy $work/clip.dat"
    "tamrel image|env TAMREL_MPV_OPTIONS=ao=null TAMREL_CD_DRIVES= $player $work/colour-vcd.cue"
    "tamrel menu image|env XDG_CONFIG_HOME=$home/menu-config TAMREL_MPV_OPTIONS=ao=null TAMREL_CD_DRIVES= $player $work/colour-menu-vcd.cue"
    "mpv image track|mpv --no-config --really-quiet --ao=null --vo=gpu --gpu-sw=yes --geometry=779x392 $work/track01.mpg"
    "mpv-x11 image track|mpv --no-config --really-quiet --ao=null --vo=x11 --geometry=779x392 $work/track01.mpg"
    "cvlc image|cvlc --quiet --aout=dummy vcd://$work/colour-vcd.cue"
    "vlc image|vlc --quiet --no-qt-privacy-ask --aout=dummy vcd://$work/colour-vcd.cue"
)
if [ -n "${BASELINE:-}" ]; then
    programs+=(
        "baseline clip|env TAMREL_MPV_OPTIONS=ao=null TAMREL_CD_DRIVES= $BASELINE $work/clip.dat"
        "baseline image|env TAMREL_MPV_OPTIONS=ao=null TAMREL_CD_DRIVES= $BASELINE $work/colour-vcd.cue"
    )
fi
declare -A times
for run in $(seq "$runs"); do
    for entry in "${programs[@]}"; do
        name=${entry%%|*}
        read -r -a command <<<"${entry#*|}"
        t=$(watch_as_user -- "${command[@]}" 2>/dev/null) || t=fail
        times[$name]="${times[$name]:-} $t"
    done
    echo "run $run of $runs done" >&2
done

printf '%-18s %10s %8s\n' "program" "median ms" "ratio"
for kind in clip image; do
    ours=$(echo "${times[tamrel $kind]}" | median)
    for entry in "${programs[@]}"; do
        name=${entry%%|*}
        [[ $name == *" $kind"* ]] || continue
        m=$(echo "${times[$name]}" | median)
        printf '%-18s %10s %8s\n' "$name" "$m" "$(ratio "$ours" "$m")"
    done
done
echo "(ratio: this player's time over the program's, below 1 is faster; ${runs} runs each, interleaved)"
