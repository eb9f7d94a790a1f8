#!/bin/sh
# A 12-track Video CD for the benchmarks, OUTDIR/colour-vcd.cue + .bin: each track a clearly
# coloured picture of its own hue (so a watcher of the screen can tell the tracks apart) with
# its number, 5 s, NTSC VCD. Skips the work when OUTDIR/.done records this script's checksum.
set -eu
out=$1
stamp=$(sha256sum "$0" | cut -d' ' -f1)
[ "$(cat "$out/.done" 2>/dev/null)" = "$stamp" ] && exit 0
mkdir -p "$out/tracks"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
i=0
for c in ff0000 00d000 0000ff ffff00 ff00ff 00ffff ff8000 8000ff 00ff80 ff0080 80ff00 0080ff; do
    i=$((i + 1))
    n=$(printf '%02d' "$i")
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "color=c=0x$c:size=352x240:rate=30000/1001:duration=5" \
        -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=5" \
        -vf "drawtext=fontfile=$font:text='$n':fontsize=120:fontcolor=white:x=(w-tw)/2:y=(h-th)/2" \
        -target ntsc-vcd -fflags +bitexact -flags:v +bitexact -flags:a +bitexact \
        -map_metadata -1 "$out/tracks/track$n.mpg"
done
cd "$out"
faketime -f '2026-01-01 00:00:00' vcdimager --type=vcd2 --cue-file=colour-vcd.cue \
    --bin-file=colour-vcd.bin tracks/track*.mpg >/dev/null
echo "$stamp" > .done
