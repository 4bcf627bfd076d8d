#!/usr/bin/env bash
# The program as a user gets it: builds the Debian package, has lintian check
# it, installs it on this machine, checks the menu entries, icons,
# software-centre metadata, manual pages, copyright, changelog and
# dependencies, starts the installed program on a virtual display in a folder
# with a few files, closes it from the keyboard through "終了(&X)" and through
# Ctrl+Q, checks where it kept its settings, lets a screen reader's view drive
# it, and removes the package again.
#
# It installs and removes a system package, so it runs as root (CI does).
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD

PKG=tsumugi
PROGRAM=/usr/bin/meibo
BINDIR=$(dirname "$PROGRAM")
APP_ID=io.github.tsumugi.tsumugi
DESKTOP_ENTRY=/usr/share/applications/$APP_ID.desktop
# The menu entry's earlier name, kept hidden for launchers that name it.
OLD_DESKTOP_ENTRY=/usr/share/applications/tsumugi.desktop
METAINFO=/usr/share/metainfo/$APP_ID.metainfo.xml
DOC=/usr/share/doc/tsumugi
MAN_PAGE=/usr/share/man/man1/meibo.1.gz
MAN_PAGE_JA=/usr/share/man/ja/man1/meibo.1.gz
ICON_ROOT=/usr/share/icons/hicolor
ICON_NAME=tsumugi
ICON_SIZES="16 22 24 32 48 64 128 256"
TITLE='つむぎ～'

say() { echo "ci-desktop: $*"; }
fail() { echo "ci-desktop: FAIL: $*" >&2; exit 1; }

# Waits up to $2 tenths of a second for the command $1 to succeed.
wait_for() {
    local i
    for ((i = 0; i < $2; i++)); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}

visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l; }

# Starts the installed program in folder $2 with the environment that follows,
# waits for its main window, and closes it with the keyboard: with $1 "menu",
# Alt+F opens "ファイル(&F)" and X chooses "終了(&X)"; with "ctrl+q", the
# item's shortcut. Fails unless the program ends with 0.
run_and_close_by_keyboard() {
    local how=$1 work=$2 log=$2.log pid wid before
    shift 2
    (cd "$work" && exec env -u QT_QPA_PLATFORM "$@" "$PROGRAM") >"$log" 2>&1 &
    pid=$!
    wid=$(timeout 30 xdotool search --sync --all --onlyvisible --pid "$pid" --name "$TITLE" |
          head -n 1) || true
    [ -n "$wid" ] || { cat "$log" >&2; fail "no window named $TITLE appeared"; }
    xdotool windowfocus --sync "$wid"
    if [ "$how" = ctrl+q ]; then
        # Retried, should the first key go to a window not yet ready for input.
        local tries
        for tries in 1 2 3; do
            xdotool key --clearmodifiers ctrl+q
            wait_for '! kill -0 "$pid" 2>/dev/null' 30 && break
        done
    else
        # The menu opens as a window of its own; retry should the first key go
        # to a window not yet ready for input.
        before=$(visible_windows "$pid")
        local tries
        for tries in 1 2 3; do
            xdotool key --clearmodifiers alt+f
            wait_for '[ "$(visible_windows "$pid")" -gt "$before" ]' 30 && break
            [ "$tries" = 3 ] && fail "Alt+F opened no menu"
        done
        kill -0 "$pid" 2>/dev/null || fail "the program ended when its menu opened"
        xdotool key x
    fi
    if ! wait_for '! kill -0 "$pid" 2>/dev/null' 100; then
        kill "$pid"
        cat "$log" >&2
        fail "the program was still running 10 s after 終了(&X) ($how)"
    fi
    local rc=0
    wait "$pid" || rc=$?
    [ "$rc" = 0 ] || { cat "$log" >&2; fail "the program ended with $rc"; }
}

# Lists a folder's entries, one a line, for before/after comparisons.
listing() { (cd "$1" && find . -mindepth 1 | LC_ALL=C sort); }

# Starts a virtual X server and points DISPLAY at it. The display number is
# random and high: other X servers on the machine may hide their lock files
# from us but still hold a display's abstract socket. -noreset keeps the
# server from resetting between one client's exit and the next one's start.
start_display() {
    local n i
    for i in $(seq 20); do
        n=$((RANDOM % 30000 + 200))
        if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then continue; fi
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        xvfb_pid=$!
        wait_for '[ -S "/tmp/.X11-unix/X$n" ] || ! kill -0 "$xvfb_pid" 2>/dev/null' 100 || true
        if kill -0 "$xvfb_pid" 2>/dev/null && [ -S "/tmp/.X11-unix/X$n" ]; then
            export DISPLAY=":$n"
            unset XAUTHORITY
            return 0
        fi
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    done
    fail "no virtual X server would start"
}

