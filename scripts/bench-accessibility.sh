#!/usr/bin/env bash
# Measures the editor's figures on an X display (Xvfb) with the AT-SPI accessibility bus
# that screen readers use, three times: Qt's accessibility off; on
# (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1) with no assistive tool listening; and on with a
# stand-in screen reader (bench/atspi_listener.py) listening to the events a screen
# reader follows. Prints three tables.
# Usage: [BUILD=build] scripts/bench-accessibility.sh [cvdmxmap-bench options]
set -euo pipefail
cd "$(dirname "$0")/.."

# xvfb and xauth: the virtual display; dbus-daemon and dbus-bin: a session bus;
# at-spi2-core: the accessibility bus launcher and its registry; python3-pyatspi: the
# stand-in screen reader.
scripts/install-packages.sh xvfb xauth dbus-daemon dbus-bin at-spi2-core python3-pyatspi

bench="${BUILD:-build}/bench/cvdmxmap-bench"
[ -x "$bench" ] || { echo "no $bench: build first (scripts/setup.sh)" >&2; exit 2; }

# A private session bus and display for this run; the accessibility bus starts on the
# session bus by D-Bus activation, as a desktop session starts it.
export BENCH="$bench"
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  set -euo pipefail
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
  export QT_QPA_PLATFORM=xcb
  echo "Accessibility off:"
  "$BENCH" --download-reps 0 "$@"
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  echo; echo "Accessibility on, no assistive tool listening:"
  "$BENCH" --download-reps 0 --accessibility "$@"
  coproc listener { exec /usr/bin/python3 bench/atspi_listener.py; }
  read -r ready <&"${listener[0]}"
  echo; echo "Accessibility on, a stand-in screen reader listening:"
  "$BENCH" --download-reps 0 --accessibility "$@"
  kill "$listener_PID"
  wait "$listener_PID" || true
' bench "$@"
