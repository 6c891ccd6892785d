#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the core's unit tests, the
# Linux program end to end on a virtual X server, the Windows program under Wine, and the
# release artefacts (the Debian package, the Windows installer and zip) as users install them.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
echo "== core and Linux program (build/)"
cmake --preset linux
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

for stage in scripts/test-sanitize.sh scripts/test-x11.sh scripts/test-wayland.sh \
  scripts/test-reliability.sh scripts/test-win32.sh scripts/test-package.sh; do
  echo "== $stage"
  bash "$stage"
done
echo "All tests passed."
