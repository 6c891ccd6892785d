#!/usr/bin/env bash
# Prints the path of a Debian 13 root to build and test the program in: variant apt, with what
# `scripts/install-deps.sh build demo test win` installs there (so this also proves that script
# on Debian 13; win for the Windows program under that release's Wine) and the ordinary user
# vistrel-test for the Wayland rigs. It is kept in
# VISTREL_ROOT_CACHE (default /var/cache/vistrel-test) under a name made from what decides its
# contents (the suite, install-deps.sh and this script), so a run on the same machine reuses it and
# a change to either makes a new one; others not used for two days are removed. Users of the root never change it:
# tests/debian13/in-dev-root.sh puts fresh file systems over every place a run writes to.
#   dev-root.sh [ENVFILE]
# With ENVFILE (the CTest fixture "debian13_root"), it also writes there VISTREL_DEV_ROOT.
set -euo pipefail
cd "$(dirname "$0")/../.."

suite=trixie
cache=${VISTREL_ROOT_CACHE:-/var/cache/vistrel-test}
key=$( (echo "$suite" && cat scripts/install-deps.sh tests/debian13/dev-root.sh) | sha256sum | cut -c1-12)
root=$cache/$suite-dev-$key
mkdir -p "$cache"
exec 9>"$cache/lock"
flock 9
if [ ! -d "$root" ]; then
  echo "Making a Debian 13 root for the build and the tests in $root" >&2
  start=$SECONDS
  rm -rf --one-file-system "$root.new"
  # In a mount namespace of its own, so that a killed run leaves no mounts in the half-made
  # root. Without an fsync for each file dpkg unpacks (unsafe-io), which takes minutes on a
  # thousand packages; the file system is synced once before the root is moved into place.
  # apt's output is kept in the root's /var/log/install-deps.log. The source is bound over /src
  # by in-dev-root.sh; uid 4242 as in the package test's root.
  # The hook's variables are its own shell's.
  # shellcheck disable=SC2016
  unshare --mount --propagation private mmdebstrap --quiet --variant=apt --dpkgopt=force-unsafe-io \
    --customize-hook='copy-in scripts/install-deps.sh /tmp' \
    --chrooted-customize-hook='log=/var/log/install-deps.log
      bash /tmp/install-deps.sh build demo test win >$log 2>&1 || { tail -n 40 $log; exit 1; }
      grep -E "^Installing:|newly installed" $log; rm /tmp/install-deps.sh' \
    --chrooted-customize-hook='useradd --system --uid 4242 --create-home --home-dir /var/lib/vistrel-test --shell /usr/sbin/nologin vistrel-test && mkdir /src' \
    "$suite" "$root.new" \
    "deb http://deb.debian.org/debian $suite main" \
    "deb http://deb.debian.org/debian $suite-updates main" \
    "deb http://deb.debian.org/debian-security $suite-security main" >&2
  sync -f "$root.new"
  mv "$root.new" "$root"
  echo "Debian 13 root made in $((SECONDS - start)) s ($(du -sh "$root" | cut -f1))" >&2
fi
# Each use marks the root as used (another checkout may need another one meanwhile).
touch "$root"
find "$cache" -mindepth 1 -maxdepth 1 -name "$suite-dev-*" -mtime +2 -exec rm -rf --one-file-system {} +
if [ $# -gt 0 ]; then
  mkdir -p "$(dirname "$1")"
  printf 'export VISTREL_DEV_ROOT=%q\n' "$root" >"$1"
fi
echo "$root"
