#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, layer by layer: one workflow
# preset each (CMakePresets.json: configure, build, then ctest on the layer's label; see the test
# layers in docs/design.md). First the lint checks, which fail within a minute; then the core's
# unit tests, the sanitizer build with the fuzz targets, the Linux program end to end on a
# virtual X server and on headless Wayland desktops, its reliability cases, the Windows program
# under Wine, and the release artefacts (the Debian package, the Windows installer and zip) as
# users install them.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# Every core, unless told otherwise, for the builds and for the tests that may run side by side.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$(nproc)}

for workflow in lint unit sanitize x11 wayland reliability windows-32 win32 package; do
  echo "== $workflow"
  start=$SECONDS
  cmake --workflow --preset "$workflow"
  echo "== $workflow: passed in $((SECONDS - start)) s"
done
echo "All tests passed."
