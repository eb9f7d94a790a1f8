#!/bin/bash
# Starts Weston nested in $DISPLAY with OUTPUTS outputs of WIDTH x HEIGHT each (its X11 backend
# opens each as an X window there; Qt sees each as a screen), drawing with pixman, on the socket
# NAME in $XDG_RUNTIME_DIR. Returns once the socket is there (within 15 s) and prints Weston's
# process id; stop it with kill. Qt programs reach it with QT_QPA_PLATFORM=wayland and
# WAYLAND_DISPLAY=NAME. --debug lets weston-screenshooter take a picture of every output.
#   scripts/start-weston-outputs.sh OUTPUTS WIDTH HEIGHT NAME
set -euo pipefail
outputs=$1 width=$2 height=$3 name=$4
: "${DISPLAY:?an X display to nest in}" "${XDG_RUNTIME_DIR:?a runtime folder}"
command -v weston >/dev/null || { echo "weston is needed (Debian package weston)" >&2; exit 1; }
env -u WAYLAND_DISPLAY weston --backend=x11-backend.so --use-pixman --debug --idle-time=0 \
    --socket="$name" --output-count="$outputs" --width="$width" --height="$height" \
    >"$XDG_RUNTIME_DIR/weston-$name.log" 2>&1 &
weston=$!
for _ in $(seq 300); do
    [ -S "$XDG_RUNTIME_DIR/$name" ] && break
    kill -0 "$weston" 2>/dev/null || { cat "$XDG_RUNTIME_DIR/weston-$name.log" >&2; exit 1; }
    sleep 0.05
done
[ -S "$XDG_RUNTIME_DIR/$name" ] || { kill "$weston"; echo "weston opened no socket" >&2; exit 1; }
echo "$weston"
