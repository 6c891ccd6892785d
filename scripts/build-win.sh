#!/usr/bin/env bash
# Builds the Windows program: build-win/Vistrel.exe (64-bit, static) with readme.txt beside it,
# and the 32-bit compile check in build-win32/.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
echo "== Vistrel.exe, 64-bit (build-win/)"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVISTREL_WERROR=ON -DVISTREL_TESTS=ON >/dev/null
cmake --build build-win -j"$jobs"

echo "== Vistrel.exe, 32-bit compile check (build-win32/)"
cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVISTREL_WERROR=ON -DVISTREL_TESTS=OFF >/dev/null
cmake --build build-win32 -j"$jobs" --target Vistrel

test -f build-win/Vistrel.exe
if [ ! -f build-win/readme.txt ]; then
  echo "build-win/readme.txt is missing (resources/readme.txt not written yet)" >&2
  exit 1
fi
echo "Built build-win/Vistrel.exe"
