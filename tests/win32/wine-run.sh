#!/bin/sh
# Runs a cross-built Windows program under 64-bit Wine (ctest's emulator). Uses the prefix and
# wineserver that scripts/test-win32.sh set up; alone, it makes a prefix of its own under the
# temporary directory on first use.
set -e
: "${WINEPREFIX:=${TMPDIR:-/tmp}/vistrel-wine-$(id -u)}"
export WINEPREFIX
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko prompts, and no debugger: a crash must end the run with a failure code.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  flock "$WINEPREFIX/.init-lock" sh -c \
    "[ -f '$WINEPREFIX/system.reg' ] || '$wine' wineboot -i >/dev/null 2>&1"
fi
exec "$wine" "$@"
