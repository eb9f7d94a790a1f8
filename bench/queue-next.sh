#!/bin/bash
# The end of a song → the queued song on screen. The 12-track Video CD image of
# bench/make-colour-disc.sh plays from track 1 (red, 5 s) with a song queue of [5] saved for
# the disc; when track 1 ends, track 5 (magenta) must follow. Measured by bench/first_picture
# from outside: the grab where red left the screen → the grab where magenta covers its share.
# The reference, in the same runs: no queue, so the play order's next song, track 2 (green
# 00d000), follows red. Runs interleaved; medians.
#   [PLAYER=path/to/tamrel-vcd-player] bench/queue-next.sh [BUILD_DIR] [RUNS]
# Prints, for each case, the medians of red gone → next colour and of how long red was seen
# after the first picture. The player keeps a song's last picture up until the next one's first
# replaces it, so the first is the grab's own few milliseconds; the wait for the next song shows
# in the second, past the track's length (150 frames at 29.97/s, 5005 ms).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-9}
source "$root/bench/screen-bench-env.sh"

red=ff0000
magenta=ff00ff
green=00d000

# The queue is kept under the disc's identity: "vcd:" and its volume serial number, the
# byte sums (in four lanes) of the primary volume descriptor, sector 16 of the image (raw
# 2352-byte sectors, the data after 24 bytes of sync, header and subheader).
disc=$(python3 - "$work/colour-vcd.bin" <<'EOF'
import hashlib, sys
with open(sys.argv[1], 'rb') as image:
    image.seek(16 * 2352 + 24)
    pvd = image.read(2048)
sums = [sum(pvd[lane::4]) & 0xff for lane in range(4)]
identity = 'vcd:' + bytes(sums).hex()
print('Queue-' + hashlib.sha1(identity.encode()).hexdigest()[:16], identity)
EOF
)
read -r queue_key identity <<<"$disc"

# A fresh settings folder for every run: the player takes song 5 off the queue as it plays it.
settings() { # folder [queue value]
    as_user rm -rf "$1"
    as_user mkdir -p "$1/Tamrel VCD Player"
    if [ -n "${2:-}" ]; then
        printf '[SongQueue]\n%s=%s\n' "$queue_key" "$2" |
            as_user tee "$1/Tamrel VCD Player/Tamrel VCD Player.ini" >/dev/null
    fi
}

measure() { # name → "first-picture-ms handover-ms red-seen-ms", or "fail"
    local config=$home/$1-config to
    case $1 in
    queued)
        settings "$config" "1 5 $identity"
        to=$magenta ;;
    plain)
        settings "$config"
        to=$green ;;
    esac
    # The watch starts 3.5 s into the 5 s track: grabs before that would only take the
    # player's processor time.
    watch_as_user --change gone:$red --to $to --settle 3500 --timeout 15 -- env \
        TAMREL_MPV_OPTIONS=ao=null TAMREL_CD_DRIVES= XDG_CONFIG_HOME="$config" "$player" \
        "$work/colour-vcd.cue" 2>"$home/watch.log" | grep -E '^[0-9.]+ [0-9.]+ [0-9.]+$' | tail -1 |
        grep . || echo fail
}

# The track's own length, to tell how long its last picture stayed past its end.
length=$(ffprobe -v error -select_streams v:0 -show_entries stream=duration -of csv=p=0 \
    "$build/colour-disc/tracks/track01.mpg")

names=(queued plain)
declare -A times seen
for run in $(seq "$runs"); do
    for name in "${names[@]}"; do
        result=$(measure "$name")
        if [ "$result" = fail ]; then
            echo "run $run, $name: $(tail -1 "$home/watch.log")" >&2
            result="fail fail fail"
        fi
        read -r _ handover shown <<<"$result"
        times[$name]="${times[$name]:-} $handover"
        seen[$name]="${seen[$name]:-} $shown"
    done
    echo "run $run of $runs done" >&2
done

printf '%-28s %12s %10s %14s %6s\n' "medians, ms" "gone->next" "red seen" "past its end" "fails"
for name in "${names[@]}"; do
    case $name in
    queued) what="queued: track 5 (magenta)" ;;
    plain) what="in order: track 2 (green)" ;;
    esac
    fails=$(tr ' ' '\n' <<<"${times[$name]}" | grep -c fail || true)
    shown=$(echo "${seen[$name]}" | median)
    past=$(python3 -c "import sys; s,l=sys.argv[1:]; print('-' if s=='fail' else f'{float(s)-1000*float(l):.1f}')" "$shown" "$length")
    printf '%-28s %12s %10s %14s %6s\n' "$what" "$(echo "${times[$name]}" | median)" \
        "$shown" "$past" "$fails"
done
echo "(gone->next: red gone → the next song's picture; red seen: the first picture → red gone;"
echo " past its end: red seen less the track's $length s; ${runs} runs each, interleaved)"
echo "queued: red gone → magenta:${times[queued]}; red seen:${seen[queued]}"
echo "plain:  red gone → green:${times[plain]}; red seen:${seen[plain]}"
