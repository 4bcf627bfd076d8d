#!/usr/bin/python3
"""The main window as a screen reader user meets it, over AT-SPI.

    ci-a11y.py [--copy] [--open] PROGRAM

Starts PROGRAM in a temporary folder holding a few files, with the
accessibility bus switched on, and then, using only what the accessibility
tree offers: finds every control by its role and name, walks the keyboard
focus order with Tab, types a line into the memo "変更後", presses
"1件テスト", reads the answer from the message box, confirms it, and closes
the window through "終了". With --copy the program runs from a copy in the
temporary folder, so that its settings file is written there.

With --open it is started as a file manager's "Open With" starts it, with a
folder as its argument: the folder field must read that folder and the list
its files. Then it is started with a folder that is not there: the error
report must come up over the window, and the list stay on the folder it was
started in.

It brings up its own virtual display (Xvfb) and session bus (dbus-run-session).
"""
import os
import subprocess
import sys
import tempfile

import pyatspi

sys.dont_write_bytecode = True  # leave the source tree as it is
from xdesktop import (TITLE, Failure, application_of, check, close_by_menu,  # noqa: E402
                      copy_program, descendants, do_action, find, program_running,
                      run_isolated, state, text_of, top_window, wait_for)

FILES = ["a.txt", "b.txt", "c.dat"]  # listed in this order
TYPED = "shin"
ANSWER = "新しいファイル名は「shin.txt」になります"
TEST_CAPTION = "renameテスト"
PROMPT = "Renameしたいファイルがあるフォルダを選択して、Renameボタンを押してください"

# The documented keyboard focus order, by role and accessible name.
FOCUS_ORDER = [
    (pyatspi.ROLE_PUSH_BUTTON, "フォルダ指定"),
    (pyatspi.ROLE_TEXT, "フォルダ"),
    (pyatspi.ROLE_RADIO_BUTTON, "新しいファイル名に置き換える"),
    (pyatspi.ROLE_CHECK_BOX, "古いファイルを削除する"),
    (pyatspi.ROLE_PUSH_BUTTON, "1件テスト"),
    (pyatspi.ROLE_PUSH_BUTTON, "リネーム"),
    (pyatspi.ROLE_PUSH_BUTTON, "ファイル名複写"),
    (pyatspi.ROLE_TEXT, "変更後"),
    (pyatspi.ROLE_LIST, "現在"),
]

# Every control a user reaches, by role and the name a screen reader says.
CONTROLS = FOCUS_ORDER + [
    (pyatspi.ROLE_RADIO_BUTTON, "古いファイル名の後ろにつなげる"),
    (pyatspi.ROLE_MENU_ITEM, "ファイル(F)"),
    (pyatspi.ROLE_MENU_ITEM, "終了(X)"),
    (pyatspi.ROLE_MENU_ITEM, "編集(E)"),
    (pyatspi.ROLE_MENU_ITEM, "プレビュー(P)..."),
    (pyatspi.ROLE_MENU_ITEM, "元に戻す(U)"),
    (pyatspi.ROLE_MENU_ITEM, "置換(R)..."),
    (pyatspi.ROLE_MENU_ITEM, "文字種の変換(K)..."),
    (pyatspi.ROLE_MENU_ITEM, "名前をファイルから読み込む(L)..."),
    (pyatspi.ROLE_MENU_ITEM, "オプション(O)"),
    (pyatspi.ROLE_MENU_ITEM, "設定(C)"),
    (pyatspi.ROLE_MENU_ITEM, "ヘルプ(H)"),
    (pyatspi.ROLE_MENU_ITEM, "バージョン情報(A)..."),
]

# The menus, left to right.
MENU_BAR = ["ファイル(F)", "編集(E)", "オプション(O)", "ヘルプ(H)"]


def focused(root):
    for n in descendants(root):
        if state(n, pyatspi.STATE_FOCUSED):
            return n
    return None


def keys(*args):
    """Types on the keyboard: xdotool key/type arguments, to the focused window."""
    subprocess.run(["xdotool", *args], check=True, timeout=30)


def run(program, tmp, args=(), driver=None):
    work = os.path.join(tmp, "work")
    os.makedirs(work, exist_ok=True)
    for f in FILES:
        open(os.path.join(work, f), "w").close()
    with program_running(program, args, work, tmp, "ci-a11y") as proc:
        (driver or drive)(proc)
    if proc.returncode != 0:
        raise Failure(f"the program ended with {proc.returncode}")


