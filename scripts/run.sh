#!/usr/bin/env bash
# Builds Vistrel if needed and starts it on your desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ ! -x build/vistrel ]; then
  echo "The Linux program is not built yet (it comes with issue 3); the core and its tests are." >&2
  exit 1
fi
exec build/vistrel "$@"
