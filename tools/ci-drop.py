#!/usr/bin/python3
"""Folders dropped on the main window from outside, as a file manager drops them.

    ci-drop.py PROGRAM

Starts a copy of PROGRAM in a temporary folder holding a few files and plays
a file manager's part of a drag over the X drag-and-drop protocol (XDND):
owns the selection XdndSelection, enters the window and moves over its list
with the types it offers, hands over the data when the window asks for it,
and drops where the window accepts.

- Text, a web link, a file URL of another machine and one of a file that is
  not there are refused: the window's answer (XdndStatus) does not accept
  them, and the folder field and the list read as before.
- A folder with a blank and Japanese in its name, and a file in another
  folder, are accepted as a copy or link, never a move (the file manager
  would delete what it took as moved), even though the drag suggests a move;
  the drop is reported done (XdndFinished), and the folder field "フォルダ"
  then reads the folder, the list "現在" its files, as the accessibility
  interface tells.

It brings up its own virtual display (Xvfb) and session bus
(dbus-run-session). Exits 77 (skipped) where those or the Python X library
are missing.
"""
import os
import select
import shutil
import sys
import tempfile
import time
import urllib.parse

sys.dont_write_bytecode = True  # leave the source tree as it is
from xdesktop import (TITLE, Failure, application_of, centre, check,  # noqa: E402
                      close_by_menu, copy_program, find, program_running, run_isolated,
                      text_of, top_window, wait_for, x_window)

FILES = ["a.txt", "b.txt"]  # the start folder's, listed in this order
DROPPED = "落とした 写真"
DROPPED_FILES = ["IMG_0001.jpg", "IMG_0002.jpg"]
OTHER = "other"
OTHER_FILES = ["x.dat"]
XDND_VERSION = 5


def file_url(path, host=""):
    return f"file://{host}{urllib.parse.quote(path)}"


def uri_list(*uris):
    # Lines end in CR LF; a comment line may come first.
    return "".join(f"{u}\r\n" for u in ("# dragged", *uris)).encode()


class DragSource:
    """The file manager's end of a drag: a window of its own that owns the
    drag's selection, and the protocol's messages to the target window."""

    def __init__(self):
        from Xlib import X, display
        self.X = X
        self.d = display.Display()
        self.win = self.d.screen().root.create_window(
            -10, -10, 1, 1, 0, X.CopyFromParent, event_mask=X.PropertyChangeMask)
        self.offers = {}
        self.asked = []  # the types the target asked for

    def atom(self, name):
        return self.d.intern_atom(name)

    def server_time(self):
        """A timestamp of the server's, as the protocol wants with each message:
        the time of a change to one of our own window's properties."""
        self.win.change_property(self.atom("TSUMUGI_TIME"), self.atom("STRING"), 8, b"",
                                 mode=self.X.PropModeAppend)
        self.d.flush()
        return self.wait(lambda e: e.type == self.X.PropertyNotify and e.window == self.win,
                         10, "a timestamp").time

    def message(self, target, name, *data):
        from Xlib import protocol
        ev = protocol.event.ClientMessage(window=target, client_type=self.atom(name),
                                          data=(32, [*data, 0, 0, 0, 0, 0][:5]))
        target.send_event(ev, event_mask=0)
        self.d.flush()

    def answer(self, e):
        """Hands the data of the type asked for to the asking window; nothing
        for a type that was not offered."""
        from Xlib import Xatom, protocol
        prop = e.property or e.target  # an old requestor may name none
        name = self.d.get_atom_name(e.target)
        self.asked.append(name)
        if e.selection != self.atom("XdndSelection"):
            prop = self.X.NONE
        elif name == "TARGETS":
            e.requestor.change_property(prop, Xatom.ATOM, 32,
                                        [self.atom(t) for t in self.offers])
        elif name in self.offers:
            e.requestor.change_property(prop, e.target, 8, self.offers[name])
        else:
            prop = self.X.NONE
        ev = protocol.event.SelectionNotify(time=e.time, requestor=e.requestor,
                                            selection=e.selection, target=e.target,
                                            property=prop)
        e.requestor.send_event(ev, event_mask=0)
        self.d.flush()

    def wait(self, wanted, seconds, what):
        """The next event that `wanted` takes; answers requests for the data
        meanwhile, since the target asks for it before it answers."""
        deadline = time.monotonic() + seconds
        while True:
            while self.d.pending_events():
                e = self.d.next_event()
                if e.type == self.X.SelectionRequest:
                    self.answer(e)
                elif wanted(e):
                    return e
            left = deadline - time.monotonic()
            if left <= 0:
                raise Failure(f"timed out waiting for {what}")
            select.select([self.d.fileno()], [], [], left)

    def reply(self, target, name):
        """The target's message `name` about this drag: (accepted, action)."""
        e = self.wait(lambda e: (e.type == self.X.ClientMessage
                                 and e.client_type == self.atom(name)
                                 and e.data[1][0] == target.id),
                      30, f"{name} from the window")
        flags, action = e.data[1][1], e.data[1][4 if name == "XdndStatus" else 2]
        return bool(flags & 1), (self.d.get_atom_name(action) if action else None)

    def over(self, wid, x, y, offers):
        """Enters the window and moves to (x, y) on the screen with `offers`
        ({type: data}), suggesting a move as a file manager does between
        folders of one disk; returns the window's answer."""
        target = self.d.create_resource_object("window", wid)
        aware = target.get_full_property(self.atom("XdndAware"), self.atom("ATOM"))
        check(aware is not None and aware.value, "the window does not say it takes drops")
        version = min(XDND_VERSION, aware.value[0])
        self.offers = dict(offers)
        self.asked = []
        stamp = self.server_time()
        self.win.set_selection_owner(self.atom("XdndSelection"), stamp)
        check(self.d.get_selection_owner(self.atom("XdndSelection")) == self.win,
              "the drag source could not own XdndSelection")
        types = [self.atom(t) for t in offers]
        atom_type = self.atom("ATOM")
        self.win.change_property(self.atom("XdndTypeList"), atom_type, 32, types)
        actions = [self.atom(a) for a in ("XdndActionMove", "XdndActionCopy", "XdndActionLink")]
        self.win.change_property(self.atom("XdndActionList"), atom_type, 32, actions)
        more_types = 1 if len(types) > 3 else 0
        self.message(target, "XdndEnter", self.win.id, version << 24 | more_types,
                     *(types + [0, 0, 0])[:3])
        self.message(target, "XdndPosition", self.win.id, 0, x << 16 | y, stamp,
                     self.atom("XdndActionMove"))
        return self.reply(target, "XdndStatus")

    def drop(self, wid):
        target = self.d.create_resource_object("window", wid)
        self.message(target, "XdndDrop", self.win.id, 0, self.server_time())
        return self.reply(target, "XdndFinished")

    def leave(self, wid):
        target = self.d.create_resource_object("window", wid)
        self.message(target, "XdndLeave", self.win.id)


