#!/usr/bin/env bash
# Installs what is missing, builds the release build and starts Quorbel.
# Arguments are passed to the program (for example a .wav file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target quorbel
exec ./build/release/quorbel "$@"
