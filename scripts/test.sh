#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer build and runs every test through CTest.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# Tests need no display: Qt draws offscreen. Qt wants a private runtime folder.
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -w "${XDG_RUNTIME_DIR}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d /tmp/quorbel-xdg.XXXXXX)"
  export XDG_RUNTIME_DIR
fi
chmod 700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

cmake --preset debug
cmake --build --preset debug
# A program built without the sanitizers, whose allocations may fail the ordinary way: the
# memory-limit test runs it under ulimit -v (AddressSanitizer would end it instead).
cmake --preset release >/dev/null
cmake --build --preset release --target quorbel
export QUORBEL_PLAIN_BINARY="$PWD/build/release/quorbel"

# The real-audio tests play into a private sound server and record its output back. Without
# one they run and report themselves skipped with the reason.
trap 'bash scripts/sound_server.sh stop' EXIT
if server_env="$(bash scripts/sound_server.sh start)"; then
  eval "$server_env"
else
  echo "test.sh: no test sound server; the real-audio tests will be skipped" >&2
fi
ctest --preset debug -j2