def drive(proc, tmp):
    import pyatspi

    app = wait_for(lambda: application_of(proc.pid), 60, "the program on the accessibility bus")
    main = wait_for(lambda: top_window(app, TITLE), 60, f"the window {TITLE}")
    field = wait_for(lambda: find(main, pyatspi.ROLE_TEXT, "フォルダ"), 15, "the folder field")
    files = wait_for(lambda: find(main, pyatspi.ROLE_LIST, "現在"), 15, "the list 現在")
    wait_for(lambda: [c.name for c in files] == FILES, 15, f"the list to read {FILES}")
    wid = wait_for(lambda: x_window(proc.pid, TITLE), 30, f"the X window {TITLE}")
    x, y = centre(files)
    source = DragSource()

    def reads(folder, names):
        return text_of(field) == folder and [c.name for c in files] == names

    dropped = os.path.join(tmp, DROPPED)
    other_file = os.path.join(tmp, OTHER, OTHER_FILES[0])
    refused = {
        "text": {"text/plain;charset=utf-8": dropped.encode(), "text/plain": dropped.encode()},
        "a web link": {"text/uri-list": uri_list("https://example.org/photos/")},
        "another machine's folder": {"text/uri-list": uri_list(file_url(dropped, "elsewhere"))},
        "a folder that is not there": {
            "text/uri-list": uri_list(file_url(os.path.join(tmp, "gone")))},
    }
    for what, offers in refused.items():
        accepted, action = source.over(wid, x, y, offers)
        check(not accepted, f"the window accepts {what} ({action})")
        source.leave(wid)
        # The window answered after it had looked at the drag: whatever it
        # made of it is shown by now.
        check(reads("", FILES), f"after {what} was refused the field reads "
                                f"{text_of(field)!r}, the list {[c.name for c in files]}")

    accepted_drops = [
        ("a folder", uri_list(file_url(dropped), file_url(other_file)), dropped, DROPPED_FILES),
        ("a file", uri_list(file_url(other_file)), os.path.dirname(other_file), OTHER_FILES),
    ]
    for what, data, folder, names in accepted_drops:
        accepted, action = source.over(wid, x, y, {"text/uri-list": data})
        check(accepted, f"the window refuses {what} (asked for {source.asked})")
        check(action in ("XdndActionCopy", "XdndActionLink"),
              f"the window takes {what} as {action}")
        check("text/uri-list" in source.asked, "the window accepted without looking at the drag")
        accepted, action = source.drop(wid)
        check(accepted, f"the drop of {what} is reported not done")
        check(action in ("XdndActionCopy", "XdndActionLink"),
              f"the drop of {what} is reported done as {action}")
        try:
            wait_for(lambda: reads(folder, names), 15, f"the window to show {folder!r}")
        except Failure as e:
            raise Failure(f"{e}: after {what} was dropped the field reads {text_of(field)!r}, "
                          f"the list {[c.name for c in files]}")
        check(top_window(app, "meibo") is None, f"an error report came up with {what}")

    close_by_menu(proc, main)


def run(program, tmp):
    work = os.path.join(tmp, "work")
    for folder, names in ((work, FILES), (os.path.join(tmp, DROPPED), DROPPED_FILES),
                          (os.path.join(tmp, OTHER), OTHER_FILES)):
        os.makedirs(folder)
        for name in names:
            open(os.path.join(folder, name), "w").close()
    with program_running(program, [], work, tmp, "ci-drop") as proc:
        drive(proc, tmp)
    check(proc.returncode == 0, f"the program ended with {proc.returncode}")


def missing():
    """What this machine lacks for the test, if anything."""
    for tool in ("Xvfb", "dbus-run-session", "xdotool"):
        if shutil.which(tool) is None:
            return tool
    for module in ("Xlib", "pyatspi"):
        try:
            __import__(module)
        except ImportError:
            return f"the Python module {module}"
    return None


def main(argv):
    args = argv[1:]
    inner = bool(args) and args[0] == "--inner"
    if inner:
        args = args[1:]
    if len(args) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(args[0])
    if not inner:
        lacking = missing()
        if lacking:
            print(f"ci-drop: skipped: {lacking} is not installed")
            return 77
        return run_isolated(__file__, [program], 120, "ci-drop")
    with tempfile.TemporaryDirectory(prefix="tsumugi-drop-") as tmp:
        program = copy_program(program, tmp)
        try:
            run(program, tmp)
        except Failure as e:
            print(f"ci-drop: FAIL: {e}", file=sys.stderr)
            return 1
    print("ci-drop: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
