#!/usr/bin/env bash
# End-to-end tests of the Linux program (build/vistrel) on its own Xvfb with a real tray host
# and window manager. scripts/test.sh runs this after building build/; on its own it builds what
# it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build build --target vistrel x11_probe -j"$(nproc)" >/dev/null

# pytest (Debian's python3-pytest, hence pytest-3 rather than whichever python3 comes first).
exec pytest-3 tests/linux/x11 --vistrel build/vistrel --probe build/tests/linux/x11/x11_probe "$@"
