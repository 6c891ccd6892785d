#!/bin/sh
# Runs a cross-built Windows program under 64-bit Wine (ctest's emulator, and the Windows tests'
# runner). Uses the prefix, wineserver and X server of the Wine fixture when its environment is
# set (tests/fixture-run.sh); alone, it makes a prefix of its own under the temporary directory on
# first use.
set -e
: "${WINEPREFIX:=${TMPDIR:-/tmp}/vistrel-wine-$(id -u)}"
export WINEPREFIX
export WINEARCH=win64
: "${WINEDEBUG:=-all}"
# No Mono or Gecko prompts, no debugger (a crash must end the run with a failure code), and no
# browser (a test that follows the About link must not open one on the host).
: "${WINEDLLOVERRIDES:=mscoree,mshtml=;winedbg.exe=d;winebrowser.exe=d}"
export WINEDEBUG WINEDLLOVERRIDES
wine=${VISTREL_WINE64:-/usr/lib/wine/wine64}
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  flock "$WINEPREFIX/.init-lock" sh -c \
    "[ -f '$WINEPREFIX/system.reg' ] || '$wine' wineboot -i >/dev/null 2>&1"
fi
exec "$wine" "$@"
