#!/usr/bin/python3
"""Puts text on the X clipboard and serves it until another program takes the clipboard:
the end-to-end tests paste text into the program's boxes with Ctrl+V rather than type it,
as typing a character the keyboard map lacks needs a remapped key that Wine may read late.

Usage: clipboard_own.py TEXT
Prints "owned" once the clipboard is ours and "served" each time the text was handed
out, then exits 0 when another program owns the clipboard, 1 when it could not take it
or after 10 minutes.
"""
import sys
import time

from Xlib import X, Xatom, display, protocol


def main():
    text = sys.argv[1].encode()
    d = display.Display()
    window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    atom = d.intern_atom
    clipboard, targets, utf8 = atom("CLIPBOARD"), atom("TARGETS"), atom("UTF8_STRING")
    window.set_selection_owner(clipboard, X.CurrentTime)
    d.sync()
    if d.get_selection_owner(clipboard) != window:
        return 1
    print("owned", flush=True)
    deadline = time.time() + 600
    while time.time() < deadline:
        if not d.pending_events():
            time.sleep(0.02)
            continue
        event = d.next_event()
        if event.type == X.SelectionClear:
            return 0
        if event.type != X.SelectionRequest:
            continue
        prop = event.property if event.property != X.NONE else event.target
        if event.target == targets:
            event.requestor.change_property(prop, Xatom.ATOM, 32, [targets, utf8])
        elif event.target == utf8:
            event.requestor.change_property(prop, event.target, 8, text)
            print("served", flush=True)
        else:
            prop = X.NONE
        event.requestor.send_event(protocol.event.SelectionNotify(
            time=event.time, requestor=event.requestor, selection=event.selection, target=event.target,
            property=prop))
        d.flush()
    return 1


if __name__ == "__main__":
    sys.exit(main())
