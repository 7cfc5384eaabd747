#!/usr/bin/env bash
# Makes the labelled sample map samples/Stage-labelled.CVX from its rows in
# samples/Stage-labelled.csv with cvdmxmap-cli import: samples/Stage.CVX's patch with a
# title and a label for each output in use and two spares.
# Usage: scripts/samples.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target cvdmxmap-cli -j"$(nproc)" >/dev/null
# Made afresh, whatever the old file held after its map.
rm -f samples/Stage-labelled.CVX
"$build/tools/cvdmxmap-cli" import samples/Stage-labelled.csv -o samples/Stage-labelled.CVX
