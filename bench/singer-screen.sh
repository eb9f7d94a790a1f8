#!/bin/bash
# What the singer screen costs: CPU seconds per minute of playback of the player and of the
# compositor, the same disc (bench/make-colour-disc.sh) playing, in three ways: the window on
# one screen, full screen on one screen (Alt+Enter), and the singer screen open on the second
# of two (Ctrl+T). Each under a Weston of its own nested in one
# Xvfb, with 800 x 600 outputs (scripts/start-weston-outputs.sh), so the picture has the same
# size full screen and on the singer screen; runs interleaved, medians.
#   bench/singer-screen.sh [BUILD_DIR] [SECONDS] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${2:-20}
runs=${3:-3}
player=$build/tamrel-vcd-player
[ -x "$player" ] || { echo "build $build first (tamrel-vcd-player)" >&2; exit 2; }
"$root/bench/make-colour-disc.sh" "$build/colour-disc"
disc=$build/colour-disc/colour-vcd.cue

work=$(mktemp -d)
chmod 700 "$work"
export XDG_RUNTIME_DIR=$work
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x800x24 -ac -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 number <&"$displayfd"
export DISPLAY=:$number
weston=""
trap 'kill $weston $xvfb 2>/dev/null; rm -rf "$work"' EXIT

cpu_ticks() { # pid: user + system clock ticks so far
    awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0
}

wait_for_line() { # file pattern: within 20 s
    for _ in $(seq 400); do
        grep -q "$2" "$1" && return 0
        sleep 0.05
    done
    echo "never printed: $2" >&2
    return 1
}

# "player-CPU-s/min compositor-CPU-s/min" of one run of $seconds in the given way.
measure() {
    local way=$1 outputs=1 pid log=$work/trace.txt output t0 w0 t1 w1
    [ "$way" = singer ] && outputs=2
    weston=$("$root/scripts/start-weston-outputs.sh" "$outputs" 800 600 bench)
    output=$(xdotool search --class weston | head -1)
    xdotool windowfocus --sync "$output"
    env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=bench XDG_CONFIG_HOME="$work/config" \
        TAMREL_CD_DRIVES="$disc" TAMREL_MPV_OPTIONS="ao=null" TAMREL_TRACE=1 "$player" \
        >"$log" 2>/dev/null &
    pid=$!
    wait_for_line "$log" '^status: Playing'
    # The start-up notice has the keyboard a moment; the window has it once track 2 starts.
    for _ in $(seq 40); do
        xdotool key --window "$output" 2
        grep -q '^track: 02 of 12' "$log" && break
        sleep 0.25
    done
    case $way in
    full) xdotool key --window "$output" alt+Return ;;
    singer)
        xdotool key --window "$output" ctrl+t
        wait_for_line "$log" '^singer screen: open on'
        ;;
    esac
    sleep 2 # settled: the window mapped and the picture in it
    t0=$(cpu_ticks "$pid") w0=$(cpu_ticks "$weston")
    sleep "$seconds"
    t1=$(cpu_ticks "$pid") w1=$(cpu_ticks "$weston")
    kill "$pid" "$weston"
    wait "$pid" "$weston" 2>/dev/null || true
    rm -f "$log"
    local hz
    hz=$(getconf CLK_TCK)
    python3 -c "import sys; p, w, hz, s = map(float, sys.argv[1:]); \
print(f'{p / hz * 60 / s:.2f} {w / hz * 60 / s:.2f}')" "$((t1 - t0))" "$((w1 - w0))" "$hz" "$seconds"
}

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

ways=(window full singer)
declare -A own comp
for run in $(seq "$runs"); do
    for way in "${ways[@]}"; do
        read -r p w <<<"$(measure "$way")"
        own[$way]="${own[$way]:-} $p"
        comp[$way]="${comp[$way]:-} $w"
    done
    echo "run $run of $runs done" >&2
done
printf '%-36s %14s %16s\n' way "player CPU s/min" "Weston CPU s/min"
label() {
    case $1 in
    window) echo "window, one screen" ;;
    full) echo "full screen, one screen" ;;
    singer) echo "singer screen open, two screens" ;;
    esac
}
for way in "${ways[@]}"; do
    printf '%-36s %14s %16s\n' "$(label "$way")" "$(echo "${own[$way]}" | median)" \
        "$(echo "${comp[$way]}" | median)"
done
echo "(${seconds} s of playback a run, ${runs} runs each, interleaved; outputs 800 x 600)"
