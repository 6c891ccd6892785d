"""Fixtures shared by the end-to-end tests of the Linux program (tests/linux/x11) and its reliability
tests (tests/linux/reliability): the paths of the program and the probe, one X session per host kind
for the whole run, the clean-up of what each test started, the work directory (kept when a test
failed), and the figures the reliability tests report at the end of the run."""

import os
import shutil
import tempfile

import pytest

from support import picture, program, xsession
from support.xsession import XSession

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TOOLS = ("Xvfb", "trayer", "icewm", "xdotool", "xwininfo", "xprop", "xrandr", "import")
FIGURES = pytest.StashKey[list]()
KEPT = pytest.StashKey[str]()


def pytest_addoption(parser):
    group = parser.getgroup("vistrel")
    group.addoption("--vistrel", default=os.path.join(REPO, "build", "vistrel"),
                    help="the program under test (default: build/vistrel)")
    group.addoption("--probe", default=os.path.join(REPO, "build", "tests", "linux", "x11", "x11_probe"),
                    help="the X probe (default: build/tests/linux/x11/x11_probe)")
    group.addoption("--keep", action="store_true",
                    help="keep the work directory also when every test passed")
    group.addoption("--sanitized", action="store_true",
                    help="the program is the sanitizer build: run the tests marked sanitizer")


def pytest_configure(config):
    program.VISTREL = os.path.abspath(config.getoption("vistrel"))
    xsession.PROBE = os.path.abspath(config.getoption("probe"))
    config.stash[FIGURES] = []


def pytest_runtest_setup(item):
    root = item.get_closest_marker("needs_root")
    if root and os.geteuid() != 0:
        pytest.skip(f"{root.args[0]} needs root (run the tests as root, as CI does)")
    if item.get_closest_marker("sanitizer") and not item.config.getoption("sanitized"):
        pytest.skip("written for the sanitizer build of the program (--sanitized)")


def pytest_terminal_summary(terminalreporter, config):
    if config.stash[FIGURES]:
        terminalreporter.section("figures")
        for line in config.stash[FIGURES]:
            terminalreporter.write_line(line)
    if KEPT in config.stash:
        terminalreporter.write_line(f"logs kept in {config.stash[KEPT]}")


@pytest.fixture(scope="session")
def workdir(request):
    """The run's work directory: every session's logs and every test's home."""
    missing = [tool for tool in TOOLS if not shutil.which(tool)]
    if missing:
        pytest.exit(f"missing tools: {' '.join(missing)}", returncode=2)
    path = tempfile.mkdtemp(prefix="vistrel-tests-")
    # One reliability test runs the program as another user, who must reach its home below here.
    os.chmod(path, 0o711)
    yield path
    if request.session.testsfailed or request.config.getoption("keep"):
        request.config.stash[KEPT] = path
    else:
        shutil.rmtree(path, ignore_errors=True)


def open_session(host, workdir):
    """trayer, icewm, no-render (trayer on a server without RENDER), or dual: a 2048 x 768 screen
    split into two monitors, the right one holding the screen's output; notray: no tray, a bus."""
    os.makedirs(workdir)
    os.chmod(workdir, 0o711)  # as the work directory
    if host == "no-render":
        session = XSession("trayer", ("-extension", "RENDER"), workdir)
    elif host == "dual":
        session = XSession("trayer", (), workdir, size=(2048, 768))
        session.set_monitors(("right", 1024, 0, 1024, 768), ("left", 0, 0, 1024, 768))
    else:
        session = XSession(host, (), workdir)
    picture.setup_pattern(session)
    return session


@pytest.fixture(scope="session")
def x_sessions(workdir):
    """The X sessions of the run by host kind, each started when a test first needs it and shared
    by every test of that kind; all stopped at the end of the run."""
    sessions = {}

    def get(host):
        if host not in sessions:
            sessions[host] = open_session(host, os.path.join(workdir, host))
        return sessions[host]
    yield get
    for session in sessions.values():
        session.stop()


@pytest.fixture
def session(request, x_sessions):
    """The X session of the test's host kind (marker host, trayer unless said), with its tray
    host or window manager; whatever the test started there is ended after it."""
    marker = request.node.get_closest_marker("host")
    session = x_sessions(marker.args[0] if marker else "trayer")
    before = list(session.procs)
    yield session
    for proc in session.procs[:]:
        if proc not in before and proc is not getattr(session, "trayer", None):
            proc.kill()
            proc.wait()
            session.procs.remove(proc)


@pytest.fixture(scope="session")
def vistrel_binary():
    """The program under test, for tests that copy or install it."""
    return program.VISTREL


@pytest.fixture
def figure(request):
    """Records a line of figures (what a test tried and survived) for the run's summary."""
    def record(text):
        request.config.stash[FIGURES].append(text)
        print("  " + text, flush=True)
    return record
