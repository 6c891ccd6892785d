# Sourced by the Windows test scripts: a private X server and a fresh 64-bit Wine prefix for
# this run, torn down on exit. Other X servers and prefixes may run on the machine, so the
# display number comes from Xvfb itself and only our own processes are ended.
#   vistrel_wine_up [WxH [Xvfb options...]]
#                      starts Xvfb (1024x768 unless told) and a persistent wineserver on a new
#                      prefix
#   vistrel_wine_down  ends them (installed as the EXIT trap by vistrel_wine_up)

. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/xvfb.sh"

vistrel_wine_down() {
  if [ -n "${WINEPREFIX:-}" ] && [ -n "${VISTREL_WINE_DIR:-}" ]; then
    "$VISTREL_WINESERVER" -k >/dev/null 2>&1 || true
    "$VISTREL_WINESERVER" -w >/dev/null 2>&1 || true
    rm -rf "$VISTREL_WINE_DIR"
  fi
  if [ -n "${VISTREL_XVFB_PID:-}" ]; then
    kill "$VISTREL_XVFB_PID" 2>/dev/null || true
    wait "$VISTREL_XVFB_PID" 2>/dev/null || true
  fi
}

vistrel_wine_up() {
  VISTREL_WINE64=/usr/lib/wine/wine64
  VISTREL_WINESERVER=/usr/lib/wine/wineserver
  [ -x "$VISTREL_WINE64" ] || VISTREL_WINE64=$(command -v wine64)
  [ -x "$VISTREL_WINESERVER" ] || VISTREL_WINESERVER=$(command -v wineserver)
  VISTREL_WINE_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vistrel-wine.XXXXXX")
  trap vistrel_wine_down EXIT

  local size=${1:-1024x768}
  [ $# -eq 0 ] || shift
  xvfb_start "$VISTREL_WINE_DIR" "$size" "$@" || { VISTREL_XVFB_PID=$XVFB_PID; return 1; }
  VISTREL_XVFB_PID=$XVFB_PID

  export WINEPREFIX="$VISTREL_WINE_DIR/prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono or Gecko installers, and no debugger: a crash must end with a failure code. No
  # browser either: a test that follows the About link must not open one on the host.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winebrowser.exe=d"
  "$VISTREL_WINE64" wineboot -i >/dev/null 2>&1
  # Unmanaged windows: Wine draws the frames itself and no window manager delays a hide (about
  # two seconds each otherwise). The X11 driver reads this when a process starts, so the
  # processes started by the prefix's creation are ended before the tests begin.
  "$VISTREL_WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$VISTREL_WINESERVER" -k >/dev/null 2>&1 || true
  "$VISTREL_WINESERVER" -w
  "$VISTREL_WINESERVER" -p
  # Bring the prefix's services up once, so that no test's first start pays for them (ctest
  # gives a test executable five seconds to list its tests).
  "$VISTREL_WINE64" wineboot >/dev/null 2>&1
}
