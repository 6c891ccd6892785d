#!/usr/bin/env python3
"""End-to-end tests of the Linux program on a real X server.

Each test starts build/vistrel (or the program given) on Xvfb with a real tray host (trayer, or
icewm where a window manager matters), with its own HOME and XDG directories, drives it with real
input from xdotool and checks real X state: pixels from screenshots, window properties, the
settings file, the clipboard text of its message boxes (Ctrl+C copies a box's text, as users can).

    e2e.py --vistrel build/vistrel --probe build/tests/x11/x11_probe [-k NAME]
"""

import argparse
import math
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

import xsession
from xsession import TestFailure, XSession, new_home, pixel, wait_for

SCREEN_W, SCREEN_H = 1024, 768
LAST_TRAY_CLICK = 0.0
BLACK = b"\x00\x00\x00"


# --- the program under test -----------------------------------------------------------------
class Vistrel:
    def __init__(self, session, home, args=(), binary=None, env=None, name="vistrel"):
        self.session = session
        self.home = home
        self.env = dict(session.env, **home, **(env or {}))
        self.proc = session.spawn([binary or OPTIONS.vistrel, *args], env=self.env,
                                  log=f"{name}.log")

    @property
    def config_file(self):
        return os.path.join(self.home["XDG_CONFIG_HOME"], "Tarnwell", "Vistrel.conf")

    def windows_of_type(self, kind, viewable=True):
        found = []
        for w in self.session.find(viewable=viewable):
            props = self.session.prop(w.id, "_NET_WM_PID") + self.session.prop(
                w.id, "_NET_WM_WINDOW_TYPE")
            if f"= {self.proc.pid}" in props and kind in props:
                found.append(w)
        return found

    def main_window(self, viewable=True, timeout=10):
        def look():
            wins = self.windows_of_type("_NET_WM_WINDOW_TYPE_UTILITY", viewable)
            return wins[0] if wins else None
        return wait_for("the main window", look, timeout)

    def tray_icon(self, timeout=10):
        def look():
            all_windows = self.session.windows()
            by_id = {w.id: w for w in all_windows}
            for w in all_windows:
                if w.wm_class[:1] == ("vistrel",) and w.width <= 64 and w.height <= 64 and \
                        w.parent is not None and w.parent.wm_class[:1] != ("vistrel",) and \
                        w.parent.id in by_id and self.session.viewable(w.id) and \
                        f"= {self.proc.pid}" in self.session.prop(w.id, "_NET_WM_PID"):
                    return w
            return None
        return wait_for("the tray icon", look, timeout)

    def popup_menu(self, timeout=5):
        """The menu: an override-redirect window of ours larger than the tray icon."""
        def look():
            for w in self.session.find():
                if w.width > 64 and f"= {self.proc.pid}" in self.session.prop(w.id, "_NET_WM_PID") \
                        and "Override Redirect State: yes" in self.session.run(
                            ["xwininfo", "-id", str(w.id)], check=False):
                    return w
            return None
        return wait_for("the popup menu", look, timeout)

    def menu_command(self, key):
        """Right click on the tray icon, then choose an item by its access key."""
        # Two presses within the double-click time make a double click, which opens no menu.
        global LAST_TRAY_CLICK
        time.sleep(max(0.0, LAST_TRAY_CLICK + 0.6 - time.monotonic()))
        LAST_TRAY_CLICK = time.monotonic()
        icon = self.tray_icon()
        self.session.click(icon.x + icon.width // 2, icon.y + icon.height // 2, button=3)
        self.popup_menu()
        self.session.key(key)

    def box(self, title, timeout=8):
        """A message box or dialog of ours (not the main window, which may share the title)."""
        def look():
            for w in self.session.find(name=title):
                props = self.session.prop(w.id, "_NET_WM_PID") + self.session.prop(
                    w.id, "_NET_WM_WINDOW_TYPE")
                if f"= {self.proc.pid}" in props and "_NET_WM_WINDOW_TYPE_DIALOG" in props:
                    return w
            return None
        return wait_for(f'the box "{title}"', look, timeout)

    def box_text(self, window):
        """The text of a dialog as Ctrl+C puts it on the clipboard."""
        self.session.xdotool("windowfocus", "--sync", window.id)
        self.session.key("ctrl+c")
        return wait_for("the clipboard text", lambda: self.session.run(
            [xsession.PROBE, "clipboard", "1"], check=False), 5)

    def press(self, window, key):
        """A key in a dialog: focused first, as a user clicks into it (without a window manager
        a window mapped later may have taken the focus)."""
        self.session.xdotool("windowfocus", "--sync", window.id)
        self.session.key(key)

    def ended(self, timeout=8):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"the program did not end within {timeout} s")

    def alive(self):
        return self.proc.poll() is None

    def stop(self):
        self.session.stop_process(self.proc, signal.SIGKILL)


