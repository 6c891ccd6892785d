#!/usr/bin/env bash
# Long run (not part of scripts/test.sh): the Linux program, built with the sanitizers, with
# Refresh High on and a moving cursor for ten minutes (SOAK_SECONDS), on its own Xvfb; fails on
# growth of resident memory or open files, on any change of its X resources, or on a sanitizer
# report. Prints the samples and the figures for docs/reliability.md.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset sanitize >/dev/null
cmake --build build-sanitize -j"$(nproc)" --target vistrel x11_probe >/dev/null
exec env PYTHONPATH=tests python3 tests/linux/reliability/soak.py --vistrel build-sanitize/vistrel \
  --probe build-sanitize/tests/linux/x11/x11_probe --seconds "${SOAK_SECONDS:-600}" "$@"
