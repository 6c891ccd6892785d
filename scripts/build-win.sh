#!/usr/bin/env bash
# Builds the Windows program: build-win/Vistrel.exe (64-bit, static) with readme.txt beside it,
# and the 32-bit compile check in build-win32/.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
echo "== Vistrel.exe, 64-bit (build-win/)"
cmake --preset windows-64 >/dev/null
cmake --build build-win -j"$jobs"

echo "== Vistrel.exe, 32-bit compile check (build-win32/)"
cmake --preset windows-32 >/dev/null
cmake --build build-win32 -j"$jobs" --target Vistrel

echo "Built build-win/Vistrel.exe"
