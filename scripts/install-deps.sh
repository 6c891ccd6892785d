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

# Each profile's list is read through a name reference below (declare -n), which shellcheck
# does not follow.
# shellcheck disable=SC2034
build=(cmake g++ make pkgconf python3 qt6-base-dev libxcb1-dev libxcb-render0-dev
  libxcb-xfixes0-dev libxcb-keysyms1-dev libxcb-xinput-dev libxcb-randr0-dev libpipewire-0.3-dev
  xdg-utils
  # Qt's wayland platform, for a native window on Wayland desktops
  qt6-wayland)
# shellcheck disable=SC2034
demo=(xvfb trayer xdotool x11-utils x11-apps imagemagick)
# shellcheck disable=SC2034
test=(googletest libgtest-dev libbenchmark-dev clang clang-format libclang-rt-14-dev
  libx11-dev libx11-xcb-dev libxrender-dev libsm-dev icewm xrestop x11-xserver-utils python3-pytest
  # headless Wayland desktops: sway (swaybar is the StatusNotifierItem host), XWayland, wtype for
  # keys, grim for screenshots, D-Bus from Python; a GNOME compositor with the ScreenCast portal
  sway xwayland wtype grim dbus python3-dbus pipewire wireplumber mutter xdg-desktop-portal
  xdg-desktop-portal-gnome
  # and KDE Plasma's compositor with its portal backend (a Qt 5 program: Qt 5's Wayland
  # platform), and what the Plasma rig's KWin effect is built with (KWin's Qt 5 effect API)
  kwin-wayland xdg-desktop-portal-kde qtwayland5 kwin-dev qtbase5-dev libkf5config-dev
  libkf5coreaddons-dev libepoxy-dev
  # the Debian package: made by CPack, checked, installed into a clean root
  dpkg-dev file lintian desktop-file-utils appstream mmdebstrap
  # the Windows installer's version resources
  python3-pefile
  # a clock step seen only by the program under test (tests/linux/x11)
  libfaketime
  # the installed icon's sizes drawn from the scalable one (scripts/make-icons.sh, its test)
  librsvg2-bin
  # the lint stage (scripts/lint.sh; clang-format is above)
  shellcheck pyflakes3)
# shellcheck disable=SC2034
win=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
  binutils-mingw-w64-i686 wine wine64 nsis zip)

print=0
profiles=()
for arg in "$@"; do
  case $arg in
    --print) print=1 ;;
    build | demo | test | win) profiles+=("$arg") ;;
    *) echo "install-deps.sh: unknown profile '$arg' (build, demo, test, win)" >&2; exit 2 ;;
  esac
done
[ ${#profiles[@]} -gt 0 ] || profiles=(build demo test win)

packages=()
for profile in "${profiles[@]}"; do
  declare -n list=$profile
  packages+=("${list[@]}")
done

if [ "$print" -eq 1 ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

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
