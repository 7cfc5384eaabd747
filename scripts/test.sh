#!/usr/bin/env bash
# Sets everything up, builds and runs every test (offscreen, no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
