#!/bin/bash
# Does taking part in the desktop session (the media player on the session bus, the screen
# saver held) delay the first picture? Process start to first frame of the same clip with and
# without a session bus, the runs interleaved (alternating which goes first), medians.
#   bench/desktop_startup.sh [BUILD_DIR] [RUNS]
# Headless (vo=null) always; GL under Xvfb when a display is there or xvfb-run is present.
set -euo pipefail
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-31}
player=$build/tamrel-vcd-player
"$root/scripts/make-test-media.sh" "$build/test-media"
clip=$build/test-media/bench.dat
work=$(mktemp -d)
mkdir -m 700 "$work/runtime"
read -r address pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d' ')
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config TAMREL_EXIT_AFTER_FIRST_FRAME=1

run_once() { # bus|none, output: player options...; prints milliseconds
    local mode=$1
    shift
    local bus=(env -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$work/runtime")
    [ "$mode" = bus ] && bus=(env DBUS_SESSION_BUS_ADDRESS="$address")
    local start end
    start=$(date +%s%N)
    "${bus[@]}" "$@" "$player" "$clip" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
}

compare() { # label, environment settings...
    local label=$1
    shift
    : >"$work/bus" && : >"$work/none"
    for i in $(seq "$runs"); do
        if [ $((i % 2)) -eq 0 ]; then
            run_once bus env "$@" >>"$work/bus"
            run_once none env "$@" >>"$work/none"
        else
            run_once none env "$@" >>"$work/none"
            run_once bus env "$@" >>"$work/bus"
        fi
    done
    python3 - "$label" "$work/bus" "$work/none" <<'PY'
import statistics, sys
label, with_bus, without = sys.argv[1], *[[int(l) / 1000 for l in open(p)] for p in sys.argv[2:]]
a, b = statistics.median(with_bus), statistics.median(without)
# Neighbouring runs share the machine's load of the moment: their differences are steadier.
d = statistics.median(x - y for x, y in zip(with_bus, without))
print(f"{label}: start to first frame {a:.1f} ms with a session bus, {b:.1f} ms without; "
      f"median difference of neighbouring runs {d:+.1f} ms ({len(with_bus)} pairs)")
PY
}

compare "vo=null" QT_QPA_PLATFORM=offscreen "TAMREL_MPV_OPTIONS=vo=null ao=null"
if [ -n "${DISPLAY:-}" ]; then
    compare "GL under Xvfb" QT_QPA_PLATFORM=xcb TAMREL_MPV_OPTIONS=ao=null
fi
# The player's own part of the difference: joining the bus, once per process as it does.
for _ in $(seq "$runs"); do
    DBUS_SESSION_BUS_ADDRESS=$address "$build/bench/bench_desktop_session"
done | python3 -c '
import statistics, sys
rows = [tuple(map(float, line.split())) for line in sys.stdin]
c, r = (statistics.median(column) for column in zip(*rows))
print(f"joining the session bus at start-up: connecting {c:.2f} ms, media player exported and "
      f"named {r:.2f} ms, together {c + r:.2f} ms (limit 5 ms; medians of {len(rows)} processes)")'
DBUS_SESSION_BUS_ADDRESS=$address "$build/bench/bench_desktop_session" 200
