#!/bin/sh
# Runs a command in an unpacked Debian root: chroot with /proc, /dev and the host's X sockets,
# in a mount namespace of its own, so nothing stays mounted when the command ends. Every step
# is an exec (no fork): the command keeps this script's PID, which is how the tests find its
# windows (_NET_WM_PID).
#   in-root.sh ROOT UID:GID COMMAND [ARG...]
# Tools by full path: the command may come with the PATH of the root's user.
# VISTREL_APT_ARCHIVES, when set, is bound over the root's apt cache, so that packages fetched
# once are kept for the next run.
set -eu
root=$1
user=$2
shift 2
# The inner script's variables are its own: expanded by the inner shell.
# shellcheck disable=SC2016
exec /usr/bin/unshare --mount --propagation private -- sh -c '
  set -eu
  root=$1 user=$2
  shift 2
  /usr/bin/mount -t proc proc "$root/proc"
  /usr/bin/mount --rbind /dev "$root/dev"
  if [ -d /tmp/.X11-unix ]; then
    /usr/bin/mkdir -p "$root/tmp/.X11-unix"
    /usr/bin/mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
  fi
  if [ -n "${VISTREL_APT_ARCHIVES:-}" ]; then
    /usr/bin/mount --bind "$VISTREL_APT_ARCHIVES" "$root/var/cache/apt/archives"
  fi
  exec /usr/sbin/chroot --userspec="$user" "$root" "$@"
' in-root "$root" "$user" "$@"
