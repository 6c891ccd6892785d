#!/usr/bin/env bash
# Draws the installed icon's larger sizes (packaging/icons/<n>x<n>/apps/vistrel.png for 24, 48,
# 64, 128 and 256) from the scalable picture resources/magnifier.svg with librsvg's
# rsvg-convert. Run it after changing the picture and commit what it writes: the build itself
# needs no image tool. The 16 and 32 pixel icons are the program's own pixel pictures and are not
# drawn here (tests/resources/test_resources.py checks both kinds).
set -euo pipefail
cd "$(dirname "$0")/.."

for size in 24 48 64 128 256; do
  out=packaging/icons/${size}x${size}/apps/vistrel.png
  mkdir -p "$(dirname "$out")"
  rsvg-convert --width "$size" --height "$size" --output "$out" resources/magnifier.svg
  echo "$out"
done