def write_settings(home, text):
    path = os.path.join(home["XDG_CONFIG_HOME"], "Tarnwell")
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, "Vistrel.conf"), "w") as f:
        f.write(text)


def read_settings(vistrel):
    with open(vistrel.config_file) as f:
        return f.read()


def settings_values(text):
    values, section = {}, None
    for line in text.splitlines():
        if line.startswith("["):
            section = line.strip("[]")
        elif section == "General" and "=" in line:
            name, value = line.split("=", 1)
            values.setdefault(name.strip(), value)
    return values


# --- the picture ----------------------------------------------------------------------------
def source_rect(view_w, view_h, zoom, cursor, screen=(SCREEN_W, SCREEN_H)):
    """The source rectangle as the program computes it: ties to even, clamps right then left,
    within the whole X screen (every monitor of it)."""
    def axis(c, view, screen):
        origin = round(c - view / (zoom * 2))
        size = view / zoom
        if size + origin > screen:
            origin = round(screen - size)
        elif origin < 0:
            origin = 0
        return origin
    return (axis(cursor[0], view_w, screen[0]), axis(cursor[1], view_h, screen[1]),
            round(view_w / zoom), round(view_h / zoom))


def candidates(d, scale):
    """Source offsets a nearest-pixel scaler may pick for view pixel d: the one holding the
    pixel's centre, and its neighbour when the centre lies within the transform's fixed-point
    error of their border."""
    f = (d + 0.5) * scale
    i = math.floor(f)
    if f - i < 0.01:
        return (i, i - 1)
    if i + 1 - f < 0.01:
        return (i, i + 1)
    return (i,)


def view_mismatches(shot, win, zoom, cursor, limit=5):
    screen_w, screen_h = shot[0], shot[1]
    sx, sy, sw, sh = source_rect(win.width, win.height, zoom, cursor, (screen_w, screen_h))
    sxs, sys_ = sw / win.width, sh / win.height
    columns = [candidates(dx, sxs) for dx in range(win.width)]
    bad = []
    for dy in range(win.height):
        rows = candidates(dy, sys_)
        for dx in range(win.width):
            actual = pixel(shot, win.x + dx, win.y + dy)
            ok = False
            for oy in rows:
                for ox in columns[dx]:
                    x, y = sx + ox, sy + oy
                    inside = 0 <= x < screen_w and 0 <= y < screen_h
                    if actual == (pixel(shot, x, y) if inside else BLACK):
                        ok = True
                        break
                if ok:
                    break
            if not ok:
                bad.append((dx, dy, actual.hex()))
                if len(bad) >= limit:
                    return bad
    return bad


def expect_view(session, win, zoom, cursor, timeout=3.0):
    """Waits until the view shows the screen around cursor at zoom."""
    last = []

    def matches():
        nonlocal last
        last = view_mismatches(session.screenshot(), win, zoom, cursor)
        return not last
    try:
        wait_for(f"the view at zoom {zoom} around {cursor}", matches, timeout, 0.1)
    except TestFailure as e:
        raise TestFailure(f"{e}; first wrong view pixels (x, y, rgb): {last}")


