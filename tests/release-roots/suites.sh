# What differs between the Debian releases that the test roots are made of (sourced by
# dev-root.sh and tests/package/clean-root.sh, with $suite set): the name people know the release
# by, the apt sources, mmdebstrap's options for apt, which stay in the root for every later apt
# run there, and the install-deps.sh profiles of its build and test root.
# shellcheck shell=bash disable=SC2034,SC2154
case $suite in
  bookworm) release="Debian 12" profiles="build demo test" ;;
  # win: the Windows program's layer under this release's Wine (10, beside the host's 8)
  trixie) release="Debian 13" profiles="build demo test win" ;;
  forky) release="Debian testing" profiles="build demo test" ;;
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
