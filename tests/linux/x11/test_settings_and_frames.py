"""End-to-end: the settings file across runs, and the window's frame: under a window manager (on
top, no creep between runs, the close button) and where the stored place no screen shows."""

import os
import time

import pytest

from support.picture import expect_view
from support.program import Vistrel, corner_home, read_settings, settings_values, write_settings
from support.xsession import TestFailure, new_home, wait_for


def test_settings_written_on_exit_are_applied_at_the_next_start(session):
    home = new_home(session.workdir, "settings")
    write_settings(home, "; kept as it is\n[General]\nTop=abc\nLeft=300\nKeep1to1=True\n"
                         "RefreshHigh=True\nFuture=42\n[Other]\nTop=1\n")
    v = Vistrel(session, home)
    win = v.main_window()
    if (win.x, win.y) != (20, 209):
        raise TestFailure(f"Left=300 and Top=abc should place the window at 20, 209: {win}")
    session.move(700, 300)
    expect_view(session, win, 1, (700, 300))  # Keep 1/1 starts at zoom 1
    v.menu_command("x")
    v.ended()
    text = read_settings(v)
    expected = {"Top": "3135", "Left": "300", "Height": "2475", "Width": "3300",
                "RefreshHigh": "True", "RefreshAlways": "False", "Keep1to1": "True",
                "OnTop": "False", "Future": "42"}
    if settings_values(text) != expected:
        raise TestFailure(f"saved settings differ: {settings_values(text)}")
    if not text.startswith("; kept as it is\n") or "[Other]\nTop=1\n" not in text:
        raise TestFailure(f"lines of others were not kept:\n{text}")
    # The next start puts the window back exactly; SIGTERM saves the same values again.
    v2 = Vistrel(session, home)
    win2 = v2.main_window()
    if (win2.x, win2.y, win2.width, win2.height) != (20, 209, 220, 165):
        raise TestFailure(f"the window moved between runs: {win2}")
    v2.proc.stop()
    if v2.proc.returncode != 0:
        raise TestFailure("SIGTERM did not end the program through its normal close")
    if read_settings(v2) != text:
        raise TestFailure(f"the settings changed between runs:\n{read_settings(v2)}")


def test_a_write_after_the_settings_file_was_deleted_stores_nothing(session):
    v = Vistrel(session, corner_home(session, "deleted"))
    v.main_window()
    os.remove(v.config_file)
    v.proc.stop()
    if os.path.exists(v.config_file):
        raise TestFailure("closing re-created the deleted settings file")


