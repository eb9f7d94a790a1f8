#!/bin/bash
# Wayland or X11, where a desktop offers both: one compositor (Weston, headless, drawing with
# pixman) with Xwayland, and the player on the same clip through each of Qt's two platform
# plugins. For each: the share of the output showing the clip's picture (from a screenshot),
# the same after going full screen (MPRIS Fullscreen), and the CPU seconds used over SECONDS of
# playback by the player and by the display side (Weston, plus Xwayland for X11), windowed and
# full screen.
#   bench/wayland_x11.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${2:-10}
player=$build/tamrel-vcd-player
"$root/scripts/make-test-media.sh" "$build/test-media"
clip=$build/test-media/bench.dat
command -v Xwayland >/dev/null || {
    echo "Xwayland is needed (Debian package xwayland)" >&2
    exit 1
}

work=$(mktemp -d)
chmod 700 "$work"
export XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config
unset DISPLAY
weston --backend=headless-backend.so --use-pixman --debug --xwayland --idle-time=0 \
    --socket=bench --width=1024 --height=768 >"$work/weston.log" 2>&1 &
weston_pid=$!
read -r address bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d' ')
export DBUS_SESSION_BUS_ADDRESS=$address
trap 'kill "$weston_pid" "$bus_pid" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do
    [ -S "$work/bench" ] && grep -q "xserver listening on display" "$work/weston.log" && break
    sleep 0.1
done
x_display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | head -1)
sleep 1

cpu_ticks() { # pids...: user + system clock ticks so far
    local total=0 pid
    for pid in "$@"; do
        [ -r "/proc/$pid/stat" ] || continue
        total=$((total + $(awk '{print $14 + $15}' "/proc/$pid/stat")))
    done
    echo $total
}

picture_share() { # share of the screenshot in the clip's saturated colours
    rm -f "$work"/wayland-screenshot-*.png
    (cd "$work" && WAYLAND_DISPLAY=bench weston-screenshooter)
    ffmpeg -nostdin -loglevel error -y -i "$work"/wayland-screenshot-*.png -f rawvideo \
        -pix_fmt rgb24 "$work/shot.rgb"
    python3 - "$work/shot.rgb" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
pixels = len(data) // 3
coloured = sum(1 for i in range(0, len(data), 3 * 4)
               if max(data[i:i + 3]) - min(data[i:i + 3]) > 96)
print(f"{coloured / (pixels / 4):.2f}")
PY
}

fullscreen() { # true|false
    dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.tamrel_vcd_player \
        /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Set \
        string:org.mpris.MediaPlayer2 string:Fullscreen "variant:boolean:$1" >/dev/null
}

measure() { # platform
    local platform=$1 pid xpid display_side
    env QT_QPA_PLATFORM="$platform" WAYLAND_DISPLAY=bench DISPLAY="$x_display" \
        TAMREL_CD_DRIVES= TAMREL_MPV_OPTIONS="ao=null loop-file=inf" "$player" "$clip" \
        >/dev/null 2>&1 &
    pid=$!
    sleep 3
    xpid=$(pgrep -x Xwayland || true)
    display_side=("$weston_pid")
    [ "$platform" = xcb ] && [ -n "$xpid" ] && display_side+=("$xpid")
    local shown full p0 d0 p1 d1 p2 d2
    shown=$(picture_share)
    p0=$(cpu_ticks "$pid") d0=$(cpu_ticks "${display_side[@]}")
    sleep "$seconds"
    p1=$(cpu_ticks "$pid") d1=$(cpu_ticks "${display_side[@]}")
    fullscreen true
    sleep 2
    full=$(picture_share)
    p1=$(cpu_ticks "$pid") d1b=$(cpu_ticks "${display_side[@]}")
    sleep "$seconds"
    p2=$(cpu_ticks "$pid") d2=$(cpu_ticks "${display_side[@]}")
    fullscreen false
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    python3 - "$platform" "$seconds" "$shown" "$full" "$p0" "$p1" "$p2" "$d0" "$d1" "$d1b" "$d2" <<'PY'
import os, sys
platform, seconds, shown, full = sys.argv[1], float(sys.argv[2]), sys.argv[3], sys.argv[4]
p0, p1, p2, d0, d1, d1b, d2 = map(int, sys.argv[5:])
hz = os.sysconf("SC_CLK_TCK")
per_minute = lambda ticks: ticks / hz * 60 / seconds
print(f"{platform:8} picture on {float(shown) * 100:3.0f}% of the output windowed, "
      f"{float(full) * 100:3.0f}% full screen; CPU s per minute windowed: player "
      f"{per_minute(p1 - p0):.1f}, display {per_minute(d1 - d0):.1f}; full screen: player "
      f"{per_minute(p2 - p1):.1f}, display {per_minute(d2 - d1b):.1f}")
PY
}

measure wayland
measure xcb
