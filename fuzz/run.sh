#!/bin/sh
# Builds the libFuzzer harnesses with clang (clang, libclang-rt-14-dev) and runs each for
# SECONDS (default 20). Exits non-zero when a harness crashes; the crashing input is kept in
# the build folder (FUZZ_BUILD_DIR, default build-fuzz at the repository root).
set -eu

seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}
cxx=$(command -v clang++ || command -v clang++-14)
mkdir -p "$out"

sources="$root/src/platform/sector_source.cpp $root/src/platform/iso9660_directory.cpp
    $root/src/platform/disc_file_reader.cpp"
for harness in directory sector_reader; do
    # $sources splits into separate files on purpose.
    # shellcheck disable=SC2086
    "$cxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I"$root/src" $sources "$root/fuzz/fuzz_$harness.cpp" -o "$out/fuzz_$harness"
done

for harness in directory sector_reader; do
    mkdir -p "$out/corpus_$harness"
    echo "fuzz_$harness: $seconds s"
    "$out/fuzz_$harness" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
        -artifact_prefix="$out/crash_${harness}_" -print_final_stats=1 \
        "$out/corpus_$harness" 2> "$out/fuzz_$harness.log" || {
        tail -n 40 "$out/fuzz_$harness.log" >&2
        exit 1
    }
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$out/fuzz_$harness.log" || true
done
