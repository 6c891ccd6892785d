#!/usr/bin/env bash
# Runs the Wayland tests (pytest-3 tests/linux/wayland) against a build directory's program and
# probes. sway refuses to run as root, so as root the tests run as the ordinary user
# vistrel-test, made here when missing, on a copy of tests/ and of the programs that this user
# can read (the checkout may lie where it cannot: CI's clone under /root, for one).
#   tests/linux/wayland/run-suite.sh BUILD_DIR [PYTEST ARGS...]
set -euo pipefail
cd "$(dirname "$0")/../../.."
build=$(realpath "$1")
shift

# Sets "paths": the program and the probes of BUILD_DIR (the other probes are found beside
# screencast_probe).
set_paths() {
  paths=(--vistrel "$1/vistrel" --probe "$1/tests/linux/x11/x11_probe"
    --screencast-probe "$1/tests/linux/wayland/screencast_probe")
}

if [ "$(id -u)" -ne 0 ]; then
  set_paths "$build"
  exec pytest-3 tests/linux/wayland "${paths[@]}" "$@"
fi
user=vistrel-test
if ! id "$user" >/dev/null 2>&1; then
  useradd --system --create-home --home-dir "/var/lib/$user" --shell /usr/sbin/nologin "$user"
fi
stage=$(mktemp -d /tmp/vistrel-wayland.XXXXXX)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/build/tests/linux/x11" "$stage/build/tests/linux/wayland"
# The whole tests/ folder: the suites import helpers from beside and above them.
cp -r tests "$stage/"
# The program's desktop file, which the rigs install as a package does.
mkdir -p "$stage/shells/linux"
cp shells/linux/example.tarnwell.Vistrel.desktop "$stage/shells/linux/"
find "$stage/tests" -name __pycache__ -prune -exec rm -rf {} +
cp "$build/vistrel" "$build/readme.txt" "$stage/build/"
cp "$build/tests/linux/x11/x11_probe" "$stage/build/tests/linux/x11/"
for probe in screencast_probe pattern_window sway_probe kde_probe virtual_pointer; do
  cp "$build/tests/linux/wayland/$probe" "$stage/build/tests/linux/wayland/"
done
# The Plasma rig's KWin effect, where KWin's headers let it be built.
feed=tests/linux/wayland/kwin_frame_feed/kwin/effects/plugins
if [ -e "$build/$feed/vistrel_frame_feed.so" ]; then
  mkdir -p "$stage/build/$feed"
  cp "$build/$feed/vistrel_frame_feed.so" "$stage/build/$feed/"
fi
chown -R "$user:" "$stage"
cd "$stage"
set_paths build
runuser -u "$user" -- env -i PATH="$PATH" HOME="/var/lib/$user" LANG=C.UTF-8 \
  TMPDIR="${TMPDIR:-/tmp}" pytest-3 tests/linux/wayland "${paths[@]}" "$@"