# The installed program on the display, closed from the keyboard.
session() {
    local tmp=$1

    say "start in a folder with files, XDG_CONFIG_HOME set; close with Alt+F, X"
    mkdir -p "$tmp/a/work" "$tmp/a/home" "$tmp/a/xdg"
    touch "$tmp/a/work/a.txt" "$tmp/a/work/b.txt" "$tmp/a/work/写真 01.jpg"
    listing "$tmp/a/work" >"$tmp/a/work-before"
    listing "$BINDIR" >"$tmp/bin-before"
    run_and_close_by_keyboard menu "$tmp/a/work" \
        HOME="$tmp/a/home" XDG_CONFIG_HOME="$tmp/a/xdg"
    listing "$BINDIR" | diff -u "$tmp/bin-before" - ||
        fail "the program wrote beside $PROGRAM"
    listing "$tmp/a/work" | diff -u "$tmp/a/work-before" - ||
        fail "the program wrote into its working folder"
    [ ! -e "$tmp/a/home/.config/tsumugi" ] ||
        fail "settings went to ~/.config although XDG_CONFIG_HOME was set"
    grep -q '^WinMem=' "$tmp/a/xdg/tsumugi/meibo.ini" 2>/dev/null ||
        fail "no settings in \$XDG_CONFIG_HOME/tsumugi/meibo.ini"

    say "start again without XDG_CONFIG_HOME: settings in ~/.config/tsumugi/; close with Ctrl+Q"
    mkdir -p "$tmp/b/work" "$tmp/b/home"
    touch "$tmp/b/work/c.txt"
    run_and_close_by_keyboard ctrl+q "$tmp/b/work" -u XDG_CONFIG_HOME HOME="$tmp/b/home"
    listing "$BINDIR" | diff -u "$tmp/bin-before" - ||
        fail "the program wrote beside $PROGRAM"
    grep -q '^WinMem=' "$tmp/b/home/.config/tsumugi/meibo.ini" 2>/dev/null ||
        fail "no settings in ~/.config/tsumugi/meibo.ini"
}

[ "$(id -u)" = 0 ] || fail "run as root: this installs and removes a system package"
if dpkg-query -W -f='${Status}' "$PKG" 2>/dev/null | grep -q 'ok installed'; then
    fail "$PKG is installed on this machine already; this check would replace it"
fi

make package
deb=$(ls -t build/deb/${PKG}_*.deb | head -n 1)

# Debian's own check of the package: not one error or warning.
say "lintian $deb"
lintian --fail-on error,warning --tag-display-limit 0 "$deb" ||
    fail "lintian found errors or warnings in the package"
tmp=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    dpkg -r "$PKG" >/dev/null 2>&1 || true
    rm -rf "$tmp"
}
trap cleanup EXIT

say "install $deb"
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$here/$deb" \
    >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log" >&2; fail "the package did not install"; }
[ -x "$PROGRAM" ] || fail "$PROGRAM is missing"
# Exec is the program and the field code that hands it a folder.
exec_line=$(sed -n 's/^Exec=//p' "$DESKTOP_ENTRY")
[ "$(command -v "${exec_line%% *}")" = "$PROGRAM" ] ||
    fail "the menu entry's Exec does not start $PROGRAM"
[ "$exec_line" = "${exec_line%% *} %f" ] || fail "the menu entry's Exec does not pass a folder: $exec_line"
desktop-file-validate "$DESKTOP_ENTRY" "$OLD_DESKTOP_ENTRY" >"$tmp/validate.log" 2>&1 &&
    [ ! -s "$tmp/validate.log" ] ||
    { cat "$tmp/validate.log" >&2; fail "the installed menu entries do not validate"; }
grep -qx "Icon=$ICON_NAME" "$DESKTOP_ENTRY" || fail "the menu entry names another icon"
# The old name starts the same program, out of the menus and "Open With".
grep -qx "Exec=$exec_line" "$OLD_DESKTOP_ENTRY" || fail "the old menu entry starts something else"
grep -qx 'NoDisplay=true' "$OLD_DESKTOP_ENTRY" || fail "the old menu entry shows in the menus"
! grep -q '^MimeType=' "$OLD_DESKTOP_ENTRY" || fail "the old menu entry is offered for folders"
# File managers offer the program for a folder from the desktop's cache of
# entries by type, which the package's installation brings up to date.
grep -q "^inode/directory=\\(.*;\\)\\?${APP_ID//./\\.}\\.desktop;" /usr/share/applications/mimeinfo.cache ||
    fail "the desktop's type cache does not offer the menu entry for folders"
# shellcheck disable=SC2086
/usr/bin/python3 tools/check-icons.py "$ICON_ROOT" "$ICON_NAME" $ICON_SIZES ||
    fail "the installed icons are wrong"

say "check the software-centre metadata and the manual pages"
[ -f "$METAINFO" ] || fail "$METAINFO is missing"
# The validator passes a file with warnings or hints, pedantic ones
# included; any of those is a fault here.
appstreamcli validate --pedantic --no-net "$METAINFO" >"$tmp/appstream.log" 2>&1 &&
    ! grep -q '^[EWI]: ' "$tmp/appstream.log" ||
    { cat "$tmp/appstream.log" >&2; fail "the installed metadata does not validate"; }
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$METAINFO")
[ "/usr/share/applications/$launchable" = "$DESKTOP_ENTRY" ] ||
    fail "the metadata launches \"$launchable\", not the installed menu entry"