def drive(proc):
    app = wait_for(lambda: application_of(proc.pid), 30, "the program on the accessibility bus")
    main = wait_for(lambda: top_window(app, TITLE), 30, f"the window {TITLE}")
    check(main.getRole() == pyatspi.ROLE_FRAME, f"{TITLE} is a {main.getRoleName()}")

    # Every control is there with the role and name a screen reader announces.
    controls = {}
    for role, name in CONTROLS:
        node = find(main, role, name)
        check(node is not None, f"no {pyatspi.Role(role)} named {name!r}")
        controls[name] = node
    bars = [n for n in descendants(main) if n.getRole() == pyatspi.ROLE_MENU_BAR]
    check(len(bars) == 1, f"{len(bars)} menu bars")
    menus = [c.name for c in bars[0]]
    check(menus == MENU_BAR, f"the menu bar reads {menus}, expected {MENU_BAR}")
    # A control that takes the focus and says nothing leaves the user guessing.
    for n in descendants(main):
        if state(n, pyatspi.STATE_FOCUSABLE) and state(n, pyatspi.STATE_SHOWING):
            check(n.name.strip(), f"a focusable {n.getRoleName()} has no name")
    rule = find(main, pyatspi.ROLE_RADIO_BUTTON, "新しいファイル名に置き換える").parent
    check(rule.name.strip() == "新しいファイル名規則",
          f"the rule group is announced as {rule.name!r}")
    check(state(controls["新しいファイル名に置き換える"], pyatspi.STATE_CHECKED),
          "the replace rule is not chosen at start")
    check(not state(controls["古いファイルを削除する"], pyatspi.STATE_CHECKED),
          "the delete box is ticked at start")
    check(state(controls["フォルダ"], pyatspi.STATE_READ_ONLY),
          "the folder field is not announced as read-only")
    memo = controls["変更後"]
    check(state(memo, pyatspi.STATE_EDITABLE) and state(memo, pyatspi.STATE_MULTI_LINE)
          and not state(memo, pyatspi.STATE_READ_ONLY),
          "the memo is not an editable multi-line text")
    listed = [c.name for c in controls["現在"]]
    check(listed == FILES, f"the list reads {listed}, expected {FILES}")
    status = [n for n in descendants(main) if n.getRole() == pyatspi.ROLE_STATUS_BAR]
    check(status and any(c.name == PROMPT for c in descendants(status[0])),
          "the status line does not read the prompt")

    # The keyboard goes to the window that has the input focus; with no window
    # manager on the virtual display, give it the focus as a manager would.
    wid = subprocess.run(["xdotool", "search", "--sync", "--all", "--onlyvisible",
                          "--pid", str(proc.pid), "--name", TITLE],
                         capture_output=True, text=True, timeout=30).stdout.split()
    check(wid, f"no X window named {TITLE}")
    subprocess.run(["xdotool", "windowfocus", "--sync", wid[0]], check=True, timeout=30)
    wait_for(lambda: state(main, pyatspi.STATE_ACTIVE), 10, "the window to become active")

    # The keyboard focus order: Tab walks it forwards from the first control,
    # Shift+Tab backwards from the first control round to the last and on
    # back to the first.
    def walk(start, order, key):
        first = controls[start]
        first.queryComponent().grabFocus()
        wait_for(lambda: state(first, pyatspi.STATE_FOCUSED), 10, f"the focus on {start!r}")
        prev = (first.getRole(), start)
        for role, name in order:
            keys("key", "--clearmodifiers", key)
            node = wait_for(lambda: (lambda f: f if f is not None and
                                     (f.getRole(), f.name) != prev else None)(focused(main)),
                            5, f"{key} to leave {prev[1]!r}")
            check((node.getRole(), node.name) == (role, name),
                  f"{key} from {prev[1]!r} went to {node.getRoleName()} {node.name!r}, "
                  f"expected {name!r}")
            prev = (role, name)

    names = [name for _, name in FOCUS_ORDER]
    walk(names[0], FOCUS_ORDER[1:] + FOCUS_ORDER[:1], "Tab")
    walk(names[0], list(reversed(FOCUS_ORDER)), "shift+Tab")

    # Type a line into the memo.
    memo.queryComponent().grabFocus()
    wait_for(lambda: state(memo, pyatspi.STATE_FOCUSED), 10, "the focus in the memo")
    keys("type", "--delay", "20", TYPED)
    wait_for(lambda: text_of(memo) == TYPED, 10, f"the memo to read {TYPED!r}")

    # Press the one-item test and read its answer.
    do_action(controls["1件テスト"], ("Press", "press", "click"))
    box = wait_for(lambda: top_window(app, TEST_CAPTION), 15, f"the box {TEST_CAPTION}")
    check(box.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG),
          f"the box is a {box.getRoleName()}")
    said = [n.name for n in descendants(box) if n.getRole() == pyatspi.ROLE_LABEL]
    check(ANSWER in said or ANSWER in box.description,
          f"the box reads {said} / {box.description!r}, expected {ANSWER!r}")
    ok = find(box, pyatspi.ROLE_PUSH_BUTTON, "OK")
    check(ok is not None, "the box has no OK button")
    do_action(ok, ("Press", "press", "click"))
    wait_for(lambda: top_window(app, TEST_CAPTION) is None, 10, "the box to close")
    check(proc.poll() is None, "the program ended with the box")

    # Close through the menu.
    close_by_menu(proc, main)


