#!/usr/bin/python3
"""The main window stays alive, and deaf, while a long rename copies.

    ci-liveness.py PROGRAM

Starts a copy of PROGRAM on a temporary folder holding a few files of a
gibibyte each, types a new name per file into the memo "変更後", leaves
"古いファイルを削除する" unticked (so every file is copied) and clicks
"リネーム" with the mouse. While the copy runs:

- the window is pinged as a window manager pings it (_NET_WM_PING, EWMH)
  every 100 ms, and every answer must come within 200 ms; a window manager
  that waits longer greys the window out and offers to kill it;
- the user tries to act on the window: clicks "リネーム" again, clicks the
  memo, types into it, presses Space and Enter on the button, rolls the wheel
  over the list and asks the window to close (WM_DELETE_WINDOW). None of it
  may take effect: after the summary box "rename結果" is answered with Enter,
  the memo reads as before, exactly one summary box was ever shown and it
  counts every file done, the folder holds exactly the originals and one
  copy of each, and the program still runs. Typing into the memo then does
  change it, so the same keys would have got through had they not been held
  back.

It brings up its own virtual display (Xvfb, no window manager) and session
bus (dbus-run-session). Exits 77 (skipped) when the temporary folder has not
room for the files and their copies.
"""
import json
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # leave the source tree as it is
from xdesktop import (TITLE, X_SERVER_PID, Failure, application_of, centre,  # noqa: E402
                      check, copy_program, descendants, find, program_running, run_isolated,
                      state, text_of, top_window, wait_for, x_window)

RESULT_CAPTION = "rename結果"
# Enough that the copy lasts a few seconds even while it fits in the page
# cache (on a 2-core machine about 0.7 s a file then, several seconds once
# the disk has to keep up), few enough to keep the test and its disk use
# modest.
FILE_BYTES = 1 << 30
SOURCES = ["a.bin", "b.bin", "c.bin", "d.bin"]  # listed in this order
NEW_NAMES = ["copy-1", "copy-2", "copy-3", "copy-4"]  # the rule keeps the extension
COPIES = [n + ".bin" for n in NEW_NAMES]
MEMO_TEXT = "\n".join(NEW_NAMES)
TYPED_DURING_RUN = "typed while busy"
TYPED_AFTER_RUN = "ok"

PING_EVERY_S = 0.1
PING_BOUND_S = 0.2
# Answered pings sent while the copy ran, at least.
MIN_PINGS = 10
# Pings answered after the last input and before the summary box came: by
# then the window had taken that input in during the run, not after it.
PINGS_AFTER_INPUT = 3


# --- The pinger: a process of its own, so that nothing the test does meanwhile
# delays the answers it times. It reads commands from standard input, one a
# line: "close" asks the window to close (WM_DELETE_WINDOW, as a window
# manager's close button does), end of input ends it. It prints a line for
# each window mapped, so that the test can wait for the summary box without
# asking the busy program over and over, and at the end what it saw, each as
# one JSON object.
#
# With each ping it notes, for every thread the ping passes through, how
# much processor time it had and how long it waited, runnable, for a
# processor (schedstat): the window's thread, the program's thread that reads
# from the X server, the X server and the pinger itself; and, on a virtual
# machine, how much processor time the host took from it (steal). A late
# answer then tells whether the machine was too busy to run them or the
# program was doing something else.

def schedstat(path):
    """Nanoseconds the thread has run, and waited runnable to run."""
    try:
        with open(path) as f:
            run, wait = f.read().split()[:2]
            return int(run), int(wait)
    except (OSError, ValueError):
        return 0, 0


def stolen():
    """Nanoseconds the host has taken from this machine's processors, added up."""
    try:
        with open("/proc/stat") as f:
            fields = f.readline().split()
        return int(fields[8]) * 1_000_000_000 // os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError, ValueError):
        return 0


def watched_threads(pid, server_pid):
    threads = {"window": f"/proc/{pid}/task/{pid}/schedstat"}
    try:
        for tid in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                if f.read().strip() == "QXcbEventQueue":  # the toolkit's X reader
                    threads["X reader"] = f"/proc/{pid}/task/{tid}/schedstat"
    except OSError:
        pass
    if server_pid:
        threads["X server"] = f"/proc/{server_pid}/task/{server_pid}/schedstat"
    threads["pinger"] = "/proc/thread-self/schedstat"
    return threads


