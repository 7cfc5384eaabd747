#!/usr/bin/python3
# Reads the running editor's window through the AT-SPI bus, as a screen reader does, and
# checks the grid after start-up: the two legends, then for each channel a label with its
# number and a label with "- - -", each where its cell stands and showing.
# Usage: grid_over_atspi.py  (with the editor started on the same session bus)
import sys
import time

import pyatspi

APP = "QRT Corvanta DMX Map"


def find_app(timeout_s=30):
    end = time.monotonic() + timeout_s
    while time.monotonic() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == APP:
                return app
        time.sleep(0.2)
    return None


def labels_of(node, found):
    for child in node:
        if child is None:
            continue
        if child.getRoleName() == "label":
            found.append(child)
        labels_of(child, found)
    return found


def describe(label):
    box = label.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (label.name, box.x, box.y, box.width, box.height, label.getState().contains(pyatspi.STATE_SHOWING))


def main():
    app = find_app()
    if app is None:
        print(f"FAIL: {APP} did not appear on the accessibility bus")
        return 1
    got = [describe(label) for label in labels_of(app, [])]
    if not got:
        print("FAIL: no labels")
        return 1
    # Positions relative to the "DMX Channel" legend, which stands at 400, 0 in the client area.
    x0, y0 = got[0][1] - 400, got[0][2]
    expected = [("DMX Channel", x0 + 400, y0, 97, 21, True), ("Dimmer Output", x0 + 496, y0, 105, 21, True)]
    for i in range(512):
        left, top = (i // 32) * 82, (i % 32) * 20 + 32
        expected.append((f"{i + 1:03d}", x0 + left + 8, y0 + top, 33, 17, True))
        expected.append(("- - -", x0 + left + 40, y0 + top, 41, 17, True))
    failures = [f"label {n}: got {g}, expected {e}" for n, (g, e) in enumerate(zip(got, expected)) if g != e]
    if len(got) != len(expected):
        failures.append(f"{len(got)} labels, expected {len(expected)}")
    for line in failures[:10]:
        print("FAIL:", line)
    print(f"{len(expected) - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


sys.exit(main())
