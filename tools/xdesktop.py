"""What the checks that drive the real program on a virtual display share.

A display (Xvfb) and a session bus of their own for each check, the program
started there with its accessibility bridge on, and the accessibility tree
(AT-SPI) read as a screen reader reads it. pyatspi is imported only where it
is used: helper processes of a check that never touch the tree start faster
without it.
"""
import contextlib
import os
import random
import shutil
import signal
import socket
import subprocess
import sys
import time

TITLE = "つむぎ～"
# The X server's process, for a check that watches its scheduling.
X_SERVER_PID = "TSUMUGI_X_SERVER_PID"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(probe, seconds, what):
    """Calls probe until it returns something true; fails after `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            found = probe()
        except Failure:
            raise
        except Exception:  # the tree changes under us while windows come and go
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(0.05)


# --- The accessibility tree.

def descendants(node):
    stack = [node]
    while stack:
        n = stack.pop()
        yield n
        stack.extend(n.getChildAtIndex(i) for i in range(n.childCount - 1, -1, -1))


def find(root, role, name):
    for n in descendants(root):
        if n.getRole() == role and n.name == name:
            return n
    return None


def state(node, s):
    return node.getState().contains(s)


def application_of(pid):
    import pyatspi
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def top_window(app, name):
    for i in range(app.childCount):
        w = app.getChildAtIndex(i)
        if w.name == name:
            return w
    return None


def text_of(node):
    t = node.queryText()
    return t.getText(0, t.characterCount)


def centre(node):
    """The middle of the node on the screen, in the root window's coordinates."""
    import pyatspi
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    check(box.width > 0 and box.height > 0, f"{node.name!r} has no extent on the screen")
    return box.x + box.width // 2, box.y + box.height // 2


def do_action(node, wanted):
    actions = node.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    for i, n in enumerate(names):
        if n in wanted:
            actions.doAction(i)
            return
    raise Failure(f"{node.getRoleName()} {node.name!r} offers no {wanted}, only {names}")


def close_by_menu(proc, main, seconds=15):
    """Ends the program through "終了" and waits until it has ended."""
    import pyatspi
    exit_item = find(main, pyatspi.ROLE_MENU_ITEM, "終了(X)")
    check(exit_item is not None, "no menu item 終了(X)")
    do_action(exit_item, ("Press", "press", "click", "Toggle"))
    deadline = time.monotonic() + seconds
    while proc.poll() is None and time.monotonic() < deadline:
        time.sleep(0.1)
    check(proc.poll() is not None, "the program still runs after 終了")


def x_window(pid, name):
    """The X window of the process's visible top-level window named `name`."""
    found = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid),
                            "--name", f"^{name}$"],
                           capture_output=True, text=True, timeout=60).stdout.split()
    return int(found[0]) if found else None


# --- The program.

def copy_program(program, tmp):
    """A copy of the program in `tmp`, to run so that its settings file,
    which it keeps beside itself, lands in there."""
    os.makedirs(os.path.join(tmp, "bin"))
    return shutil.copy2(program, os.path.join(tmp, "bin", os.path.basename(program)))


@contextlib.contextmanager
def program_running(program, args, cwd, tmp, tag):
    """Starts the program with its accessibility bridge on and its settings,
    journals and log under `tmp`; kills it if it still runs at the end, and
    passes its output on to standard error."""
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)  # the test suite's offscreen default has no bus
    env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", HOME=os.path.join(tmp, "home"),
               XDG_CONFIG_HOME=os.path.join(tmp, "config"),
               XDG_STATE_HOME=os.path.join(tmp, "state"))
    log_path = os.path.join(tmp, "program.log")
    with open(log_path, "w") as log:
        proc = subprocess.Popen([program, *args], cwd=cwd, env=env, stdout=log, stderr=log)
    try:
        yield proc
    except Failure:
        if proc.poll() is not None:
            print(f"{tag}: the program ended with {proc.returncode}", file=sys.stderr)
        raise
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        with open(log_path) as f:
            sys.stderr.writelines(line for line in f if "XDG_RUNTIME_DIR" not in line)


# --- A display and a session bus of the check's own.

def start_display():
    """Starts a virtual X server; returns it and its display number.

    The number is picked at random from a high range rather than the first
    free one: other X servers on the machine may hide their lock files from
    us but still hold the display's abstract socket. -noreset: without it the
    server resets when our readiness probe disconnects, and a client that
    connects meanwhile is refused."""
    for _ in range(20):
        number = random.randint(200, 30000)
        if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
            continue
        xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x1024x24", "-noreset",
                                 "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while xvfb.poll() is None and time.monotonic() < deadline:
            if listening(f"/tmp/.X11-unix/X{number}"):
                return xvfb, number
            time.sleep(0.05)
        if xvfb.poll() is None:
            xvfb.kill()
        xvfb.wait()
    raise Failure("the virtual X server did not start")


def listening(path):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        try:
            s.connect(path)
            return True
        except OSError:
            return False


def run_isolated(script, args, timeout, tag):
    """Runs `script --inner ARGS` on a display and a session bus of its own,
    so that nothing of the user's desktop takes part and parallel runs cannot
    meet; returns its exit status. On time-out the whole run is ended: it
    runs in a session of its own, so that every process of it hears."""
    try:
        xvfb, number = start_display()
    except Failure as e:
        print(f"{tag}: FAIL: {e}", file=sys.stderr)
        return 1
    try:
        env = dict(os.environ, DISPLAY=f":{number}", **{X_SERVER_PID: str(xvfb.pid)})
        env.pop("XAUTHORITY", None)
        cmd = ["dbus-run-session", "--", sys.executable, os.path.abspath(script), "--inner", *args]
        test = subprocess.Popen(cmd, env=env, start_new_session=True)
        try:
            return test.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            print(f"{tag}: FAIL: still running after {timeout} s", file=sys.stderr)
            os.killpg(test.pid, signal.SIGTERM)
            try:
                test.wait(timeout=60)
            except subprocess.TimeoutExpired:
                os.killpg(test.pid, signal.SIGKILL)
                test.wait()
            return 1
    finally:
        xvfb.terminate()
        xvfb.wait()
