#!/usr/bin/env bash
# Installs the Debian 12 packages that a task needs, and nothing when they are all there.
#   bash scripts/install-deps.sh [PROFILE...]     with no profile: all of them
# Profiles (each stands alone; list several for their union):
#   build   build and run the Linux program
#   demo    the headless demonstration of scripts/run.sh (Xvfb, a tray host, a few X programs,
#           the screenshot tool)
#   test    what the unit, end-to-end, sanitizer and package tests add to build and demo
#   win     what the Windows program, its installer and zip add: cross-building, Wine
#   --print  lists the packages of the given profiles instead of installing them
# The package counts in README.md come from scripts/count-deps.sh.
set -euo pipefail


missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
