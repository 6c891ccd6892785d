#!/usr/bin/env bash
# The Debian package through lintian, desktop-file-validate and appstreamcli. Errors and warnings
# of lintian fail; its infos are printed. Overrides carry their reasons in
# packaging/lintian-overrides.
#   deb-checks.sh vistrel_<version>_amd64.deb
set -euo pipefail
deb=$1
report=$(lintian --display-info --fail-on error,warning "$deb" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ "${status:-0}" -eq 0 ] || { echo "lintian found errors or warnings" >&2; exit 1; }
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml
