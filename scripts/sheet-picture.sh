#!/usr/bin/env bash
# Makes docs/sheet.png: the first page of the patch sheet of the labelled sample map
# samples/Stage-labelled.CVX on A4, as cvdmxmap-cli sheet writes it, rendered with pdftoppm
# at 80 dpi.
# Usage: scripts/sheet-picture.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target cvdmxmap-cli -j"$(nproc)" >/dev/null

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$build/tools/cvdmxmap-cli" sheet samples/Stage-labelled.CVX -o "$scratch/sheet.pdf" --paper a4
pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$scratch/sheet.pdf" docs/sheet
echo "docs/sheet.png"
