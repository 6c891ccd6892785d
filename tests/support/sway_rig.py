"""A private headless sway session for the Wayland tests: its own runtime directory and session
bus, sway on the pixman renderer with XWayland and swaybar (a real StatusNotifierItem host), and
the means to look at it (sway's IPC, grim) and to type into it (wtype). Every process it starts
runs in a process group of its own (rig.py) and is stopped by that group. sway refuses to run as root:
tests/linux/wayland/run-suite.sh runs these tests as an ordinary user."""

import json
import os
import subprocess
import time

from .rig import Rig, RigFailure, quietly
from .tray_user import TrayItem
from .xsession import wait_for

HERE = os.path.dirname(os.path.abspath(__file__))


class SwayRig(Rig):
    def __init__(self, run_dir):
        super().__init__(run_dir, "sway does not run as root: run the tests as an ordinary user",
                         {"VISTREL_RIG": run_dir})

    def _start(self):
        self._start_bus()
        compositor = dict(self.env, WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                          WLR_LIBINPUT_NO_DEVICES="1")
        self.sway = self.spawn("sway", ["sway", "-c", os.path.join(HERE, "sway.config")],
                                compositor)

        def ipc_socket():
            names = [n for n in os.listdir(self.run) if n.startswith("sway-ipc.")]
            return names[0] if names else None

        self.env["SWAYSOCK"] = os.path.join(self.run, wait_for("sway's IPC socket", ipc_socket))
        wait_for("sway's output", quietly(lambda: self.swaymsg("get_outputs")))
        sockets = [n for n in os.listdir(self.run) if n.startswith("wayland-") and
                   not n.endswith(".lock")]
        self.env["WAYLAND_DISPLAY"] = sockets[0]
        display_file = os.path.join(self.run, "display")
        wait_for("XWayland's display", lambda: os.path.exists(display_file))
        with open(display_file) as f:
            self.display = f.read().strip()
        if not self.display:
            raise RigFailure("sway started without XWayland")
        # Qt decides between StatusNotifierItem and XEmbed once, when the icon is made: the host
        # has to be there first.
        wait_for("swaybar's StatusNotifierItem host", quietly(self.host_registered))

    def host_registered(self):
        watcher = self.bus.get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
        return bool(watcher.Get("org.kde.StatusNotifierWatcher", "IsStatusNotifierHostRegistered",
                                dbus_interface="org.freedesktop.DBus.Properties"))

    def swaymsg(self, kind, *command):
        out = subprocess.run(["swaymsg", "-r", "-t", kind, *command], env=self.env,
                             capture_output=True, text=True, timeout=10, check=True).stdout
        return json.loads(out) if out.strip() else None

    def pointer_to(self, x, y):
        self.swaymsg("command", "seat", "-", "cursor", "set", str(x), str(y))

    def windows(self):
        """The tree's windows (Wayland and X11) as dicts, with sway's 'visible' flag."""
        found = []

        def walk(node):
            if node.get("type") in ("con", "floating_con") and node.get("pid"):
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)

        walk(self.swaymsg("get_tree"))
        return found

    def screenshot(self):
        """The whole output as PPM bytes, through wlr-screencopy."""
        return subprocess.run(["grim", "-t", "ppm", "-"], env=self.env, check=True, timeout=10,
                              capture_output=True).stdout

    def type_keys(self, *args):
        """wtype's arguments. XWayland drops the first key after wtype sets up its keyboard, so
        a lone Shift goes first."""
        subprocess.run(["wtype", "-k", "Shift_L", "-s", "100", *args], env=self.env, check=True,
                       timeout=10)

    def program_env(self, home):
        """The program on XWayland in this session."""
        return dict(self.env, **home, DISPLAY=self.display, XDG_SESSION_TYPE="wayland",
                    QT_QPA_PLATFORM="xcb")

    def program_up(self, program):
        """Its tray item is there, and its window, which it always shows at start (sway sees it
        only on XWayland)."""
        program.item = TrayItem.of_process(self.bus, program.proc.pid)
        return program.item and (program.env["DISPLAY"] != self.display or
                                 self.window_of(program))

    def wait_window_gone(self, program, what):
        """Until sway no longer has the window, and a second longer: a window mapped again at
        once is sometimes never shown by sway 1.10 (docs/linux.md)."""
        wait_for(what, lambda: self.window_of(program) is None)
        time.sleep(1.2)

    def window_of(self, program):
        """sway's node of the program's main window while it is mapped, else None."""
        return next((w for w in self.windows() if w.get("pid") == program.proc.pid and
                     w.get("window_properties", {}).get("window_type") == "utility"), None)
