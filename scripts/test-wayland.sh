#!/usr/bin/env bash
# Tests of the Linux program on a headless Wayland desktop: sway with XWayland and swaybar
# (tests/wayland/). sway refuses to run as root, so as root the tests run as the ordinary user
# vistrel-test, made here when missing. scripts/test.sh runs this after building build/; on its
# own it builds what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -f build/CMakeCache.txt ]; then
  cmake -S . -B build >/dev/null
else
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build --target vistrel x11_probe screencast_probe -j"$(nproc)" >/dev/null

tests=(pytest-3 tests/wayland --vistrel "$PWD/build/vistrel" \
  --probe "$PWD/build/tests/x11/x11_probe" \
  --screencast-probe "$PWD/build/tests/wayland/screencast_probe" "$@")
if [ "$(id -u)" -ne 0 ]; then
  exec "${tests[@]}"
fi
user=vistrel-test
if ! id "$user" >/dev/null 2>&1; then
  useradd --system --create-home --home-dir "/var/lib/$user" --shell /usr/sbin/nologin "$user"
fi
# The user needs to read the tests and run the program, nothing more.
if ! runuser -u "$user" -- test -x build/vistrel -a -r tests/wayland/conftest.py; then
  echo "$user can not read $PWD/build/vistrel or tests/wayland: make them readable" >&2
  exit 1
fi
exec runuser -u "$user" -- env -i PATH="$PATH" HOME="/var/lib/$user" LANG=C.UTF-8 \
  TMPDIR="${TMPDIR:-/tmp}" "${tests[@]}"
