#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, layer by layer: one workflow
# preset each (CMakePresets.json: configure, build, then ctest on the layer's label; see the test
# layers in docs/design.md). First the lint checks, which fail within a minute; then the core's
# unit tests, the sanitizer build with the fuzz targets, the Linux program end to end on a
# virtual X server and on headless Wayland desktops, its reliability cases, the Windows program
# under Wine, and the release artefacts (the Debian package, the Windows installer and zip) as
# users install them. Then the same on Debian 13, in roots of that release made and kept here
# (tests/debian13/): the unit, X11, Wayland and Windows (Wine 10) layers built there, the .deb
# in a clean root.
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

echo "=== Debian 13"
counts=()
for workflow in debian13-unit debian13-x11 debian13-wayland debian13-win32 debian13-package; do
  echo "== $workflow"
  start=$SECONDS
  mkdir -p build-debian13
  log=build-debian13/$workflow.log
  cmake --workflow --preset "$workflow" | tee "$log"
  # The counts of the tests that ran in the root (ctest, pytest and Google Test under Wine there),
  # prefixed by the number of the host's test that ran them (and of the root's ctest test that
  # ran pytest or Google Test).
  counts+=("$workflow ($((SECONDS - start)) s):"
    "$(grep -E '^([0-9]+: )+(.*tests passed, .* out of|=+ .* in [0-9.]+s.*=+$|\[  (PASSED  |SKIPPED )\] [0-9]|Debian package test passed)' "$log" |
      sed -E 's/^([0-9]+: )+/  /')")
  echo "== $workflow: passed in $((SECONDS - start)) s"
done
echo "=== Debian 13: every layer passed"
printf '%s\n' "${counts[@]}"
echo "All tests passed."
