#!/usr/bin/env bash
# The CTest fixtures of the Wine session that the Windows tests share (cmake/VistrelTests.cmake),
# made with tests/win32/wine-env.sh:
#   wine-fixture.sh up ENVFILE              Xvfb, a fresh 64-bit prefix and a persistent
#                                           wineserver, left running; their environment written
#                                           to ENVFILE
#   wine-fixture.sh dual ENVFILE DUALFILE   moves the session to a second Xvfb of two monitors;
#                                           its DISPLAY and PID written to DUALFILE
#   wine-fixture.sh undual ENVFILE DUALFILE ends the session and that Xvfb
#   wine-fixture.sh down ENVFILE            ends what up started (by PID) and removes the prefix
set -euo pipefail
cd "$(dirname "$0")/../.."
action=$1
env_file=$2
dual_file=${3:-}
# shellcheck source=tests/win32/wine-env.sh
. tests/win32/wine-env.sh

# The servers started here outlive this script, and ctest waits until every holder of a test's
# output has closed it: they write to a log, printed when the step is done.
logged() {
  local log status
  log=$(mktemp "${TMPDIR:-/tmp}/vistrel-wine-fixture.XXXXXX")
  set +e
  (
    set -e
    "$@"
  ) >"$log" 2>&1 </dev/null
  status=$?
  set -e
  cat "$log"
  rm -f "$log"
  return "$status"
}

write_env() {
  local file=$1 name
  shift
  mkdir -p "$(dirname "$file")"
  for name in "$@"; do printf 'export %s=%q\n' "$name" "${!name}"; done >"$file.new"
  mv "$file.new" "$file"
}

up() {
  rm -f "$env_file"
  vistrel_wine_up 1024x768
  write_env "$env_file" DISPLAY WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES VISTREL_WINE64 \
    VISTREL_WINESERVER VISTREL_WINE_DIR VISTREL_XVFB_PID
  # The session stays for the tests; `down` ends it.
  trap - EXIT
  echo "Wine session up: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
}

dual() {
  # shellcheck source=/dev/null
  . "$env_file"
  rm -f "$dual_file"
  local status=0
  vistrel_wine_dual || status=$?
  # Written also on failure, so that undual finds the second server.
  write_env "$dual_file" DISPLAY VISTREL_DUAL_XVFB_PID
  [ "$status" -eq 0 ] && echo "Wine session on two monitors: DISPLAY=$DISPLAY"
  return "$status"
}

undual() {
  [ -f "$dual_file" ] || return 0
  # shellcheck source=/dev/null
  . "$env_file"
  # shellcheck source=/dev/null
  . "$dual_file"
  "$VISTREL_WINESERVER" -k >/dev/null 2>&1 || true
  "$VISTREL_WINESERVER" -w >/dev/null 2>&1 || true
  kill "$VISTREL_DUAL_XVFB_PID" 2>/dev/null || true
  rm -f "$dual_file"
}

down() {
  [ -f "$env_file" ] || return 0
  # shellcheck source=/dev/null
  . "$env_file"
  vistrel_wine_down
  rm -f "$env_file"
}

case $action in
  up | dual) logged "$action" ;;
  undual | down) "$action" ;;
  *) echo "wine-fixture.sh: unknown step '$action' (up, dual, undual, down)" >&2; exit 2 ;;
esac
