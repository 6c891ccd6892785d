#!/usr/bin/env bash
# What Vistrel.exe costs under Wine: CPU of its process, of the wineserver, of Wine's other
# processes (explorer.exe and the services) and of the X server, in ms per second, with the
# cursor still (a) and moving 3 pixels every 50 ms (b); the peak RSS of the Vistrel.exe process;
# and the cost of a 10 s Freeze and Lock hold; and the wake-ups of Vistrel.exe a second (the
# voluntary context switches of its threads). Median of --runs runs. A private Xvfb and a fresh
# 64-bit prefix, with the environment of the Windows end-to-end tests.
#
#   bench/cost_wine.sh [--seconds 20] [--runs 3] [--screen 1920x1080] [--exe build-win/Vistrel.exe]
#                      [--compare OTHER.exe]
# --compare runs another Vistrel.exe (an older build, say) in every run after this one, as the
# "before" rows.
set -euo pipefail
# Read whole before it runs, so that an edit during a long run does not derail it.
{
cd "$(dirname "$0")/.."

seconds=20
runs=3
screen=1920x1080
exe=build-win/Vistrel.exe
compare=
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --exe) exe=$2; shift 2 ;;
    --compare) compare=$(realpath "$2"); shift 2 ;;
    *) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done
if [ ! -f "$exe" ]; then
  echo "$exe is not built (bash scripts/build-win.sh)" >&2
  exit 1
fi
exe=$(realpath "$exe")

work=$(mktemp -d /tmp/vistrel-cost-wine.XXXXXX)
source bench/cost_common.sh
trap cost_cleanup EXIT

