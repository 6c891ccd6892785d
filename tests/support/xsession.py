"""A private X session for the end-to-end tests: Xvfb on a display it picks itself (-displayfd),
a tray host or a window manager, the programs a test starts, and the means to look at and drive
them (xwininfo, xprop, xdotool, import). Everything started here is stopped by its PID."""

import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time


PROBE = os.environ.get("VISTREL_X11_PROBE", "x11_probe")
# F10 by its key code in Xvfb's evdev map: newer keymaps (xkb-data 2.48) also give F10's shifted
# level to Shift+Alt, and xdotool, asked for the key symbol, then holds Alt as well.
SHIFT_F10 = "shift+76"


class TestFailure(Exception):
    __test__ = False  # not a class of tests for pytest


def wait_for(what, condition, timeout=10.0, interval=0.05):
    """Polls condition() until it returns something true; fails naming what was awaited. The
    default is long enough for a compositor to start; a test that waits for less says so."""
    if os.environ.get("VISTREL_E2E_TRACE"):
        print(f"  {time.strftime('%T')} waiting for {what}", flush=True)
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TestFailure(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


class Process(subprocess.Popen):
    """A process with its output in a log file; with group, the leader of a process group of its
    own, which stop() ends as a whole (a desktop's helpers start more processes)."""

    def __init__(self, argv, env, log, group=False, append=False, **kwargs):
        self.log, self.group = log, group
        with open(log, "ab" if append else "wb") as out:
            super().__init__(argv, env=env, stdin=subprocess.DEVNULL, stdout=out,
                             stderr=subprocess.STDOUT, process_group=0 if group else None,
                             **kwargs)

    def running(self):
        return self.poll() is None

    def stop(self, sig=signal.SIGTERM, timeout=5.0):
        """sig, and SIGKILL to what is left after timeout."""
        for sent in (sig, signal.SIGKILL):
            try:
                os.killpg(self.pid, sent) if self.group else self.send_signal(sent)
            except ProcessLookupError:
                break
            try:
                self.wait(timeout)
            except subprocess.TimeoutExpired:
                continue
            # The leader is gone; give the rest of the group the same time to follow.
            deadline = time.monotonic() + timeout
            while self.group and time.monotonic() < deadline:
                try:
                    os.killpg(self.pid, 0)
                except ProcessLookupError:
                    return
                time.sleep(0.05)
            if not self.group:
                return
        try:
            self.wait(timeout)
        except subprocess.TimeoutExpired:
            pass


class Window:
    def __init__(self, wid, name, wm_class, width, height, x, y, parent):
        self.id = wid
        self.name = name
        self.wm_class = wm_class
        self.width, self.height, self.x, self.y = width, height, x, y
        self.parent = parent

    def __repr__(self):
        return f"<{self.id:#x} {self.name!r} {self.wm_class} {self.width}x{self.height}+{self.x}+{self.y}>"


_TREE_LINE = re.compile(
    r'^(\s*)(0x[0-9a-f]+) (?:\(has no name\)|"(.*)"):\s*\((.*)\)\s+(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+?(-?\d+)\+?(-?\d+)')


class XSession:
    """Xvfb of the given size (1024x768 unless said) at 24 bits and 96 DPI, with the given extras
    ("trayer", "icewm" or nothing)."""

    view_timeout = 3.0  # how long the program's view may take to show a change (picture.py)

    def __init__(self, host="trayer", xvfb_args=(), workdir=None, size=(1024, 768)):
        self.size = size
        self.workdir = workdir or tempfile.mkdtemp(prefix="vistrel-x11-")
        os.makedirs(self.workdir, exist_ok=True)
        self.procs = []
        # Other X servers come and go on this machine; a start that loses a race for a display
        # number is tried again.
        for _ in range(3):
            number = self._start_xvfb(xvfb_args)
            if number:
                break
        else:
            raise TestFailure("Xvfb did not start; see " + os.path.join(self.workdir, "xvfb.log"))
        self.display = ":" + number
        self.env = dict(os.environ, DISPLAY=self.display)
        for key in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER"):
            self.env.pop(key, None)
        wait_for(f"the X server on {self.display}", self._answers, 10, 0.1)
        self.host = host
        if host == "trayer":
            self.start_trayer()
        elif host == "notray":  # with the session bus that a second start talks over
            self.env["DBUS_SESSION_BUS_ADDRESS"] = start_bus(self, os.path.join(self.workdir, "bus"))
        elif host == "icewm":
            cfg = os.path.join(self.workdir, "icewm")
            os.makedirs(cfg, exist_ok=True)
            with open(os.path.join(cfg, "preferences"), "w") as f:
                f.write("TaskBarShowClock=0\nTaskBarShowAPMStatus=0\nTaskBarShowMailboxStatus=0\n"
                        "TaskBarShowCPUStatus=0\nTaskBarShowNetStatus=0\nShowPopupsAbovePointer=0\n"
                        "FocusRequestFlashTime=0\nQuickSwitch=0\n")
            self.wm = self.spawn("icewm", ["icewm"], dict(self.env, ICEWM_PRIVCFG=cfg))
            wait_for("icewm's tray", lambda: self.selection_owned("_NET_SYSTEM_TRAY_S0"), 10)
            wait_for("icewm to manage windows", lambda: self.selection_owned("WM_S0"), 10)

    def _start_xvfb(self, xvfb_args):
        read_fd, write_fd = os.pipe()
        self.xvfb = Process(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % self.size, "-dpi", "96",
             "-nolisten", "tcp", "-noreset", *xvfb_args],
            None, os.path.join(self.workdir, "xvfb.log"), append=True, pass_fds=(write_fd,))
        os.close(write_fd)
        text = b""
        deadline = time.monotonic() + 15
        while not text.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_fd], [], [], 0.2)
            if ready:
                chunk = os.read(read_fd, 64)
                if not chunk:
                    break
                text += chunk
        os.close(read_fd)
        if not text.strip().isdigit():
            self.xvfb.stop()
            return None
        return text.decode().strip()

    def set_monitors(self, *monitors):
        """Splits the screen into RandR monitors, (name, x, y, width, height) each; the first
        one holds the screen's output, which makes it the first head that Xinerama reports."""
        for i, (name, x, y, w, h) in enumerate(monitors):
            self.run(["xrandr", "--setmonitor", name, f"{w}/{w * 254 // 960}x{h}/{h * 254 // 960}+{x}+{y}",
                      "screen" if i == 0 else "none"])

    def _answers(self):
        if self.xvfb.poll() is not None:
            raise TestFailure(f"Xvfb ended with {self.xvfb.returncode}")
        return subprocess.run(["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0

    # --- processes -------------------------------------------------------------------------
    def spawn(self, name, argv, env=None):
        """Starts argv with its output in name.log, which the runs of a name share."""
        proc = Process(argv, env or self.env, os.path.join(self.workdir, name + ".log"),
                       append=True)
        self.procs.append(proc)
        return proc

    def program_env(self, home):
        return dict(self.env, **home)

    def start_trayer(self):
        self.trayer = self.spawn("trayer", ["trayer", "--edge", "bottom", "--align", "right",
                                            "--widthtype", "request", "--height", "24",
                                            "--SetDockType", "true", "--transparent", "false"])
        wait_for("trayer to own the tray", lambda: self.selection_owned("_NET_SYSTEM_TRAY_S0"), 10)

    def stop(self):
        for proc in reversed(self.procs):
            proc.stop()
        self.xvfb.stop()

    def run(self, argv, check=True, timeout=20, env=None, **kwargs):
        t0 = time.monotonic()
        result = subprocess.run(argv, env=env or self.env, capture_output=True, text=True,
                                timeout=timeout, **kwargs)
        if os.environ.get("VISTREL_E2E_TRACE") and time.monotonic() - t0 > 0.5:
            print(f"  slow ({time.monotonic() - t0:.1f} s): {argv}", flush=True)
        if check and result.returncode != 0:
            raise TestFailure(f"{' '.join(argv)} failed: {result.stderr.strip()}")
        return result.stdout

    # --- looking -----------------------------------------------------------------------------
    def selection_owned(self, name):
        """The window owning the selection (tray hosts and window managers own one), or 0."""
        out = subprocess.run([PROBE, "owner", name], env=self.env, capture_output=True,
                             text=True).stdout.strip()
        return int(out or "0")

    def windows(self):
        """Every window of the tree with its parent, absolute position and WM_CLASS."""
        out = self.run(["xwininfo", "-root", "-tree"])
        windows, stack = [], []
        for line in out.splitlines():
            m = _TREE_LINE.match(line)
            if not m:
                continue
            depth = len(m.group(1))
            while stack and stack[-1][0] >= depth:
                stack.pop()
            parent = stack[-1][1] if stack else None
            classes = re.findall(r'"([^"]*)"', m.group(4))
            win = Window(int(m.group(2), 16), m.group(3), tuple(classes), int(m.group(5)),
                         int(m.group(6)), int(m.group(7)), int(m.group(8)), parent)
            windows.append(win)
            stack.append((depth, win))
        return windows

    def viewable(self, wid):
        out = self.run(["xwininfo", "-id", str(wid)], check=False)
        return "IsViewable" in out

    def prop(self, wid, name):
        return self.run(["xprop", "-id", str(wid), name], check=False)

    def find(self, name=None, wm_class="vistrel", viewable=True):
        """Windows by name and WM_CLASS; with viewable, only mapped ones, with the geometry read
        in the same request as the map state (the tree may be older than the mapping)."""
        found = []
        for w in self.windows():
            if wm_class and (not w.wm_class or w.wm_class[0] != wm_class):
                continue
            if name is not None and w.name != name:
                continue
            if viewable:
                info = self.run(["xwininfo", "-id", str(w.id)], check=False)
                if "IsViewable" not in info:
                    continue
                fields = dict(re.findall(r"^\s*(Absolute upper-left X|Absolute upper-left Y|Width|"
                                         r"Height):\s+(-?\d+)", info, re.M))
                if len(fields) == 4:
                    w.x, w.y = int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"])
                    w.width, w.height = int(fields["Width"]), int(fields["Height"])
            found.append(w)
        return found

    def screenshot(self):
        """The whole screen as (width, height, rgb bytes)."""
        data = subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"], env=self.env,
                              capture_output=True, timeout=20).stdout
        return parse_ppm(data)

    # --- input -------------------------------------------------------------------------------
    def xdotool(self, *args):
        self.run(["xdotool", *[str(a) for a in args]])

    def pointer(self):
        out = self.run(["xdotool", "getmouselocation", "--shell"])
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"])

    def move(self, x, y):
        # Not --sync: it waits for a motion that never comes when the pointer is there already.
        self.xdotool("mousemove", x, y)
        wait_for(f"the pointer at {x}, {y}", lambda: self.pointer() == (x, y), 5, 0.02)

    def click(self, x, y, button=1, repeat=1):
        self.move(x, y)
        for _ in range(repeat):
            self.xdotool("click", button)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)


