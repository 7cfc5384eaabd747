#!/usr/bin/env bash
# Builds the Debian package cvdmxmap_VERSION_ARCH.deb, checks it with lintian,
# appstreamcli and desktop-file-validate (scripts/check-lintian.sh: any finding fails) and
# prints its path.
# Usage: scripts/package.sh
# setup.sh installs the build's packages and builds build-pkg as everyone else does; the
# package comes from a hardened Release build without the tests in build-pkg/release.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh build-pkg

# dpkg-shlibdeps (dpkg-dev) and file let CPack add the C and C++ runtime to Depends.
scripts/install-packages.sh dpkg-dev file

release=build-pkg/release
cmake -S . -B "$release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$release" -j2
rm -f "$release"/cvdmxmap_*.deb
# Folders that the installation makes take their mode through the umask: 0755 under 022.
(cd "$release" && umask 022 && cpack -G DEB >/dev/null)
deb=$(ls "$PWD/$release"/cvdmxmap_*.deb)
scripts/check-lintian.sh "$deb" >&2
echo "$deb"
