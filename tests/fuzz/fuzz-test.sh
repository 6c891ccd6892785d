#!/usr/bin/env bash
# One libFuzzer target as a test: its kept crash inputs first (regressions), then fuzzing for a
# bounded time from a fresh copy of its committed seeds, which stay small and unchanged.
#   fuzz-test.sh TARGET SECONDS CORPUS REGRESSIONS
set -euo pipefail
binary=$1
seconds=$2
corpus=$3
regressions=$4
name=$(basename "$binary")
work=$(mktemp -d)
# The settings file target writes a real file for every input: on a memory file system if any.
fuzz_tmp=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work" "$fuzz_tmp"' EXIT
export TMPDIR=$fuzz_tmp
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
  "$binary" "$regressions"/* >"$work/regressions.log" 2>&1 ||
    { cat "$work/regressions.log"; echo "$name: a kept crash input fails again" >&2; exit 1; }
  echo "$name: $(find "$regressions" -type f | wc -l) kept crash inputs pass"
fi
mkdir -p "$work/corpus"
"$binary" -max_total_time="$seconds" -artifact_prefix="$work/" "$work/corpus" "$corpus" \
  >"$work/fuzz.log" 2>&1 ||
  {
    tail -n 40 "$work/fuzz.log"
    # Kept in the working directory (the build tree), to become a regression input.
    cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* . 2>/dev/null || true
    echo "$name found a crash (its input is kept in $PWD)" >&2
    exit 1
  }
echo "$name: $(grep -o 'Done [0-9]* runs' "$work/fuzz.log" | tail -n 1) in $seconds s, no crash"
