#!/bin/bash
# Process start to the first video picture on the screen, for this player and its peers, on
# the same clip and the same 12-track Video CD image (bench/make-colour-disc.sh), in one Xvfb
# under one window manager, runs interleaved. Each program is started by bench/first_picture, which watches the screen itself
# (shared-memory grabs) until a coloured picture covers part of it: the same end point for all.
#   bench/first-picture.sh [BUILD_DIR] [RUNS]
# BASELINE=/path/to/an/older/tamrel-vcd-player adds that build to the runs, for a before and
# after of a change measured in the same runs.
# Installs VLC (Debian's) for itself. VLC refuses to run as root, so every program runs as the
# unprivileged user "tamrelbench", made here when missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-9}
watch=$build/bench/first_picture
player=$build/tamrel-vcd-player
[ -x "$watch" ] && [ -x "$player" ] || { echo "build $build first (scripts/setup.sh)" >&2; exit 2; }

if [ "$(id -u)" -eq 0 ]; then
    if ! command -v cvlc >/dev/null; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            vlc-bin vlc-plugin-base vlc-plugin-video-output vlc-plugin-qt >/dev/null
    fi
    id tamrelbench >/dev/null 2>&1 || useradd --system --create-home tamrelbench
    as_user() { runuser -u tamrelbench -- "$@"; }
else
    as_user() { "$@"; }
fi

"$root/scripts/make-test-media.sh" "$build/test-media" >/dev/null
"$root/bench/make-colour-disc.sh" "$build/colour-disc"
work=$(mktemp -d)
chmod 755 "$work"
cp "$build/test-media/bench.dat" "$work/clip.dat"
cp "$build/colour-disc/colour-vcd.cue" "$build/colour-disc/colour-vcd.bin" "$work/"
cp "$build/colour-disc/tracks/track01.mpg" "$work/track01.mpg"
chmod 644 "$work"/*
home=$(as_user mktemp -d)

display=:87
Xvfb $display -screen 0 1280x800x24 -ac -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# A desktop has a sound server; every program finds the same silent one (and plays its own
# sound nowhere: ao=null, aout=dummy).
sound=$(as_user env TAMREL_SOUND_DIR="$home/sound" "$root/scripts/sound-server.sh" start)
pulse=$(sed -n 's/^export PULSE_SERVER=//p' <<<"$sound")
trap 'kill $wm $xvfb 2>/dev/null; as_user env TAMREL_SOUND_DIR="$home/sound" "$root/scripts/sound-server.sh" stop; rm -rf "$work"; as_user rm -rf "$home"' EXIT
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# name|command run as the benchmark user
programs=(
    "tamrel clip|env TAMREL_MPV_OPTIONS=ao=null TAMREL_CD_DRIVES= $player $work/clip.dat"
    "mpv clip|mpv --no-config --really-quiet --ao=null --vo=gpu --gpu-sw=yes --geometry=779x392 $work/clip.dat"
    "cvlc clip|cvlc --quiet --aout=dummy $work/clip.dat"
    "vlc clip|vlc --quiet --no-qt-privacy-ask --aout=dummy $work/clip.dat"
    "tamrel image|env TAMREL_MPV_OPTIONS=ao=null TAMREL_CD_DRIVES= $player $work/colour-vcd.cue"
    "mpv image track|mpv --no-config --really-quiet --ao=null --vo=gpu --gpu-sw=yes --geometry=779x392 $work/track01.mpg"
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
        t=$(as_user env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" \
            PULSE_SERVER="$pulse" DISPLAY=$display "$watch" -- "${command[@]}" 2>/dev/null) || t=fail
        times[$name]="${times[$name]:-} $t"
    done
    echo "run $run of $runs done" >&2
done

median() { tr ' ' '\n' | grep -v '^$' | grep -v fail | sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "fail"}'; }
printf '%-18s %10s %8s\n' "program" "median ms" "ratio"
for kind in clip image; do
    ours=$(echo "${times[tamrel $kind]}" | median)
    for entry in "${programs[@]}"; do
        name=${entry%%|*}
        [[ $name == *" $kind"* ]] || continue
        m=$(echo "${times[$name]}" | median)
        ratio=$(python3 -c "import sys; a,b=sys.argv[1:]; print(f'{float(a)/float(b):.2f}' if a!='fail' and b!='fail' else '-')" "$ours" "$m")
        printf '%-18s %10s %8s\n' "$name" "$m" "$ratio"
    done
done
echo "(ratio: this player's time over the program's, below 1 is faster; ${runs} runs each, interleaved)"
