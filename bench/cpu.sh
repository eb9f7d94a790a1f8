#!/bin/bash
# CPU seconds per minute of playback of a VCD-style clip, this player against mpv, same clip
# and same output (no video output, no sound; and GL under Xvfb when it is there).
#   bench/cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
# Everything runs on one virtual display, started here when there is none.
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${2:-20}
"$root/scripts/make-test-media.sh" "$build/test-media"
clip=$build/test-media/bench.dat
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

cpu_per_minute() { # command... ; runs it for $seconds, prints CPU seconds per minute
    local t
    t=$(/usr/bin/time -f '%U %S' timeout -s TERM "$seconds" "$@" 2>&1 >/dev/null | tail -1)
    python3 -c "import sys; u, s = map(float, sys.argv[1:3]); print(f'{(u + s) * 60 / $seconds:.2f}')" $t
}

report() { # label ours mpv
    python3 -c "import sys; a, b = map(float, sys.argv[2:4]); \
print(f'{sys.argv[1]}: {a:.2f} CPU s per minute vs mpv {b:.2f}, ratio {a / b:.2f}')" "$@"
}

# Both loop the clip so that playback lasts the whole measurement.
ours=$(QT_QPA_PLATFORM=offscreen TAMREL_MPV_OPTIONS="vo=null ao=null loop-file=inf" \
    cpu_per_minute "$build/tamrel-vcd-player" "$clip")
theirs=$(cpu_per_minute mpv --no-config --vo=null --ao=null --loop-file=inf "$clip")
report "vo=null" "$ours" "$theirs"

if [ -n "${DISPLAY:-}" ]; then
    ours=$(TAMREL_MPV_OPTIONS="ao=null loop-file=inf" \
        cpu_per_minute "$build/tamrel-vcd-player" "$clip")
    # Software GL (Xvfb) must be allowed explicitly; the window gets the size of our picture.
    theirs=$(cpu_per_minute mpv --no-config --vo=gpu --gpu-sw=yes --geometry=779x392 \
        --ao=null --loop-file=inf "$clip")
    report "GL under Xvfb" "$ours" "$theirs"
fi
