"""The Linux program under test, driven as a user drives it: started in a session (an X session
of xsession.py or a desktop rig of rig.py) with its own HOME and XDG directories, its windows,
tray icon, menu and boxes found by its process number, its settings file written and read, and
a stand-in for xdg-open that records what the program asked it to open. Shared by the
end-to-end and reliability tests, soak.py and the package test."""

import os
import signal
import subprocess
import time

from . import xsession
from .xsession import TestFailure, home_dirs, new_home, wait_for

# Set by the tests' configuration (or a script) to the program under test.
VISTREL = None
LAST_TRAY_CLICK = 0.0
BUS_NAME = "example.tarnwell.Vistrel"
TOKEN = os.path.join("Tarnwell", "Vistrel.screencast-token")


class Vistrel:
    """home: a home of new_home() or the path of one; command: what starts the program (by
    default the program under test); token: a screen-cast restore token it holds. On a desktop
    rig it is waited for until the rig sees it up. Without a home, env is all the program gets."""

    def __init__(self, session, home, args=(), command=None, env=None, name="vistrel",
                 token=None):
        self.session = session
        self.home = home_dirs(home) if isinstance(home, str) else home
        if home is None:
            self.env = dict(env)
        else:
            self.env = dict(session.program_env(self.home), **(env or {}))
        if token is not None:
            with open(os.path.join(self.home["XDG_STATE_HOME"], TOKEN), "w") as f:
                f.write(token)
        self.proc = session.spawn(name, [*(command or [VISTREL]), *args], self.env)
        if hasattr(session, "program_up"):
            wait_for(f"{name} to start",
                     lambda: self._still_running() and session.program_up(self), 20)

    def _still_running(self):
        """True while the program runs; fails with its output once it ended."""
        if self.proc.poll() is not None:
            with open(self.proc.log, errors="replace") as f:
                raise TestFailure(f"the program ended early: {f.read()}")
        return True

    def log(self):
        with open(self.proc.log, errors="replace") as f:
            return f.read()

    def call(self, method):
        """One of the program's session-bus methods (ToggleFreeze, ...)."""
        self.session.bus.get_object(BUS_NAME, "/example/tarnwell/Vistrel").get_dbus_method(
            method, BUS_NAME)()

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

    def end(self, timeout=10):
        """Ends the program the way the session's end does, which saves the settings; its
        status."""
        self.proc.send_signal(signal.SIGTERM)
        return self.ended(timeout)

    def stop(self):
        """Ends the program at once, saving nothing."""
        self.proc.kill()
        self.proc.wait()


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


def corner_home(session, name, extra=""):
    """A home whose settings put the 220 x 165 window at the screen's top-left corner, away from
    the places the tests magnify."""
    home = new_home(session.workdir, name)
    write_settings(home, "[General]\nTop=0\nLeft=0\n" + extra)
    return home


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
