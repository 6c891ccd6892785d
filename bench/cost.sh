#!/usr/bin/env bash
# What a magnifier costs while it runs: CPU of its process and of the X server (ms of CPU per
# second of wall time) and its peak RSS, on a private Xvfb, with the cursor still (a), moving a
# few pixels every 50 ms (b), and still over a clock that changes every second (c). Vistrel,
# the floor program (bench/floor.cpp), KMag and xzoom run side by side in one invocation, so
# that the machine's noise hits them all alike; each figure is the median of --runs runs, and
# the runs are interleaved (run 1 of everything, then run 2, ...).
# Wake-ups: the voluntary context switches of the magnifier's threads a second (each is a
# sleep that something ended: a timer, an event, a reply).
# Also: start to first drawn picture of Vistrel (median of 10) and the cost of a Freeze and Lock
# hold. Only public tools: Xvfb, trayer, xdotool, xclock, /proc.
#
#   bench/cost.sh [--seconds 20] [--runs 3] [--screens "1920x1080 1024x768"]
#                 [--only REGEX] [--vistrel PATH] [--compare PATH] [--skip-extras]
#
# --compare PATH adds another Linux Vistrel (an older build, say) as "before-220" and
# "before-1000", interleaved with the rest.
# KMag and xzoom are installed with apt-get when missing (KMag pulls in about 90 packages).
set -euo pipefail
# Read whole before it runs, so that an edit during a long run does not derail it.
{
cd "$(dirname "$0")/.."
root_dir=$PWD

seconds=20
runs=3
screens="1920x1080 1024x768"
only=.
vistrel=
compare=
extras=1
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --screens) screens=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    --vistrel) vistrel=$2; shift 2 ;;
    --skip-extras) extras=0; shift ;;
    --compare) compare=$(realpath "$2"); shift 2 ;;
    *) sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done
if [ -z "$vistrel" ]; then
  for candidate in build/vistrel build-x11/vistrel; do
    if [ -x "$candidate" ]; then vistrel=$candidate; break; fi
  done
fi
[ -n "$vistrel" ] && vistrel=$(realpath "$vistrel")

