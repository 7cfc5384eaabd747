#!/usr/bin/env bash
# Builds the Debian package cvdmxmap_VERSION_ARCH.deb, checks it with lintian,
# appstreamcli and desktop-file-validate (scripts/check-lintian.sh: any finding fails) and
# prints its path.
# Usage: scripts/package.sh
# The package comes from a hardened Release build in build-pkg/release of what it installs
# and nothing else: no tests, no benchmark, no helper tools.
set -euo pipefail
cd "$(dirname "$0")/.."

# What the build needs, and what the package step needs before CMake is configured:
# dpkg-shlibdeps (dpkg-dev) and file, with which CPack writes the libraries into Depends.
scripts/install-packages.sh cmake make g++ qt6-base-dev libgl-dev dpkg-dev file

release=build-pkg/release
cmake -S . -B "$release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCVDMX_BENCH=OFF -DCVDMX_DEV_TOOLS=OFF \
  >/dev/null
cmake --build "$release" -j"$(nproc)"
rm -f "$release"/cvdmxmap_*.deb
# Folders that the installation makes take their mode through the umask: 0755 under 022.
(cd "$release" && umask 022 && cpack -G DEB >/dev/null)
deb=$(ls "$PWD/$release"/cvdmxmap_*.deb)
scripts/check-lintian.sh "$deb" >&2
echo "$deb"