say "check the copyright and the changelog"
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$DOC/copyright" ||
    fail "$DOC/copyright is not in the machine-readable format"
zcat "$DOC/changelog.gz" | head -n 1 | grep -q "^$PKG ($(dpkg-query -W -f='${Version}' "$PKG")) " ||
    fail "$DOC/changelog.gz does not begin with the installed version"
# man in an untranslated UTF-8 locale, whatever this machine's language is.
man_c() { env -u LANGUAGE LC_ALL=C.UTF-8 MANWIDTH=80 man "$@"; }
[ "$(man_c -w meibo)" = "$MAN_PAGE" ] || fail "man -w meibo does not find $MAN_PAGE"
[ "$(man_c -L ja -w meibo)" = "$MAN_PAGE_JA" ] || fail "man -L ja -w meibo does not find $MAN_PAGE_JA"
# Each page as man shows it on an 80-column UTF-8 terminal: text, and not a
# single groff warning.
man_c --warnings=w meibo >"$tmp/man-en.txt" 2>"$tmp/man-en.log" && [ ! -s "$tmp/man-en.log" ] ||
    { cat "$tmp/man-en.log" >&2; fail "man meibo failed or warned"; }
man_c --warnings=w -L ja meibo >"$tmp/man-ja.txt" 2>"$tmp/man-ja.log" && [ ! -s "$tmp/man-ja.log" ] ||
    { cat "$tmp/man-ja.log" >&2; fail "man -L ja meibo failed or warned"; }
grep -q '^NAME$' "$tmp/man-en.txt" || fail "man meibo shows no NAME section"
grep -q '^名前$' "$tmp/man-ja.txt" || fail "man -L ja meibo shows no 名前 section"
# The installation's index (man-db's trigger) knows the page's one-line description.
env -u LANGUAGE LC_ALL=C.UTF-8 whatis meibo 2>/dev/null | grep -q '^meibo (1) *- rename the files of a folder' ||
    fail "whatis meibo does not describe the installed page"

# Every library the program loads directly, and the X11 platform plugin it
# loads at start, must come from a package the installed one depends on,
# directly or through those packages.
needs=$(apt-cache depends --recurse --installed --no-recommends --no-suggests \
        --no-conflicts --no-breaks --no-replaces --no-enhances "$PKG" |
        sed -n 's/:.*//; /^[a-z0-9]/p' | sort -u)
for lib in $(readelf -d "$PROGRAM" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(ldd "$PROGRAM" | awk -v l="$lib" '$1 == l && $2 == "=>" {print $3; exit}')
    [ -n "$path" ] && [ -e "$path" ] || fail "$lib, which the program loads, is not on this machine"
    # dpkg knows a file by the path its package installed, which may be either
    # side of the /lib -> /usr/lib link.
    owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(readlink -f "$path")" 2>/dev/null) ||
        fail "no package owns $path"
    owner=$(head -n 1 <<<"$owner" | sed 's/:.*//')
    grep -qx "$owner" <<<"$needs" || fail "$lib comes from $owner, which the package does not bring"
done
plugin=$(dpkg -S '*/qt6/plugins/platforms/libqxcb.so' 2>/dev/null | head -n 1 | sed 's/:.*//') ||
    fail "no package holds the X11 platform plugin"
grep -qx "$plugin" <<<"$needs" || fail "the X11 platform plugin comes from $plugin, which the package does not bring"

say "the command line without a display"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$PROGRAM" --bogus 2>&1) && rc=0 || rc=$?
[ "$rc" = 2 ] || fail "meibo --bogus without a display ended with $rc: $out"
grep -q "unknown option '--bogus'" <<<"$out" || fail "meibo --bogus printed: $out"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$PROGRAM" -V | grep -q '^meibo (Tsumugi) ' ||
    fail "meibo -V without a display printed no version"

say "run the installed program"
start_display
session "$tmp"
kill "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=

say "read the main window as a screen reader does"
/usr/bin/python3 tools/ci-a11y.py "$PROGRAM" 2>"$tmp/a11y.log" ||
    { cat "$tmp/a11y.log" >&2; fail "the accessibility check failed"; }

say "remove the package"
dpkg -r "$PKG" >"$tmp/remove.log" 2>&1 || { cat "$tmp/remove.log" >&2; fail "removal failed"; }
for f in "$PROGRAM" "$DESKTOP_ENTRY" "$OLD_DESKTOP_ENTRY" "$METAINFO" "$MAN_PAGE" "$MAN_PAGE_JA" \
         "$DOC" "$ICON_ROOT"/*/apps/"$ICON_NAME".png "$ICON_ROOT"/*/apps/"$ICON_NAME"*.svg; do
    [ ! -e "$f" ] || fail "$f is left after removal"
done
! grep -q "${APP_ID//./\\.}\\.desktop" /usr/share/applications/mimeinfo.cache ||
    fail "the desktop's type cache still offers the removed menu entry"
say "ok"
