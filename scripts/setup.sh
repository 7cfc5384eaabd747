#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing) and builds it.
# Usage: scripts/setup.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."

# qt6-base-private-dev: the tests switch Qt's accessibility on and turn the mouse wheel
# through Qt's window-system interface. poppler-utils: the tests read the patch sheet's PDF.
# acl: the tests give folders and files ACLs with setfacl.
scripts/install-packages.sh cmake make g++ qt6-base-dev qt6-base-private-dev qt6-qpa-plugins libgl-dev poppler-utils \
  fonts-dejavu-core acl

build="${1:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