@pytest.mark.host("icewm")
def test_window_manager_frame_on_top_and_no_creep(session):
    home = new_home(session.workdir, "icewm")
    v = Vistrel(session, home)
    win = v.main_window()
    if (win.x, win.y, win.width, win.height) != (205, 209, 220, 165):
        raise TestFailure(f"the client area is not 220 x 165 at 205, 209: {win}")
    state = session.prop(win.id, "_NET_WM_STATE")
    if "SKIP_TASKBAR" not in state or "SKIP_PAGER" not in state:
        raise TestFailure(f"the window is listed in the taskbar or pager: {state}")
    v.menu_command("t")
    wait_for("the above state", lambda: "_NET_WM_STATE_ABOVE" in session.prop(win.id, "_NET_WM_STATE"))
    v.menu_command("t")
    wait_for("the above state to go",
             lambda: "_NET_WM_STATE_ABOVE" not in session.prop(win.id, "_NET_WM_STATE"))
    v.menu_command("t")
    extents = session.prop(win.id, "_NET_FRAME_EXTENTS").split("=")[1]
    left, right, top, bottom = (int(n) for n in extents.split(","))
    # Hidden and shown again (tray double click): the same place.
    v.menu_command("d")
    wait_for("the window to hide", lambda: not session.viewable(win.id))
    time.sleep(0.6)
    icon = v.tray_icon()
    session.move(icon.x + icon.width // 2, icon.y + icon.height // 2)
    session.xdotool("click", "--repeat", 2, "--delay", 60, 1)
    shown = wait_for("the window to show again", lambda: session.viewable(win.id) and v.main_window())
    if (shown.x, shown.y) != (win.x, win.y):
        raise TestFailure(f"hiding and showing moved the window: {win} -> {shown}")
    v.menu_command("d")  # closed while hidden: the place it had when it was hidden is stored
    wait_for("the window to hide", lambda: not session.viewable(win.id))
    v.menu_command("x")
    v.ended()
    values = settings_values(read_settings(v))
    want = {"Left": str((win.x - left) * 15), "Top": str((win.y - top) * 15),
            "Width": str((220 + left + right) * 15), "Height": str((165 + top + bottom) * 15),
            "OnTop": "True"}
    if any(values.get(k) != val for k, val in want.items()):
        raise TestFailure(f"stored frame {values} is not the outer frame {want}")
    # Started again from those values: same place, same size, above from the start.
    v2 = Vistrel(session, home, name="again")
    win2 = v2.main_window()
    if (win2.x, win2.y, win2.width, win2.height) != (win.x, win.y, 220, 165):
        raise TestFailure(f"the window crept: {win} -> {win2}")
    if "_NET_WM_STATE_ABOVE" not in session.prop(win2.id, "_NET_WM_STATE"):
        raise TestFailure("OnTop=True did not start the window above")
    # The frame's close button closes through the same saving path.
    with open(v2.config_file) as f:
        marked = f.read().replace("Top=", "Top=7", 1)
    with open(v2.config_file, "w") as f:
        f.write(marked)
    session.click(win2.x + 220 - 13, win2.y - 10)
    if v2.ended() != 0:
        raise TestFailure("the close button did not end the program normally")
    if settings_values(read_settings(v2)) != values:
        raise TestFailure(f"the frame changed between runs: {values} -> {read_settings(v2)}")


# No window manager here: the outer frame is the client window, and there are no panels.
STORED_FRAMES = [
    ("huge", "Left=-1E+30\nTop=1E+30\nWidth=1E+30\nHeight=3.4E+38\n", (0, 603, 220, 165)),
    ("wider than the desktop", "Left=1500\nTop=1500\nWidth=1E+30\n", (100, 100, 220, 165)),
    ("as tall as the screen", "Left=1500\nTop=0\nWidth=3300\nHeight=11520\n", (100, 0, 220, 768)),
    ("negative sizes", "Left=1E+30\nTop=-1E+30\nWidth=-1E+30\nHeight=-3.4E+38\n",
     (804, 0, 220, 165)),
    ("on a head that is gone", "Left=22500\nTop=1500\n", (804, 100, 220, 165)),
    ("20 pixels off the left edge", "Left=-300\nTop=1500\n", (-20, 100, 220, 165)),
    pytest.param("across two monitors", "Left=7500\nTop=1500\nWidth=18000\nHeight=3000\n",
                 (500, 100, 1200, 200), marks=pytest.mark.host("dual")),
]


@pytest.mark.parametrize("name, stored, expected", STORED_FRAMES,
                         ids=[getattr(f, "values", f)[0].replace(" ", "-") for f in STORED_FRAMES])
def test_stored_frame_no_screen_shows_comes_back_and_a_partly_shown_one_stays(
        session, name, stored, expected):
    home = new_home(session.workdir, "frame-" + name.replace(" ", "-"))
    write_settings(home, "[General]\n" + stored)
    v = Vistrel(session, home)
    win = v.main_window()
    if (win.x, win.y, win.width, win.height) != expected:
        raise TestFailure(f"{name}: the window is at {win}, not at {expected}")
    v.proc.stop()
    saved = settings_values(read_settings(v))
    if name.startswith(("20 pixels", "as tall", "across")) and any(
            saved.get(key) != value for key, value in (line.split("=") for line in stored.split())):
        raise TestFailure(f"{name}: a frame that shows was not saved as stored: {saved}")
