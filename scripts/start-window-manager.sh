#!/bin/bash
# Starts openbox on $DISPLAY in the background and returns once it manages windows (a window
# mapped before that point is never shown); prints openbox's process id.
set -euo pipefail
ready=$(mktemp -u /tmp/tamrel-wm-ready.XXXXXX)
openbox --startup "touch $ready" >/dev/null 2>&1 &
wm=$!
for _ in $(seq 400); do
    [ -e "$ready" ] && break
    kill -0 "$wm" 2>/dev/null || { echo "openbox did not start" >&2; exit 1; }
    sleep 0.05
done
rm -f "$ready"
echo "$wm"
