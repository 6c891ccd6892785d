#!/usr/bin/env bash
# Builds the release artefacts (scripts/package.sh) and tests them as users meet them: the
# Debian package through lintian, desktop-file-validate and appstreamcli, then installed into a
# clean Debian 12 root (made once by mmdebstrap and kept with the fetched packages in
# VISTREL_ROOT_CACHE, default /var/cache/vistrel-test), run on
# Xvfb with a tray host and purged; the Windows installer and zip under Wine. Needs root (the
# clean root is a chroot). `test-package.sh deb` or `win` tests one side.
set -euo pipefail
cd "$(dirname "$0")/.."

sides=("$@")
[ ${#sides[@]} -gt 0 ] || sides=(deb win)
start=$SECONDS
bash scripts/package.sh "${sides[@]}"
echo "Artefacts built in $((SECONDS - start)) s"
version=$(sed -n 's/^project(Vistrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
(cd out && sha256sum --quiet -c SHA256SUMS)

deb() {
  local deb=out/vistrel_${version}_amd64.deb start=$SECONDS
  echo "== lintian, desktop-file-validate, appstreamcli on $deb"
  # Errors and warnings fail; infos are printed. Overrides carry their reasons in
  # packaging/lintian-overrides.
  local report status=0
  report=$(lintian --display-info --fail-on error,warning "$deb" 2>&1) || status=$?
  grep -v 'running with root privileges' <<<"$report" || true
  [ "$status" -eq 0 ] || { echo "lintian found errors or warnings" >&2; exit 1; }
  local tree
  tree=$(mktemp -d)
  trap 'rm -rf "$tree"' RETURN
  dpkg-deb -x "$deb" "$tree"
  desktop-file-validate "$tree"/usr/share/applications/*.desktop
  appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml
  echo "== the package in a clean Debian 12 root"
  local tarball
  tarball=$(bash tests/package/clean-root.sh)
  local archives=${VISTREL_ROOT_CACHE:-/var/cache/vistrel-test}/archives
  mkdir -p "$archives/partial"
  VISTREL_APT_ARCHIVES=$archives PYTHONPATH=tests python3 tests/package/deb_test.py \
    --deb "$deb" --root-tar "$tarball" --probe build-deb/tests/linux/x11/x11_probe
  echo "Debian package stage: $((SECONDS - start)) s"
}

win() {
  local start=$SECONDS
  echo "== the Windows installer and zip under Wine"
  bash tests/win32/package-test.sh "out/Vistrel-$version-setup.exe" "out/Vistrel-$version-win64.zip"
  echo "Windows package stage: $((SECONDS - start)) s"
}

for side in "${sides[@]}"; do
  "$side"
done
echo "Package tests passed."