def pinger(display_name, wid, pid, server_pid):
    from Xlib import X, display, error, protocol

    # The pinger stands for the window manager: its own waits for a
    # processor are no delay of the program's, so where it may, it goes
    # before the test's other processes.
    try:
        os.setpriority(os.PRIO_PROCESS, 0, -10)
    except OSError:
        pass
    d = display.Display(display_name)
    root = d.screen().root
    # The answer to a ping goes to the root window, to those who listen there
    # for its own structure (the toolkit sends it so, besides to the window
    # manager's redirection); the notices of windows being mapped, which tell
    # when the summary box came up, to those who listen for its children's.
    root.change_attributes(event_mask=X.StructureNotifyMask | X.SubstructureNotifyMask)
    wm_protocols = d.intern_atom("WM_PROTOCOLS")
    net_wm_ping = d.intern_atom("_NET_WM_PING")
    wm_delete = d.intern_atom("WM_DELETE_WINDOW")
    net_wm_name = d.intern_atom("_NET_WM_NAME")
    utf8 = d.intern_atom("UTF8_STRING")
    window = d.create_resource_object("window", wid)
    protocols = window.get_wm_protocols() or []
    threads = watched_threads(pid, server_pid)

    def stats():
        now = {name: schedstat(path) for name, path in threads.items()}
        now["host"] = (stolen(), 0)
        return now
    out = sys.stdout
    out.write(json.dumps({"ready": True, "ping": net_wm_ping in protocols}) + "\n")
    out.flush()

    def title(w):
        try:
            p = w.get_full_property(net_wm_name, utf8)
            return p.value.decode("utf-8", "replace") if p else (w.get_wm_name() or "")
        except error.XError:
            return ""

    def client_message(atom, stamp):
        ev = protocol.event.ClientMessage(window=window, client_type=wm_protocols,
                                          data=(32, [atom, stamp, wid, 0, 0]))
        window.send_event(ev, event_mask=0)
        d.flush()

    sent = {}       # timestamp -> (monotonic time sent, the threads' stats then)
    pings = []      # [sent, latency or None, {thread: [ran, waited]} meanwhile]
    maps = []       # [monotonic time, title] of every window mapped
    stamp = 1
    next_ping = time.monotonic()
    stopping_at = None
    stdin = sys.stdin.fileno()
    while True:
        now = time.monotonic()
        if stopping_at is None and now >= next_ping:
            sent[stamp] = (now, stats())
            client_message(net_wm_ping, stamp)
            pings.append([now, None, None])
            stamp += 1
            next_ping += PING_EVERY_S
            if next_ping < now:  # we were late ourselves: don't burst
                next_ping = now + PING_EVERY_S
        while d.pending_events():
            e = d.next_event()
            t = time.monotonic()
            if (e.type == X.ClientMessage and e.client_type == wm_protocols
                    and e.data[1][0] == net_wm_ping and e.data[1][2] == wid):
                s = e.data[1][1]
                if s in sent:
                    at, before = sent.pop(s)
                    after = stats()
                    pings[s - 1][1:] = [t - at, {
                        name: [(after[name][0] - before[name][0]) / 1e9,
                               (after[name][1] - before[name][1]) / 1e9] for name in after}]
            elif e.type == X.MapNotify:
                maps.append([t, title(e.window)])
                out.write(json.dumps({"mapped": maps[-1][1]}) + "\n")
                out.flush()
        if stopping_at is not None and (not sent or now > stopping_at + 2):
            break
        wait = max(0.0, next_ping - time.monotonic()) if stopping_at is None else 0.05
        readable = [d.fileno()] + ([stdin] if stopping_at is None else [])
        ready, _, _ = select.select(readable, [], [], wait)
        if stdin in ready:
            line = sys.stdin.readline()
            if not line:
                stopping_at = time.monotonic()  # wait a little for the answers still out
            elif line.strip() == "close":
                client_message(wm_delete, 0)
    out.write(json.dumps({"pings": pings, "maps": maps}) + "\n")
    out.flush()
    return 0


