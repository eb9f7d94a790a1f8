#!/bin/bash
# Process start to first frame, and peak memory, of this player against mpv on the same
# clip and the same video output.
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

median_seconds() { # command...
    hyperfine --shell=bash --warmup 1 --runs "$runs" --export-json /tmp/bench.$$.json "$@" >/dev/null
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][0]["median"])' \
        /tmp/bench.$$.json
}

peak_rss_kb() { # command...; median of five runs
    for _ in 1 2 3 4 5; do
        /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1
    done | sort -n | sed -n 3p
}

compare() { # label, our command, mpv command
    local label=$1 ours=$2 theirs=$3
    local a b ra rb
    a=$(median_seconds "$ours")
    b=$(median_seconds "$theirs")
    ra=$(peak_rss_kb bash -c "$ours")
    rb=$(peak_rss_kb bash -c "$theirs")
    python3 - "$label" "$a" "$b" "$ra" "$rb" <<'PY'
import sys
label, a, b, ra, rb = sys.argv[1], *map(float, sys.argv[2:])
print(f"{label}: start to first frame {a*1000:.0f} ms vs mpv {b*1000:.0f} ms, ratio {a/b:.2f}; "
      f"peak RSS {ra/1024:.0f} MiB vs {rb/1024:.0f} MiB, ratio {ra/rb:.2f}")
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
