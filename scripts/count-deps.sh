#!/usr/bin/env bash
# Counts the packages that scripts/install-deps.sh would install on a fresh Debian 12 (the
# clean minbase root of tests/package/clean-root.sh, with its package lists) for each command's
# profiles: apt-get's simulation, no Recommends, as install-deps.sh installs. Needs root. Prints
# the table that README.md shows.
set -euo pipefail
cd "$(dirname "$0")/.."

tarball=$(bash tests/package/clean-root.sh)
root=$(mktemp -d /tmp/vistrel-count.XXXXXX)
trap 'rm -rf "$root"' EXIT
tar -xf "$tarball" -C "$root"

count() {
  # shellcheck disable=SC2046
  chroot "$root" apt-get install -s -q --no-install-recommends \
    $(bash scripts/install-deps.sh --print "$@") | grep -c '^Inst '
}
echo "| what | profiles | packages |"
echo "|---|---|---|"
echo "| \`scripts/run.sh\` on a desktop | build | $(count build) |"
echo "| \`scripts/run.sh\` without a display | build demo | $(count build demo) |"
echo "| \`scripts/test.sh\` | build demo test win | $(count build demo test win) |"
echo "| (the Windows side alone) | win | $(count win) |"