# --- tools -------------------------------------------------------------------------------------
need=()
for tool in Xvfb trayer xdotool xclock; do command -v "$tool" >/dev/null || need+=("$tool"); done
[ ${#need[@]} -eq 0 ] || bash scripts/install-deps.sh
peers=()
command -v kmag >/dev/null || peers+=(kmag)
command -v xzoom >/dev/null || peers+=(xzoom)
if [ ${#peers[@]} -gt 0 ]; then
  echo "Installing the magnifiers to compare with: ${peers[*]} (apt-get)" >&2
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  $sudo apt-get update -q >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${peers[@]}" >&2
fi
build=${BENCH_BUILD_DIR:-build-bench}
# The helpers; the configure step only once, the build is a no-op when they are up to date.
[ -f "$build/CMakeCache.txt" ] || cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" --target vistrel_floor vistrel_first_frame >/dev/null
cmake --build "$build" --target vistrel_floor_xi2 >/dev/null 2>&1 || true  # needs libxcb-xinput-dev
floor=$root_dir/$build/bench/vistrel_floor
floor_xi2=$root_dir/$build/bench/vistrel_floor_xi2
first_frame=$root_dir/$build/bench/vistrel_first_frame

work=$(mktemp -d /tmp/vistrel-cost.XXXXXX)
source bench/cost_common.sh
trap cost_cleanup EXIT

# --- measuring ---------------------------------------------------------------------------------
# The process and its descendants (a magnifier may start helpers).
family() {
  local pids=("$1") i=0 p
  while [ $i -lt ${#pids[@]} ]; do
    for p in $(ps -o pid= --ppid "${pids[$i]}" 2>/dev/null); do pids+=("$p"); done
    i=$((i + 1))
  done
  echo "${pids[@]}"
}
family_cpu_ns() {
  local total=0 p
  for p in $1; do total=$((total + $(cpu_ns "$p"))); done
  echo "$total"
}
peak_rss_kb() {
  local total=0 p v
  for p in $1; do
    v=$(awk '/^VmHWM:/ {print $2}' /proc/"$p"/status 2>/dev/null || true)
    total=$((total + ${v:-0}))
  done
  echo "$total"
}

start_xvfb() {  # WxH -> sets DISPLAY and xvfb_pid
  xvfb_start "$work" "$1" -s 0 -dpms || { started+=("$XVFB_PID"); return 1; }
  xvfb_pid=$XVFB_PID
  started+=("$xvfb_pid")
  if [ -n "${BENCH_TRACE:-}" ]; then  # the X server's CPU every half second, to find noise
    (while kill -0 "$xvfb_pid" 2>/dev/null; do
       echo "$(now_ns) x $(cpu_ns "$xvfb_pid")"; sleep 0.5
     done >> "$BENCH_TRACE") &
    started+=("$!")
  fi
  start_tray
  sleep 1
}

stop_pid() {
  kill "$1" 2>/dev/null || true
  local i
  for i in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$1" 2>/dev/null || true
}

# --- the magnifiers ----------------------------------------------------------------------------
# name|window size|how to start it. Vistrel's settings file gives it its place and size.
configs=()
add_config() { [[ $1 =~ $only ]] && configs+=("$1|$2|$3"); return 0; }
add_config none - "sleep 100000"
add_config floor-moved-220 220x165 "$floor 220 165 2"
add_config floor-tick-220 220x165 "$floor --every-tick 220 165 2"
add_config floor-moved-1000 1000x700 "$floor 1000 700 2"
add_config floor-tick-1000 1000x700 "$floor --every-tick 1000 700 2"
add_config floor-matrix-1000 1000x700 "$floor --matrix 1000 700 2"
[ -x "$floor_xi2" ] && add_config floor-xi2-220 220x165 "$floor_xi2 220 165 2"
[ -x "$floor_xi2" ] && add_config floor-xi2-1000 1000x700 "$floor_xi2 1000 700 2"
if [ -n "$vistrel" ]; then
  add_config vistrel-220 220x165 "vistrel False"
  add_config vistrel-refresh-220 220x165 "vistrel True"
  add_config vistrel-1000 1000x700 "vistrel False"
  add_config vistrel-refresh-1000 1000x700 "vistrel True"
  if [ -n "$compare" ]; then
    add_config before-220 220x165 "before False"
    add_config before-1000 1000x700 "before False"
  fi
else
  echo "No Linux Vistrel found (build/vistrel, build-x11/vistrel): measuring the others only" >&2
fi
add_config kmag-220 220x165 kmag
add_config kmag-1000 1000x700 kmag
add_config xzoom-220 220x165 "xzoom -mag 2 -delay 50 -geometry"
add_config xzoom-1000 1000x700 "xzoom -mag 2 -delay 50 -geometry"

# A fresh home for each start: settings, lock file and caches of one run only.
fresh_home() {
  home=$(mktemp -d "$work/home.XXXXXX")
  mkdir -p "$home/config/Tarnwell" "$home/runtime"
  chmod 700 "$home/runtime"
}
# Replaces the (sub)shell it runs in, so that "run_env ... &" gives the program's own PID and
# ending that PID ends the program.
run_env() {
  exec env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" \
    XDG_CACHE_HOME="$home/cache" DBUS_SESSION_BUS_ADDRESS=disabled: QT_QPA_PLATFORM=xcb "$@"
}
write_vistrel_settings() {  # WIDTH HEIGHT RefreshHigh
  # The stored size is the outer frame in twips (15 per pixel); with no window manager the
  # frame is the client area.
  cat > "$home/config/Tarnwell/Vistrel.conf" <<EOF
[General]
Top=0
Left=0
Height=$(($2 * 15))
Width=$(($1 * 15))
RefreshHigh=$3
RefreshAlways=False
Keep1to1=False
OnTop=False
EOF
}
write_kmag_settings() {  # WIDTH HEIGHT
  # Follow the mouse at x2 (ZoomIndex 4 is "1:2"), the refresh rate nearest to our 20 per second
  # (FPSIndex 4, "Very High": 25 per second). The window is sized so that the view inside its
  # menu bar, tool bar and scroll bars (14 + 64 pixels) has the size under test.
  cat > "$home/config/kmagrc" <<EOF
[General Options]
ColorIndex=0
FPSIndex=4
Geometry=$(($1 + 14)),$(($2 + 64))
Mode=followmouse
RotationIndex=0
ShowMouse=2
StaysOnTop=true
ZoomIndex=4
EOF
}

# Starts a configuration; sets mag_pid.
start_magnifier() {  # name size command...
  local name=$1 size=$2 cmd=$3 w h
  w=${size%x*} h=${size#*x}
  fresh_home
  case $cmd in
    vistrel*)
      write_vistrel_settings "$w" "$h" "${cmd#vistrel }"
      run_env "$vistrel" >"$work/$name.log" 2>&1 &
      ;;
    before*)
      write_vistrel_settings "$w" "$h" "${cmd#before }"
      run_env "$compare" >"$work/$name.log" 2>&1 &
      ;;
    kmag)
      write_kmag_settings "$w" "$h"
      run_env kmag >"$work/$name.log" 2>&1 &
      ;;
    xzoom*)
      # Its source is the window size divided by the zoom, around the screen's centre.
      # shellcheck disable=SC2086  # the command and its arguments, split on purpose
      run_env $cmd "${w}x${h}+0+0" >"$work/$name.log" 2>&1 &
      ;;
    *)
      # shellcheck disable=SC2086  # the command and its arguments, split on purpose
      run_env $cmd >"$work/$name.log" 2>&1 &
      ;;
  esac
  mag_pid=$!
  started+=("$mag_pid")
}

# The cursor's home: the middle of the strip below the largest window, away from the windows
# under test, so that the clock of (c) and the moving cursor of (b) stay visible to all.
cursor_home() {  # screen WxH -> hx hy
  local sw=${1%x*} sh=${1#*x}
  hx=$((sw / 2))
  hy=$((sh - 34))
}

results=$work/results.tsv
: > "$results"

measure() {  # screen name scenario run
  local pids t0 x0 c0 w0 t1 x1 c1 w1 rss
  pids=$(family "$mag_pid")
  [ -z "${BENCH_TRACE:-}" ] || echo "$(now_ns) phase $2 $3 $4" >> "$BENCH_TRACE"
  w0=$(wakeups "$pids")
  t0=$(now_ns); x0=$(cpu_ns "$xvfb_pid"); c0=$(family_cpu_ns "$pids")
  sleep "$seconds"
  t1=$(now_ns); x1=$(cpu_ns "$xvfb_pid"); c1=$(family_cpu_ns "$pids")
  w1=$(wakeups "$pids")
  rss=$(peak_rss_kb "$pids")
  awk -v s="$1" -v n="$2" -v sc="$3" -v r="$4" -v c=$((c1 - c0)) -v x=$((x1 - x0)) \
      -v t=$((t1 - t0)) -v rss="$rss" -v w=$((w1 - w0)) \
      'BEGIN { printf "%s\t%s\t%s\t%s\t%.3f\t%.3f\t%d\t%.3f\n", s, n, sc, r, c/t*1000, x/t*1000, rss, w/t*1e9 }' \
      >> "$results"
}

run_scenarios() {  # screen name run
  local clock_pid
  # (a) still
  xdotool mousemove "$hx" "$hy"
  sleep 1
  measure "$1" "$2" a "$3"
  # (b) moving
  start_mover "$seconds"
  sleep 0.5
  measure "$1" "$2" b "$3"
  stop_pid "$mover_pid"
  # (c) still over a clock that changes every second
  xclock -update 1 -geometry 60x60+$((hx - 30))+$((hy - 30)) >/dev/null 2>&1 &
  clock_pid=$!
  started+=("$clock_pid")
  xdotool mousemove "$hx" "$hy"
  sleep 1.5
  measure "$1" "$2" c "$3"
  stop_pid "$clock_pid"
}

# --- start-up time and Freeze and Lock (Vistrel only) ------------------------------------------
extras_file=$work/extras.txt
: > "$extras_file"
measure_startup() {  # name command...
  local name=$1 i ms all=()
  shift
  for i in $(seq 10); do
    fresh_home
    write_vistrel_settings 220 165 False
    ms=$(run_env "$first_frame" "$@" 2>/dev/null | tail -1)
    all+=("$ms")
  done
  printf '%s start to first picture (ms, 10 starts): %s; median %s\n' "$name" "${all[*]}" \
    "$(printf '%s\n' "${all[@]}" | sort -g | awk '{v[NR]=$1} END {print (v[5]+v[6])/2}')" \
    >> "$extras_file"
}
measure_freeze_lock_hold() {
  local pids t0 c0 x0 t1 c1 x1
  start_magnifier vistrel-hold 220x165 "vistrel False"
  sleep 3
  xdotool mousemove "$hx" "$hy"
  sleep 1
  xdotool key alt+v
  # The first second still follows; the hold lasts the next 10 s. Measure 8 s inside it.
  sleep 1.5
  pids=$(family "$mag_pid")
  t0=$(now_ns); x0=$(cpu_ns "$xvfb_pid"); c0=$(family_cpu_ns "$pids")
  sleep 8
  t1=$(now_ns); x1=$(cpu_ns "$xvfb_pid"); c1=$(family_cpu_ns "$pids")
  awk -v c=$((c1 - c0)) -v x=$((x1 - x0)) -v t=$((t1 - t0)) 'BEGIN {
    printf "Vistrel Freeze and Lock hold (8 s inside the 10 s hold): %.2f ms/s = %.3f %% of one core; X server %.2f ms/s\n",
      c/t*1000, c/t*100, x/t*1000 }' >> "$extras_file"
  stop_pid "$mag_pid"
}

# --- run ---------------------------------------------------------------------------------------
for screen in $screens; do
  start_xvfb "$screen"
  cursor_home "$screen"
  echo "== $screen on $DISPLAY: ${#configs[@]} configurations x $runs runs x 3 scenarios x ${seconds}s" >&2
  for run in $(seq "$runs"); do
    for config in "${configs[@]}"; do
      IFS='|' read -r name size cmd <<< "$config"
      if [[ $screen == 1024x768 && $size == 1000x700 ]]; then
        : # fits, but only just; measured all the same
      fi
      start_magnifier "$name" "$size" "$cmd"
      case $name in kmag*) sleep 4 ;; vistrel*) sleep 2 ;; *) sleep 1.5 ;; esac
      if ! kill -0 "$mag_pid" 2>/dev/null; then
        echo "$name did not start; see its log:" >&2
        tail -5 "$work/$name.log" >&2
        continue
      fi
      run_scenarios "$screen" "$name" "$run"
      stop_pid "$mag_pid"
      echo "   run $run: $name done" >&2
    done
  done
  if [ "$extras" = 1 ] && [ -n "$vistrel" ] && [ "$screen" = "${screens%% *}" ]; then
    measure_startup "Vistrel" "$vistrel"
    measure_startup "floor" "$floor" 220 165 2
    measure_freeze_lock_hold
  fi
  stop_pid "$xvfb_pid"
