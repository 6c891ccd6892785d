#!/usr/bin/env bash
# Builds the release artefacts into out/, named with the version of project() in CMakeLists.txt:
#   vistrel_<version>_amd64.deb        the Debian package (CPack DEB, Debian's hardening flags)
#   Vistrel-<version>-setup.exe        the Windows per-user installer (NSIS)
#   Vistrel-<version>-win64.zip        the portable Windows program: Vistrel.exe and readme.txt
#   SHA256SUMS                         their SHA-256 sums (sha256sum -c SHA256SUMS checks them)
# `package.sh deb` or `package.sh win` builds only one side. Dates inside the packages are the
# last commit's (SOURCE_DATE_EPOCH). Build directories: build-deb/ and build-win/ (the presets deb
# and windows-64 of CMakePresets.json).
set -euo pipefail
cd "$(dirname "$0")/.."

sides=("$@")
[ ${#sides[@]} -gt 0 ] || sides=(deb win)
jobs=$(nproc)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
mkdir -p out

deb() {
  echo "== Debian package (build-deb/)"
  # Preset deb: Debian's own flags (hardening: fortify, stack protector, full RELRO, bind now).
  cmake --preset deb >/dev/null
  cmake --build build-deb -j"$jobs" --target vistrel vistrel_desktop_files x11_probe >/dev/null
  rm -f build-deb/*.deb
  (cd build-deb && cpack -G DEB >/dev/null)
  cp build-deb/*.deb out/
}

win() {
  echo "== Windows installer and zip (build-win/)"
  cmake --preset windows-64 >/dev/null
  cmake --build build-win -j"$jobs" --target Vistrel vistrel_installer >/dev/null
  rm -f build-win/Vistrel-*.zip
  (cd build-win && cpack -G ZIP >/dev/null)
  cp build-win/Vistrel-*-setup.exe build-win/Vistrel-*-win64.zip out/
}

for side in "${sides[@]}"; do
  case $side in
    deb) deb ;;
    win) win ;;
    *) echo "package.sh: unknown part '$side' (deb, win)" >&2; exit 2 ;;
  esac
done

# The sums cover this version's artefacts that are there (one side may have been built alone).
version=$(sed -n 's/^project(Vistrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
artefacts=()
for name in "vistrel_${version}_amd64.deb" "Vistrel-$version-setup.exe" "Vistrel-$version-win64.zip"; do
  [ -f "out/$name" ] && artefacts+=("$name")
done
(cd out && sha256sum -- "${artefacts[@]}" >SHA256SUMS)
echo "Artefacts in out/ (version $version):"
(cd out && stat -c '  %s  %n' -- "${artefacts[@]}" SHA256SUMS)
