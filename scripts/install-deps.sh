#!/usr/bin/env bash
# Installs the Debian packages that a task needs, and nothing when they are all there; on Debian 12,
# 13 and testing alike.
#   bash scripts/install-deps.sh [PROFILE...]     with no profile: all of them
# Profiles (each stands alone; list several for their union):
#   build   build and run the Linux program
#   demo    the headless demonstration of scripts/run.sh (Xvfb, a tray host, a few X programs,
#           the screenshot tool)
#   test    what the unit, end-to-end, sanitizer and package tests add to build and demo
#   win     what the Windows program, its installer and zip add: cross-building, Wine
#   --print  lists the packages of the given profiles instead of installing them
# The package counts in README.md come from scripts/count-deps.sh.
#
# Names that differ between Debian releases are the only entries with a "|" (no name carries a
# release's version number where an unversioned one exists in both): "A,B|C,D" means A and B
# where apt offers both, else C and D; the newest release's names come first. "A|" means A where
# apt offers it, else nothing (a package that only some releases have). Those entries are all
# that differs between the releases this script knows.
set -euo pipefail

# Each profile's list is read through a name reference below (declare -n), which shellcheck
# does not follow.
# shellcheck disable=SC2034
build=(cmake g++ make pkgconf python3 qt6-base-dev libxcb1-dev libxcb-render0-dev
  libxcb-xfixes0-dev libxcb-keysyms1-dev libxcb-xinput-dev libxcb-randr0-dev libpipewire-0.3-dev
  xdg-utils
  # the Wayland client of the compositors' own capture protocols: wayland-scanner and its library
  libwayland-dev
  # Qt's wayland platform, for a native window on Wayland desktops
  qt6-wayland)
# shellcheck disable=SC2034
demo=(xvfb 'trayer|' xdotool x11-utils x11-apps imagemagick)
# shellcheck disable=SC2034
test=(googletest libgtest-dev libbenchmark-dev clang clang-format libclang-rt-dev
  libx11-dev libx11-xcb-dev libxrender-dev libsm-dev icewm xrestop x11-xserver-utils python3-pytest
  # headless Wayland desktops: sway (swaybar is the StatusNotifierItem host), XWayland, wtype for
  # keys, grim for screenshots, D-Bus from Python; a GNOME compositor with the ScreenCast portal
  sway xwayland wtype grim dbus python3-dbus pipewire wireplumber mutter xdg-desktop-portal
  xdg-desktop-portal-gnome
  # labwc (not in Debian 12), with swaybg for its background and wlr-randr to set its outputs
  'labwc|' swaybg wlr-randr
  # and KDE Plasma's compositor with its portal backend, and what the Plasma rig's KWin effect is
  # built with: KWin 6 on Qt 6 (Debian 13), or KWin 5.27 on Qt 5, whose portal backend is a Qt 5
  # program that needs Qt 5's Wayland platform (Debian 12)
  kwin-wayland xdg-desktop-portal-kde kwin-dev libepoxy-dev
  'qt6-base-dev,libkf6config-dev,libkf6coreaddons-dev|qtbase5-dev,libkf5config-dev,libkf5coreaddons-dev,qtwayland5'
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

# Prints the packages of the first alternative of "A,B|C,D" whose every package apt offers (the
# last one when none is offered: its names then fail at the install, where apt says why; nothing
# when that last one is empty, as in "A|").
choose() {
  local alternatives alternative names name
  IFS='|' read -ra alternatives <<<"$1"
  [[ $1 != *'|' ]] || alternatives+=('')
  for alternative in "${alternatives[@]}"; do
    IFS=, read -ra names <<<"$alternative"
    for name in "${names[@]}"; do
      # Empty, yet a success, for a name that apt knows only from other packages' relations.
      [ -n "$(apt-cache show --no-all-versions "$name" 2>/dev/null)" ] || continue 2
    done
    break
  done
  [ ${#names[@]} -eq 0 ] || printf '%s\n' "${names[@]}"
}

# Without package lists (a fresh container) apt offers nothing yet to choose from.
if [ "$print" -eq 0 ] && ! compgen -G '/var/lib/apt/lists/*_Packages*' >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then sudo apt-get update -q; else apt-get update -q; fi
fi

packages=()
for profile in "${profiles[@]}"; do
  declare -n list=$profile
  for entry in "${list[@]}"; do
    case $entry in
      *'|'*) mapfile -t -O ${#packages[@]} packages < <(choose "$entry") ;;
      *) packages+=("$entry") ;;
    esac
  done
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
