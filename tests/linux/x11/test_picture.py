"""End-to-end: the picture. The view must equal the screen around the cursor, scaled with the
program's rounding, pixel for pixel: at the centre, the edges and corners, every zoom step, an
odd view size, a Qt scale factor, a held source and a held picture, two monitors, a resized
window and an X server without RENDER."""

import datetime
import os
import time

import pytest

from support import xsession
from support.picture import expect_view, view_shows
from support.program import Vistrel, corner_home, write_settings
from support.xsession import TestFailure, new_home, pixel, start_bus, wait_for


def test_picture_follows_cursor_at_centre_and_edges_and_clicks_zoom(session):
    v = Vistrel(session, corner_home(session, "view"))
    win = v.main_window()
    if (win.x, win.y, win.width, win.height) != (0, 0, 220, 165):
        raise TestFailure(f"window not at the stored place with the defined size: {win}")
    for cursor in [(600, 450), (2, 500), (1021, 400), (600, 1), (600, 766), (0, 0),
                   (1023, 767)]:
        session.move(*cursor)
        expect_view(session, win, 2, cursor)
    # A window laid over the view and taken away again: the view is drawn anew on the expose,
    # though the cursor stands still.
    cover = session.spawn("cover", [xsession.PROBE, "window", "40", "30", "120", "90", "00ff00"])
    wait_for("the covering window", lambda: pixel(session.screenshot(), 100, 60) == b"\x00\xff\x00")
    cover.stop()
    expect_view(session, win, 2, (1023, 767))
    # Left click zooms in, right click zooms out (down to 1, no further).
    centre = (win.x + 110, win.y + 80)
    session.click(*centre, button=1)
    session.move(600, 450)
    expect_view(session, win, 3, (600, 450))
    session.click(*centre, button=3, repeat=3)
    session.move(601, 451)
    expect_view(session, win, 1, (601, 451))
    session.click(*centre, button=1, repeat=20)  # 1 -> 20, and one more does nothing
    for cursor in [(602, 452), (3, 3), (1020, 764)]:
        session.move(*cursor)
        expect_view(session, win, 20, cursor)
    v.stop()


def test_odd_view_size_rounds_ties_to_even(session):
    # 101 x 99 at zoom 1 (Keep 1/1): the source starts at x - 50.5 and y - 49.5.
    v = Vistrel(session, corner_home(session, "odd", "Width=1515\nHeight=1485\nKeep1to1=True\n"))
    win = v.main_window()
    if (win.width, win.height) != (101, 99):
        raise TestFailure(f"view is {win.width} x {win.height}, not 101 x 99")
    for cursor in [(600, 450), (601, 451)]:
        session.move(*cursor)
        expect_view(session, win, 1, cursor)
    v.stop()


def test_device_pixels_under_a_qt_scale_factor(session):
    # Twips per pixel follow the logical DPI times the scale (7.5 here), so the defined client
    # area is 440 x 330 device pixels, and the picture is exact in device pixels.
    v = Vistrel(session, corner_home(session, "scaled"), env={"QT_SCALE_FACTOR": "2"})
    win = v.main_window()
    if (win.width, win.height) != (440, 330):
        raise TestFailure(f"the view is {win.width} x {win.height}, not 440 x 330")
    session.move(700, 500)
    expect_view(session, win, 2, (700, 500))
    session.click(win.x + 300, win.y + 200)
    session.move(701, 501)
    expect_view(session, win, 3, (701, 501))
    v.stop()


def test_alt_space_holds_the_source_while_the_cursor_moves(session):
    v = Vistrel(session, corner_home(session, "freeze"))
    win = v.main_window()
    session.move(600, 450)
    expect_view(session, win, 2, (600, 450))
    session.key("alt+space")
    time.sleep(0.2)
    session.move(300, 600)
    time.sleep(0.3)
    expect_view(session, win, 2, (600, 450))
    session.key("alt+space")
    session.move(301, 601)
    expect_view(session, win, 2, (301, 601))
    v.stop()


def test_alt_v_holds_the_picture_for_the_command_line_seconds(session):
    v = Vistrel(session, corner_home(session, "lock"), args=["2"])
    win = v.main_window()
    session.move(600, 450)
    expect_view(session, win, 2, (600, 450))
    session.key("alt+v")
    start = time.monotonic()
    time.sleep(1.4)  # the first second stays live; after it the picture stands still
    red = session.spawn("red", [xsession.PROBE, "window", "500", "380", "200", "140", "ff0000"])
    time.sleep(0.4)
    if view_shows(session, win, b"\xff\x00\x00"):
        raise TestFailure("the picture changed during the hold")
    wait_for("the live frozen view after the hold",
             lambda: view_shows(session, win, b"\xff\x00\x00"), 5, 0.05)
    held = time.monotonic() - start
    if not 2.7 <= held <= 4.5:
        raise TestFailure(f"the picture came back after {held:.2f} s, not after 1 + 2 s")
    red.stop()
    # Frozen afterwards: moving the cursor does not move the source.
    session.move(300, 600)
    expect_view(session, win, 2, (600, 450))
    v.stop()


FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"


