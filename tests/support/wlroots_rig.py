"""A private headless wlroots desktop for the Wayland tests, sway or labwc: its own runtime
directory and session bus, the compositor on the pixman renderer with XWayland, one or more
1024 x 768 outputs side by side at one scale, the rig's virtual pointer as the seat's mouse
(virtual_pointer.cpp), and the means to look at it (grim) and to type into it (wtype). On sway
also swaybar (a real StatusNotifierItem host) and sway's IPC, which tells the windows; labwc has
neither. Every process it starts runs in a process group of its own (rig.py) and is stopped by
that group. sway refuses to run as root: tests/linux/wayland/run-suite.sh runs these tests as an
ordinary user."""

import json
import os
import re
import subprocess
import time

from .rig import Rig, RigFailure, quietly
from .tray_user import TrayItem
from .xsession import parse_ppm, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 1024, 768  # each output's mode
# What differs between the compositors: how each starts with the rig's configuration (each
# writes XWayland's display to $VISTREL_RIG/display once it is up), and how an output is set
# (labwc has no IPC; sway 1.7 fails wlr-randr's changes of headless outputs).
START = {"sway": ["sway", "-c", os.path.join(HERE, "sway.config")],
         "labwc": ["labwc", "-C", os.path.join(HERE, "labwc")]}
SET_OUTPUT = {
    "sway": "swaymsg -- output {name} mode --custom {mode} position {x} 0 scale {scale}",
    "labwc": "wlr-randr --output {name} --custom-mode {mode} --pos {x},0 --scale {scale}"}
# The globals the program's compositor capture path needs.
CAPTURE_GLOBALS = ("ext_image_copy_capture_manager_v1",
                   "ext_output_image_capture_source_manager_v1")


