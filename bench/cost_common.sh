# shellcheck shell=bash
# What both cost harnesses (cost.sh, cost_wine.sh) share, sourced after they set "work" (their
# scratch directory): the PIDs they started and the clean-up on exit, the CPU clock of a
# process, the tray host and the pointer mover.

# shellcheck source=scripts/lib/xvfb.sh
. scripts/lib/xvfb.sh

started=()  # PIDs the harness started, ended on exit
# shellcheck disable=SC2154  # work: the harness's, set before it sources this file
cost_cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}

# CPU time of a process in ns (0 for none): the scheduler's own account of every live thread
# (exact to the nanosecond, where /proc/PID/stat counts 10 ms ticks).
cpu_ns() {
  local total=0 t v
  [ -n "$1" ] || { echo 0; return; }
  for t in /proc/"$1"/task/*/schedstat; do
    read -r v _ < "$t" 2>/dev/null || continue
    total=$((total + v))
  done
  echo "$total"
}
now_ns() { date +%s%N; }

# Voluntary context switches of every thread of the processes (PIDs separated by blanks): the
# times they went to sleep and were woken.
wakeups() {
  local total=0 p t v
  for p in $1; do
    for t in /proc/"$p"/task/*/status; do
      v=$(awk '/^voluntary_ctxt_switches:/ {print $2}' "$t" 2>/dev/null || true)
      total=$((total + ${v:-0}))
    done
  done
  echo "$total"
}

# A tray host for Vistrel's icon in the top right corner, out of the way of the windows under
# test.
start_tray() {
  trayer --edge top --align right --widthtype pixel --width 64 --height 24 \
    --SetDockType false >"$work/trayer.log" 2>&1 &
  started+=("$!")
}

# xdotool moves the cursor 3 pixels every 50 ms, 60 pixels to and fro, from (hx, hy), for the
# whole run; sets mover_pid.
# shellcheck disable=SC2154  # hx, hy: where the harness puts the pointer first
start_mover() {  # seconds
  # Relative moves go through the XTEST device as a real mouse's do, with raw motion events;
  # an absolute "mousemove" is a warp, which a real hand never makes.
  local steps=$(($1 * 20 + 20)) i dx=0 step=3 args=()
  xdotool mousemove "$hx" "$hy"
  for ((i = 0; i < steps; i++)); do
    args+=(mousemove_relative -- "$step" 0 sleep 0.05)
    dx=$((dx + step))
    if [ $dx -ge 30 ] || [ $dx -le -30 ]; then step=$((-step)); fi
  done
  xdotool "${args[@]}" &
  mover_pid=$!
  started+=("$mover_pid")
}
