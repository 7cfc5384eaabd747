#!/usr/bin/env bash
# Renders the program's icon (the window icon's design) into desktop/icons at 32, 64,
# 128 and 256 pixels, the sizes cmake --install puts into the hicolor theme.
# Usage: scripts/icons.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target cvdmxmap-icons -j"$(nproc)" >/dev/null
QT_QPA_PLATFORM=offscreen "$build/tools/cvdmxmap-icons" desktop/icons
ls desktop/icons/cvdmxmap-*.png
