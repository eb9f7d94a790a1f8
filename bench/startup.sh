#!/bin/bash
# Peak memory up to the first frame of this player against mpv on the same clip and the same
# video output, the start-up benchmarks of folders, track changes and disc images, and then
# the start to first picture against mpv and VLC (bench/first-picture.sh: the same end point,
# the picture on the screen, for every program).
#   bench/startup.sh [BUILD_DIR] [RUNS]
# Headless (vo=null) always; GL under Xvfb when xvfb-run is present.
set -euo pipefail
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-7}
player=$build/tamrel-vcd-player
"$root/scripts/make-test-media.sh" "$build/test-media"
clip=$build/test-media/bench.dat
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

peak_rss_kb() { # command...; median of five runs
    for _ in 1 2 3 4 5; do
        /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1
    done | sort -n | sed -n 3p
}

# Times are not compared here: mpv's --frames=1 ends with its shutdown, a different end point
# from our first frame.
compare() { # label, our command, mpv command
    local label=$1 ours=$2 theirs=$3
    local ra rb
    ra=$(peak_rss_kb bash -c "$ours")
    rb=$(peak_rss_kb bash -c "$theirs")
    python3 - "$label" "$ra" "$rb" <<'PY'
import sys
label, ra, rb = sys.argv[1], *map(float, sys.argv[2:])
print(f"{label}: peak RSS up to the first frame {ra/1024:.0f} MiB vs mpv {rb/1024:.0f} MiB, "
      f"ratio {ra/rb:.2f}")
PY
}

export TAMREL_EXIT_AFTER_FIRST_FRAME=1
compare "vo=null" \
    "QT_QPA_PLATFORM=offscreen TAMREL_MPV_OPTIONS='vo=null ao=null' $player $clip" \
    "mpv --no-config --vo=null --ao=null --frames=1 $clip"

if [ -n "${DISPLAY:-}" ]; then
    compare "GL under Xvfb" "TAMREL_MPV_OPTIONS=ao=null $player $clip" \
        "mpv --no-config --vo=gpu --gpu-sw=yes --geometry=779x392 --ao=null --frames=1 $clip"
fi

# Track 1 of the demo Video CD through an image drive, against mpv on the same track's file.
"$root/scripts/make-demo-disc.sh" "$build/demo-disc"
if [ -n "${DISPLAY:-}" ]; then
    compare "Video CD track 1, GL under Xvfb" \
        "TAMREL_CD_DRIVES=$build/demo-disc/demo-vcd.cue TAMREL_MPV_OPTIONS=ao=null $player" \
        "mpv --no-config --vo=gpu --gpu-sw=yes --geometry=779x392 --ao=null --frames=1 $build/demo-disc/tracks/track01.mpg"
fi
compare "Video CD track 1, vo=null" \
    "QT_QPA_PLATFORM=offscreen TAMREL_CD_DRIVES=$build/demo-disc/demo-vcd.cue TAMREL_MPV_OPTIONS='vo=null ao=null' $player" \
    "mpv --no-config --vo=null --ao=null --frames=1 $build/demo-disc/tracks/track01.mpg"

"$build/bench/bench_play_folder" 20000 9
"$build/bench/bench_track_change" folder "$build/test-media/clips" 21
"$build/bench/bench_track_change" disc "$build/demo-disc/demo-vcd.cue" 5 21

# Disc images opened as discs: the argument against TAMREL_CD_DRIVES, and a track key on an SVCD.
"$root/bench/disc_images.sh" "$build" "$runs"

# Start to the first picture on the screen, against mpv, cvlc and vlc.
"$root/bench/first-picture.sh" "$build" "$runs"
