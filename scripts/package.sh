#!/usr/bin/env bash
# Builds the Debian package cvdmxmap_VERSION_ARCH.deb and prints its path.
# Usage: scripts/package.sh
# setup.sh installs the build's packages and builds build-pkg as everyone else does; the
# package comes from a Release build without the tests in build-pkg/release.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh build-pkg

# dpkg-shlibdeps (dpkg-dev) and file let CPack add the C and C++ runtime to Depends.
scripts/install-packages.sh dpkg-dev file

release=build-pkg/release
cmake -S . -B "$release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$release" -j2
rm -f "$release"/cvdmxmap_*.deb
(cd "$release" && cpack -G DEB >/dev/null)
ls "$PWD/$release"/cvdmxmap_*.deb
