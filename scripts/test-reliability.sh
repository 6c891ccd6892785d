#!/usr/bin/env bash
# Reliability tests of the Linux program (build/vistrel) on its own Xvfb: hostile settings files
# (odd values, unusable paths, a full and a read-only disk), 200 start/close cycles with kills at
# random moments, 20 copies started at once, and Help from a directory full of shell characters.
# The cases that need root (mounts, a run as another user) are skipped without it, with the
# reason. scripts/test.sh runs this after building build/; on its own it builds what it needs
# first. Arguments go to pytest (-k EXPRESSION selects, --keep keeps the logs);
# VISTREL_CRASH_CYCLES and VISTREL_CRASH_SEED repeat or shorten the crash loop.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build build --target vistrel x11_probe -j"$(nproc)" >/dev/null

exec pytest-3 tests/linux/reliability --vistrel build/vistrel --probe build/tests/linux/x11/x11_probe "$@"
