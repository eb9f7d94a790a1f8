#!/bin/bash
# What playing costs: CPU seconds per minute of playback and peak resident memory, both from
# the same run, of this player, mpv and VLC on the same VCD-style clip (looped), in one Xvfb
# with openbox and one silent sound server, runs interleaved; medians. The picture is the same
# size for all: mpv and VLC get a window of this player's video area (779 × 392).
# This player draws as it would on this machine (software without a GPU, see
# TAMREL_VIDEO_OUTPUT); mpv runs twice, through OpenGL (Mesa's software renderer under Xvfb)
# and through its own software output (x11); VLC takes its own output.
#   bench/playing-cost.sh [BUILD_DIR] [SECONDS] [RUNS]
# PROGRAMS="tamrel mpv-x11" measures only those; BASELINE=/path/to/an/older/tamrel-vcd-player
# adds that build, for a before and after in the same runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${2:-20}
runs=${3:-3}
source "$root/bench/screen-bench-env.sh"

clip=$work/clip.dat
command_of() { # name → the command, run as the benchmark user
    case $1 in
    tamrel) echo env TAMREL_MPV_OPTIONS="ao=null loop-file=inf" TAMREL_CD_DRIVES= "$player" "$clip" ;;
    baseline) echo env TAMREL_MPV_OPTIONS="ao=null loop-file=inf" TAMREL_CD_DRIVES= "$BASELINE" "$clip" ;;
    mpv) echo mpv --no-config --really-quiet --ao=null --vo=gpu --gpu-sw=yes --geometry=779x392 \
        --loop-file=inf "$clip" ;;
    mpv-x11) echo mpv --no-config --really-quiet --ao=null --vo=x11 --geometry=779x392 \
        --loop-file=inf "$clip" ;;
    cvlc) echo cvlc --quiet --aout=dummy --loop --width=779 --height=392 "$clip" ;;
    vlc) echo vlc --quiet --no-qt-privacy-ask --aout=dummy --loop "$clip" ;;
    esac
}

# "CPU-seconds-per-minute peak-RSS-MiB" of one run of $seconds.
measure() {
    local out
    read -r -a command <<<"$(command_of "$1")"
    out=$(as_user env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" \
        PULSE_SERVER="$pulse" DISPLAY=$display /usr/bin/time -f 'cost %U %S %M' \
        timeout -s TERM "$seconds" "${command[@]}" 2>&1 >/dev/null | grep '^cost ' | tail -1)
    python3 -c "import sys; _, u, s, m = sys.argv[1].split(); \
print(f'{(float(u) + float(s)) * 60 / $seconds:.2f} {int(m) / 1024:.1f}')" "$out"
}

read -r -a programs <<<"${PROGRAMS:-tamrel mpv mpv-x11 cvlc vlc}"
[ -z "${BASELINE:-}" ] || programs+=(baseline)
declare -A cpu rss
for run in $(seq "$runs"); do
    for name in "${programs[@]}"; do
        read -r c m <<<"$(measure "$name")"
        cpu[$name]="${cpu[$name]:-} $c"
        rss[$name]="${rss[$name]:-} $m"
    done
    echo "run $run of $runs done" >&2
done

our_cpu=$(echo "${cpu[tamrel]}" | median)
our_rss=$(echo "${rss[tamrel]}" | median)
printf '%-8s %14s %8s %14s %8s\n' program "CPU s/min" ratio "peak RSS MiB" ratio
for name in "${programs[@]}"; do
    c=$(echo "${cpu[$name]}" | median)
    m=$(echo "${rss[$name]}" | median)
    printf '%-8s %14s %8s %14s %8s\n' "$name" "$c" "$(ratio "$our_cpu" "$c")" "$m" "$(ratio "$our_rss" "$m")"
done
echo "(${seconds} s of playback a run, ${runs} runs each, interleaved; ratio: this player's over the program's)"
