#!/bin/bash
# Disc images opened as discs.
#   bench/disc_images.sh [BUILD_DIR] [RUNS]
# 1. Process start to first frame of track 1 (vo=null) with the image as the argument against
#    the same image through TAMREL_CD_DRIVES, the two runs interleaved; medians and ratio.
# 2. Key "5" to playing on a Super Video CD image (NRG), opened as an argument.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-21}
player=$build/tamrel-vcd-player
"$root/scripts/make-demo-disc.sh" "$build/demo-disc"
work=$build/bench-svcd
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

# A six-track Super Video CD of three-second tracks, built once.
if [ ! -s "$work/svcd.nrg" ]; then
    mkdir -p "$work"
    tracks=()
    for n in 1 2 3 4 5 6; do
        ffmpeg -nostdin -hide_banner -loglevel error -y \
            -f lavfi -i "testsrc2=size=480x576:rate=25:duration=3" \
            -f lavfi -i "sine=frequency=$((300 + 100 * n)):sample_rate=44100:duration=3" \
            -target pal-svcd -shortest "$work/t$n.mpg"
        tracks+=("$work/t$n.mpg")
    done
    vcdxgen --type=svcd --output-file="$work/svcd.xml" "${tracks[@]}" > /dev/null
    (cd "$work" && vcdxbuild --quiet --image-type=nrg --image-option=nrg=svcd.nrg svcd.xml \
        > /dev/null 2>&1)
fi

# Milliseconds from start to the player's exit at its first frame.
start_ms() { # environment assignments and arguments for the player
    local begin end
    begin=$(date +%s%N)
    env QT_QPA_PLATFORM=offscreen TAMREL_MPV_OPTIONS='vo=null ao=null' \
        TAMREL_EXIT_AFTER_FIRST_FRAME=1 "$@" > /dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - begin) / 1000000))
}

compare_start() { # image
    local image=$1 argument=() variable=()
    for ((i = 0; i < runs; ++i)); do
        argument+=("$(start_ms "$player" "$image")")
        variable+=("$(start_ms TAMREL_CD_DRIVES="$image" "$player")")
    done
    python3 - "$image" "${argument[*]}" "${variable[*]}" <<'PY'
import statistics, sys
image, a, b = sys.argv[1], [float(x) for x in sys.argv[2].split()], [float(x) for x in sys.argv[3].split()]
ma, mb = statistics.median(a), statistics.median(b)
print(f"{image}: start to first frame, image as argument {ma:.0f} ms vs TAMREL_CD_DRIVES "
      f"{mb:.0f} ms (medians of {len(a)} interleaved runs), ratio {ma/mb:.2f}")
PY
}

start_ms "$player" "$build/demo-disc/demo-vcd.cue" > /dev/null # warm-up
compare_start "$build/demo-disc/demo-vcd.cue"
compare_start "$work/svcd.nrg"
"$build/bench/bench_track_change" image "$work/svcd.nrg" 5 "$runs"
