#!/bin/bash
# Where the time to the first picture goes: the player's start-up steps (TAMREL_STARTUP_TIMELINE)
# with the median over RUNS runs of each step's time since the process started and since main().
#   bench/startup-timeline.sh [BUILD_DIR] [RUNS] [MEDIA]
# Without MEDIA the 12-track colour Video CD image plays from an image drive. Runs under its own
# Xvfb with OpenGL output, as a user sees it; sound goes nowhere.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-15}
media=${3:-}
player=$build/tamrel-vcd-player
[ -x "$player" ] || { echo "build $build first (scripts/setup.sh)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config TAMREL_STARTUP_TIMELINE=1 TAMREL_EXIT_AFTER_FIRST_FRAME=1
export TAMREL_MPV_OPTIONS="ao=null"
if [ -z "$media" ]; then
    "$root/bench/make-colour-disc.sh" "$build/colour-disc" >/dev/null
    export TAMREL_CD_DRIVES=$build/colour-disc/colour-vcd.cue
fi

one_run() {
    xvfb-run -a -s "-screen 0 1280x800x24" "$player" ${media:+"$media"} 2>&1 >/dev/null |
        grep '^startup' || true
}
one_run >/dev/null # warm the file cache
for ((i = 0; i < runs; i++)); do one_run; done >"$work/lines"

# "startup <since start> ms <since main> ms  <step>": medians per step, in the order first seen.
python3 - "$work/lines" "$runs" <<'PY'
import statistics, sys
steps = {}
for line in open(sys.argv[1]):
    parts = line.split(None, 5)
    steps.setdefault(parts[5].strip(), []).append((float(parts[1]), float(parts[3])))
print(f"median of {sys.argv[2]} runs   since start   since main()   step")
for step, times in sorted(steps.items(), key=lambda s: statistics.median(t[1] for t in s[1])):
    start = statistics.median(t[0] for t in times)
    main = statistics.median(t[1] for t in times)
    print(f"{'':20}{start:9.1f} ms {main:11.1f} ms   {step}")
PY
