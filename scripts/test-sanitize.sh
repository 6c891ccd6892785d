#!/usr/bin/env bash
# The sanitizer leg: the core, its unit tests and the Linux program built with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer; the unit tests and a short end-to-end scenario
# of the program (tests/linux/reliability, on its own Xvfb) run clean; then each libFuzzer target for a
# bounded time from its committed seeds (under a minute for all), and the kept crash inputs as
# regression tests.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=${VISTREL_FUZZ_SECONDS:-15}  # per target; three targets
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

cmake --preset sanitize >/dev/null
cmake --build build-sanitize -j"$(nproc)" --target vistrel_unit_tests text_forms_fuzz registry_fuzz \
  settings_file_fuzz vistrel x11_probe
build-sanitize/tests/unit/vistrel_unit_tests --gtest_brief=1

# The program under the sanitizers: the scenario sends reports to files and fails on any file;
# the hostile settings runs end the program on a report (abort_on_error), which fails them.
# The leak check runs at every close, with the suppressions for system libraries only.
export LSAN_OPTIONS=suppressions=$PWD/tests/linux/reliability/lsan.supp:print_suppressions=0
pytest-3 tests/linux/reliability --vistrel build-sanitize/vistrel \
  --probe build-sanitize/tests/linux/x11/x11_probe --sanitized \
  -k "sanitizer_scenario or hostile_values or files_it"

work=$(mktemp -d)
# The settings file target writes a real file for every input: on a memory file system if any.
fuzz_tmp=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work" "$fuzz_tmp"' EXIT
export TMPDIR=$fuzz_tmp
for target in text_forms registry settings_file; do
  binary=build-sanitize/tests/fuzz/${target}_fuzz
  regressions=tests/fuzz/regressions/$target
  if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    "$binary" "$regressions"/* >"$work/$target-regressions.log" 2>&1 ||
      { cat "$work/$target-regressions.log"; exit 1; }
  fi
  mkdir -p "$work/$target"
  # Fresh corpus copy: the committed seeds stay small and unchanged.
  "$binary" -max_total_time="$fuzz_seconds" -artifact_prefix="$work/" "$work/$target" \
    "tests/fuzz/corpus/$target" >"$work/$target.log" 2>&1 ||
    { tail -n 40 "$work/$target.log"; echo "fuzz target $target found a crash" >&2; exit 1; }
  echo "fuzz $target: $(grep -o 'Done [0-9]* runs' "$work/$target.log" | tail -n 1), no crash"
done
