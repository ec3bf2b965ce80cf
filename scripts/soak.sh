#!/usr/bin/env bash
# Soak run, by hand (not part of the test command): the real program records while it plays,
# through a private sound server, for ten minutes by default; then the frames lost are counted
# on the recorded samples themselves. The played file counts its frames, and the sound server
# passes it through unchanged, so every frame the capture dropped and every gap the output
# filled with something else shows as a break in the count.
#
#   bash scripts/soak.sh [--minutes N] [--load N] [--build release|debug] [--keep]
#
#   --minutes N   how long to record (default 10)
#   --load N      run N busy loops meanwhile, to load the machine further (default 0)
#   --build B     which build of the program to use (default release)
#   --keep        keep the work folder (signal, recording, program output) for a look
#
# Prints what the program itself reported (status line, boxes) and the count of lost frames.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=10
load=0
build=release
keep=0
while [ $# -gt 0 ]; do
    case "$1" in
        --minutes) minutes="$2"; shift 2 ;;
        --load) load="$2"; shift 2 ;;
        --build) build="$2"; shift 2 ;;
        --keep) keep=1; shift ;;
        *) echo "usage: $0 [--minutes N] [--load N] [--build release|debug] [--keep]" >&2; exit 2 ;;
    esac
done

bash scripts/setup.sh
cmake --preset "$build" >/dev/null
cmake --build --preset "$build" --target quorbel

work="$(mktemp -d /tmp/quorbel-soak.XXXXXX)"
loaders=()
cleanup() {
    for pid in "${loaders[@]}"; do kill "$pid" 2>/dev/null || true; done
    bash scripts/sound_server.sh stop
    if [ "$keep" = 1 ]; then echo "soak: work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

g++ -std=c++20 -O2 tools/soak_signal.cpp -o "$work/soak_signal"
seconds=$((minutes * 60))
# The played sound outlasts the recording, so the count runs through all of it.
"$work/soak_signal" make "$work/counter.wav" $((seconds + 60))

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
eval "$(bash scripts/sound_server.sh start)"

for _ in $(seq 1 "$load"); do
    (while :; do :; done) &
    loaders+=($!)
done

cat >"$work/soak.txt" <<SCRIPT
# Play the counting file, and record into a new sound meanwhile.
button 1
new
button 5
wait $((seconds * 1000))
button 2
saveas $work/recorded.wav
activate 1
button 2
print status
quit
SCRIPT

echo "soak: recording for $minutes min while playing ($build build, $load extra busy loops)"
# The sanitizer build would fail the run over leaks inside the sound libraries at exit.
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" TMPDIR="$work" \
    "./build/$build/quorbel" --no-settings --script "$work/soak.txt" "$work/counter.wav" \
    >"$work/program.out" 2>"$work/program.err"
echo "soak: load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "soak: the program said (a lost recording shows a box; a lost play shows in the status):"
grep -E '^(box|status):' "$work/program.out" | sed 's/^/  /' || echo "  (nothing)"
echo "soak: on the recorded samples:"
"$work/soak_signal" check "$work/recorded.wav" | sed 's/^/  /'