class Pinger:
    def __init__(self, wid, pid):
        server = os.environ.get(X_SERVER_PID, "0")
        self.proc = subprocess.Popen([sys.executable, os.path.abspath(__file__), "--pinger",
                                      os.environ["DISPLAY"], str(wid), str(pid), server],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        ready, _, _ = select.select([self.proc.stdout], [], [], 30)
        check(ready, "the pinger did not start")
        hello = json.loads(self.proc.stdout.readline() or "{}")
        check(hello.get("ready"), "the pinger did not start")
        self.advertised = hello["ping"]

    def _line(self, deadline):
        ready, _, _ = select.select([self.proc.stdout], [], [], max(0, deadline - time.monotonic()))
        line = self.proc.stdout.readline() if ready else ""
        return json.loads(line) if line else None

    def wait_mapped(self, title, seconds, program):
        """Waits until a window named `title` is mapped, while `program` runs."""
        deadline = time.monotonic() + seconds
        while True:
            check(program.poll() is None,
                  f"the program ended with {program.returncode} before {title!r} came")
            line = self._line(min(deadline, time.monotonic() + 0.5))
            if line is None:
                check(time.monotonic() < deadline, f"timed out waiting for the window {title!r}")
            elif line.get("mapped") == title:
                return

    def close_window(self):
        self.proc.stdin.write("close\n")
        self.proc.stdin.flush()

    def finish(self):
        self.proc.stdin.close()
        deadline = time.monotonic() + 30
        while True:
            line = self._line(deadline)
            check(line is not None, "the pinger did not report")
            if "pings" in line:
                break
        self.proc.wait(timeout=30)
        check(self.proc.returncode == 0, f"the pinger ended with {self.proc.returncode}")
        return line

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, timeout=60,
                          capture_output=True, text=True).stdout


def focus_window(wid, node):
    """Gives the X input focus to the window, as a window manager would; there
    is none on the virtual display."""
    import pyatspi
    xdotool("windowfocus", "--sync", str(wid))
    wait_for(lambda: state(node, pyatspi.STATE_ACTIVE), 15, f"{node.name!r} to become active")


def grab_focus(node, what):
    import pyatspi
    node.queryComponent().grabFocus()
    wait_for(lambda: state(node, pyatspi.STATE_FOCUSED), 15, f"the focus on {what}")


# --- The copy under way, seen from outside: the program holds a file open in
# the folder that is none of the originals (an unnamed file, or a scratch
# name), and it grows.

def copy_target_size(pid, folder):
    best = None
    fds = f"/proc/{pid}/fd"
    for fd in os.listdir(fds):
        try:
            link = os.readlink(os.path.join(fds, fd))
            if os.path.dirname(link) != folder or os.path.basename(link) in SOURCES:
                continue
            size = os.stat(os.path.join(fds, fd)).st_size
        except OSError:
            continue
        best = size if best is None else max(best, size)
    return best


def wait_copy_growing(pid, folder, seconds):
    deadline = time.monotonic() + seconds
    first = None
    while time.monotonic() < deadline:
        size = copy_target_size(pid, folder)
        if size is not None:
            if first is None:
                first = size
            elif size > first:
                return time.monotonic()
        time.sleep(0.02)
    raise Failure("no copy was seen growing in the folder after リネーム")


# --- The test.

def make_sources(folder):
    """Files whose copies must move real data: allocated, not sparse."""
    for name in SOURCES:
        fd = os.open(os.path.join(folder, name), os.O_CREAT | os.O_WRONLY | os.O_TRUNC, 0o644)
        try:
            os.posix_fallocate(fd, 0, FILE_BYTES)
        finally:
            os.close(fd)


