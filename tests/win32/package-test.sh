#!/usr/bin/env bash
# Tests the Windows installer and zip under Wine (tests/win32/package_test.py says what): in the
# session of the Wine fixture when its environment is set (tests/fixture-run.sh), else on a
# private X server and prefix of its own. Builds the end-to-end driver in build-win/ when it is
# not there yet.
#   tests/win32/package-test.sh Vistrel-<version>-setup.exe Vistrel-<version>-win64.zip
set -euo pipefail
cd "$(dirname "$0")/../.."
installer=$(realpath "$1")
zip=$(realpath "$2")

if [ ! -f build-win/vistrel_e2e.exe ]; then
  cmake --preset windows-64 >/dev/null
  cmake --build build-win -j"$(nproc)" --target vistrel_e2e >/dev/null
fi

if [ -z "${VISTREL_WINE_DIR:-}" ]; then
  # shellcheck source=tests/win32/wine-env.sh
  . tests/win32/wine-env.sh
  vistrel_wine_up 1024x768
fi
# Shortcuts made in the prefix must not become menu entries of the user running the tests.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
export VISTREL_WINE64
/usr/bin/python3 tests/win32/package_test.py --installer "$installer" --zip "$zip" \
  --readme resources/readme.txt --e2e build-win/vistrel_e2e.exe
