#!/usr/bin/env bash
# Runs a test's command with the environment its fixtures' set-up tests wrote (see
# cmake/VistrelTests.cmake):
#   fixture-run.sh ENVFILE... -- COMMAND [ARG...]
# Each ENVFILE holds `export NAME=value` lines; a missing one means its set-up test did not run
# or failed, and fails the test.
set -euo pipefail
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  if [ ! -f "$1" ]; then
    echo "fixture-run.sh: $1 is missing: its fixture's set-up test did not run or failed" >&2
    exit 1
  fi
  # shellcheck source=/dev/null
  . "$1"
  shift
done
[ $# -gt 1 ] || { echo "usage: fixture-run.sh ENVFILE... -- COMMAND [ARG...]" >&2; exit 2; }
shift
exec "$@"