def drive(proc, work, results):
    import pyatspi

    app = wait_for(lambda: application_of(proc.pid), 60, "the program on the accessibility bus")
    main = wait_for(lambda: top_window(app, TITLE), 60, f"the window {TITLE}")
    memo = wait_for(lambda: find(main, pyatspi.ROLE_TEXT, "変更後"), 15, "the memo 変更後")
    button = find(main, pyatspi.ROLE_PUSH_BUTTON, "リネーム")
    check(button is not None, "no button リネーム")
    delete_box = find(main, pyatspi.ROLE_CHECK_BOX, "古いファイルを削除する")
    check(delete_box is not None, "no check box 古いファイルを削除する")
    check(not state(delete_box, pyatspi.STATE_CHECKED), "the delete box is ticked at start")
    files = wait_for(lambda: find(main, pyatspi.ROLE_LIST, "現在"), 15, "the list 現在")
    wait_for(lambda: [c.name for c in files] == SOURCES, 15, f"the list to read {SOURCES}")

    wid = wait_for(lambda: x_window(proc.pid, TITLE), 30, f"the X window {TITLE}")
    focus_window(wid, main)
    grab_focus(memo, "the memo")
    for i, line in enumerate(NEW_NAMES):
        if i:
            xdotool("key", "Return")
        xdotool("type", "--delay", "10", line)
    try:
        wait_for(lambda: text_of(memo) == MEMO_TEXT, 15, f"the memo to read {MEMO_TEXT!r}")
    except Failure as e:
        raise Failure(f"{e}; it reads {text_of(memo)!r}")

    pinger = Pinger(wid, proc.pid)
    try:
        check(pinger.advertised, "the window does not list _NET_WM_PING in WM_PROTOCOLS")
        bx, by = centre(button)
        mx, my = centre(memo)

        xdotool("mousemove", str(bx), str(by), "click", "1")
        results["copy_seen"] = wait_copy_growing(proc.pid, work, 60)
        check(top_window(app, RESULT_CAPTION) is None,
              "the run ended before it could be watched: the files are too small")

        # The user, impatient, at once: clicks リネーム again, clicks into the
        # memo, types into it, presses keys that would clear it or start a
        # run, rolls the wheel over the list and asks the window to close.
        # (Few xdotool runs: each is a process started on a busy machine.)
        # The pings go on meanwhile and after, with nothing else going on.
        lx, ly = centre(files)
        xdotool("mousemove", str(bx), str(by), "click", "1",
                "mousemove", str(mx), str(my), "click", "1")
        grab_focus(memo, "the memo during the run")
        xdotool("type", "--delay", "10", TYPED_DURING_RUN,
                "key", "--delay", "10", "Return", "BackSpace", "ctrl+a", "Delete", "ctrl+v",
                "ctrl+z")
        grab_focus(button, "リネーム during the run")
        xdotool("key", "--delay", "10", "space", "Return",
                "mousemove", str(lx), str(ly), "click", "--repeat", "3", "5")
        pinger.close_window()
        results["input_done"] = time.monotonic()
        check(proc.poll() is None, "the program ended during the run")

        pinger.wait_mapped(RESULT_CAPTION, 120, proc)
        box = wait_for(lambda: top_window(app, RESULT_CAPTION), 30, f"the box {RESULT_CAPTION}")
        said = " ".join([n.name for n in descendants(box) if n.getRole() == pyatspi.ROLE_LABEL]
                        + [box.description])
        done = f"成功：{len(SOURCES)}件"
        check(done in said, f"the summary reads {said.strip()!r}, expected {done!r} in it")
        box_wid = wait_for(lambda: x_window(proc.pid, RESULT_CAPTION), 30,
                           f"the X window {RESULT_CAPTION}")
        focus_window(box_wid, box)
        xdotool("key", "Return")
        wait_for(lambda: top_window(app, RESULT_CAPTION) is None, 15, "the box to close")
        check(proc.poll() is None, "the program ended with the box")

        check(text_of(memo) == MEMO_TEXT,
              f"the memo reads {text_of(memo)!r} after the run, expected {MEMO_TEXT!r}")
        on_disk = sorted(os.listdir(work))
        expected = sorted(SOURCES + COPIES)
        check(on_disk == expected, f"the folder holds {on_disk}, expected {expected}")
        for name in expected:
            size = os.stat(os.path.join(work, name)).st_size
            check(size == FILE_BYTES, f"{name} has {size} bytes, expected {FILE_BYTES}")
        wait_for(lambda: sorted(c.name for c in files) == expected, 15,
                 f"the list to read {expected}")

        # Now the window takes the keyboard again: what was held back above
        # would have got through.
        focus_window(wid, main)
        grab_focus(memo, "the memo after the run")
        xdotool("type", "--delay", "10", TYPED_AFTER_RUN)
        wait_for(lambda: TYPED_AFTER_RUN in text_of(memo), 15,
                 "the memo to take typing after the run")
        check(proc.poll() is None, "the program ended after the run")
    finally:
        try:
            results.update(pinger.finish())
        finally:
            pinger.kill()

    exit_item = find(main, pyatspi.ROLE_MENU_ITEM, "終了(X)")
    check(exit_item is not None, "no menu item 終了(X)")
    actions = exit_item.queryAction()
    actions.doAction(0)
    deadline = time.monotonic() + 30
    while proc.poll() is None and time.monotonic() < deadline:
        time.sleep(0.1)
    check(proc.poll() is not None, "the program still runs after 終了")
    check(proc.returncode == 0, f"the program ended with {proc.returncode}")


def describe(ping):
    """The answer's time, and where it went: each thread's processor time
    and wait for a processor meanwhile."""
    sent, latency, threads = ping
    threads = dict(threads)
    host = threads.pop("host", [0, 0])[0]
    where = ", ".join(f"{name} ran {ran * 1000:.1f} waited {waited * 1000:.1f}"
                      for name, (ran, waited) in threads.items())
    return f"{latency * 1000:.1f} ms ({where} ms; the host took {host * 1000:.0f} ms)"


