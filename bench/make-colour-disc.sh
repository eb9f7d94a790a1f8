#!/bin/sh
# A 12-track Video CD for the benchmarks, OUTDIR/colour-vcd.cue + .bin: each track a clearly
# coloured picture of its own hue (so a watcher of the screen can tell the tracks apart) with
# its number, 5 s, NTSC VCD; and OUTDIR/colour-menu-vcd.cue + .bin, the same tracks behind a menu
# of the disc's own (a grey still; numbers 1 to 12 play the track of that number, each in a play
# list of its own). Skips the work when OUTDIR/.done records this script's checksum.
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
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "color=c=0x00ff40:size=352x240" \
    -frames:v 1 -an -target ntsc-vcd -fflags +bitexact -flags:v +bitexact \
    -map_metadata -1 tracks/menu.mpg
{
    echo '<?xml version="1.0"?>'
    echo '<!DOCTYPE videocd PUBLIC "-//GNU//DTD VideoCD//EN" "http://www.gnu.org/software/vcdimager/videocd.dtd">'
    echo '<videocd xmlns="http://www.gnu.org/software/vcdimager/1.0/" class="vcd" version="2.0">'
    echo '<info><album-id>MENU</album-id><volume-count>1</volume-count><volume-number>1</volume-number></info>'
    echo '<pvd><volume-id>MENU</volume-id><system-id>CD-RTOS CD-BRIDGE</system-id></pvd>'
    echo '<segment-items><segment-item src="tracks/menu.mpg" id="segment-menu"/></segment-items>'
    echo '<sequence-items>'
    for n in $(seq -w 1 12); do echo "<sequence-item src=\"tracks/track$n.mpg\" id=\"sequence-$n\"/>"; done
    echo '</sequence-items><pbc>'
    echo '<selection id="menu"><bsn>1</bsn><wait>-1</wait><loop jump-timing="immediate">1</loop>'
    echo '<play-item ref="segment-menu"/>'
    for n in $(seq -w 1 12); do echo "<select ref=\"play-$n\"/>"; done
    echo '</selection>'
    for n in $(seq -w 1 12); do
        echo "<playlist id=\"play-$n\"><next ref=\"end\"/><return ref=\"menu\"/><wait>0</wait><autowait>0</autowait><play-item ref=\"sequence-$n\"/></playlist>"
    done
    echo '<endlist id="end"/></pbc></videocd>'
} > colour-menu-vcd.xml
faketime -f '2026-01-01 00:00:00' vcdxbuild --quiet --cue-file=colour-menu-vcd.cue \
    --bin-file=colour-menu-vcd.bin colour-menu-vcd.xml >/dev/null 2>&1
rm -f colour-menu-vcd.xml
echo "$stamp" > .done
