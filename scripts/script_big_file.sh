#!/usr/bin/env bash
# Times the real program opening a 1 GiB WAVE file from a script, playing one second of it and
# quitting, with every output line stamped with the seconds since the start. The waits in the
# script show whether the event loop kept running: each "wait 250" should take about 250 ms
# and the position should advance while the sound plays.
#
#   bash scripts/script_big_file.sh [path/to/quorbel]
#
# Default program: build/release/quorbel. Offscreen, null audio backend. The 1 GiB file
# (16-bit stereo 44100 Hz, about 101 minutes) is written into a fresh folder under $TMPDIR
# (or /tmp) and removed afterwards.
set -euo pipefail

program=${1:-build/release/quorbel}
[[ -x $program ]] || { echo "no program at $program (cmake --preset release && cmake --build build/release --target quorbel)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quorbel-big.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"

data_bytes=$((1024 * 1024 * 1024))
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
wave=$work/big.wav
{
    printf 'RIFF'; le32 $((36 + data_bytes)); printf 'WAVEfmt '; le32 16
    printf '\x01\x00\x02\x00'; le32 44100; le32 $((44100 * 4)); printf '\x04\x00\x10\x00'
    printf 'data'; le32 $data_bytes
    # Real blocks on disk (not a sparse file), so that the open really reads 1 GiB.
    head -c $data_bytes /dev/urandom
} > "$wave"
sync
echo "file: $(stat -c %s "$wave") bytes"

cat > "$work/script.txt" <<'SCRIPT'
print state
button 1
wait 250
print state
wait 250
print state
wait 500
print state
button 2
print state
quit
SCRIPT

start=$(date +%s.%N)
stamp() { while IFS= read -r line; do printf '%7.3f %s\n' "$(echo "$(date +%s.%N) - $start" | bc)" "$line"; done; }
set +e
QT_QPA_PLATFORM=offscreen QUORBEL_AUDIO=null XDG_RUNTIME_DIR=$work/runtime TMPDIR=$work \
    "$program" --no-settings --script "$work/script.txt" "$wave" 2>"$work/stderr" | stamp
status=${PIPESTATUS[0]}
set -e
printf '%7.3f exit status %d\n' "$(echo "$(date +%s.%N) - $start" | bc)" "$status"
grep -v 'propagateSizeHints' "$work/stderr" >&2 || true