def judge(results):
    """Checks the pings and the windows mapped against the run's times;
    returns a line saying what was measured."""
    pings = results["pings"]
    maps = results["maps"]
    boxes = [t for t, name in maps if name == RESULT_CAPTION]
    check(len(boxes) == 1, f"the summary box was shown {len(boxes)} times, expected once")
    box_at = boxes[0]
    start, input_done = results["copy_seen"], results["input_done"]
    during = [p for p in pings if start <= p[0] and p[0] + (p[1] or 0) < box_at]
    answered = [p for p in during if p[1] is not None]
    check(len(answered) >= MIN_PINGS,
          f"only {len(answered)} pings were answered during the copy, expected {MIN_PINGS} or more")
    after_input = [p for p in answered if p[0] >= input_done]
    check(len(after_input) >= PINGS_AFTER_INPUT,
          "the run ended too soon after the input to tell whether the window took it in "
          "during the run")
    unanswered = [p for p in pings if p[1] is None]
    check(not unanswered, f"{len(unanswered)} of {len(pings)} pings were never answered")
    worst = max(pings, key=lambda p: p[1])
    summary = (f"{len(answered)} pings answered during the copy ({box_at - start:.1f} s), "
               f"{len(pings)} in all; latency median "
               f"{statistics.median(p[1] for p in pings) * 1000:.1f} ms, worst {describe(worst)}")
    late = [p for p in pings if p[1] > PING_BOUND_S]
    check(not late, f"{len(late)} pings were answered later than {PING_BOUND_S * 1000:.0f} ms: "
                    + "; ".join(describe(p) for p in late[:5]) + f" ({summary})")
    return summary


def run(program, tmp):
    work = os.path.join(tmp, "work")
    os.makedirs(work)
    make_sources(work)
    results = {}
    with program_running(program, [work], tmp, tmp, "ci-liveness") as proc:
        try:
            drive(proc, work, results)
            return judge(results)
        except Failure:
            if "pings" in results:
                answered = [p for p in results["pings"] if p[1] is not None]
                if answered:
                    print(f"ci-liveness: {len(answered)} pings answered, worst "
                          f"{describe(max(answered, key=lambda p: p[1]))}", file=sys.stderr)
            raise
        finally:
            # Every ping's times, for a closer look: TSUMUGI_LIVENESS_REPORT=FILE.
            report = os.environ.get("TSUMUGI_LIVENESS_REPORT")
            if report:
                with open(report, "w") as f:
                    json.dump(results, f)

SCRATCH_PREFIX = "tsumugi-liveness-"
# The whole test, at most; ctest's own limit is above it, so that the test
# still removes its gigabytes itself when it runs out of time.
OVERALL_S = 150


def remove_stale_scratch():
    """Removes the folders of earlier runs that were killed before they could
    clean up: each is named after the process that made it."""
    top = tempfile.gettempdir()
    for name in os.listdir(top):
        if not name.startswith(SCRATCH_PREFIX):
            continue
        owner = name[len(SCRATCH_PREFIX):].split("-")[0]
        if owner.isdigit() and not os.path.exists(f"/proc/{owner}"):
            shutil.rmtree(os.path.join(top, name), ignore_errors=True)


def terminated(signum, frame):
    raise SystemExit(f"ci-liveness: FAIL: ended by signal {signum}")


def main(argv):
    args = argv[1:]
    if len(args) == 5 and args[0] == "--pinger":
        return pinger(args[1], int(args[2]), int(args[3]), int(args[4]))
    inner = bool(args) and args[0] == "--inner"
    if inner:
        args = args[1:]
    if len(args) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(args[0])
    if not inner:
        return run_isolated(__file__, [program], OVERALL_S, "ci-liveness")
    # Told to stop, still remove the files and end the program.
    signal.signal(signal.SIGTERM, terminated)
    remove_stale_scratch()
    with tempfile.TemporaryDirectory(prefix=f"{SCRATCH_PREFIX}{os.getpid()}-") as tmp:
        room = shutil.disk_usage(tmp).free
        needed = 2 * len(SOURCES) * FILE_BYTES + (1 << 30)
        if room < needed:
            print(f"ci-liveness: skipped: {room >> 20} MiB free in {tmp}, "
                  f"{needed >> 20} MiB needed")
            return 77
        program = copy_program(program, tmp)
        try:
            summary = run(program, tmp)
        except Failure as e:
            print(f"ci-liveness: FAIL: {e}", file=sys.stderr)
            return 1
    print(f"ci-liveness: ok: {summary}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