@pytest.mark.parametrize("step", [-3600, 3600], ids=["back across midnight", "forward"])
def test_a_hold_keeps_its_length_when_the_clock_is_set(session, step):
    # libfaketime moves the program's time of day by the offset in a file, read at every call,
    # and leaves its steady clock alone; Refresh High's ticks go on during the hold, so the wait
    # reads the clocks all along. The time of day starts at 00:30, so an hour back crosses a
    # midnight the wrong way: the time of day rises from 00:30 to 23:30 within the hold.
    now = datetime.datetime.now()
    at_half_past_midnight = round((now.replace(hour=0, minute=30, second=0) - now).total_seconds())
    offset = os.path.join(session.workdir, "clock-offset")
    for name, seconds in (("start", at_half_past_midnight), ("step", at_half_past_midnight + step)):
        with open(offset + name, "w") as f:
            f.write(f"{seconds:+d}\n")
    os.replace(offset + "start", offset)
    env = {"LD_PRELOAD": FAKETIME, "FAKETIME_TIMESTAMP_FILE": offset, "FAKETIME_NO_CACHE": "1",
           "FAKETIME_DONT_FAKE_MONOTONIC": "1"}
    v = Vistrel(session, corner_home(session, f"clock{step}", "RefreshHigh=True\n"), ["4"],
                env=env)
    win = v.main_window()
    session.move(600, 450)
    expect_view(session, win, 2, (600, 450))
    session.key("alt+v")
    start = time.monotonic()
    time.sleep(2.0)
    os.replace(offset + "step", offset)  # a second into the hold
    red = session.spawn("red", [xsession.PROBE, "window", "500", "380", "200", "140", "ff0000"])
    time.sleep(1.0)
    if view_shows(session, win, b"\xff\x00\x00"):
        raise TestFailure("the step of the clock ended the hold")
    wait_for("the view after the hold", lambda: view_shows(session, win, b"\xff\x00\x00"), 8)
    if not 4.7 <= time.monotonic() - start <= 6.5:
        raise TestFailure(f"the hold did not last 1 + 4 s: {time.monotonic() - start:.2f}")
    red.stop()
    v.stop()


def test_still_cursor_redraws_only_with_a_refresh_option(session):
    red = b"\xff\x00\x00"
    for refresh, redraws in (("", False), ("RefreshHigh=True\n", True)):
        v = Vistrel(session, corner_home(session, "refresh" + str(redraws), refresh))
        win = v.main_window()
        session.move(600, 450)
        expect_view(session, win, 2, (600, 450))
        cover = session.spawn("cover", [xsession.PROBE, "window", "500", "380", "200", "140",
                                        "ff0000"])
        if redraws:
            wait_for("the refreshed view", lambda: view_shows(session, win, red), 3)
        else:
            time.sleep(0.6)
            if view_shows(session, win, red):
                raise TestFailure("the view was redrawn under a still cursor without a refresh option")
        cover.stop()
        v.stop()


@pytest.mark.host("dual")
def test_two_monitors_show_the_source_under_the_cursor_everywhere(session):
    # The left monitor is the secondary one; the window stays where it was stored on it.
    home = new_home(session.workdir, "dual")
    write_settings(home, "[General]\nTop=1500\nLeft=1500\n")
    v = Vistrel(session, home)
    win = v.main_window()
    if (win.x, win.y) != (100, 100):
        raise TestFailure(f"the window left the secondary monitor: {win}")
    for cursor in [(1500, 400), (1023, 400), (1024, 400), (1030, 300), (0, 0), (2047, 767),
                   (2047, 0), (0, 767)]:
        session.move(*cursor)
        expect_view(session, win, 2, cursor)


@pytest.mark.host("icewm")
def test_resizing_the_window_resizes_the_view(session):
    v = Vistrel(session, new_home(session.workdir, "resize"))
    win = v.main_window()
    session.xdotool("windowsize", win.id, 301, 203)
    win = wait_for("the new size", lambda: (lambda w: w if (w.width, w.height) == (301, 203)
                                            else None)(v.main_window()))
    session.move(700, 420)
    expect_view(session, win, 2, (700, 420))
    v.stop()


@pytest.mark.host("no-render")
def test_without_render_the_client_side_copy_is_exact(session):
    v = Vistrel(session, corner_home(session, "norender"))
    win = v.main_window()
    for cursor in [(600, 450), (1021, 766)]:
        session.move(*cursor)
        expect_view(session, win, 2, cursor)
    v.stop()
    with open(os.path.join(session.workdir, "vistrel.log")) as f:
        if "RENDER" not in f.read():
            raise TestFailure("no message about the missing RENDER extension")


def test_the_hot_key_actions_on_the_session_bus(session):
    # A bus of the test's own; the desktop's shortcuts would call the same methods.
    env = {"DBUS_SESSION_BUS_ADDRESS": start_bus(session, os.path.join(session.workdir,
                                                                       "session-bus.socket"))}
    v = Vistrel(session, corner_home(session, "bus"), args=["2"], env=env)
    win = v.main_window()

    def call(method):
        started = time.monotonic()
        session.run(["gdbus", "call", "--session", "--dest", "example.tarnwell.Vistrel",
                     "--object-path", "/example/tarnwell/Vistrel", "--method",
                     f"example.tarnwell.Vistrel.{method}"], env=dict(session.env, **env))
        return time.monotonic() - started

    wait_for("the program on the bus", lambda: session.run(
        ["gdbus", "introspect", "--session", "--dest", "example.tarnwell.Vistrel",
         "--object-path", "/example/tarnwell/Vistrel"], env=dict(session.env, **env),
        check=False).count("ToggleFreeze"))
    session.move(600, 450)
    expect_view(session, win, 2, (600, 450))
    call("ToggleFreeze")
    time.sleep(0.2)
    session.move(300, 600)
    time.sleep(0.3)
    expect_view(session, win, 2, (600, 450))
    call("ToggleFreeze")
    expect_view(session, win, 2, (300, 600))
    # Freeze and Lock holds for the argument's 2 seconds; the caller does not wait for them.
    if call("FreezeAndLock") > 1.0:
        raise TestFailure("the call waited for the hold")
    time.sleep(1.2)
    session.move(310, 610)
    time.sleep(0.3)
    expect_view(session, win, 2, (300, 600))
    v.stop()