# A folder opened from outside, with a name a file manager would pass as it is.
OPENED = "写真 2024"
OPENED_FILES = ["IMG_0001.jpg", "IMG_0002.jpg"]


def drive_opened(folder):
    """The window started on `folder`: the field reads it, the list its files."""
    def driver(proc):
        app = wait_for(lambda: application_of(proc.pid), 30, "the program on the accessibility bus")
        main = wait_for(lambda: top_window(app, TITLE), 30, f"the window {TITLE}")
        field = wait_for(lambda: find(main, pyatspi.ROLE_TEXT, "フォルダ"), 10, "the folder field")
        wait_for(lambda: text_of(field) == folder, 15, f"the folder field to read {folder!r}")
        files = wait_for(lambda: find(main, pyatspi.ROLE_LIST, "現在"), 10, "the list")
        wait_for(lambda: [c.name for c in files] == OPENED_FILES, 15,
                 f"the list to read {OPENED_FILES}")
        check(top_window(app, "meibo") is None, "an error report came up")
        close_by_menu(proc, main)
    return driver


def drive_gone(folder):
    """The window started on a folder that is not there: the error report over
    the opened window, then the start folder's files in the list."""
    def driver(proc):
        app = wait_for(lambda: application_of(proc.pid), 30, "the program on the accessibility bus")
        main = wait_for(lambda: top_window(app, TITLE), 30, f"the window {TITLE}")
        # The error report is captioned with the program's title.
        box = wait_for(lambda: top_window(app, "meibo"), 15, "the error report")
        said = [n.name for n in descendants(box) if n.getRole() == pyatspi.ROLE_LABEL]
        check("ファイルが見つかりません." in said or
              box.description == "ファイルが見つかりません.",
              f"the report reads {said} / {box.description!r}")
        ok = find(box, pyatspi.ROLE_PUSH_BUTTON, "OK")
        check(ok is not None, "the report has no OK button")
        do_action(ok, ("Press", "press", "click"))
        wait_for(lambda: top_window(app, "meibo") is None, 10, "the report to close")
        files = find(main, pyatspi.ROLE_LIST, "現在")
        check(files is not None, "no list")
        listed = [c.name for c in files]
        check(listed == FILES, f"the list reads {listed}, expected the start folder's {FILES}")
        check(proc.poll() is None, "the program ended with the report")
        close_by_menu(proc, main)
    return driver


def run_opened(program, tmp):
    folder = os.path.join(tmp, OPENED)
    os.makedirs(folder)
    for f in OPENED_FILES:
        open(os.path.join(folder, f), "w").close()
    run(program, tmp, [folder], drive_opened(folder))
    run(program, tmp, [os.path.join(tmp, "gone")], drive_gone(os.path.join(tmp, "gone")))


def main(argv):
    args = argv[1:]
    inner = bool(args) and args[0] == "--inner"
    if inner:
        args = args[1:]
    copy = bool(args) and args[0] == "--copy"
    if copy:
        args = args[1:]
    opened = bool(args) and args[0] == "--open"
    if opened:
        args = args[1:]
    if len(args) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(args[0])
    if not inner:
        flags = (["--copy"] if copy else []) + (["--open"] if opened else [])
        return run_isolated(__file__, flags + [program], 300, "ci-a11y")
    with tempfile.TemporaryDirectory(prefix="tsumugi-a11y-") as tmp:
        if copy:
            program = copy_program(program, tmp)
        try:
            if opened:
                run_opened(program, tmp)
            else:
                run(program, tmp)
        except Failure as e:
            print(f"ci-a11y: FAIL: {e}", file=sys.stderr)
            return 1
    print("ci-a11y: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
