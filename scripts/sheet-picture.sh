#!/usr/bin/env bash
# Makes docs/sheet.png: the first page of the patch sheet of samples/Stage.CVX with a title
# and output labels, on A4, rendered with pdftoppm at 80 dpi.
# Usage: scripts/sheet-picture.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target cvdmxmap-sheetpicture -j"$(nproc)" >/dev/null

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
QT_QPA_PLATFORM=offscreen "$build/tools/cvdmxmap-sheetpicture" samples/Stage.CVX "$scratch/sheet.pdf"
pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$scratch/sheet.pdf" docs/sheet
echo "docs/sheet.png"
