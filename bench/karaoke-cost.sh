#!/bin/bash
# What the key stage costs: CPU seconds per minute of playback of the real player on the
# VCD-style clip (looped), in one Xvfb with openbox and one sound server, with the key at 0 (no
# stage) and at +2 with the tempo at 90 %, on rubberband's "faster" engine (the player's) and,
# for comparison, "finer"; runs interleaved, medians, ratios over the bypassed runs.
# The chain is the text MpvAudioFilterChain builds (build/bench/bench_karaoke_filter), given to
# the running player through mpv's IPC socket: an "af" among TAMREL_MPV_OPTIONS is cleared by
# the player's probe for the key filter.
#   bench/karaoke-cost.sh [BUILD_DIR] [SECONDS] [RUNS]
# AO=pulse plays into the sound server instead of ao=null; EXTRA="name=value ..." adds mpv
# options to every run (e.g. EXTRA="audio-buffer=0.05 pulse-buffer=50" AO=pulse).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${2:-20}
runs=${3:-3}
ao=${AO:-null}
player=$build/tamrel-vcd-player
filter=$build/bench/bench_karaoke_filter
if [ ! -x "$player" ] || [ ! -x "$filter" ]; then
    echo "build $build first (targets tamrel-vcd-player bench_karaoke_filter)" >&2
    exit 2
fi

"$root/scripts/make-test-media.sh" "$build/test-media" >/dev/null
work=$(mktemp -d)
cp "$build/test-media/bench.dat" "$work/clip.dat"
display=:88
Xvfb $display -screen 0 1280x800x24 -ac -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export TAMREL_SOUND_DIR=$work/sound
eval "$("$root/scripts/sound-server.sh" start)"
trap 'kill $wm $xvfb 2>/dev/null; "$root/scripts/sound-server.sh" stop; rm -rf "$work"' EXIT
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
wm=$("$root/scripts/start-window-manager.sh")

key2=$("$filter" 2)
declare -A chain=([bypassed]="" [faster]="$key2" [finer]="${key2/engine=faster/engine=finer}")
configs=(bypassed faster finer)

# Sets "af" and "speed" through the socket once it is there; prints what mpv answered.
tune() { # socket af speed
    python3 - "$@" <<'EOF'
import json, os, socket, sys, time
path, af, speed = sys.argv[1:]
for _ in range(400):
    if os.path.exists(path):
        break
    time.sleep(0.025)
s = socket.socket(socket.AF_UNIX)
s.connect(path)
answers = []
for i, (name, value) in enumerate((("af", af), ("speed", float(speed)))):
    s.sendall((json.dumps({"command": ["set_property", name, value], "request_id": i}) + "\n").encode())
f = s.makefile()
while len(answers) < 2:
    reply = json.loads(f.readline())
    if "request_id" in reply:
        answers.append(reply["error"])
print(" ".join(answers))
EOF
}

# CPU seconds per minute of one run of $seconds.
measure() { # config
    local socket=$work/ipc-$1 out speed=0.9
    [ "$1" = bypassed ] && speed=1
    rm -f "$socket"
    # shellcheck disable=SC2086
    env TAMREL_MPV_OPTIONS="ao=$ao loop-file=inf input-ipc-server=$socket ${EXTRA:-}" \
        TAMREL_CD_DRIVES= HOME="$work" XDG_CONFIG_HOME="$work/config" \
        /usr/bin/time -o "$work/time" -f 'cost %U %S' \
        timeout -s TERM "$seconds" "$player" "$work/clip.dat" >/dev/null 2>&1 &
    local run=$!
    answers=$(tune "$socket" "${chain[$1]}" "$speed")
    wait $run || true
    [ "$answers" = "success success" ] || echo "$1: mpv answered $answers" >&2
    out=$(grep '^cost ' "$work/time" | tail -1)
    python3 -c "import sys; _, u, s = sys.argv[1].split(); print(f'{(float(u) + float(s)) * 60 / $seconds:.2f}')" "$out"
}

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

declare -A cpu
for run in $(seq "$runs"); do
    for name in "${configs[@]}"; do
        cpu[$name]="${cpu[$name]:-} $(measure "$name")"
    done
    echo "run $run of $runs done" >&2
done

base=$(echo "${cpu[bypassed]}" | median)
printf '%-10s %-44s %10s %7s   %s\n' run stage "CPU s/min" ratio "all runs"
for name in "${configs[@]}"; do
    c=$(echo "${cpu[$name]}" | median)
    what="key 0, tempo 100 % (no stage)"
    [ "$name" = bypassed ] || what="key +2, tempo 90 %, engine=$name"
    printf '%-10s %-44s %10s %7s  %s\n' "$name" "$what" "$c" \
        "$(python3 -c "print(f'{$c / $base:.2f}')")" "${cpu[$name]}"
done
echo "(${seconds} s of playback a run, ${runs} runs each, interleaved; ao=$ao ${EXTRA:-})"