class WlrootsRig(Rig):
    """compositor: "sway" or "labwc"; pointer: the virtual_pointer program; x11_program: the
    program under test runs on XWayland (as it does on sway before these compositors offered
    their capture protocols), else as the session starts it."""

    view_timeout = 10

    def __init__(self, run_dir, pointer, compositor="sway", outputs=1, scale=1,
                 x11_program=True):
        self.compositor, self.pointer_tool = compositor, pointer
        self.outputs, self.scale, self.x11_program = outputs, scale, x11_program
        self.width, self.height = WIDTH, HEIGHT
        super().__init__(run_dir, f"{compositor} does not run as root: run the tests as an "
                         "ordinary user", {"VISTREL_RIG": run_dir})

    def _start(self):
        self._start_bus()
        compositor = dict(self.env, WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                          WLR_LIBINPUT_NO_DEVICES="1", WLR_HEADLESS_OUTPUTS=str(self.outputs))
        self.spawn(self.compositor, START[self.compositor], compositor)
        display_file = os.path.join(self.run, "display")
        wait_for(f"{self.compositor} to start", lambda: os.path.exists(display_file))
        with open(display_file) as f:
            self.display = f.read().strip()
        sockets = [n for n in os.listdir(self.run) if n.startswith("wayland-") and
                   not n.endswith(".lock")]
        self.env["WAYLAND_DISPLAY"] = sockets[0]
        if self.compositor == "sway":
            self.env["SWAYSOCK"] = os.path.join(self.run, next(
                n for n in os.listdir(self.run) if n.startswith("sway-ipc.")))
            if not self.display:
                raise RigFailure("sway started without XWayland")
        self._start_pointer()
        for i in range(self.outputs):
            subprocess.run(SET_OUTPUT[self.compositor].format(
                name=f"HEADLESS-{i + 1}", mode=f"{WIDTH}x{HEIGHT}@60Hz",
                x=i * WIDTH // self.scale, scale=self.scale).split(), env=self.env, check=True,
                timeout=10, capture_output=True)
        if self.compositor == "sway":
            # Qt decides between StatusNotifierItem and XEmbed once, when the icon is made: the
            # host has to be there first.
            wait_for("swaybar's StatusNotifierItem host", quietly(self.host_registered))

    def _start_pointer(self):
        """The mouse, and from what it saw first the compositor's globals."""
        fifo = os.path.join(self.run, "pointer")
        os.mkfifo(fifo)
        log = self.spawn("virtual-pointer", [self.pointer_tool, fifo]).log
        said = wait_for("the virtual pointer (its log: virtual-pointer.log)",
                        lambda: "READY\n" in open(log).read() and open(log).read())
        self.globals = set(re.findall(r"^GLOBAL (\S+)", said, re.M))
        # Opened without waiting, so it fails while the tool has not opened its end yet.
        fd = wait_for("the virtual pointer's FIFO",
                      quietly(lambda: os.open(fifo, os.O_WRONLY | os.O_NONBLOCK)))
        os.set_blocking(fd, True)
        self.pointer = os.fdopen(fd, "w", buffering=1)

    def lacks_capture(self):
        """Why the program's compositor capture path cannot work here, or nothing."""
        missing = [g for g in CAPTURE_GLOBALS if g not in self.globals]
        version = subprocess.run([self.compositor, "--version"], capture_output=True, text=True,
                                 timeout=10).stdout.splitlines()[0]
        return missing and f"{version} offers no {' and no '.join(missing)}"

    def pointer_to(self, x, y):
        """(x, y) in the screenshot's pixels, the outputs' buffer pixels."""
        s = self.scale
        self.pointer.write(f"move {x // s} {y // s} {self.outputs * WIDTH // s} {HEIGHT // s}\n")

    def focus_output(self, index):
        """Where the next window opens: labwc opens it on the pointer's output, sway on the
        focused one."""
        self.pointer_to(index * WIDTH + WIDTH // 2, HEIGHT // 2)
        if self.compositor == "sway":
            self.swaymsg("command", f"focus output HEADLESS-{index + 1}")

    def click(self, x, y):
        self.pointer_to(x, y)
        self.pointer.write("press\nrelease\n")

    def host_registered(self):
        watcher = self.bus.get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
        return bool(watcher.Get("org.kde.StatusNotifierWatcher", "IsStatusNotifierHostRegistered",
                                dbus_interface="org.freedesktop.DBus.Properties"))

    def swaymsg(self, kind, *command):
        out = subprocess.run(["swaymsg", "-r", "-t", kind, *command], env=self.env,
                             capture_output=True, text=True, timeout=10, check=True).stdout
        return json.loads(out) if out.strip() else None

    def windows(self):
        """sway's windows (Wayland and X11) as dicts, with sway's 'visible' flag."""
        found = []

        def walk(node):
            if node.get("type") in ("con", "floating_con") and node.get("pid"):
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)

        walk(self.swaymsg("get_tree"))
        return found

    def screenshot(self):
        """Every output, without the pointer, as parse_ppm() gives it."""
        return parse_ppm(subprocess.run(["grim", "-t", "ppm", "-"], env=self.env, check=True,
                                        timeout=10, capture_output=True).stdout)

    def type_keys(self, *args):
        """wtype's arguments. XWayland drops the first key after wtype sets up its keyboard, so
        a lone Shift goes first."""
        subprocess.run(["wtype", "-k", "Shift_L", "-s", "100", *args], env=self.env, check=True,
                       timeout=10)

    def program_env(self, home):
        """The X11 program on XWayland in this session, or the program as the session starts
        it."""
        if not self.x11_program:
            return super().program_env(home)
        return dict(self.env, **home, DISPLAY=self.display, XDG_SESSION_TYPE="wayland",
                    QT_QPA_PLATFORM="xcb")

    def program_up(self, program):
        """The X11 program's tray item is there, and its window, which it always shows at start
        (sway sees it only on XWayland)."""
        if not self.x11_program:
            return super().program_up(program)
        program.item = TrayItem.of_process(self.bus, program.proc.pid)
        return program.item and (program.env["DISPLAY"] != self.display or
                                 self.window_of(program))

    def wait_window_gone(self, program, what):
        """Until sway no longer has the window, and two seconds longer: a window mapped again at
        once is sometimes never shown by sway 1.10 (docs/linux.md; 1.2 s was once too little on
        a machine running two test suites side by side)."""
        wait_for(what, lambda: self.window_of(program) is None)
        time.sleep(2)

    def window_of(self, program):
        """sway's node of the X11 program's main window while it is mapped, else None."""
        return next((w for w in self.windows() if w.get("pid") == program.proc.pid and
                     w.get("window_properties", {}).get("window_type") == "utility"), None)
