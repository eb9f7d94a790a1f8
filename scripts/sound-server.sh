#!/bin/bash
# A headless PulseAudio (null sink and null source) for the tests; no sound card, systemd or
# D-Bus needed, runs as root.
#   eval "$(scripts/sound-server.sh start)"   # prints the exports clients need
#   scripts/sound-server.sh stop
set -u
dir=${TAMREL_SOUND_DIR:-/tmp/tamrel-sound}

start() {
    rm -rf "$dir"
    mkdir -p -m 700 "$dir"
    # -n skips default.pa: no device probing, no modules that keep volumes between runs.
    XDG_RUNTIME_DIR=$dir XDG_CONFIG_HOME=$dir/config HOME=$dir \
        pulseaudio --daemonize=yes --exit-idle-time=-1 --use-pid-file=yes -n \
        --log-target=file:"$dir/pulseaudio.log" \
        --load="module-null-sink sink_name=tamrel_speaker sink_properties=device.description=Speaker" \
        --load="module-null-source source_name=tamrel_mic" \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
        >/dev/null 2>&1 || {
        echo "echo 'pulseaudio did not start, see $dir/pulseaudio.log' >&2"
        return 0
    }
    export PULSE_SERVER=unix:$dir/native
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.05
    done
    pactl set-default-sink tamrel_speaker >/dev/null 2>&1
    pactl set-default-source tamrel_mic >/dev/null 2>&1
    echo "export PULSE_SERVER=unix:$dir/native"
}

stop() {
    local pid
    pid=$(cat "$dir/pulse/pid" 2>/dev/null) || {
        rm -rf "$dir"
        return 0
    }
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 100); do
        [ -e "$dir/pulse/pid" ] || break
        sleep 0.02
    done
    [ -e "$dir/pulse/pid" ] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$dir"
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
