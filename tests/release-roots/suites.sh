# What differs between the Debian releases that the test roots are made of (sourced by
# dev-root.sh and tests/package/clean-root.sh, with $suite set): the name people know the release
# by, the apt sources, and mmdebstrap's options for apt, which stay in the root for every later
# apt run there.
# shellcheck shell=bash disable=SC2034,SC2154
case $suite in
  bookworm) release="Debian 12" ;;
  trixie) release="Debian 13" ;;
  forky) release="Debian testing" ;;
  *) echo "unknown Debian suite '$suite' (bookworm, trixie, forky)" >&2; exit 2 ;;
esac
sources=("deb http://deb.debian.org/debian $suite main")
aptopts=()
if [ "$suite" = forky ]; then
  # Testing takes its fixes in the suite itself (its -updates and -security suites are empty).
  # The archive copy reachable here serves its Release file past the Valid-Until date in it.
  aptopts=(--aptopt='Acquire::Check-Valid-Until "false"')
else
  sources+=("deb http://deb.debian.org/debian $suite-updates main"
    "deb http://deb.debian.org/debian-security $suite-security main")
fi
