#!/usr/bin/python3
"""Drops files on an X window the way a file manager does (the XDND protocol, as the
drag source): the end-to-end test uses it to drop WAV files on the program's window.

Usage: xdnd_drop.py WINDOW-ID X Y PATH...   (X, Y: root coordinates inside the window)
Exits 0 when the target accepted and finished the drop, 1 otherwise.
"""
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display, protocol

XDND_VERSION = 5


def main():
    target = int(sys.argv[1], 0)
    x, y = int(sys.argv[2]), int(sys.argv[3])
    paths = sys.argv[4:]
    uri_list = "".join("file://" + urllib.parse.quote(p) + "\r\n" for p in paths).encode()

    d = display.Display()
    atom = lambda name: d.intern_atom(name)
    xdnd_aware, xdnd_selection = atom("XdndAware"), atom("XdndSelection")
    enter, position, status = atom("XdndEnter"), atom("XdndPosition"), atom("XdndStatus")
    drop, finished, copy = atom("XdndDrop"), atom("XdndFinished"), atom("XdndActionCopy")
    uri_type = atom("text/uri-list")

    root = d.screen().root
    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.change_property(xdnd_aware, Xatom.ATOM, 32, [XDND_VERSION])
    source.set_selection_owner(xdnd_selection, X.CurrentTime)
    d.sync()

    # The window that takes the drop is the XdndAware one at or above the given window.
    win = d.create_resource_object("window", target)
    while win is not None and win.get_full_property(xdnd_aware, Xatom.ATOM) is None:
        tree = win.query_tree()
        win = tree.parent if tree.parent and tree.parent.id != root.id else None
    if win is None:
        print("xdnd_drop: the window is not XdndAware", file=sys.stderr)
        return 1
    version = min(XDND_VERSION, win.get_full_property(xdnd_aware, Xatom.ATOM).value[0])

    def send(message, data):
        event = protocol.event.ClientMessage(window=win, client_type=message, data=(32, data))
        win.send_event(event, event_mask=X.NoEventMask)
        d.flush()

    def answer_selection_requests(event):
        if event.type != X.SelectionRequest:
            return
        requestor = event.requestor
        prop = event.property if event.property != X.NONE else event.target
        if event.target == uri_type:
            requestor.change_property(prop, uri_type, 8, uri_list)
        else:
            prop = X.NONE
        notify = protocol.event.SelectionNotify(time=event.time, requestor=requestor, selection=event.selection,
                                                target=event.target, property=prop)
        requestor.send_event(notify)
        d.flush()

    def wait_for(message, seconds):
        deadline = time.time() + seconds
        while time.time() < deadline:
            while d.pending_events():
                event = d.next_event()
                answer_selection_requests(event)
                if event.type == X.ClientMessage and event.client_type == message:
                    return event
            time.sleep(0.02)
        return None

    send(enter, [source.id, version << 24, uri_type, 0, 0])
    send(position, [source.id, 0, (x << 16) | y, X.CurrentTime, copy])
    reply = wait_for(status, 60)
    if reply is None or not (reply.data[1][1] & 1):
        print("xdnd_drop: the target did not accept the drag", file=sys.stderr)
        return 1
    send(drop, [source.id, 0, X.CurrentTime, 0, 0])
    if wait_for(finished, 60) is None:
        print("xdnd_drop: the target never finished the drop", file=sys.stderr)
        return 1
    # Serve late selection requests for a moment, then let go.
    wait_for(atom("BrumletNever"), 0.5)
    return 0


if __name__ == "__main__":
    sys.exit(main())
