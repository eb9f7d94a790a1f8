# Shared by the benchmarks that watch the X screen (first-picture.sh, track-change.sh); sourced
# with $root (the source tree) and $build (a build folder) set. It builds the watcher's media,
# installs Debian's VLC when it is missing, and starts one Xvfb with openbox and one silent
# sound server for every program measured. VLC refuses to run as root, so every program runs
# as the unprivileged user "tamrelbench", made here when missing.
#   watch_as_user WATCHER_ARGS... -- COMMAND...   runs bench/first_picture as that user
#   median                                        of the numbers on standard input
#   ratio A B                                     A / B, or "-"
watch=$build/bench/first_picture
player=${PLAYER:-$build/tamrel-vcd-player} # PLAYER: a player built elsewhere
[ -x "$watch" ] && [ -x "$player" ] || { echo "build $build first (scripts/setup.sh)" >&2; exit 2; }

if [ "$(id -u)" -eq 0 ]; then
    if ! command -v cvlc >/dev/null; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            vlc-bin vlc-plugin-base vlc-plugin-video-output vlc-plugin-qt >/dev/null
    fi
    id tamrelbench >/dev/null 2>&1 || useradd --system --create-home tamrelbench
    as_user() { runuser -u tamrelbench -- "$@"; }
else
    as_user() { "$@"; }
fi

"$root/scripts/make-test-media.sh" "$build/test-media" >/dev/null
"$root/bench/make-colour-disc.sh" "$build/colour-disc"
work=$(mktemp -d)
chmod 755 "$work"
cp "$build/test-media/bench.dat" "$work/clip.dat"
cp "$build/colour-disc/colour-vcd.cue" "$build/colour-disc/colour-vcd.bin" "$work/"
cp "$build/colour-disc/colour-menu-vcd.cue" "$build/colour-disc/colour-menu-vcd.bin" "$work/"
cp "$build/colour-disc/tracks/track01.mpg" "$work/track01.mpg"
chmod 644 "$work"/*
home=$(as_user mktemp -d)
# Settings with Playback Control checked, for the disc with a menu of its own.
as_user mkdir -p "$home/menu-config/Tamrel VCD Player"
printf '[PlaybackControl]\nEnabled=1\n' |
    as_user tee "$home/menu-config/Tamrel VCD Player/Tamrel VCD Player.ini" >/dev/null

display=:87
Xvfb $display -screen 0 1280x800x24 -ac -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# A desktop has a sound server; every program finds the same silent one (and plays its own
# sound nowhere: ao=null, aout=dummy).
sound=$(as_user env TAMREL_SOUND_DIR="$home/sound" "$root/scripts/sound-server.sh" start)
pulse=$(sed -n 's/^export PULSE_SERVER=//p' <<<"$sound")
trap 'kill $wm $xvfb 2>/dev/null; as_user env TAMREL_SOUND_DIR="$home/sound" "$root/scripts/sound-server.sh" stop; rm -rf "$work"; as_user rm -rf "$home"' EXIT
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
wm=$("$root/scripts/start-window-manager.sh")

watch_as_user() {
    as_user env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" \
        PULSE_SERVER="$pulse" DISPLAY=$display "$watch" "$@"
}

median() { tr ' ' '\n' | { grep -v -e '^$' -e fail || true; } | sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "fail"}'; }

ratio() {
    python3 -c "import sys; a,b=sys.argv[1:]; print(f'{float(a)/float(b):.2f}' if a!='fail' and b!='fail' else '-')" "$1" "$2"
}
