#!/usr/bin/env bash
# Builds the release benchmarks and prints every performance figure in one run, each next to
# its floor (dd, cp, sox, the best of three runs each) and its target, with MISSED beside the
# targets not met:
#   - opening a large sound (against dd reading it) and the memory it holds,
#   - Cut, Copy, Paste, Undo, Redo, Delete, Trim, Silence, Insert Silence and every effect
#     on it, each the best of three runs
#     (against cp of the file, Reverse also against sox), and dd writing the file's size
#     and octave down's 1.5 times it, warm and after 4 s of rest (a virtual machine that
#     gives free memory back to its host makes a write after a pause pay for fetching it
#     again),
#   - Amplify, Normalize, Fade In and Fade Out of a 10-second selection (against cp, target
#     0.05),
#   - 50 Cuts and Pastes on different tenths, 50 Undos and 50 Redos: the slowest of each
#     kind and how much the working folder grew; then a save of what they made, also
#     against cp followed by sync (a save ends only once its file is on disk),
#   - the peak memory of all of it,
#   - a paint of the view in every vectorscope mode on a 10-minute sound, the Peaks mode's
#     min/max summary per GiB and its columns on 1 GiB, checked against a plain scan,
#   - a whole paint of the view, a position-timer tick with its repaints, and the CPU used
#     while playing, in the real Qt shell offscreen and under Xvfb, each CPU figure next to
#     the floor of a bare window repainting the strip's rectangle every 10 ms.
#
#   bash bench/run.sh [file.wav]     without a file: a generated 1 GiB 16-bit stereo sound
#
# Run it on a quiet machine: the floors and the figures are taken in the same run, but other
# work on the machine makes both vary. Not part of the test command.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target edit_bench qt_view_bench view_paint_bench peaks_bench >/dev/null || exit 1

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export QUORBEL_AUDIO="${QUORBEL_AUDIO:-null}"
if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -w "${XDG_RUNTIME_DIR}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d /tmp/quorbel-xdg.XXXXXX)"
  export XDG_RUNTIME_DIR
fi
chmod 700 "$XDG_RUNTIME_DIR"

status=0
echo "== open, edits and effects"
./build/release/bench/edit_bench "$@" || status=$?
echo
echo "== the view's paint, and the Peaks mode's summaries"
./build/release/bench/view_paint_bench || status=$?
./build/release/bench/peaks_bench || status=$?
echo
echo "== the view in the Qt shell (offscreen)"
./build/release/bench/qt_view_bench || status=$?
if command -v xvfb-run >/dev/null; then
  echo
  echo "== the view in the Qt shell (under Xvfb)"
  QT_QPA_PLATFORM=xcb xvfb-run -a ./build/release/bench/qt_view_bench || status=$?
else
  echo "(no xvfb-run: the run under a real X server is left out)"
fi
exit "$status"
