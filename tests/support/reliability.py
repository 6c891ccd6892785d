"""Checks of the settings file that the reliability tests share: the eight values in their
written forms, the file's path in a test's home, the log-off close, what is left beside the file,
and a run of the program on a settings path made hostile that must leave the path as it was."""

import os
import re
import stat
import time

from . import program
from .program import Vistrel, settings_values
from .xsession import TestFailure

NAMES = ("Top", "Left", "Height", "Width", "RefreshHigh", "RefreshAlways", "Keep1to1", "OnTop")
NUMBER = re.compile(r"-?\d+(\.\d+)?(E[+-]\d+)?")


def valid_values(text):
    """The eight values of a settings file the program wrote, each in its written form."""
    values = settings_values(text)
    for name in NAMES:
        value = values.get(name)
        ok = value is not None and (NUMBER.fullmatch(value) if name in NAMES[:4]
                                    else value in ("True", "False"))
        if not ok:
            raise TestFailure(f"{name} is not a valid written value: {value!r} in\n{text[:400]}")
    return values


def config_path(home):
    return os.path.join(home["XDG_CONFIG_HOME"], "Tarnwell", "Vistrel.conf")


def term_and_wait(v, timeout=10):
    """The log-off path: SIGTERM closes through the normal close (status 0)."""
    if v.end(timeout) != 0:
        raise TestFailure(f"SIGTERM ended the program with status {v.proc.returncode}")


def stray_files(directory):
    """Files the program left beside its settings file (an interrupted replace)."""
    if not os.path.isdir(directory):
        return []
    return [n for n in os.listdir(directory) if n != "Vistrel.conf"]


def unchanged_after_a_run(session, home, name, prepare, check_running=None, user=None,
                          expect_unchanged=True, place=None):
    """Starts the program on a settings path that prepare() made hostile; the program must come
    up (at the place given, unless check_running looks instead), keep running and close
    normally, and the path must be as it was."""
    path = config_path(home)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    prepare(path)
    before = snapshot(path)
    command = None
    if user is not None:
        command = ["setpriv", f"--reuid={user}", f"--regid={user}", "--clear-groups", "--",
                   program.VISTREL]
    v = Vistrel(session, home, name=name, command=command)
    # setpriv execs the program, so the process number is the program's.
    win = v.main_window(timeout=15)
    if check_running:
        check_running(v, win)
    elif [win.x, win.y, win.width, win.height] != place:
        raise TestFailure(f"{name}: the window is not at the defined place: {win}")
    time.sleep(0.2)  # a few ticks
    if not v.alive():
        raise TestFailure(f"{name}: the program ended")
    term_and_wait(v)
    if expect_unchanged and snapshot(path) != before:
        raise TestFailure(f"{name}: the settings path changed: {before} -> {snapshot(path)}")
    return v


def snapshot(path):
    try:
        st = os.lstat(path)
    except OSError as e:
        return ("missing", e.errno)
    if stat.S_ISLNK(st.st_mode):
        return ("link", os.readlink(path))
    if stat.S_ISREG(st.st_mode):
        with open(path, "rb") as f:
            return ("file", stat.S_IMODE(st.st_mode), st.st_uid, f.read())
    if stat.S_ISDIR(st.st_mode):
        return ("dir", sorted(os.listdir(path)))
    return ("other", stat.S_IFMT(st.st_mode))
