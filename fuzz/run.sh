#!/bin/sh
# Builds the libFuzzer harnesses of fuzz/ with clang (clang, libclang-rt-14-dev; the CMake
# project next to this script) and runs each for SECONDS (default 20), two at a time. Exits
# non-zero when a harness does not build or finds a fault (a crash, a sanitizer report or a
# broken invariant); its log is shown and the input kept in the build folder as
# crash_<harness>_* (FUZZ_BUILD_DIR, default build-fuzz at the repository root).
#
#   fuzz/run.sh [SECONDS]
set -eu

seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}
cxx=$(command -v clang++ || command -v clang++-14)
mkdir -p "$out"

build() {
    cmake -S "$root/fuzz" -B "$out" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE= &&
        cmake --build "$out" -j2
}
build > "$out/build.log" 2>&1 || {
    tail -n 40 "$out/build.log" >&2
    exit 1
}

# Seeds: a few inputs of each form; the disc images and sheets the disc tests read.
"$root/scripts/make-test-discs.sh" "$out/test-discs"
seeds=$out/seeds
rm -rf "$seeds"
mkdir -p "$seeds"/file_pattern "$seeds"/command_line "$seeds"/disc_path "$seeds"/mci \
    "$seeds"/sheets "$seeds"/disc_image "$seeds"/directory "$seeds"/sector_reader \
    "$seeds"/song_memory "$seeds"/queue_store "$seeds"/video_cd_control "$seeds"/playback_control \
    "$seeds"/disc_event_lines
printf '*.dat\nAVSEQ01.DAT' > "$seeds/file_pattern/dat"
printf '*.mp3; *.DAT ;;\nclip.Mp3' > "$seeds/file_pattern/several"
printf '[!a-c]?.mpg\nd1.MPG' > "$seeds/file_pattern/set"
printf '\000"/media/my clip.mpg"' > "$seeds/command_line/quoted"
printf '\011/home/u/karaoke.bin' > "$seeds/command_line/bin-with-cue"
printf '\000%%1' > "$seeds/command_line/association"
# Text ends at a backslash and another character; a doubled backslash is a backslash. The
# last five bytes choose one component, the first mount point, iso9660 and /dev/sr0.
printf 'SR0:\\\\Mpegav\\\\\\\\AVSEQ01.DAT\\xsr0\\x..clip.dat\\x/dev/sr0:/k/a.cue:/dev/img0\\x\000\001\000\000\001' \
    > "$seeds/disc_path/movie-file"
printf '\005close all\000open cdaudio alias cd69 wait shareable\000Set CDAudio Door Open Wait' \
    > "$seeds/mci/commands"
printf '\014SET cdaudio\tdoor  closed wait\000play cd69' > "$seeds/mci/door"
printf '\003inserted /dev/sr0\nremoved /dev/sr0\r\n  inserted /tmp/my disc.cue \nejected x\n' \
    > "$seeds/disc_event_lines/lines"
printf '\002FILE "t1.bin" BINARY\n  TRACK 01 MODE2/2336\n    INDEX 01 00:00:00\nFILE t2.bin BINARY\n  TRACK 02 MODE2/2336\n' \
    > "$seeds/sheets/two-files.cue"
printf '\001CD_ROM_XA\nTRACK MODE2_RAW\n DATAFILE "a.img"\nTRACK MODE2_RAW // two\n DATAFILE "b.img"\n' \
    > "$seeds/sheets/two-files.toc"
for sheet in "$out"/test-discs/*.cue; do
    { printf '\000' && cat "$sheet"; } > "$seeds/sheets/$(basename "$sheet")"
done
for sheet in "$out"/test-discs/*.toc; do
    { printf '\001' && cat "$sheet"; } > "$seeds/sheets/$(basename "$sheet")"
done
for image in vcd11.bin vcd11-2336.bin svcd.bin vcd2_01.img mode1.iso mixed-case.iso \
    no-mpegav.iso empty-mpegav.iso empty-mpeg2.iso truncated.bin stub.bin; do
    ln -f "$out/test-discs/$image" "$seeds/disc_image/$image"
done

printf 'Song-318f71a8332e01f8=2 90 1 vcd:8474cf98:mpegav/avseq03.dat\nKeyRange=12\000+/a.mpg -2 90\n?/a.mpg\n+/a.mpg 0 100' \
    > "$seeds/song_memory/section"
printf 'Queue-3f1e0c1d8f2e7a55=4 7+3+12 vcd:1a2b3c4d\nQueue-zz=x\000+vcd:1a2b3c4d 7 3\n?vcd:1a2b3c4d\n+/music 1\n?/music' \
    > "$seeds/queue_store/section"

# ENTRIES with two entries; INFO with two segments; multiplier 8, a LOT of lists 1 and 2, and
# a PSD of a selection list over a segment leading to a play list.
printf 'ENTRYVCD\002\000\000\002\002\000\004\000\002\001\060\000' \
    > "$seeds/video_cd_control/entries"
printf 'VIDEO_CD\002\000KARAOKE         \000\001\000\001\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\060\000\000\000\010\000\002\000\002\005\001' \
    > "$seeds/video_cd_control/info"
printf '\010\000\006\000\000\000\000\000\003\030\000\001\001\000\001\377\377\377\377\377\377\000\003\000\003\106\201\003\350\000\003\000\000\020\001\000\002\000\000\377\377\000\000\000\000\005\377\000\002' \
    > "$seeds/video_cd_control/psd"

# Lists and events from the tests' PSD builder, written by the harness itself.
TAMREL_FUZZ_WRITE_SEEDS="$seeds/playback_control" "$out/fuzz_playback_control"

# Per harness: the longest input and a dictionary of its words.
options() {
    case $1 in
    disc_image) echo "-max_len=6000000 -len_control=0 -reload=0 -rss_limit_mb=4096" ;;
    sheets) echo "-max_len=8192 -dict=$root/fuzz/sheets.dict" ;;
    mci) echo "-max_len=4096 -dict=$root/fuzz/mci.dict" ;;
    disc_path | file_pattern | command_line) echo "-max_len=4096 -dict=$root/fuzz/paths.dict" ;;
    *) echo "-max_len=65536" ;;
    esac
}

run() {
    mkdir -p "$out/corpus_$1"
    # The options split into words on purpose.
    # shellcheck disable=SC2046
    "$out/fuzz_$1" -max_total_time="$seconds" -timeout=10 -artifact_prefix="$out/crash_$1_" \
        -print_final_stats=1 $(options "$1") "$out/corpus_$1" "$seeds/$1" > "$out/fuzz_$1.log" 2>&1
}

report() {
    if [ "$2" -ne 0 ]; then
        echo "fuzz_$1: FAILED" >&2
        tail -n 40 "$out/fuzz_$1.log" >&2
        return 1
    fi
    echo "fuzz_$1: $seconds s, $(grep -E '^stat::number_of_executed_units' "$out/fuzz_$1.log" |
        sed 's/.*: *//') runs"
}

# Whole images make a corpus of megabytes an entry; each run starts again from the seeds.
rm -rf "$out/corpus_disc_image"

status=0
set -- disc_image sheets directory sector_reader file_pattern command_line disc_path mci \
    song_memory queue_store video_cd_control playback_control disc_event_lines
while [ $# -gt 0 ]; do
    first=$1
    run "$first" &
    pid=$!
    shift
    if [ $# -gt 0 ]; then
        second=$1
        shift
        code=0
        run "$second" || code=$?
        report "$second" "$code" || status=1
    fi
    code=0
    wait "$pid" || code=$?
    report "$first" "$code" || status=1
done
exit $status
