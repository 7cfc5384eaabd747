#!/usr/bin/env bash
# Sets everything up and starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the editor needs a graphical session (DISPLAY or WAYLAND_DISPLAY)." >&2
  echo "Run it from a desktop, over 'ssh -X', or in a virtual display: sudo apt-get install xvfb && xvfb-run -a build/cvdmxmap" >&2
  exit 2
fi
exec build/cvdmxmap
