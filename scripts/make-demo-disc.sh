#!/bin/sh
# Builds the demo Video CD, OUTDIR/demo-vcd.cue + .bin: 12 PAL tracks of 7 s, each showing its
# number large, with a chord and arpeggio on both channels and a "voice" melody on the left
# channel only, so choosing the first, second or both channels is audible. The image is the
# same on every run and machine; the work is skipped when OUTDIR/.done records the checksum of
# this script. Needs ffmpeg, vcdimager, faketime and fonts-dejavu-core.
set -eu

. "$(dirname "$0")/generated-output.sh"
mkdir -p "$out/tracks"
cd "$out"

font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
seconds=7

# Root notes of a I-vi-IV-V progression, three times (Hz); background hues to match.
roots="220.00 185.00 146.83 164.81 246.94 207.65 164.81 185.00 261.63 220.00 174.61 196.00"
colours="0x203060 0x602030 0x206030 0x605020 0x402060 0x206060"

track() { # number root-hz colour
    n=$1 r=$2
    # Chord (root, major third, fifth) plus an arpeggio stepping four times a second.
    music="0.10*sin(2*PI*$r*t)+0.07*sin(2*PI*$r*1.26*t)+0.07*sin(2*PI*$r*1.5*t)"
    music="$music+0.08*sin(2*PI*$r*2*pow(2,mod(floor(t*4),3)*4/12)*t)"
    # Melody with a slow vibrato, a step every half second.
    voice="0.22*sin(2*PI*$r*3*pow(2,mod(floor(t*2),4)*2/12)*t+2*sin(2*PI*5*t)/$r)"
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "color=c=$3:size=352x288:rate=25:duration=$seconds" \
        -f lavfi -i "aevalsrc=exprs='$music+$voice|$music':sample_rate=44100:duration=$seconds" \
        -vf "drawtext=fontfile=$font:text='$n':fontsize=180:fontcolor=white:x=(w-tw)/2:y=(h-th)/2-10,drawtext=fontfile=$font:text='TAMREL DEMO':fontsize=20:fontcolor=0xC0C0C0:x=(w-tw)/2:y=h-40" \
        -target pal-vcd -fflags +bitexact -flags:v +bitexact -flags:a +bitexact \
        -map_metadata -1 "tracks/track$n.mpg"
}

# Two encodings at a time, one per core; `wait PID` reports a failed job.
i=0
pid=
for r in $roots; do
    i=$((i + 1))
    n=$(printf '%02d' "$i")
    c=$(echo "$colours" | tr ' ' '\n' | sed -n "$(((i - 1) % 6 + 1))p")
    if [ -z "$pid" ]; then
        track "$n" "$r" "$c" &
        pid=$!
    else
        track "$n" "$r" "$c"
        wait "$pid"
        pid=
    fi
done
[ -z "$pid" ] || wait "$pid"

# A frozen clock fixes the volume dates (vcdimager's -T is unreliable), hence the serial.
files=$(for k in 01 02 03 04 05 06 07 08 09 10 11 12; do printf 'tracks/track%s.mpg ' "$k"; done)
# shellcheck disable=SC2086
faketime -f "2002-02-02 12:00:00" vcdimager --quiet --type=vcd2 --iso-volume-label=TAMRELDEMO \
    --cue-file=demo-vcd.cue --bin-file=demo-vcd.bin $files > /dev/null

echo "$stamp" > .done
