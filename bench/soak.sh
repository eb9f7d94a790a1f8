#!/bin/bash
# The long soak: random user actions on the real main window (tests/soak) for at least MINUTES
# and at least ACTIONS actions, in the AddressSanitizer + UndefinedBehaviorSanitizer build with
# leak detection (the default) or in the normal build (bench/soak.sh build 30). Fails on a
# crash, a sanitizer report, a leak, a window that no longer answers, or a heap in use at the
# end more than 10 % above its level after the first 1,000 actions. The memory is measured
# every 2,000 actions as well, and each end's level is the median of its three measurements;
# resident memory is printed beside the heap but bounds nothing (see tests/soak/test_soak.cpp). Prints the actions, the time and the memory levels; the
# whole output goes to BUILD_DIR/soak.log.
#   bench/soak.sh [BUILD_DIR] [MINUTES] [ACTIONS] [SEED]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-sanitize}" && pwd)
minutes=${2:-30}
actions=${3:-10000}
seed=${4:-14}
log=$build/soak.log

cmake --build "$build" -j2 --target test_soak > /dev/null
ctest --test-dir "$build" -R '^(make_soak_disc|make_test_media)$' > /dev/null

# The real mixer behind the knobs, on a sound server of its own.
export TAMREL_SOUND_DIR=$build/soak-sound
eval "$("$root/scripts/sound-server.sh" start)"
trap '"$root/scripts/sound-server.sh" stop' EXIT

export QT_QPA_PLATFORM=offscreen
export TAMREL_TEST_MEDIA=$build/test-media
export TAMREL_SOAK_DISC=$build/colour-disc/colour-vcd.cue
export TAMREL_SOAK_SEED=$seed TAMREL_SOAK_ACTIONS=$actions
export TAMREL_SOAK_SECONDS=$((minutes * 60)) TAMREL_SOAK_BASELINE=1000 TAMREL_SOAK_GROWTH=10
export TAMREL_SOAK_CHECK_EVERY=2000
# (Sanitizer build) the quarantine of freed blocks is kept small: at the default 256 MiB it
# fills over the whole run, which the resident memory printed would show as growth.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=16
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# QtTest ends a test function after 5 minutes by default; this one runs as long as asked.
export QTEST_FUNCTION_TIMEOUT=$(((minutes * 60 + 1800) * 1000))

status=0
"$build/tests/soak/test_soak" > "$log" 2>&1 || status=$?
grep '^soak:' "$log" || true
if [ "$status" -ne 0 ]; then
    echo "soak failed ($status), see $log" >&2
    grep -m 20 -E 'ERROR: |runtime error|FAIL!|leak' "$log" >&2 || true
fi
exit "$status"
