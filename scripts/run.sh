#!/bin/bash
# Sets everything up and starts the player, on FILE when one is given. It installs what the
# player needs (scripts/packages-player.txt), and what the demo disc and a virtual display need
# (scripts/packages-demo.txt) only where they are used.
# On a machine without a CD drive (and without TAMREL_CD_DRIVES) the player starts on a
# generated demo Video CD of 12 tracks standing in for the drive. Without a display (a
# headless machine) it runs under a virtual display for a few seconds and leaves a
# screenshot at build/screenshot.png.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$root/build

"$here/setup.sh" --player
player=$build/tamrel-vcd-player

has_cd_drive() {
    compgen -G "/sys/block/sr*" >/dev/null
}

has_display() {
    [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]
}

# The demo disc and the virtual display need a few more packages, only where they are used.
if [ -z "${TAMREL_CD_DRIVES:-}" ] && ! has_cd_drive; then
    "$here/setup.sh" --packages demo
    echo "No CD drive: building the demo Video CD (once) and using it as the drive."
    "$here/make-demo-disc.sh" "$build/demo-disc"
    export TAMREL_CD_DRIVES=$build/demo-disc/demo-vcd.cue
fi

if has_display; then
    exec "$player" "$@"
fi
"$here/setup.sh" --packages demo

shot=$build/screenshot.png
echo "No display: running the player under Xvfb for 8 seconds."
start_window_manager=$here/start-window-manager.sh xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$start_window_manager" >/dev/null
    player=$1
    shift 2
    TAMREL_MPV_OPTIONS="ao=null" "$player" "$@" &
    pid=$!
    sleep 8
    xwd -root -silent -out "$0.xwd"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
' "$shot" "$player" -- "$@"
ffmpeg -nostdin -hide_banner -loglevel error -y -i "$shot.xwd" "$shot"
rm -f "$shot.xwd"
echo "Screenshot of the running player: $shot"