def parse_ppm(data):
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not m:
        raise TestFailure("screenshot is not a PPM picture")
    width, height = int(m.group(1)), int(m.group(2))
    return width, height, data[m.end():m.end() + width * height * 3]


def pixel(shot, x, y):
    width, _, rgb = shot
    i = (y * width + x) * 3
    return rgb[i:i + 3]


def start_bus(session, path):
    """A session bus of its own at path for a session's programs (a desktop has one); its
    address."""
    address = "unix:path=" + path
    session.spawn("bus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                          "--address=" + address])
    wait_for("the session bus", lambda: os.path.exists(path))
    return address


NO_TRAY_MARK = os.path.join("Tarnwell", "Vistrel.no-tray-notice-shown")


def new_home(root, name):
    """A new HOME with its own XDG directories for one test (home_dirs)."""
    home = os.path.join(root, name)
    if os.path.exists(home):
        shutil.rmtree(home)
    return home_dirs(home)


def home_dirs(home):
    """The XDG directories of a HOME, made where missing, of a user who has seen the box about a
    desktop without a tray (which would stand in the way of tests there)."""
    dirs = {k: os.path.join(home, d) for k, d in
            (("HOME", ""), ("XDG_CONFIG_HOME", ".config"), ("XDG_RUNTIME_DIR", "run"),
             ("XDG_DATA_HOME", ".local/share"), ("XDG_CACHE_HOME", ".cache"),
             ("XDG_STATE_HOME", ".local/state"))}
    for path in dirs.values():
        os.makedirs(path, mode=0o700, exist_ok=True)
    os.makedirs(os.path.join(dirs["XDG_STATE_HOME"], "Tarnwell"), exist_ok=True)
    open(os.path.join(dirs["XDG_STATE_HOME"], NO_TRAY_MARK), "w").close()
    return dirs
