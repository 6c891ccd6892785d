#!/usr/bin/env bash
# Tests of the Linux program on a headless Wayland desktop: sway with XWayland and swaybar
# (tests/linux/wayland/). sway refuses to run as root, so as root the tests run as the ordinary user
# vistrel-test, made here when missing. scripts/test.sh runs this after building build/; on its
# own it builds what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build build --target vistrel x11_probe screencast_probe pattern_window sway_probe \
  kde_probe -j"$(nproc)" >/dev/null

if [ "$(id -u)" -ne 0 ]; then
  exec pytest-3 tests/linux/wayland --vistrel build/vistrel --probe build/tests/linux/x11/x11_probe \
    --screencast-probe build/tests/linux/wayland/screencast_probe "$@"
fi
user=vistrel-test
if ! id "$user" >/dev/null 2>&1; then
  useradd --system --create-home --home-dir "/var/lib/$user" --shell /usr/sbin/nologin "$user"
fi
# The user gets its own copy of the tests and the programs: the checkout may lie where it can
# not read (CI's clone under /root, for one).
stage=$(mktemp -d /tmp/vistrel-wayland.XXXXXX)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/tests/linux" "$stage/build/tests/linux/x11" "$stage/build/tests/linux/wayland"
cp tests/conftest.py tests/pytest.ini "$stage/tests/"
cp -r tests/support "$stage/tests/"
cp -r tests/linux/x11 tests/linux/wayland "$stage/tests/linux/"
cp build/vistrel build/readme.txt "$stage/build/"
cp build/tests/linux/x11/x11_probe "$stage/build/tests/linux/x11/"
for probe in screencast_probe pattern_window sway_probe kde_probe; do
  cp "build/tests/linux/wayland/$probe" "$stage/build/tests/linux/wayland/"
done
chown -R "$user:" "$stage"
cd "$stage"
runuser -u "$user" -- env -i PATH="$PATH" HOME="/var/lib/$user" LANG=C.UTF-8 \
  TMPDIR="${TMPDIR:-/tmp}" pytest-3 tests/linux/wayland --vistrel build/vistrel \
  --probe build/tests/linux/x11/x11_probe --screencast-probe build/tests/linux/wayland/screencast_probe "$@"
