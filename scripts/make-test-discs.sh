#!/bin/sh
# Builds the disc images the disc tests read into OUTDIR, reproducibly (same bytes on every
# run and machine). Skips the work when OUTDIR/.done records the checksum of this script.
# Needs ffmpeg, vcdimager, faketime, xorriso and fonts-dejavu-core.
#
#   vcd-a.cue/.bin      Video CD 2.0, tracks clip1..clip3 (serial 5864D78F)
#   vcd-b.cue/.bin      Video CD 2.0, tracks clip9, clip1 (another serial)
#   vcd-a-late.cue/.bin vcd-a built one second later: differs only in its dates and serial
#   mode1.iso           Mode 1 ISO 9660, MPEGAV/AVSEQ01..03.DAT = clip1..clip3
#   mixed-case.iso      like mode1.iso with lower-case names "MpegAV/avseq01.dat"
#   no-mpegav.iso       ISO 9660 without MPEGAV
#   empty-mpegav.iso    MPEGAV holding no .DAT file
#   truncated.cue/.bin  vcd-a cut in the middle of track 2
#   stub.cue/.bin       vcd-a cut before its volume descriptor
#   clipN.mpg           the MPEG sources of the tracks, for byte comparisons
#   vcd11, vcd2, svcd   a VCD 1.1 (clip1, clip2), a VCD 2.0 (clip1..clip3) and a Super Video
#                       CD (MPEG2/AVSEQ01..03.MPG = svcd1..svcd3.mpg) in every form vcdimager
#                       writes: NAME.cue/.bin, NAME-2336.cue/.bin (2336-byte sectors),
#                       NAME.toc (cdrdao, data files NAME_NN*.img) and NAME.nrg (Nero)
#   cd-i.cue/.bin       vcd-a with a CD-i volume descriptor instead of an ISO 9660 one
#   audio.cue/.bin      a CD-DA disc of one audio track
#   empty-mpeg2.iso     a Super Video CD's folders with no track in MPEG2
#   pbc-vcd, pbc-svcd   a karaoke disc with playback control, as a VCD 2.0 and as a Super Video
#                       CD (NAME.cue/.bin): track 1 holds three songs of 3 s ("SONG 1..3",
#                       tones 440, 660, 880 Hz; entries at 0, 3 and 6 s), track 2 is clip2;
#                       list 1 is a menu over a still (segment 1, "MENU"): 1 plays track 1,
#                       2 plays a still (segment 2, "PICTURE", held 2 s) then track 2; Enter
#                       plays 1; the menu waits 10 s, then goes to the end list
#   entries-vcd11       the same tracks as a VCD 1.1: the three entries, no playback control
#   twelve.cue/.bin     Video CD 2.0 of twelve tracks of 2 s (clip4, "TRACK 4"), for the queue
# $bitexact is meant to split into separate ffmpeg arguments:
# shellcheck disable=SC2086
set -eu

. "$(dirname "$0")/generated-output.sh"
cd "$out"

font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
bitexact="-fflags +bitexact"

# VCD MPEG-1 program stream: test pattern, "TRACK n" and a tone of its own. The serial of
# vcd-a depends on the image's size, hence on these exact encodings.
clip() { # n tone-hz seconds target
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=352x240:rate=30000/1001:duration=$3" \
        -f lavfi -i "sine=frequency=$2:sample_rate=44100:duration=$3" \
        -vf "drawtext=fontfile=$font:text='TRACK $1':fontsize=48:fontcolor=white:box=1:boxcolor=black:x=(w-tw)/2:y=(h-th)/2" \
        -target "$4" -shortest $bitexact "clip$1.mpg"
}

clip 1 440 4 ntsc-vcd &
p1=$!
clip 2 880 3 ntsc-vcd
wait $p1
clip 3 1320 5 ntsc-vcd &
p1=$!
clip 9 660 3 pal-vcd
wait $p1

# Super Video CD tracks: MPEG-2, kept short so that the setup stays quick.
svcd_clip() { # n tone-hz
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=480x576:rate=25:duration=2" \
        -f lavfi -i "sine=frequency=$2:sample_rate=44100:duration=2" \
        -vf "drawtext=fontfile=$font:text='SVCD $1':fontsize=64:fontcolor=white:box=1:boxcolor=black:x=(w-tw)/2:y=(h-th)/2" \
        -target pal-svcd -shortest $bitexact "svcd$1.mpg"
}
svcd_clip 1 500 &
p1=$!
svcd_clip 2 600
wait $p1
svcd_clip 3 700

