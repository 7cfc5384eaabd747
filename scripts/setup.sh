#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing) and builds it.
# Usage: scripts/setup.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh cmake make g++ qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core

build="${1:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
