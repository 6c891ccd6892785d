#!/usr/bin/env bash
# Measures what Vistrel.exe costs under Wine on a private X server: CPU of the program, of
# wineserver and of the X server over a stretch with the cursor still and with the cursor moving
# every 50 ms, and the program's peak resident memory. Prints a small table for docs/windows.md.
# Usage: tests/win32/measure-cost.sh [seconds per stretch, default 20]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-20}
[ -f build-win/Vistrel.exe ] || bash scripts/build-win.sh

. tests/win32/wine-env.sh
vistrel_wine_up 1024x768

"$VISTREL_WINE64" build-win/Vistrel.exe &
pid=$!
for _ in $(seq 100); do
  xdotool search --name '^Vistrel$' >/dev/null 2>&1 && break
  sleep 0.1
done
# Our wineserver is the one whose environment names our prefix (others may run on the machine).
wineserver_pid=
for p in $(pgrep -u "$(id -u)" wineserver || true); do
  if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
    wineserver_pid=$p
  fi
done

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
measure() {  # label, then the command that runs during the stretch
  local label=$1
  shift
  local p0 x0 w0 p1 x1 w1
  p0=$(ticks "$pid"); x0=$(ticks "$VISTREL_XVFB_PID"); w0=$(ticks "$wineserver_pid")
  "$@"
  p1=$(ticks "$pid"); x1=$(ticks "$VISTREL_XVFB_PID"); w1=$(ticks "$wineserver_pid")
  awk -v l="$label" -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v w=$((w1 - w0)) -v s="$seconds" \
    -v hz="$hz" 'BEGIN { printf "| %s | %.1f %% | %.1f %% | %.1f %% |\n", l,
      100 * p / hz / s, 100 * w / hz / s, 100 * x / hz / s }'
}
still() { xdotool mousemove 512 384; sleep "$seconds"; }
moving() {
  local end=$((SECONDS + seconds)) i=0
  while [ $SECONDS -lt $end ]; do
    xdotool mousemove $((300 + (i * 7) % 400)) $((300 + (i * 3) % 200))
    i=$((i + 1))
    sleep 0.05
  done
}
echo "| cursor | Vistrel.exe | wineserver | Xvfb |"
echo "|---|---|---|---|"
measure "still" still
measure "moving every 50 ms" moving
echo
echo "Peak resident memory of Vistrel.exe: $(awk '/VmHWM/ {print $2, $3}' "/proc/$pid/status")"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
