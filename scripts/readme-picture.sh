#!/usr/bin/env bash
# Makes docs/vistrel.png, the picture in README.md, with the program's own display-less run
# (scripts/run.sh without a display): its screenshot of the whole screen, with the view frozen on
# a magnified piece of the scene and the tray menu open, cut to the part of run.sh's scene that
# holds both and reduced to a palette of 64 colours, so that the file stays small.
#   scripts/readme-picture.sh
set -euo pipefail
cd "$(dirname "$0")/.."
env -u DISPLAY bash scripts/run.sh
build=${VISTREL_BUILD_DIR:-build}
convert "$build/vistrel-screen.png" -crop 834x603+190+165 +repage -dither None -colors 64 \
  -strip PNG8:docs/vistrel.png
echo "README's picture: docs/vistrel.png ($(du -k docs/vistrel.png | cut -f1) KiB)"
