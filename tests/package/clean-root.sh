#!/usr/bin/env bash
# Prints the path of a tarball holding a clean Debian root (variant minbase: the required packages
# and apt, with the package lists), Debian 12 unless --suite names another release (known to
# tests/release-roots/suites.sh, as are its apt sources and options), making it with
# mmdebstrap when it is missing or more than three days old (older lists name packages the mirror
# no longer has). The tarball is kept between runs in VISTREL_ROOT_CACHE (default
# /var/cache/vistrel-test); every user of it unpacks a fresh copy, so the tarball itself is never
# changed.
#   clean-root.sh [--suite SUITE] [ENVFILE]
# With ENVFILE (the CTest fixtures "clean_root" and "<release>_clean_root"), it also writes there
# VISTREL_ROOT_TAR, the tarball, and VISTREL_APT_ARCHIVES, a kept apt cache for the packages the
# root fetches.
set -euo pipefail

suite=bookworm
if [ "${1:-}" = --suite ]; then
  suite=$2
  shift 2
fi
# shellcheck source=tests/release-roots/suites.sh
. "$(dirname "$0")/../release-roots/suites.sh"
cache=${VISTREL_ROOT_CACHE:-/var/cache/vistrel-test}
tarball=$cache/$suite-minbase.tar
mkdir -p "$cache"
# One lock per tarball: a root of another release need not wait for this one.
exec 9>"$tarball.lock"
flock 9
if [ -z "$(find "$tarball" -maxdepth 0 -type f -mmin -4320 2>/dev/null)" ]; then
  echo "Making a clean $release root in $tarball" >&2
  start=$SECONDS
  rm -rf "$tarball.new"
  mmdebstrap --quiet --format=tar --variant=minbase --skip=cleanup/apt/lists "${aptopts[@]}" \
    "$suite" "$tarball.new" "${sources[@]}" >&2
  mv "$tarball.new" "$tarball"
  echo "Clean root made in $((SECONDS - start)) s" >&2
fi
if [ $# -gt 0 ]; then
  # Each release's packages apart: the same file name may hold another build.
  archives=$cache/archives
  [ "$suite" = bookworm ] || archives=$cache/archives-$suite
  mkdir -p "$archives/partial" "$(dirname "$1")"
  printf 'export VISTREL_ROOT_TAR=%q\nexport VISTREL_APT_ARCHIVES=%q\n' "$tarball" "$archives" >"$1"
fi
echo "$tarball"