def view_shows(session, win, colour):
    shot = session.screenshot()
    return pixel(shot, win.x + win.width // 2, win.y + win.height // 2) == colour


def setup_pattern(session):
    session.run([xsession.PROBE, "pattern"])


# --- tests ----------------------------------------------------------------------------------
TESTS = []


def test(host="trayer"):
    def register(fn):
        TESTS.append((fn.__name__, host, fn))
        return fn
    return register


def corner_home(session, name, extra=""):
    """A home whose settings put the 220 x 165 window at the screen's top-left corner, away from
    the places the tests magnify."""
    home = new_home(session.workdir, name)
    write_settings(home, "[General]\nTop=0\nLeft=0\n" + extra)
    return home


@test()
def picture_follows_cursor_at_centre_and_edges_and_clicks_zoom(session):
    v = Vistrel(session, corner_home(session, "view"))
    win = v.main_window()
    if (win.x, win.y, win.width, win.height) != (0, 0, 220, 165):
        raise TestFailure(f"window not at the stored place with the defined size: {win}")
    for cursor in [(600, 450), (2, 500), (1021, 400), (600, 1), (600, 766), (0, 0),
                   (1023, 767)]:
        session.move(*cursor)
        expect_view(session, win, 2, cursor)
    # A window laid over the view and taken away again: the view is drawn anew on the expose,
    # though the cursor stands still.
    cover = session.spawn([xsession.PROBE, "window", "40", "30", "120", "90", "00ff00"])
    wait_for("the covering window", lambda: pixel(session.screenshot(), 100, 60) == b"\x00\xff\x00")
    session.stop_process(cover)
    expect_view(session, win, 2, (1023, 767))
    # Left click zooms in, right click zooms out (down to 1, no further).
    centre = (win.x + 110, win.y + 80)
    session.click(*centre, button=1)
    session.move(600, 450)
    expect_view(session, win, 3, (600, 450))
    session.click(*centre, button=3, repeat=3)
    session.move(601, 451)
    expect_view(session, win, 1, (601, 451))
    session.click(*centre, button=1, repeat=20)  # 1 -> 20, and one more does nothing
    for cursor in [(602, 452), (3, 3), (1020, 764)]:
        session.move(*cursor)
        expect_view(session, win, 20, cursor)
    v.stop()


@test()
def odd_view_size_rounds_ties_to_even(session):
    # 101 x 99 at zoom 1 (Keep 1/1): the source starts at x - 50.5 and y - 49.5.
    v = Vistrel(session, corner_home(session, "odd", "Width=1515\nHeight=1485\nKeep1to1=True\n"))
    win = v.main_window()
    if (win.width, win.height) != (101, 99):
        raise TestFailure(f"view is {win.width} x {win.height}, not 101 x 99")
    for cursor in [(600, 450), (601, 451)]:
        session.move(*cursor)
        expect_view(session, win, 1, cursor)
    v.stop()


@test()
def device_pixels_under_a_qt_scale_factor(session):
    # Twips per pixel follow the logical DPI times the scale (7.5 here), so the defined client
    # area is 440 x 330 device pixels, and the picture is exact in device pixels.
    v = Vistrel(session, corner_home(session, "scaled"), env={"QT_SCALE_FACTOR": "2"})
    win = v.main_window()
    if (win.width, win.height) != (440, 330):
        raise TestFailure(f"the view is {win.width} x {win.height}, not 440 x 330")
    session.move(700, 500)
    expect_view(session, win, 2, (700, 500))
    session.click(win.x + 300, win.y + 200)
    session.move(701, 501)
    expect_view(session, win, 3, (701, 501))
    v.stop()


@test()
def tray_menu_commands_by_keyboard_and_double_click_shows(session):
    v = Vistrel(session, corner_home(session, "tray"))
    win = v.main_window()
    v.menu_command("i")  # Zoom In
    session.move(600, 450)
    expect_view(session, win, 3, (600, 450))
    v.menu_command("d")  # Hide
    wait_for("the window to hide", lambda: not session.viewable(win.id))
    # A single click and a right press-and-release over nothing else do not show it.
    icon = v.tray_icon()
    session.click(icon.x + icon.width // 2, icon.y + icon.height // 2, button=1)
    time.sleep(0.6)
    if session.viewable(win.id):
        raise TestFailure("a single click on the tray icon showed the window")
    session.move(icon.x + icon.width // 2, icon.y + icon.height // 2)
    session.xdotool("click", "--repeat", 2, "--delay", 60, 1)
    wait_for("the window to show again", lambda: session.viewable(win.id))
    v.menu_command("x")  # Exit
    if v.ended() != 0:
        raise TestFailure("Exit did not end the program normally")
    values = settings_values(read_settings(v))
    if values.get("Left") != "0" or values.get("Top") != "0":
        raise TestFailure(f"Exit did not save the window's place: {values}")


@test()
def alt_space_holds_the_source_while_the_cursor_moves(session):
    v = Vistrel(session, corner_home(session, "freeze"))
    win = v.main_window()
    session.move(600, 450)
    expect_view(session, win, 2, (600, 450))
    session.key("alt+space")
    time.sleep(0.2)
    session.move(300, 600)
    time.sleep(0.3)
    expect_view(session, win, 2, (600, 450))
    session.key("alt+space")
    session.move(301, 601)
    expect_view(session, win, 2, (301, 601))
    v.stop()


@test()
def alt_v_holds_the_picture_for_the_command_line_seconds(session):
    v = Vistrel(session, corner_home(session, "lock"), args=["2"])
    win = v.main_window()
    session.move(600, 450)
    expect_view(session, win, 2, (600, 450))
    session.key("alt+v")
    start = time.monotonic()
    time.sleep(1.4)  # the first second stays live; after it the picture stands still
    red = session.spawn([xsession.PROBE, "window", "500", "380", "200", "140", "ff0000"])
    time.sleep(0.4)
    if view_shows(session, win, b"\xff\x00\x00"):
        raise TestFailure("the picture changed during the hold")
    wait_for("the live frozen view after the hold",
             lambda: view_shows(session, win, b"\xff\x00\x00"), 5, 0.05)
    held = time.monotonic() - start
    if not 2.7 <= held <= 4.5:
        raise TestFailure(f"the picture came back after {held:.2f} s, not after 1 + 2 s")
    session.stop_process(red)
    # Frozen afterwards: moving the cursor does not move the source.
    session.move(300, 600)
    expect_view(session, win, 2, (600, 450))
    v.stop()


@test()
def still_cursor_redraws_only_with_a_refresh_option(session):
    red = b"\xff\x00\x00"
    for refresh, redraws in (("", False), ("RefreshHigh=True\n", True)):
        v = Vistrel(session, corner_home(session, "refresh" + str(redraws), refresh))
        win = v.main_window()
        session.move(600, 450)
        expect_view(session, win, 2, (600, 450))
        cover = session.spawn([xsession.PROBE, "window", "500", "380", "200", "140", "ff0000"])
        if redraws:
            wait_for("the refreshed view", lambda: view_shows(session, win, red), 3)
        else:
            time.sleep(0.6)
            if view_shows(session, win, red):
                raise TestFailure("the view was redrawn under a still cursor without a refresh option")
        session.stop_process(cover)
        v.stop()


@test()
def settings_written_on_exit_are_applied_at_the_next_start(session):
    home = new_home(session.workdir, "settings")
    write_settings(home, "; kept as it is\n[General]\nTop=abc\nLeft=300\nKeep1to1=True\n"
                         "RefreshHigh=True\nFuture=42\n[Other]\nTop=1\n")
    v = Vistrel(session, home)
    win = v.main_window()
    if (win.x, win.y) != (20, 209):
        raise TestFailure(f"Left=300 and Top=abc should place the window at 20, 209: {win}")
    session.move(700, 300)
    expect_view(session, win, 1, (700, 300))  # Keep 1/1 starts at zoom 1
    v.menu_command("x")
    v.ended()
    text = read_settings(v)
    expected = {"Top": "3135", "Left": "300", "Height": "2475", "Width": "3300",
                "RefreshHigh": "True", "RefreshAlways": "False", "Keep1to1": "True",
                "OnTop": "False", "Future": "42"}
    if settings_values(text) != expected:
        raise TestFailure(f"saved settings differ: {settings_values(text)}")
    if not text.startswith("; kept as it is\n") or "[Other]\nTop=1\n" not in text:
        raise TestFailure(f"lines of others were not kept:\n{text}")
    # The next start puts the window back exactly; SIGTERM saves the same values again.
    v2 = Vistrel(session, home)
    win2 = v2.main_window()
    if (win2.x, win2.y, win2.width, win2.height) != (20, 209, 220, 165):
        raise TestFailure(f"the window moved between runs: {win2}")
    session.stop_process(v2.proc, signal.SIGTERM)
    if v2.proc.returncode != 0:
        raise TestFailure("SIGTERM did not end the program through its normal close")
    if read_settings(v2) != text:
        raise TestFailure(f"the settings changed between runs:\n{read_settings(v2)}")


@test()
def a_write_after_the_settings_file_was_deleted_stores_nothing(session):
    v = Vistrel(session, corner_home(session, "deleted"))
    v.main_window()
    os.remove(v.config_file)
    session.stop_process(v.proc, signal.SIGTERM)
    if os.path.exists(v.config_file):
        raise TestFailure("closing re-created the deleted settings file")


@test()
def second_copy_shows_the_box_and_ends(session):
    home = corner_home(session, "single")
    first = Vistrel(session, home, name="first")
    first.main_window()
    first.tray_icon()
    second = Vistrel(session, home, name="second")
    box = second.box("Vistrel")
    text = second.box_text(box)
    for line in ("Vistrel is already running.",
                 "To view its popupmenu, rightclick on the Vistrel icon",
                 "in the system tray (on the taskbar, next to the clock)."):
        if line not in text:
            raise TestFailure(f"the box lacks {line!r}: {text!r}")
    if "OK" not in text:
        raise TestFailure(f"the box has no OK button: {text!r}")
    if any(w.wm_class[:1] == ("vistrel",) and w.width <= 64 for w in session.windows()
           if session.prop(w.id, "_NET_WM_PID").endswith(f"= {second.proc.pid}\n")
           and session.viewable(w.id) and w.id != box.id):
        raise TestFailure("the second copy added a tray icon")
    second.press(box, "Return")
    if second.ended() != 0:
        raise TestFailure("the second copy did not end normally")
    if not first.alive():
        raise TestFailure("the first copy ended too")
    first.stop()
    # A lock left by a copy that died is taken over.
    third = Vistrel(session, home, name="third")
    third.main_window()
    third.stop()


@test()
def non_numeric_argument_says_oops_and_ends_with_settings_saved(session):
    v = Vistrel(session, new_home(session.workdir, "oops"), args=["abc"])
    v.main_window()
    session.key("alt+v")
    box = v.box("Oops...")
    text = v.box_text(box)
    want = ("The optional command value must be nummeric (see the Vistrel readme.txt at "
            "COMMANDS).\nVistrel will quit now...")
    if want not in text:
        raise TestFailure(f"wrong text: {text!r}")
    v.press(box, "Return")
    v.ended()
    if settings_values(read_settings(v)).get("Top") != "3135":
        raise TestFailure("the settings were not saved")


@test()
def help_opens_readme_with_xdg_open_or_says_it_is_missing(session):
    home = corner_home(session, "help")
    app_dir = os.path.join(session.workdir, "my apps")
    os.makedirs(app_dir, exist_ok=True)
    binary = os.path.join(app_dir, "vistrel")
    shutil.copy2(OPTIONS.vistrel, binary)
    env, record = fake_xdg_open(session, "help")
    v = Vistrel(session, home, binary=binary, env=env)
    v.main_window()
    v.menu_command("h")
    box = v.box("Info")
    text = v.box_text(box)
    if "The Vistrel readme.txt seems to be missing..." not in text:
        raise TestFailure(f"wrong text: {text!r}")
    v.press(box, "Return")
    wait_for("the box to close", lambda: not session.viewable(box.id))
    readme = os.path.join(app_dir, "readme.txt")
    with open(readme, "w") as f:
        f.write("help\n")
    v.menu_command("h")
    args = recorded(record)
    if args != readme + "\n":
        raise TestFailure(f"xdg-open got {args!r}, not the one path {readme!r}")
    v.stop()


def fake_xdg_open(session, name):
    """A stand-in for xdg-open, found through PATH as the real one is, that records its
    arguments one per line; returns the PATH addition and the record's path."""
    bin_dir = os.path.join(session.workdir, "fakebin-" + name)
    os.makedirs(bin_dir, exist_ok=True)
    record = os.path.join(session.workdir, name + ".args")
    with open(os.path.join(bin_dir, "xdg-open"), "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s\\n" "$@" > "{record}.tmp"; mv "{record}.tmp" "{record}"\n')
    os.chmod(os.path.join(bin_dir, "xdg-open"), 0o755)
    return {"PATH": bin_dir + os.pathsep + os.environ["PATH"]}, record


def recorded(record):
    return wait_for("xdg-open to be started", lambda: os.path.exists(record) and open(record).read())


@test()
def about_shows_the_version_and_ok_closes_it(session):
    env, record = fake_xdg_open(session, "about")
    v = Vistrel(session, corner_home(session, "about"), env=env)
    v.main_window()
    v.menu_command("a")
    box = v.box("About")
    if (box.width, box.height) != (220, 293):
        raise TestFailure(f"the About dialog is {box.width} x {box.height}, not 220 x 293")
    v.press(box, "Escape")
    time.sleep(0.3)
    if not session.viewable(box.id):
        raise TestFailure("Escape closed the About dialog")
    text = v.box_text(box)
    for line in ("Vistrel", "Version 1.0.5", "Play and enjoy!", "https://tarnwell.example/vistrel/"):
        if line + "\n" not in text:
            raise TestFailure(f"the About dialog lacks {line!r}: {text!r}")
    v.press(box, "Return")  # OK has the focus
    wait_for("the About dialog to close", lambda: not session.viewable(box.id))
    # The link (at 360, 3105 twips) opens the homepage and closes the dialog.
    v.menu_command("a")
    box = v.box("About")
    session.click(box.x + 24 + 10, box.y + 207 + 6)
    if recorded(record) != "https://tarnwell.example/vistrel/\n":
        raise TestFailure(f"the link opened {open(record).read()!r}")
    wait_for("the About dialog to close", lambda: not session.viewable(box.id))
    v.stop()


@test()
def taken_hot_key_is_reported_once(session):
    holder = session.spawn([xsession.PROBE, "grab-alt-space"], log="grab.log")
    wait_for("the other program's grab",
             lambda: "ready" in open(os.path.join(session.workdir, "grab.log")).read())
    try:
        v = Vistrel(session, corner_home(session, "grabbed"))
        box = v.box("Vistrel")
        text = v.box_text(box)
        if "Alt + Space" not in text or "Alt + V" in text:
            raise TestFailure(f"the box should name Alt + Space only: {text!r}")
        v.press(box, "Return")
        wait_for("the box to close", lambda: not session.viewable(box.id))
        v.main_window()
        v.stop()
    finally:
        session.stop_process(holder)


@test()
def tray_icon_comes_back_when_the_tray_host_restarts(session):
    v = Vistrel(session, corner_home(session, "rehost"))
    v.main_window()
    v.tray_icon()
    session.stop_process(session.trayer)
    session.procs.remove(session.trayer)
    session.start_trayer()
    icon = v.tray_icon()
    session.click(icon.x + icon.width // 2, icon.y + icon.height // 2, button=3)
    v.popup_menu()
    session.key("Escape")
    v.stop()


@test(host="icewm")
def window_manager_frame_on_top_and_no_creep(session):
    home = new_home(session.workdir, "icewm")
    v = Vistrel(session, home)
    win = v.main_window()
    if (win.x, win.y, win.width, win.height) != (205, 209, 220, 165):
        raise TestFailure(f"the client area is not 220 x 165 at 205, 209: {win}")
    state = session.prop(win.id, "_NET_WM_STATE")
    if "SKIP_TASKBAR" not in state or "SKIP_PAGER" not in state:
        raise TestFailure(f"the window is listed in the taskbar or pager: {state}")
    v.menu_command("t")
    wait_for("the above state", lambda: "_NET_WM_STATE_ABOVE" in session.prop(win.id, "_NET_WM_STATE"))
    v.menu_command("t")
    wait_for("the above state to go",
             lambda: "_NET_WM_STATE_ABOVE" not in session.prop(win.id, "_NET_WM_STATE"))
    v.menu_command("t")
    extents = session.prop(win.id, "_NET_FRAME_EXTENTS").split("=")[1]
    left, right, top, bottom = (int(n) for n in extents.split(","))
    # Hidden and shown again (tray double click): the same place.
    v.menu_command("d")
    wait_for("the window to hide", lambda: not session.viewable(win.id))
    time.sleep(0.6)
    icon = v.tray_icon()
    session.move(icon.x + icon.width // 2, icon.y + icon.height // 2)
    session.xdotool("click", "--repeat", 2, "--delay", 60, 1)
    shown = wait_for("the window to show again", lambda: session.viewable(win.id) and v.main_window())
    if (shown.x, shown.y) != (win.x, win.y):
        raise TestFailure(f"hiding and showing moved the window: {win} -> {shown}")
    v.menu_command("d")  # closed while hidden: the place it had when it was hidden is stored
    wait_for("the window to hide", lambda: not session.viewable(win.id))
    v.menu_command("x")
    v.ended()
    values = settings_values(read_settings(v))
    want = {"Left": str((win.x - left) * 15), "Top": str((win.y - top) * 15),
            "Width": str((220 + left + right) * 15), "Height": str((165 + top + bottom) * 15),
            "OnTop": "True"}
    if any(values.get(k) != val for k, val in want.items()):
        raise TestFailure(f"stored frame {values} is not the outer frame {want}")
    # Started again from those values: same place, same size, above from the start.
    v2 = Vistrel(session, home, name="again")
    win2 = v2.main_window()
    if (win2.x, win2.y, win2.width, win2.height) != (win.x, win.y, 220, 165):
        raise TestFailure(f"the window crept: {win} -> {win2}")
    if "_NET_WM_STATE_ABOVE" not in session.prop(win2.id, "_NET_WM_STATE"):
        raise TestFailure("OnTop=True did not start the window above")
    # The frame's close button closes through the same saving path.
    with open(v2.config_file) as f:
        marked = f.read().replace("Top=", "Top=7", 1)
    with open(v2.config_file, "w") as f:
        f.write(marked)
    session.click(win2.x + 220 - 13, win2.y - 10)
    if v2.ended() != 0:
        raise TestFailure("the close button did not end the program normally")
    if settings_values(read_settings(v2)) != values:
        raise TestFailure(f"the frame changed between runs: {values} -> {read_settings(v2)}")


@test()
def stored_frame_no_screen_shows_comes_back_and_a_partly_shown_one_stays(session):
    # No window manager here: the outer frame is the client window, and there are no panels.
    cases = (
        ("huge", "Left=-1E+30\nTop=1E+30\nWidth=1E+30\nHeight=3.4E+38\n", (0, 0, 1024, 768)),
        ("negative sizes", "Left=1E+30\nTop=-1E+30\nWidth=-1E+30\nHeight=-3.4E+38\n",
         (804, 0, 220, 165)),
        ("on a head that is gone", "Left=22500\nTop=1500\n", (804, 100, 220, 165)),
        ("20 pixels off the left edge", "Left=-300\nTop=1500\n", (-20, 100, 220, 165)),
    )
    for name, stored, expected in cases:
        home = new_home(session.workdir, "frame-" + name.replace(" ", "-"))
        write_settings(home, "[General]\n" + stored)
        v = Vistrel(session, home)
        win = v.main_window()
        if (win.x, win.y, win.width, win.height) != expected:
            raise TestFailure(f"{name}: the window is at {win}, not at {expected}")
        session.stop_process(v.proc, signal.SIGTERM)
        if name.startswith("20 pixels") and settings_values(read_settings(v))["Left"] != "-300":
            raise TestFailure(f"a frame partly off the screen was not kept: {read_settings(v)}")


@test(host="dual")
def two_monitors_show_the_source_under_the_cursor_everywhere(session):
    # The left monitor is the secondary one; the window stays where it was stored on it.
    home = new_home(session.workdir, "dual")
    write_settings(home, "[General]\nTop=1500\nLeft=1500\n")
    v = Vistrel(session, home)
    win = v.main_window()
    if (win.x, win.y) != (100, 100):
        raise TestFailure(f"the window left the secondary monitor: {win}")
    for cursor in [(1500, 400), (1023, 400), (1024, 400), (1030, 300), (0, 0), (2047, 767),
                   (2047, 0), (0, 767)]:
        session.move(*cursor)
        expect_view(session, win, 2, cursor)


@test()
def installed_program_finds_its_help_beside_its_real_file(session):
    prefix = os.path.join(session.workdir, "prefix")
    build = os.path.dirname(OPTIONS.vistrel)
    session.run(["cmake", "--install", build, "--prefix", prefix], timeout=120)
    for path in ("lib/vistrel/vistrel", "lib/vistrel/readme.txt", "share/applications/vistrel.desktop"):
        if not os.path.isfile(os.path.join(prefix, path)):
            raise TestFailure(f"cmake --install did not install {path}")
    icons = [p for p in ("share/icons/hicolor/32x32/apps/vistrel.png", "share/pixmaps/vistrel.xpm")
             if os.path.isfile(os.path.join(prefix, p))]
    link = os.path.join(prefix, "bin", "vistrel")
    if not icons or not os.path.islink(link) or \
            os.path.realpath(link) != os.path.join(prefix, "lib", "vistrel", "vistrel"):
        raise TestFailure("the icon or the bin/ link is missing")
    env, record = fake_xdg_open(session, "installed")
    v = Vistrel(session, corner_home(session, "installed"), binary=link, env=env)
    v.main_window()
    v.menu_command("h")
    args = recorded(record)
    if args != os.path.join(prefix, "lib", "vistrel", "readme.txt") + "\n":
        raise TestFailure(f"Help opened {args!r}")
    v.stop()


@test(host="icewm")
def resizing_the_window_resizes_the_view(session):
    v = Vistrel(session, new_home(session.workdir, "resize"))
    win = v.main_window()
    session.xdotool("windowsize", win.id, 301, 203)
    win = wait_for("the new size", lambda: (lambda w: w if (w.width, w.height) == (301, 203)
                                            else None)(v.main_window()))
    session.move(700, 420)
    expect_view(session, win, 2, (700, 420))
    v.stop()


@test(host="no-render")
def without_render_the_client_side_copy_is_exact(session):
    v = Vistrel(session, corner_home(session, "norender"))
    win = v.main_window()
    for cursor in [(600, 450), (1021, 766)]:
        session.move(*cursor)
        expect_view(session, win, 2, cursor)
    v.stop()
    with open(os.path.join(session.workdir, "vistrel.log")) as f:
        if "RENDER" not in f.read():
            raise TestFailure("no message about the missing RENDER extension")


# --- runner ---------------------------------------------------------------------------------
def new_session(host, workdir):
    """trayer, icewm, no-render (trayer on a server without RENDER), or dual: a 2048 x 768 screen
    split into two monitors, the right one holding the screen's output."""
    os.makedirs(workdir, exist_ok=True)
    if host == "no-render":
        return XSession("trayer", ("-extension", "RENDER"), workdir)
    if host == "dual":
        session = XSession("trayer", (), workdir, size=(2048, 768))
        session.set_monitors(("right", 1024, 0, 1024, 768), ("left", 0, 0, 1024, 768))
        return session
    return XSession(host, (), workdir)


def run_case(session, name, fn, failed):
    """Runs one case, prints its PASS or FAIL line, and ends what it left running."""
    before = list(session.procs)
    t0 = time.monotonic()
    try:
        fn(session)
        print(f"PASS {name} ({time.monotonic() - t0:.1f} s)", flush=True)
        return 1
    except Exception as e:  # noqa: BLE001 - every failure is reported the same way
        failed.append(name)
        detail = str(e) if isinstance(e, TestFailure) else traceback.format_exc()
        print(f"FAIL {name} ({time.monotonic() - t0:.1f} s): {detail}", flush=True)
        return 0
    finally:
        for proc in session.procs[:]:
            if proc not in before and proc is not getattr(session, "trayer", None):
                session.stop_process(proc, signal.SIGKILL)
                session.procs.remove(proc)

def main():
    global OPTIONS
    parser = argparse.ArgumentParser()
    parser.add_argument("--vistrel", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("-k", dest="pattern", default="")
    parser.add_argument("--keep", action="store_true", help="keep the work directory")
    OPTIONS = parser.parse_args()
    OPTIONS.vistrel = os.path.abspath(OPTIONS.vistrel)
    xsession.PROBE = os.path.abspath(OPTIONS.probe)
    for tool in ("Xvfb", "trayer", "icewm", "xdotool", "xwininfo", "xprop", "import"):
        if not shutil.which(tool):
            print(f"missing tool: {tool}", file=sys.stderr)
            return 2

    selected = [t for t in TESTS if OPTIONS.pattern in t[0]]
    workdir = tempfile.mkdtemp(prefix="vistrel-e2e-")
    passed, failed, sessions = 0, [], {}
    started = time.monotonic()
    try:
        for name, host, fn in selected:
            if host not in sessions:
                sessions[host] = new_session(host, os.path.join(workdir, host))
                setup_pattern(sessions[host])
            passed += run_case(sessions[host], name, fn, failed)
    finally:
        for session in sessions.values():
            session.stop()
        if not OPTIONS.keep and not failed:
            shutil.rmtree(workdir, ignore_errors=True)
        elif failed:
            print(f"logs kept in {workdir}")
    print(f"{passed} passed, {len(failed)} failed ({time.monotonic() - started:.0f} s)")
    return 0 if not failed and passed else 1


OPTIONS = None

if __name__ == "__main__":
    sys.exit(main())