# Every process of our prefix (Wine passes WINEPREFIX on to all of them), as "pid name" lines.
prefix_processes() {
  local p
  for p in /proc/[0-9]*; do
    if { tr '\0' '\n' < "$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      # Our own tools (xdotool, sed) inherit the variable too: only Wine's programs count.
      { tr '\0' ' ' < "$p/cmdline"; } 2>/dev/null |
        awk -v pid="${p#/proc/}" 'tolower($1) ~ /(wine|\.exe$)/ {print pid, $1}'
    fi
  done
}
vistrel_pid() { prefix_processes | awk '$2 ~ /Vistrel\.exe$/ {print $1; exit}'; }
server_pid() { prefix_processes | awk '$2 ~ /wineserver(64)?$/ {print $1; exit}'; }

# --- X server, prefix, tray host ---------------------------------------------------------------
. tests/win32/wine-env.sh
echo "== preparing a fresh prefix ($screen)" >&2
vistrel_wine_up "$screen" -s 0 -dpms
# Wine's processes and the X server first: the rest then ends without them.
trap 'vistrel_wine_down; cost_cleanup' EXIT
wine64=$VISTREL_WINE64
xvfb_pid=$VISTREL_XVFB_PID
start_tray

sw=${screen%x*}
sh=${screen#*x}
hx=$((sw / 2))
hy=$((sh - 34))

results=$work/results.tsv
: > "$results"
# One measurement: Vistrel.exe, wineserver, the prefix's other processes, X server.
measure() {  # label run seconds
  local pids p t0 t1 vp sp v0 s0 o0 x0 v1 s1 o1 x1 rss anon w0 w1
  vp=$(vistrel_pid)
  sp=$(server_pid)
  pids=$(prefix_processes | awk -v a="$vp" -v b="$sp" '$1 != a && $1 != b {print $1}')
  others() { local t=0 q; for q in $pids; do t=$((t + $(cpu_ns "$q"))); done; echo $t; }
  w0=$(wakeups "$vp")
  t0=$(now_ns); v0=$(cpu_ns "$vp"); s0=$(cpu_ns "$sp"); o0=$(others); x0=$(cpu_ns "$xvfb_pid")
  sleep "$3"
  t1=$(now_ns); v1=$(cpu_ns "$vp"); s1=$(cpu_ns "$sp"); o1=$(others); x1=$(cpu_ns "$xvfb_pid")
  w1=$(wakeups "$vp")
  rss=$(awk '/^VmHWM:/ {print $2}' /proc/"$vp"/status)
  anon=$(awk '/^RssAnon:/ {print $2}' /proc/"$vp"/status)
  awk -v l="$1" -v r="$2" -v t=$((t1 - t0)) -v v=$((v1 - v0)) -v s=$((s1 - s0)) -v o=$((o1 - o0)) \
      -v x=$((x1 - x0)) -v rss="$rss" -v anon="$anon" -v w=$((w1 - w0)) \
      'BEGIN { printf "%s\t%s\t%.3f\t%.3f\t%.3f\t%.3f\t%d\t%d\t%.3f\n", l, r, v/t*1000, s/t*1000, o/t*1000, x/t*1000, rss, anon, w/t*1e9 }' \
      >> "$results"
}

start_vistrel() {  # exe
  "$wine64" "$1" >"$work/vistrel.log" 2>&1 &
  started+=("$!")
  local i
  for i in $(seq 100); do
    [ -n "$(vistrel_pid)" ] && xdotool search --name '^Vistrel$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 2
}
stop_vistrel() {
  local vp
  vp=$(vistrel_pid)
  [ -n "$vp" ] && kill "$vp" 2>/dev/null
  for _ in $(seq 50); do [ -z "$(vistrel_pid)" ] && return 0; sleep 0.1; done
  vp=$(vistrel_pid)
  [ -n "$vp" ] && kill -9 "$vp" 2>/dev/null
  return 0
}

for run in $(seq "$runs"); do
 for which in this ${compare:+before}; do
  if [ "$which" = this ]; then start_vistrel "$exe"; p=; else start_vistrel "$compare"; p=before-; fi
  if [ "$run" = 1 ]; then
    echo "   processes of the prefix:" >&2
    prefix_processes | sed 's/^/     /' >&2
  fi
  xdotool mousemove "$hx" "$hy"
  sleep 1
  measure "${p}a" "$run" "$seconds"
  start_mover "$seconds"
  sleep 0.5
  measure "${p}b" "$run" "$seconds"
  kill "$mover_pid" 2>/dev/null || true
  wait "$mover_pid" 2>/dev/null || true
  # Freeze and Lock: Wine sees keys of the window that has the X focus; the hold starts one
  # second after the key and lasts 10 s. Measured 8 s inside it.
  xdotool mousemove "$hx" "$hy"
  window=$(xdotool search --name '^Vistrel$' | head -1)
  xdotool windowfocus "$window" 2>/dev/null || true
  sleep 0.3
  xdotool key alt+v
  sleep 1.5
  measure "${p}hold" "$run" 8
  echo "   run $run done ($which)" >&2
  stop_vistrel
 done
done

echo
echo "Vistrel.exe under Wine on $screen, medians of $runs x ${seconds}s; CPU in ms per second"
awk -F'\t' '
  { n = ++count[$1]; for (f = 3; f <= 6; f++) val[$1, f, n] = $f; val[$1, 9, n] = $9; if ($1 !~ /^before/ && $7 > rss) rss = $7; if ($1 !~ /^before/ && $8 > anon) anon = $8 }
  function median(key, f, n,    i, j, v, t) {
    for (i = 1; i <= n; i++) v[i] = val[key, f, i]
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  END {
    printf "%-34s %11s %11s %11s %9s %9s %7s\n", "scenario", "Vistrel.exe", "wineserver", "other wine", "X server", "total", "wake/s"
    split("a b hold before-a before-b before-hold", order, " ")
    names["a"] = "(a) cursor still"; names["b"] = "(b) cursor moving"; names["hold"] = "Freeze and Lock hold (8 s)"
    names["before-a"] = "before: (a) cursor still"; names["before-b"] = "before: (b) cursor moving"
    names["before-hold"] = "before: Freeze and Lock hold (8 s)"
    for (i = 1; i <= 6; i++) {
      k = order[i]; n = count[k]; if (!n) continue
      v = median(k, 3, n); s = median(k, 4, n); o = median(k, 5, n); x = median(k, 6, n)
      printf "%-34s %11.2f %11.2f %11.2f %9.2f %9.2f %7.1f\n", names[k], v, s, o, x, v + s + o + x, median(k, 9, n)
    }
    printf "Peak RSS of the Vistrel.exe process: %.1f MB (of it anonymous, not shared with other Wine processes: %.1f MB)\n", rss / 1024, anon / 1024
  }' "$results"
exit
}
