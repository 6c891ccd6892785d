# shellcheck shell=bash
# Sourced by the scripts that need a private X server: Xvfb at 96 DPI on a display number it
# picks itself (-displayfd), so that other X servers on the machine are never touched.
#   xvfb_start DIR WxH [Xvfb options...]
#     starts it with its log in DIR/xvfb.log, sets XVFB_PID and exports DISPLAY once the server
#     accepts clients; prints the log and fails when it does not come up within 30 s.

xvfb_start() {
  local dir=$1 size=$2 fifo number
  shift 2
  fifo=$dir/displayfd
  rm -f "$fifo"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -dpi 96 -nolisten tcp -noreset "$@" 3>"$fifo" \
    >"$dir/xvfb.log" 2>&1 &
  # shellcheck disable=SC2034  # for the caller
  XVFB_PID=$!
  if ! read -r -t 30 number <"$fifo"; then
    echo "Xvfb did not start:" >&2
    cat "$dir/xvfb.log" >&2
    return 1
  fi
  rm -f "$fifo"
  export DISPLAY=":$number"
}
