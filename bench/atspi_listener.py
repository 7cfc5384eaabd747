#!/usr/bin/python3
# Stands in for a screen reader on the AT-SPI bus: listens to the events a screen reader
# follows (name, state and children changes, focus, window activation), so that the
# application sends them, and counts them. Prints "listening" once registered; on SIGTERM
# prints the count and ends.
import signal
import sys

import pyatspi

EVENTS = [
    "object:property-change:accessible-name",
    "object:state-changed",
    "object:children-changed",
    "focus:",
    "window:activate",
]

count = 0


def on_event(event):
    global count
    count += 1


def stop(*_):
    print(f"events heard: {count}", file=sys.stderr, flush=True)
    pyatspi.Registry.stop()


for name in EVENTS:
    pyatspi.Registry.registerEventListener(on_event, name)
signal.signal(signal.SIGTERM, stop)
print("listening", flush=True)
pyatspi.Registry.start()
