"""Fixtures of the reliability tests of the Linux program: hostile settings files (odd values,
unusable paths, a full and a read-only disk), kills at random moments, many copies started at
once, a program directory with shell characters in its path, the session manager's log-off, and a
short scenario under the address and undefined-behaviour sanitizers.

Every test runs the real program on its own Xvfb with its own HOME and XDG directories, using the
helpers of tests/support (XSession, Vistrel, the settings checks of support.reliability) and the
fixtures of tests/conftest.py.

    pytest-3 tests/linux/reliability [--vistrel build/vistrel] [--probe build/tests/linux/x11/x11_probe] [-k NAME]
    pytest-3 tests/linux/reliability --vistrel build-sanitize/vistrel --probe ... --sanitized -k ...

The mounts (the full and the read-only disk) and running the program as another user (the
unreadable file; `setpriv` from util-linux does that) need root: those tests are marked
needs_root and skipped without it.
"""

from dataclasses import dataclass

import pytest

from support.program import Vistrel, read_settings
from support.reliability import term_and_wait, valid_values
from support.xsession import new_home


@dataclass
class Defaults:
    values: dict  # the eight values as written
    place: list   # the main window's x, y, width and height


@pytest.fixture(scope="module")
def defaults(x_sessions):
    """What a run without settings shows and writes (the window definition's frame, options
    off)."""
    session = x_sessions("trayer")
    v = Vistrel(session, new_home(session.workdir, "defaults"), name="defaults")
    win = v.main_window()
    place = [win.x, win.y, win.width, win.height]
    term_and_wait(v)
    return Defaults(valid_values(read_settings(v)), place)
