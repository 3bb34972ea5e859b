#!/usr/bin/python3
"""Prints the X clipboard's text (UTF-8): the end-to-end tests read what a console
window shows by copying its text there through the console's own menu.

Usage: clipboard_text.py
Exits 0 with the text, 1 when the clipboard holds no text or its owner does not answer.
"""
import sys
import time

from Xlib import X, display


def main():
    d = display.Display()
    window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    clipboard, utf8 = d.intern_atom("CLIPBOARD"), d.intern_atom("UTF8_STRING")
    target = d.intern_atom("BRUMLET_CLIPBOARD_TEXT")
    window.convert_selection(clipboard, utf8, target, X.CurrentTime)
    d.flush()
    deadline = time.time() + 10
    while time.time() < deadline:
        if not d.pending_events():
            time.sleep(0.05)
            continue
        event = d.next_event()
        if event.type != X.SelectionNotify:
            continue
        if event.property == X.NONE:
            return 1
        value = window.get_full_property(target, X.AnyPropertyType).value
        sys.stdout.buffer.write(value if isinstance(value, bytes) else bytes(value))
        return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
