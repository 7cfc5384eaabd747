#!/usr/bin/env bash
# Starts the editor on an X display (Xvfb) with the AT-SPI accessibility bus on and reads
# its grid through that bus as a screen reader does (tests/atspi/grid_over_atspi.py).
# Usage: [BUILD=build] scripts/check-accessibility.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# xvfb and xauth: the virtual display; dbus-daemon and dbus-bin: a session bus;
# at-spi2-core: the accessibility bus and its registry; python3-pyatspi: the reader.
scripts/install-packages.sh xvfb xauth dbus-daemon dbus-bin at-spi2-core python3-pyatspi

editor="${BUILD:-build}/cvdmxmap"
[ -x "$editor" ] || { echo "no $editor: build first (scripts/setup.sh)" >&2; exit 2; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export EDITOR_BIN="$editor" HOME="$scratch"
dbus-run-session -- xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  set -euo pipefail
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
  QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$EDITOR_BIN" &
  editor=$!
  status=0
  /usr/bin/python3 tests/atspi/grid_over_atspi.py || status=$?
  kill "$editor"
  wait "$editor" || true
  exit "$status"
'