# vcdimager's -T option is unreliable (mktime with an unset tm_isdst shifts the hour at
# random), so the clock is frozen instead: the volume descriptor dates fix the serial.
vcd() { # date cue bin label clips...
    d=$1 cue=$2 bin=$3 label=$4
    shift 4
    faketime -f "$d" vcdimager --quiet --type=vcd2 --iso-volume-label="$label" \
        --cue-file="$cue" --bin-file="$bin" "$@" > /dev/null
}
vcd "2001-02-03 04:05:06" vcd-a.cue vcd-a.bin PROBEVCD clip1.mpg clip2.mpg clip3.mpg
vcd "2001-02-03 04:05:07" vcd-a-late.cue vcd-a-late.bin PROBEVCD clip1.mpg clip2.mpg clip3.mpg
vcd "2001-02-03 04:05:06" vcd-b.cue vcd-b.bin PROBEVCD2 clip9.mpg clip1.mpg
clip 4 550 2 ntsc-vcd
vcd "2001-02-03 04:05:08" twelve.cue twelve.bin TWELVE clip4.mpg clip4.mpg clip4.mpg \
    clip4.mpg clip4.mpg clip4.mpg clip4.mpg clip4.mpg clip4.mpg clip4.mpg clip4.mpg clip4.mpg

# The same disc cut short: in the middle of track 2 (sector 700), and before sector 16.
cut_image() { # name sectors
    dd if=vcd-a.bin of="$1.bin" bs=2352 count="$2" status=none
    sed "s/vcd-a\.bin/$1.bin/" vcd-a.cue > "$1.cue"
}
cut_image truncated 700
cut_image stub 10

# One disc in each form vcdimager writes, from one description of it.
all_forms() { # name type clips...
    name=$1 type=$2
    shift 2
    vcdxgen --type="$type" --iso-volume-label="$(echo "$name" | tr a-z A-Z)" \
        --output-file="$name.xml" "$@" > /dev/null
    build() { faketime -f "2001-02-03 04:05:06" vcdxbuild --quiet "$@" "$name.xml" > /dev/null 2>&1; }
    build --cue-file="$name.cue" --bin-file="$name.bin"
    build --sector-2336 --cue-file="$name-2336.cue" --bin-file="$name-2336.bin"
    build --image-type=cdrdao --cdrdao-file="$name"
    build --image-type=nrg --image-option=nrg="$name.nrg"
    rm -f "$name.xml"
    [ -s "$name.bin" ] && [ -s "$name-2336.bin" ] && [ -s "$name.toc" ] && [ -s "$name.nrg" ]
}
all_forms vcd11 vcd11 clip1.mpg clip2.mpg
all_forms vcd2 vcd2 clip1.mpg clip2.mpg clip3.mpg
all_forms svcd svcd svcd1.mpg svcd2.mpg svcd3.mpg

# A karaoke disc with playback control. Song n of the first track shows "SONG n" and plays its
# own tone, so that a test sees and hears which song plays.
songs() { # target size rate name
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=$2:rate=$3:duration=9" \
        -f lavfi -i "aevalsrc=0.25*sin(2*PI*t*(440+220*floor(t/3))):s=44100:d=9" \
        -vf "drawtext=fontfile=$font:text='SONG %{eif\\:floor(t/3)+1\\:d}':fontsize=48:fontcolor=white:box=1:boxcolor=black:x=(w-tw)/2:y=(h-th)/2" \
        -ac 2 -target "$1" -shortest $bitexact "$4"
}
# A disc's still picture is one frame in the video stream 0xE1 (0xE0 is moving pictures):
# ffmpeg writes 0xE0, so the stream's packets and the system header's entry are renamed.
still() { # target size text name
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "color=c=navy:size=$2" -frames:v 1 \
        -vf "drawtext=fontfile=$font:text='$3':fontsize=64:fontcolor=white:x=(w-tw)/2:y=(h-th)/2" \
        -an -target "$1" $bitexact "$4"
    python3 - "$4" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
at = data.find(b"\0\0\1")
while 0 <= at < len(data) - 5:
    code = data[at + 3]
    if code == 0xE0:
        data[at + 3] = 0xE1
    elif code == 0xBB:  # system header: 3 bytes a stream from byte 12
        end = at + 6 + (data[at + 4] << 8 | data[at + 5])
        for entry in range(at + 12, end - 2, 3):
            if data[entry] == 0xE0:
                data[entry] = 0xE1
    at = data.find(b"\0\0\1", at + 3)
open(sys.argv[1], "wb").write(data)
PY
}
pbc_disc() { # name class version target size rate clip2
    name=$1
    songs "$4" "$5" "$6" "$name-songs.mpg"
    still "$4" "$5" MENU "$name-menu.mpg"
    still "$4" "$5" PICTURE "$name-picture.mpg"
    cat > "$name.xml" <<XML
<?xml version="1.0"?>
<!DOCTYPE videocd PUBLIC "-//GNU//DTD VideoCD//EN" "http://www.gnu.org/software/vcdimager/videocd.dtd">
<videocd xmlns="http://www.gnu.org/software/vcdimager/1.0/" class="$2" version="$3">
  <info><album-id>KARAOKE</album-id><volume-count>1</volume-count><volume-number>1</volume-number></info>
  <pvd><volume-id>KARAOKE</volume-id><system-id>CD-RTOS CD-BRIDGE</system-id></pvd>
  <segment-items>
    <segment-item src="$name-menu.mpg" id="segment-menu"/>
    <segment-item src="$name-picture.mpg" id="segment-picture"/>
  </segment-items>
  <sequence-items>
    <sequence-item src="$name-songs.mpg" id="sequence-songs">
      <entry id="entry-song2">3.0</entry><entry id="entry-song3">6.0</entry>
    </sequence-item>
    <sequence-item src="$7" id="sequence-two"/>
  </sequence-items>
  <pbc>
    <selection id="menu">
      <bsn>1</bsn><next ref="end"/><default ref="play-songs"/><timeout ref="end"/>
      <wait>10</wait><loop jump-timing="immediate">1</loop><play-item ref="segment-menu"/>
      <select ref="play-songs"/><select ref="play-picture"/>
    </selection>
    <playlist id="play-songs">
      <next ref="end"/><return ref="menu"/><wait>0</wait><autowait>0</autowait>
      <play-item ref="sequence-songs"/>
    </playlist>
    <playlist id="play-picture">
      <next ref="end"/><return ref="menu"/><wait>2</wait><autowait>0</autowait>
      <play-item ref="segment-picture"/><play-item ref="sequence-two"/>
    </playlist>
    <endlist id="end"/>
  </pbc>
</videocd>
XML
    faketime -f "2001-02-03 04:05:06" vcdxbuild --quiet --cue-file="$name.cue" \
        --bin-file="$name.bin" "$name.xml" > /dev/null 2>&1
    rm -f "$name.xml"
    [ -s "$name.bin" ]
}
pbc_disc pbc-vcd vcd 2.0 ntsc-vcd 352x240 30000/1001 clip2.mpg
pbc_disc pbc-svcd svcd 1.0 pal-svcd 480x576 25 svcd2.mpg
# The songs again as a VCD 1.1, which has entries and no playback control.
vcdxgen --type=vcd11 --iso-volume-label=ENTRIES --output-file=entries-vcd11.xml \
    pbc-vcd-songs.mpg clip2.mpg > /dev/null
