# The pointer mover both cost harnesses use: xdotool moves the cursor 3 pixels every 50 ms,
# 60 pixels to and fro, from (hx, hy), for the whole run; its PID joins "started".
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
