#!/usr/bin/env bash
# A private PulseAudio sound server with one null sink, for the real-audio tests on machines
# without a sound card or desktop session. ALSA's "default" device reaches it, so PortAudio's
# default output plays into the sink and its default input records from the sink's monitor.
#
#   eval "$(scripts/sound_server.sh start)"   # prints the variables clients need
#   scripts/sound_server.sh stop              # stops the server of $XDG_RUNTIME_DIR
#
# start uses $XDG_RUNTIME_DIR when it is an empty-of-pulse 0700 folder, else makes a fresh one.
# It exits non-zero with the reason on stderr when the server does not come up.
set -uo pipefail

die() {
    echo "sound_server: $*" >&2
    exit 1
}

state_dir() { echo "$XDG_RUNTIME_DIR/quorbel-sound"; }

stop_server() {
    [ -n "${XDG_RUNTIME_DIR:-}" ] || return 0
    local dir
    dir="$(state_dir)"
    [ -d "$dir" ] || return 0
    local pid
    for f in "$dir/keepalive.pid" "$XDG_RUNTIME_DIR/pulse/pid"; do
        if [ -f "$f" ]; then
            pid="$(head -n1 "$f")"
            if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
        fi
    done
    rm -rf "$dir"
}

start_server() {
    command -v pulseaudio >/dev/null || die "pulseaudio is not installed"
    command -v parec >/dev/null || die "parec (pulseaudio-utils) is not installed"

    if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -w "$XDG_RUNTIME_DIR" ] \
        || [ -e "$XDG_RUNTIME_DIR/pulse" ]; then
        XDG_RUNTIME_DIR="$(mktemp -d /tmp/quorbel-xdg.XXXXXX)" || die "cannot make a runtime folder"
    fi
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
    local dir
    dir="$(state_dir)"
    mkdir -p "$dir/home"
    # A scratch HOME keeps the server's cookie and state out of the user's own home.
    export HOME="$dir/home"

    cat >"$dir/null.pa" <<'EOF'
load-module module-native-protocol-unix
load-module module-null-sink sink_name=nullsink rate=44100
set-default-sink nullsink
set-default-source nullsink.monitor
EOF
    pulseaudio --daemonize=yes --system=no --exit-idle-time=-1 --disallow-exit -n \
        -F "$dir/null.pa" --log-target=file:"$dir/pulseaudio.log" 2>>"$dir/pulseaudio.log" \
        || die "pulseaudio did not start (see $dir/pulseaudio.log)"

    local server="unix:$XDG_RUNTIME_DIR/pulse/native"
    # Without a reader the null sink idles at a 2 s latency and the first capture callback comes
    # late; a low-latency monitor reader keeps it running at a short period.
    PULSE_SERVER="$server" parec --latency-msec=10 -d nullsink.monitor >/dev/null 2>&1 &
    echo $! >"$dir/keepalive.pid"
    sleep 2.2
    PULSE_SERVER="$server" pactl info >/dev/null 2>&1 \
        || { stop_server; die "pulseaudio started but does not answer"; }

    echo "export XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR'"
    echo "export PULSE_SERVER='$server'"
    echo "export PULSE_COOKIE='$HOME/.config/pulse/cookie'"
}

case "${1:-}" in
    start) start_server ;;
    stop) stop_server ;;
    *) die "usage: $0 start|stop" ;;
esac
