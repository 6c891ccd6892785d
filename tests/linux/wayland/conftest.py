"""Fixtures of the Wayland tests: a headless sway session per test module (see sway_rig.py),
and the Linux program started in it with a home of its own per test."""

import os

import pytest

from support.kwin_rig import KWinRig
from support.mutter_rig import MutterRig
from support.rig import wait_for
from support.sway_rig import SwayRig
from support.tray_user import TrayItem

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))


def pytest_addoption(parser):
    # --vistrel and --probe are tests/conftest.py's.
    parser.getgroup("vistrel").addoption(
        "--screencast-probe",
        default=os.path.join(ROOT, "build", "tests", "linux", "wayland", "screencast_probe"),
        help="the Wayland backend's screen-cast probe")


@pytest.fixture
def probe(request):
    return request.config.getoption("--probe")


def _rig(kind, tmp_path_factory, **options):
    rig = kind(str(tmp_path_factory.mktemp(kind.__name__)), **options)
    yield rig
    rig.stop()


# One sway per test module: XWayland keeps the keymap of the last keyboard that typed, and
# wtype's holds only the keys it typed (a program started after it would find no key for V).
@pytest.fixture(scope="module")
def sway(tmp_path_factory):
    yield from _rig(SwayRig, tmp_path_factory)


# One GNOME compositor per test module: a fresh one costs about 5 s.
@pytest.fixture(scope="module")
def gnome(tmp_path_factory):
    yield from _rig(MutterRig, tmp_path_factory)


@pytest.fixture(scope="module")
def gnome_two_monitors(tmp_path_factory):
    yield from _rig(MutterRig, tmp_path_factory, monitors=2)


@pytest.fixture(scope="module")
def gnome_scale_2(tmp_path_factory):
    yield from _rig(MutterRig, tmp_path_factory, scale=2)


@pytest.fixture(scope="module")
def gnome_scale_15(tmp_path_factory):
    yield from _rig(MutterRig, tmp_path_factory, scale=1.5)


@pytest.fixture(scope="module")
def kwin(tmp_path_factory):
    yield from _rig(KWinRig, tmp_path_factory)


@pytest.fixture(scope="module")
def kwin_picture(tmp_path_factory, request):
    """The Plasma rig with screen-cast pictures: its KWin effect is built beside the probes."""
    feed = os.path.join(os.path.dirname(request.config.getoption("--screencast-probe")),
                        "kwin_frame_feed")
    if not os.path.exists(os.path.join(feed, "kwin", "effects", "plugins",
                                       "vistrel_frame_feed.so")):
        pytest.skip("no KWin frame feed in the build: it needs VISTREL_TESTS and KWin 5's effect "
                    "headers (kwin-dev); KWin 6 casts the screen only with OpenGL on a render node")
    yield from _rig(KWinRig, tmp_path_factory, frame_feed=feed)


class Vistrel:
    """The program running in the rig: its process, home, settings file and tray item."""

    def __init__(self, rig, binary, home, args=(), display=None):
        self.rig = rig
        self.home = home
        self.settings = os.path.join(home, ".config", "Tarnwell", "Vistrel.conf")
        env = rig.program_env(home)
        if display:
            env["DISPLAY"] = display
        self.process = rig.spawn("vistrel-" + os.path.basename(home), [binary, *args], env)
        self.item = wait_for("the program's StatusNotifierItem",
                             lambda: self._alive() and TrayItem.of_process(rig.bus, self.process.pid))
        # The program always shows its window at start (sway sees it on XWayland only).
        if not display:
            wait_for("the program's window", self.window)

    def _alive(self):
        if not self.process.running():
            with open(self.process.log, errors="replace") as f:
                raise AssertionError(f"the program ended early: {f.read()}")
        return True

    def window(self):
        """sway's node of the program's main window while it is mapped, else None."""
        return next((w for w in self.rig.windows() if w.get("pid") == self.process.pid and
                     w.get("window_properties", {}).get("window_type") == "utility"), None)

    def stop(self):
        self.process.stop()


@pytest.fixture
def start_vistrel(sway, tmp_path, request):
    started = []

    def start(*args, home=None, display=None):
        """Starts the program on XWayland, or on the X server display if given."""
        home = home or str(tmp_path / f"home{len(started)}")
        os.makedirs(home, exist_ok=True)
        program = Vistrel(sway, request.config.getoption("--vistrel"), home, args, display)
        started.append(program)
        return program

    yield start
    for program in started:
        program.stop()
