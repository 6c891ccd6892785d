"""A short scenario of the program built with the address and undefined-behaviour sanitizers
(run with --sanitized): nothing reported, the settings saved."""

import os
import time

import pytest

from support.picture import expect_view
from support.program import Vistrel, corner_home, read_settings
from support.reliability import valid_values
from support.xsession import TestFailure

HERE = os.path.dirname(os.path.abspath(__file__))


@pytest.mark.sanitizer
def test_sanitizer_scenario_runs_clean(session, figure):
    """Run with the sanitizer build: start, ticks while the cursor moves, a zoom click, Freeze,
    Exit; the settings must be written and the sanitizers must report nothing."""
    logs = os.path.join(session.workdir, "asan")
    os.makedirs(logs, exist_ok=True)
    suppressions = os.path.join(HERE, "lsan.supp")
    env = {"ASAN_OPTIONS": f"log_path={logs}/report:detect_leaks=1:abort_on_error=0:"
                           "detect_stack_use_after_return=1",
           "LSAN_OPTIONS": f"suppressions={suppressions}:print_suppressions=0",
           "UBSAN_OPTIONS": f"log_path={logs}/report:print_stacktrace=1:halt_on_error=0"}
    home = corner_home(session, "sanitizer")
    v = Vistrel(session, home, env=env, name="sanitizer")
    win = v.main_window(timeout=30)
    for cursor in ((600, 450), (610, 455), (300, 200), (900, 700)):
        session.move(*cursor)
        expect_view(session, win, 2, cursor, timeout=10)
    session.click(win.x + 110, win.y + 80)  # zoom in
    session.move(600, 450)
    expect_view(session, win, 3, (600, 450), timeout=10)
    session.key("alt+space")  # Freeze
    time.sleep(0.3)
    session.move(200, 600)
    time.sleep(0.3)
    expect_view(session, win, 3, (600, 450), timeout=10)
    v.menu_command("x")
    if v.ended(30) != 0:
        raise TestFailure(f"Exit ended the sanitizer build with {v.proc.returncode}")
    values = valid_values(read_settings(v))
    if (values["Top"], values["Left"]) != ("0", "0"):
        raise TestFailure(f"the settings were not saved: {values}")
    reports = sorted(os.listdir(logs))
    if reports:
        text = "".join(open(os.path.join(logs, r), errors="replace").read()[:4000] for r in reports)
        raise TestFailure(f"the sanitizers reported:\n{text}")
    figure("sanitizer build: start, 4 cursor moves, a zoom click, Freeze, Exit: settings "
           "written, sanitizer reports: 0")
