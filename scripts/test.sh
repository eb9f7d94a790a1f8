#!/bin/bash
# Sets everything up and runs every test: source format and layer checks, the normal build with all
# tests (unit, real, gui), an AddressSanitizer + UndefinedBehaviorSanitizer build with the
# unit and real tests, and a short fuzzing run of the parsers.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

"$here/setup.sh" --packages-only
"$here/make-test-locale.sh"
"$here/check-format.sh"
"$here/check-layers.sh"

"$here/setup.sh" "$root/build"
"$here/setup.sh" "$root/build-sanitize" -DTAMREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

# Tests that need a display share one virtual X server; the sound server serves the mixer.
export TAMREL_SOUND_DIR=$root/build/sound-server
eval "$("$here/sound-server.sh" start)"
trap '"$here/sound-server.sh" stop' EXIT

status=0
xvfb-run -a -s "-screen 0 1280x800x24" \
    ctest --test-dir "$root/build" --output-on-failure -j2 || status=1

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
xvfb-run -a -s "-screen 0 1280x800x24" \
    ctest --test-dir "$root/build-sanitize" --output-on-failure -j2 -L 'unit|real' || status=1

# A short fuzzing run of each parser (fuzz/run.sh): 15 s a harness, two at a time.
"$root/fuzz/run.sh" 15 || status=1

exit $status
