"""Fixtures of the Wayland tests: a headless desktop per test module (sway, labwc, GNOME or
Plasma; see their rigs in tests/support), and the Linux program started in it with a home of its
own."""

import os
import shutil

import pytest

from support.kwin_rig import KWinRig
from support.mutter_rig import MutterRig
from support.program import Vistrel
from support.wlroots_rig import SET_OUTPUT, WlrootsRig

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


def _virtual_pointer(request):
    return os.path.join(os.path.dirname(request.config.getoption("--screencast-probe")),
                        "virtual_pointer")


# One sway per test module: XWayland keeps the keymap of the last keyboard that typed, and
# wtype's holds only the keys it typed (a program started after it would find no key for V).
@pytest.fixture(scope="module")
def sway(tmp_path_factory, request):
    yield from _rig(WlrootsRig, tmp_path_factory, pointer=_virtual_pointer(request))


@pytest.fixture(scope="module", params=[("sway", 1), ("sway", 2), ("labwc", 1), ("labwc", 2)],
                ids=["sway", "sway scale 2", "labwc", "labwc scale 2"])
def wlroots(tmp_path_factory, request):
    """Two outputs side by side, the program as the session starts it: where the compositor
    offers no capture protocol to take the pointer and the picture from, the tests skip."""
    compositor, scale = request.param
    for tool in (compositor, SET_OUTPUT[compositor].split()[0]):
        if not shutil.which(tool):
            pytest.skip(f"{tool} is not installed")
    rig = WlrootsRig(str(tmp_path_factory.mktemp(compositor)), _virtual_pointer(request),
                     compositor, outputs=2, scale=scale, x11_program=False)
    lacks = rig.lacks_capture()
    if lacks:
        rig.stop()
        pytest.skip(lacks)
    yield rig
    rig.stop()


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
def kwin_scale_15(tmp_path_factory):
    yield from _rig(KWinRig, tmp_path_factory, scale=1.5)


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


@pytest.fixture
def start_vistrel(tmp_path):
    """Starts the program in a rig, with a home of its own unless given (options: Vistrel's);
    what it started ends after the test."""
    started = []

    def start(rig, *args, home=None, **options):
        started.append(Vistrel(rig, home or str(tmp_path / f"home{len(started)}"), args,
                               **options))
        return started[-1]

    yield start
    for program in started:
        program.proc.stop()