done

# --- report ------------------------------------------------------------------------------------
echo
echo "Medians of $runs x ${seconds}s; CPU in ms per second; RSS = peak resident set (MB)"
echo "(a) cursor still  (b) cursor moving 3 px every 50 ms  (c) still over a clock changing every second"
echo "wake/s = voluntary context switches of the magnifier's threads a second, (a) (b) (c)"
awk -F'\t' '
  { key = $1 "\t" $2 "\t" $3; n = ++count[key]; mag[key, n] = $5; xs[key, n] = $6; tot[key, n] = $5 + $6;
    wk[key, n] = $8;
    if ($7 > rss[$1 "\t" $2]) rss[$1 "\t" $2] = $7;
    if (!(($1 "\t" $2) in seen)) { seen[$1 "\t" $2] = 1; order[++rows] = $1 "\t" $2 } }
  function median(arr, key, n,    i, j, v, t) {
    for (i = 1; i <= n; i++) v[i] = arr[key, i];
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  END {
    printf "%-10s %-22s %21s %21s %21s %7s  %s\n", "screen", "magnifier", "(a) mag+X = total", "(b) mag+X = total", "(c) mag+X = total", "RSS MB", "  wake/s (a)  (b)  (c)"
    for (r = 1; r <= rows; r++) {
      split(order[r], p, "\t"); line = sprintf("%-10s %-22s", p[1], p[2]); wakes = ""
      for (s = 0; s < 3; s++) {
        sc = substr("abc", s + 1, 1); key = order[r] "\t" sc; n = count[key]
        if (!n) { line = line sprintf(" %21s", "-"); wakes = wakes sprintf(" %5s", "-"); continue }
        m = median(mag, key, n); x = median(xs, key, n); t = median(tot, key, n)
        line = line sprintf(" %6.2f+%6.2f=%6.2f", m, x, t)
        wakes = wakes sprintf(" %5.1f", median(wk, key, n))
        total[order[r], sc] = t; xserver[order[r], sc] = x
      }
      printf "%s %7.1f  %s\n", line, rss[order[r]] / 1024, wakes
    }
    print ""
    print "Ratios of the totals (process + X server), per screen, against the targets:"
    for (r = 1; r <= rows; r++) {
      split(order[r], p, "\t"); scr = p[1]
      if (done[scr]++) continue
      for (s = 0; s < 3; s++) {
        sc = substr("abc", s + 1, 1)
        v = total[scr "\tvistrel-220", sc]; f = total[scr "\tfloor-moved-220", sc]; k = total[scr "\tkmag-220", sc]
        limit = sc == "b" ? 1.2 : 0.5
        if (v != "" && f > 0 && sc == "c") printf "  %s (%s) 220x165  Vistrel/floor %.2f", scr, sc, v / f
        else if (v != "" && f > 0) printf "  %s (%s) 220x165  Vistrel/floor %.2f (at most %.1f: %s)", scr, sc, v / f, limit, v / f <= limit ? "met" : "missed"
        else printf "  %s (%s) 220x165  Vistrel/floor -", scr, sc
        if (v > 0 && k != "") printf "   KMag/Vistrel %.2f%s\n", k / v, sc == "b" ? (k / v >= 5 ? " (at least 5: met)" : " (at least 5: missed)") : ""
        else printf "   KMag/Vistrel -\n"
        b = total[scr "\tbefore-220", sc]
        if (v != "" && b > 0) printf "  %s (%s) 220x165  Vistrel/before %.2f\n", scr, sc, v / b
      }
      v = xserver[scr "\tvistrel-1000", "b"]; f = xserver[scr "\tfloor-moved-1000", "b"]
      if (v != "" && f > 0) printf "  %s (b) 1000x700 X server Vistrel/floor %.2f (at most 1.1: %s)\n", scr, v / f, v / f <= 1.1 ? "met" : "missed"
    }
  }' "$results"
if [ -s "$extras_file" ]; then
  echo
  cat "$extras_file"
fi
if [ -n "${BENCH_KEEP:-}" ]; then cp "$results" "$BENCH_KEEP"; fi
exit
}
