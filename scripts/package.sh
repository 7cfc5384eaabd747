#!/usr/bin/env bash
# Builds the Debian package cvdmxmap_VERSION_ARCH.deb and prints its path.
# Usage: scripts/package.sh
# setup.sh installs the build's packages and builds build-pkg as everyone else does; the
# package comes from a Release build without the tests in build-pkg/release.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh build-pkg

# dpkg-shlibdeps (dpkg-dev) and file let CPack add the C and C++ runtime to Depends.
missing=()
for p in dpkg-dev file; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

release=build-pkg/release
cmake -S . -B "$release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$release" -j2
rm -f "$release"/cvdmxmap_*.deb
(cd "$release" && cpack -G DEB >/dev/null)
ls "$PWD/$release"/cvdmxmap_*.deb
