#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (installing clang when it is missing) and runs each
# for a number of executions, seeded from ../shared/wav-corpus and the inputs fuzzers found
# before (fuzz/corpus/<target>/, fuzz/regressions/<target>/). Not part of the test command.
#
#   bash scripts/fuzz.sh [RUNS [TARGET...]]     RUNS defaults to 1000000; targets to all three
#
# Inputs of a run that reach code none before reached are merged into fuzz/corpus/<target>/.
# What breaks a target (crash-*, leak-*, oom-*, timeout-*) is written to
# build/fuzz/findings/<target>/. Mend it at its root, then copy the input into
# fuzz/regressions/<target>/: the replay tests of the test command run both folders.
set -euo pipefail
cd "$(dirname "$0")/.."

RUNS="${1:-1000000}"
shift || true
TARGETS=("$@")
if [ "${#TARGETS[@]}" -eq 0 ]; then
  TARGETS=(device_reader_fuzz capture_read_fuzz edit_sequence_fuzz)
fi

# The project's packages and, for the fuzzers, clang with its runtime.
bash scripts/setup.sh clang libclang-rt-14-dev

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DQUORBEL_BUILD_FUZZ=ON -DQUORBEL_BUILD_GUI=OFF \
  -DQUORBEL_BUILD_PORTAUDIO=OFF >/dev/null
cmake --build build/fuzz --target "${TARGETS[@]}"

# The targets write their input to a scratch file per execution: keep those in memory.
scratch="$(mktemp -d /dev/shm/quorbel-fuzz.XXXXXX 2>/dev/null || mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

for target in "${TARGETS[@]}"; do
  corpus="build/fuzz/corpus/$target"
  findings="build/fuzz/findings/$target"
  mkdir -p "$corpus" "$findings" "fuzz/corpus/$target"
  echo "== $target: $RUNS runs"
  # New inputs go to the first folder only; the others are read. An edit sequence is a small
  # sound and a few commands; longer inputs only slow it down.
  max_len=8192
  if [ "$target" = edit_sequence_fuzz ]; then max_len=400; fi
  TMPDIR="$scratch" "build/fuzz/fuzz/$target" -runs="$RUNS" -max_len="$max_len" \
    -malloc_limit_mb=64 -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" ../shared/wav-corpus "fuzz/corpus/$target" "fuzz/regressions/$target"
  TMPDIR="$scratch" "build/fuzz/fuzz/$target" -merge=1 -max_len="$max_len" "fuzz/corpus/$target" \
    "$corpus" 2>&1 | grep -E '^MERGE-OUTER: [0-9]+ new files' || true
done
