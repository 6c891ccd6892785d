# shellcheck shell=bash
# Sourced by the Windows test scripts: a private X server and a fresh 64-bit Wine prefix for
# this run, torn down on exit. Other X servers and prefixes may run on the machine, so the
# display number comes from Xvfb itself and only our own processes are ended.
#   vistrel_wine_up [WxH [Xvfb options...]]
#                      starts Xvfb (1024x768 unless told) and a persistent wineserver on a new
#                      prefix
#   vistrel_wine_dual  moves the prefix's session to a second Xvfb of two monitors, the
#                      secondary one left of the primary (negative desktop coordinates)
#   vistrel_wine_down  ends them (installed as the EXIT trap by vistrel_wine_up)

# shellcheck source=scripts/lib/xvfb.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/xvfb.sh"

vistrel_wine_down() {
  if [ -n "${WINEPREFIX:-}" ] && [ -n "${VISTREL_WINE_DIR:-}" ]; then
    "$VISTREL_WINESERVER" -k >/dev/null 2>&1 || true
    "$VISTREL_WINESERVER" -w >/dev/null 2>&1 || true
    rm -rf "$VISTREL_WINE_DIR"
  fi
  local pid
  for pid in ${VISTREL_XVFB_PID:-} ${VISTREL_DUAL_XVFB_PID:-}; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}

# Ends the prefix's session, so that the next Wine process starts a new one that reads the
# display and the X11 driver's settings afresh.
vistrel_wine_restart() {
  "$VISTREL_WINESERVER" -k >/dev/null 2>&1 || true
  "$VISTREL_WINESERVER" -w
  "$VISTREL_WINESERVER" -p
  # Bring the prefix's services up once, so that no test's first start pays for them (ctest
  # gives a test executable five seconds to list its tests).
  "$VISTREL_WINE64" wineboot >/dev/null 2>&1
}

vistrel_wine_dual() {
  mkdir -p "$VISTREL_WINE_DIR/dual"
  xvfb_start "$VISTREL_WINE_DIR/dual" 2048x768 || { VISTREL_DUAL_XVFB_PID=$XVFB_PID; return 1; }
  VISTREL_DUAL_XVFB_PID=$XVFB_PID
  # One wide screen split into RandR monitors (Xvfb's +xinerama would stack its screens at 0, 0).
  # The monitor holding the screen's output is Xinerama's first head, which Wine makes the
  # primary one; the other, on its left, gets negative coordinates.
  xrandr --setmonitor primary 1024/270x768/203+1024+0 screen >/dev/null
  xrandr --setmonitor secondary 1024/270x768/203+0+0 none >/dev/null
  # Wine 8 sees the monitors of a screen like this one only through Xinerama.
  "$VISTREL_WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1
  vistrel_wine_restart
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
  vistrel_wine_restart
}