sed -i 's|<sequence-item src="pbc-vcd-songs.mpg" id="sequence-00"/>|<sequence-item src="pbc-vcd-songs.mpg" id="sequence-00"><entry id="entry-song2">3.0</entry><entry id="entry-song3">6.0</entry></sequence-item>|' entries-vcd11.xml
faketime -f "2001-02-03 04:05:06" vcdxbuild --quiet --cue-file=entries-vcd11.cue \
    --bin-file=entries-vcd11.bin entries-vcd11.xml > /dev/null 2>&1
rm -f entries-vcd11.xml
[ -s entries-vcd11.bin ]

# No ISO 9660 volume: a CD-i disc (its volume descriptor says "CD-I ") and an audio CD.
cp vcd-a.bin cd-i.bin
printf 'CD-I ' | dd of=cd-i.bin bs=1 seek=$((16 * 2352 + 25)) conv=notrunc status=none
sed "s/vcd-a\.bin/cd-i.bin/" vcd-a.cue > cd-i.cue
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi \
    -i "sine=frequency=440:sample_rate=44100:duration=3" -ac 2 -f s16le audio.bin
printf 'FILE "audio.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n' > audio.cue

# Plain ISO 9660 images. xorriso takes its dates from SOURCE_DATE_EPOCH and the files'.
iso() { # image root extra-options...
    img=$1 root=$2
    shift 2
    find "$root" -exec touch -h -d @981173106 {} +
    SOURCE_DATE_EPOCH=981173106 xorriso -as mkisofs -quiet -iso-level 1 -V TESTVCD "$@" \
        -o "$img" "$root" 2> /dev/null
}
rm -rf iso-root && mkdir -p iso-root/MPEGAV iso-root/VCD
cp clip1.mpg iso-root/MPEGAV/AVSEQ01.DAT
cp clip2.mpg iso-root/MPEGAV/AVSEQ02.DAT
cp clip3.mpg iso-root/MPEGAV/AVSEQ03.DAT
printf 'ENTRIES\n' > iso-root/VCD/ENTRIES.VCD
iso mode1.iso iso-root

rm -rf iso-root && mkdir -p iso-root/MpegAV
cp clip1.mpg iso-root/MpegAV/avseq01.dat
cp clip2.mpg iso-root/MpegAV/Avseq02.Dat
iso mixed-case.iso iso-root -allow-lowercase

rm -rf iso-root && mkdir -p iso-root/VCD
printf 'ENTRIES\n' > iso-root/VCD/ENTRIES.VCD
iso no-mpegav.iso iso-root

rm -rf iso-root && mkdir -p iso-root/MPEGAV
printf 'no tracks here\n' > iso-root/MPEGAV/README.TXT
iso empty-mpegav.iso iso-root

rm -rf iso-root && mkdir -p iso-root/MPEG2 iso-root/SVCD
printf 'INFO\n' > iso-root/SVCD/INFO.SVD
iso empty-mpeg2.iso iso-root
rm -rf iso-root

echo "$stamp" > .done
