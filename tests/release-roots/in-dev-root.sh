#!/bin/sh
# Runs a command as root in a Debian root of dev-root.sh, from the source tree bound at /src,
# in a mount namespace of its own: /proc, /dev and /sys, and fresh file systems over every place
# a run writes to outside /src (/tmp, /var/tmp, /run, root's and vistrel-test's homes), so the
# kept root stays as it was made and nothing stays mounted when the command ends.
#   in-dev-root.sh COMMAND [ARG...]        the root: VISTREL_DEV_ROOT (the fixture's env file)
# The environment is cleared but for the build's and the tests' parallel levels.
set -eu
root=${VISTREL_DEV_ROOT:?"a Debian root (tests/release-roots/dev-root.sh)"}
src=$(cd "$(dirname "$0")/../.." && pwd)
# The inner script's variables are its own: expanded by the inner shell.
# shellcheck disable=SC2016
exec /usr/bin/unshare --mount --propagation private -- sh -c '
  set -eu
  root=$1 src=$2
  shift 2
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount --rbind /sys "$root/sys"
  for dir in tmp var/tmp; do mount -t tmpfs -o mode=1777 tmpfs "$root/$dir"; done
  for dir in run root; do mount -t tmpfs -o mode=755 tmpfs "$root/$dir"; done
  mount -t tmpfs -o mode=755,uid=4242 tmpfs "$root/var/lib/vistrel-test"
  mount --bind "$src" "$root/src"
  exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    PYTHONDONTWRITEBYTECODE=1 ${CMAKE_BUILD_PARALLEL_LEVEL:+CMAKE_BUILD_PARALLEL_LEVEL=$CMAKE_BUILD_PARALLEL_LEVEL} \
    ${CTEST_PARALLEL_LEVEL:+CTEST_PARALLEL_LEVEL=$CTEST_PARALLEL_LEVEL} \
    sh -c "cd /src && exec \"\$@\"" in-dev-root "$@"
' in-dev-root "$root" "$src" "$@"
