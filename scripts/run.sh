#!/bin/bash
# Sets everything up and starts the player, on FILE when one is given.
# Without a display (a headless machine) the player runs under a virtual display for a few
# seconds and a screenshot is left at build/screenshot.png.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$root/build

"$here/setup.sh" "$build"
player=$build/tamrel-vcd-player

media=${1:-}
if [ -z "$media" ]; then
    # A machine without a CD drive gets a generated clip to show.
    "$here/make-test-media.sh" "$build/demo-media"
    media=$build/demo-media/vcd.dat
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$player" "$media"
fi

shot=$build/screenshot.png
echo "No display: running the player under Xvfb for 6 seconds."
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    openbox >/dev/null 2>&1 &
    TAMREL_MPV_OPTIONS="ao=null" "$1" "$2" &
    player=$!
    sleep 6
    xwd -root -silent -out "$3.xwd"
    kill "$player" 2>/dev/null || true
    wait "$player" 2>/dev/null || true
' run "$player" "$media" "$shot"
ffmpeg -nostdin -hide_banner -loglevel error -y -i "$shot.xwd" "$shot"
rm -f "$shot.xwd"
echo "Screenshot of the running player: $shot"
