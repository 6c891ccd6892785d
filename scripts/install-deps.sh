#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, and nothing when it is all there.
set -euo pipefail

packages=(
  # core, unit tests, benchmarks
  cmake g++ make python3 googletest libgtest-dev libbenchmark-dev clang clang-format libclang-rt-14-dev
  libxcb-xinput-dev
  # the Linux program
  qt6-base-dev libxcb1-dev libxcb-render0-dev libxcb-xfixes0-dev libxcb-keysyms1-dev
  libx11-dev libx11-xcb-dev libxrender-dev libxcb-randr0-dev xdg-utils
  # its end-to-end tests
  xvfb trayer xdotool x11-utils x11-apps x11-xserver-utils imagemagick icewm xrestop libsm-dev python3-pytest
  # its tests on a headless Wayland desktop: sway (swaybar is the StatusNotifierItem host),
  # XWayland, wtype for keys, grim for screenshots, D-Bus from Python, pytest
  sway xwayland wtype grim dbus python3-dbus python3-pytest
  # the Wayland backend (PipeWire) and its tests on a headless GNOME compositor with the portal
  libpipewire-0.3-dev pipewire wireplumber mutter xdg-desktop-portal xdg-desktop-portal-gnome
  # the Windows program, cross-built and tested under Wine
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
  binutils-mingw-w64-i686 wine wine64
)

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
