#!/bin/sh
# Generates the short clips the tests play into OUTDIR. Skips the work when OUTDIR/.done
# records the hash of this very script, so editing the script regenerates everything.
# $bitexact is meant to split into separate ffmpeg arguments:
# shellcheck disable=SC2086
set -eu

. "$(dirname "$0")/generated-output.sh"
mkdir -p "$out/clips" "$out/odd dir"

ff() {
    ffmpeg -nostdin -hide_banner -loglevel error -y "$@"
}

# Runs two encodings at a time (one per core); `wait PID` is what reports a job's failure.
pids=
spawn() {
    "$@" &
    pids="$pids $!"
}
reap() {
    for pid in $pids; do
        wait "$pid"
    done
    pids=
}

# Bit-exact output keeps the clips identical from run to run and machine to machine.
bitexact="-fflags +bitexact -flags:v +bitexact -flags:a +bitexact -map_metadata -1"

# VCD-style MPEG-1 program stream with a moving picture and a tone.
vcd() { # seconds file
    ff -f lavfi -i "testsrc2=size=352x240:rate=30000/1001" \
        -f lavfi -i "sine=frequency=440:sample_rate=44100" \
        -t "$1" -target ntsc-vcd $bitexact "$2"
}

# Small MPEG-1 program stream, cheap to encode.
small_mpg() { # seconds tone-hz file
    ff -f lavfi -i "testsrc2=size=160x120:rate=25" \
        -f lavfi -i "sine=frequency=$2:sample_rate=44100" \
        -t "$1" -c:v mpeg1video -q:v 6 -c:a mp2 -b:a 64k -ac 1 -f mpeg $bitexact "$3"
}

spawn vcd 4 "$out/vcd.dat"
spawn vcd 30 "$out/bench.dat"
reap

spawn small_mpg 20 330 "$out/long.mpg"
# One flat colour (#c83c28) all through, long enough to play while a test looks at it.
spawn ff -f lavfi -i "color=c=0xc83c28:size=352x240:rate=25" -t 20 \
    -c:v mpeg1video -q:v 2 -an -f mpeg $bitexact "$out/orange.mpg"
reap
# The same colour with a green band along the bottom 48 rows, where a karaoke disc shows lyrics.
spawn ff -f lavfi -i "color=c=0xc83c28:size=352x240:rate=25" \
    -vf "drawbox=x=0:y=192:w=352:h=48:color=0x28c83c:t=fill" -t 20 \
    -c:v mpeg1video -q:v 2 -an -f mpeg $bitexact "$out/lyrics.mpg"
spawn ff -f lavfi -i "sine=frequency=523:sample_rate=44100" -t 3 \
    -c:a libmp3lame -b:a 96k $bitexact "$out/tone.mp3"
reap

spawn ff -f lavfi -i "testsrc2=size=320x240:rate=25" -f lavfi -i "sine=frequency=660:sample_rate=44100" \
    -t 3 -c:v mpeg4 -q:v 5 -c:a libmp3lame -b:a 96k $bitexact "$out/clip.avi"
# Left channel 440 Hz, right channel 1000 Hz.
spawn ff -f lavfi -i "sine=frequency=440:sample_rate=44100" -f lavfi -i "sine=frequency=1000:sample_rate=44100" \
    -filter_complex "[0:a][1:a]join=inputs=2:channel_layout=stereo[a]" -map "[a]" \
    -t 2 -c:a pcm_s16le $bitexact "$out/leftright.wav"
# Left channel 80 Hz (where bass works), right channel 5 kHz (where treble works), quiet
# enough that +12 dB does not clip.
spawn ff -f lavfi -i "sine=frequency=80:sample_rate=44100" -f lavfi -i "sine=frequency=5000:sample_rate=44100" \
    -filter_complex "[0:a][1:a]join=inputs=2:channel_layout=stereo,volume=0.2[a]" -map "[a]" \
    -t 3 -c:a pcm_s16le $bitexact "$out/lowhigh.wav"
reap

# Karaoke sound: pure tones at 48 kHz that the tests find again on the sound server's monitor.
tones() { # seconds layout file expression
    ff -f lavfi -i "aevalsrc=$4:s=48000:c=$2:d=$1" -c:a pcm_s16le $bitexact "$3"
}
mkdir -p "$out/karaoke"
a440="0.25*sin(2*PI*440*t)"
spawn tones 8 stereo "$out/karaoke/a440-8s.wav" "$a440|$a440"
spawn tones 5 stereo "$out/karaoke/a440-5s.wav" "$a440|$a440"
reap
# A centred 1 kHz "voice" and a 300 Hz instrument on the left channel only.
spawn tones 6 stereo "$out/karaoke/voice.wav" "0.25*sin(2*PI*1000*t)+0.25*sin(2*PI*300*t)|0.25*sin(2*PI*1000*t)"
spawn tones 6 stereo "$out/karaoke/left440-right660.wav" "$a440|0.25*sin(2*PI*660*t)"
reap
spawn tones 5 mono "$out/karaoke/mono440.wav" "$a440"
# 5.1: 440 Hz front left, a quieter 660 Hz front right, a 1 kHz voice in the centre.
spawn tones 5 5.1 "$out/karaoke/surround.wav" "$a440|0.1*sin(2*PI*660*t)|0.25*sin(2*PI*1000*t)|0|0|0"
reap

spawn small_mpg 1.5 300 "$out/clips/a.mpg"
spawn small_mpg 1.5 400 "$out/clips/b.mpg"
reap
small_mpg 1.5 500 "$out/clips/c.mpg"

# 200 KB of deterministic noise that no demuxer recognises.
ff -f lavfi -i "anoisesrc=color=white:amplitude=1:seed=20240601:sample_rate=51200" -t 4 \
    -ac 1 -c:a pcm_u8 -f u8 "$out/random.mpg"

: > "$out/empty.mpg"
cp "$out/vcd.dat" "$out/odd dir/it's a \"quoted\" naïve clip.dat"

echo "$stamp" > "$out/.done"
