#!/usr/bin/env bash
# Builds the Windows program and tests it under Wine on a private X server: the core's unit tests
# and the shell's own tests through ctest, then the end-to-end driver against Vistrel.exe.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-win.sh

echo "== Vistrel.exe needs no DLL beyond Windows' own"
dlls=$(x86_64-w64-mingw32-objdump -p build-win/Vistrel.exe | awk '/DLL Name:/ {print $3}')
echo "$dlls" | tr '\n' ' '
echo
foreign=$(echo "$dlls" | grep -Eiv '^(advapi32|comctl32|gdi32|kernel32|msvcrt|ole32|shell32|user32)\.dll$' || true)
if [ -n "$foreign" ]; then
  echo "Vistrel.exe needs DLLs that Windows does not have: $foreign" >&2
  exit 1
fi

. tests/win32/wine-env.sh
vistrel_wine_up
echo "== Wine prefix ready (DISPLAY=$DISPLAY)"

echo "== unit tests under Wine (ctest in build-win/)"
ctest --test-dir build-win --output-on-failure -j"$(nproc)" --timeout 120

echo "== end-to-end tests of Vistrel.exe under Wine"
# Google Test; a crash of the program fails the test it happened in and the run. The test of two
# monitors skips here (one monitor) and runs in the second session.
timeout 600 "$VISTREL_WINE64" build-win/vistrel_e2e.exe | tee build-win/e2e.log
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ] || ! grep -Eq '^\[  PASSED  \] [1-9]' build-win/e2e.log; then
  echo "Windows end-to-end tests failed (exit status $status)" >&2
  exit 1
fi
echo "== end-to-end tests of Vistrel.exe on two monitors under Wine"
vistrel_wine_dual
timeout 300 "$VISTREL_WINE64" build-win/vistrel_e2e.exe --gtest_filter='Monitors.*' |
  tee build-win/e2e-dual.log
status=${PIPESTATUS[0]}
# Skipped would mean that Wine saw one monitor: a failure here.
if [ "$status" -ne 0 ] || ! grep -Eq '^\[  PASSED  \] [1-9]' build-win/e2e-dual.log ||
  grep -q '^\[  SKIPPED \]' build-win/e2e-dual.log; then
  echo "Windows end-to-end tests on two monitors failed or were skipped (exit status $status)" >&2
  exit 1
fi
echo "Windows tests passed."
