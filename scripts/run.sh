#!/usr/bin/env bash
# Builds Vistrel if needed and starts it on your desktop. Without a display ($DISPLAY unset) it
# shows what it does on a virtual one instead: a private Xvfb with a tray host and a small scene,
# the cursor on a few lines of text there, Vistrel magnifying them, and screenshots saved as
# PNG: the magnified view, then the whole screen with the view frozen (Alt+Space) and the tray
# menu open; then it stops everything it started. scripts/readme-picture.sh makes README's
# picture of it.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only what running needs: the build tools and libraries, and the virtual display's programs
# when there is no display.
if [ -n "${DISPLAY:-}" ]; then
  bash scripts/install-deps.sh build
else
  bash scripts/install-deps.sh build demo
fi
build=${VISTREL_BUILD_DIR:-build}
# A new build directory leaves the unit tests out (they need GoogleTest); scripts/test.sh turns
# them on in the same directory.
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" >/dev/null
else
  cmake --preset linux -B "$build" -DVISTREL_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target vistrel x11_probe >/dev/null

if [ -n "${DISPLAY:-}" ]; then
  exec "$build/vistrel" "$@"
fi

work=$(mktemp -d /tmp/vistrel-run.XXXXXX)
pids=()
cleanup() {
  # Only what this script started, newest first, by PID.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "${work:?}/home"
}
trap cleanup EXIT

echo "No display: starting a virtual one to show Vistrel at work."
. scripts/lib/xvfb.sh
xvfb_start "$work" 1024x768 || { pids+=("$XVFB_PID"); exit 1; }
pids+=("$XVFB_PID")

# A tray host, and something to look at: a plain desktop, a few windows, a line of text.
trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids+=($!)
probe=$build/tests/linux/x11/x11_probe
if [ -x "$probe" ]; then
  "$probe" window 0 0 1024 744 3b6e8f >/dev/null & pids+=($!)
  sleep 0.2
  "$probe" window 660 300 120 90 ff4040 >/dev/null & pids+=($!)
  "$probe" window 740 360 120 90 40a0ff >/dev/null & pids+=($!)
fi
xlogo -geometry 160x160+560+220 >/dev/null 2>&1 & pids+=($!)
xclock -update 1 -geometry 140x140+800+180 >/dev/null 2>&1 & pids+=($!)
xeyes -geometry 150x100+250+470 >/dev/null 2>&1 & pids+=($!)
xmessage -geometry +450+420 -buttons "" -xrm '*message.scrollVertical: never' \
  "$(printf '%s\n' "Vistrel shows the screen" "around the mouse pointer," \
    "enlarged, in a window" "of its own. Left click" "zooms in, right click out.")" \
  >/dev/null 2>&1 & pids+=($!)
sleep 1
xdotool mousemove 506 462

# Its own settings and lock, so that nothing of yours is touched.
mkdir -p "$work/home/run" && chmod 700 "$work/home/run"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/home/run" \
  "$build/vistrel" "$@" >"$work/vistrel.log" 2>&1 &
vistrel=$!
pids+=("$vistrel")

window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --pid "$vistrel" --name '^Vistrel$' 2>/dev/null | while read -r w; do
    xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q UTILITY && echo "$w"; done | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "Vistrel did not show its window (see $work/vistrel.log)" >&2
  exit 1
fi
sleep 1
view="$PWD/$build/vistrel-view.png"
screen="$PWD/$build/vistrel-screen.png"
import -silent -window "$window" "$view"
# Frozen, the view keeps that text while the pointer goes to the tray icon (bottom right) to
# open the menu.
xdotool key alt+space
sleep 0.5
xdotool mousemove 1012 756 click 3
sleep 1
import -silent -window root "$screen"
echo "The magnified view:  $view"
echo "The whole screen:    $screen (the view frozen, the tray menu open)"
