#!/usr/bin/env bash
# Makes docs/editor.png: the editor's real window, grabbed offscreen with samples/Stage.CVX
# loaded; and docs/editor-1280x720.png and docs/editor-1024x600.png: the whole screen of
# an X server (Xvfb, installed when missing) of that size with the window on it, as on a
# small laptop or netbook. --sample first writes samples/Stage.CVX afresh with the
# editor's own commands.
# Usage: scripts/screenshot.sh [--sample] [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."

sample=0
if [ "${1:-}" = "--sample" ]; then
  sample=1
  shift
fi
build="${1:-build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target cvdmxmap-screenshot -j"$(nproc)" >/dev/null

# The editor creates its working folder in HOME; keep that out of the real one.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# Offscreen on the tests' 1920 x 1080 screen, which holds the whole window.
shot() { HOME="$scratch" QT_QPA_PLATFORM="offscreen:configfile=$PWD/tests/offscreen.json" "$build/tools/cvdmxmap-screenshot" "$@"; }

if [ "$sample" -eq 1 ]; then
  shot --sample samples/Stage.CVX
  echo "samples/Stage.CVX"
fi
shot samples/Stage.CVX docs/editor.png
echo "docs/editor.png"

scripts/install-packages.sh xvfb xauth
for size in 1280x720 1024x600; do
  HOME="$scratch" xvfb-run -a -s "-screen 0 ${size}x24" env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb \
    "$build/tools/cvdmxmap-screenshot" --screen samples/Stage.CVX "docs/editor-$size.png"
  echo "docs/editor-$size.png"
done
