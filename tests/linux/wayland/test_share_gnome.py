"""A screen share that ends, on the GNOME rig, one test for each way it really ends: PipeWire
restarting brings the view back by itself; the desktop stopping it, or its source vanishing,
makes the view black and asks once, to share again or to end; a portal that does not answer is
said within seconds; a first share refused ends the program with its settings saved. The orders
these can come in are the share table's, in the unit layer."""

import os
import signal
import time

import pytest

from support.picture import expect_view
from support.program import Vistrel, read_settings, settings_values, write_settings
from support.wayland_view import VIEW, CastScreen
from support.xsession import home_dirs, wait_for

ASKS = "Vistrel asks: "  # the box's text goes to stderr too


@pytest.fixture(scope="module")
def shots(gnome, request, tmp_path_factory):
    """The screenshots' probe, over a still picture (mutter's background changes at each repaint)."""
    probe = CastScreen(gnome, request.config.getoption("--screencast-probe"),
                       str(tmp_path_factory.mktemp("probe") / "token"))
    gnome.spawn("share-pattern", [os.path.join(os.path.dirname(probe.probe), "pattern_window")])
    time.sleep(1)
    return probe


@pytest.fixture
def vistrel(gnome, shots, tmp_path):
    program = Vistrel(gnome, str(tmp_path / "home"), token=gnome.seed_consent())
    program.shots = shots
    yield program
    program.proc.stop()


def test_pipewire_restarting_brings_the_view_back_without_asking(gnome, vistrel, tmp_path):
    gnome.pointer_to(300, 300)
    expect_view(vistrel.shots, VIEW, 2, (300, 300))
    back = gnome.restart_pipewire()
    # Away from the view, which mutter 48 opens in the middle: a view that shows itself stays
    # as black as the end left it.
    gnome.pointer_to(800, 600)
    # A screenshot takes about a second (a cast of the probe's own), which counts here too.
    expect_view(vistrel.shots, VIEW, 2, (800, 600))
    assert time.monotonic() - back < 5, "the view came back late"
    assert "PipeWire went away" in vistrel.log() and ASKS not in vistrel.log(), vistrel.log()
    # The bus answers, and the end of the session saves.
    for _ in range(2):
        vistrel.call("ToggleFreeze")
    vistrel.end()
    with open(vistrel.config_file) as f:
        assert len(f.read().split()) == 9, "the settings were not saved"


def test_desktop_stopping_the_share_blanks_the_view_and_asks_once(gnome, vistrel, tmp_path):
    def view_pixels():
        width, _, rgb = vistrel.shots.screenshot()
        return [rgb[(y * width + x) * 3:(y * width + x) * 3 + 3]
                for y in range(view.y, view.y + view.height)
                for x in range(view.x, view.x + view.width)]

    def stop_sharing(how):
        asked, live = vistrel.log().count(ASKS), view_pixels()
        how()
        wait_for("the box", lambda: vistrel.log().count(ASKS) > asked, 5)
        now = view_pixels()
        # The box covers a part of the view; the rest is black, and nothing is as it was.
        assert now.count(b"\0\0\0") > len(now) // 10, "the view is not black"
        stale = sum(a == b != b"\0\0\0" for a, b in zip(live, now))
        assert stale < len(now) // 100, f"{stale} pixels still show the picture of before"
        assert vistrel.log().count(ASKS + "The desktop stopped sharing") == asked + 1, vistrel.log()
        return asked + 1

    gnome.pointer_to(600, 200)
    view = expect_view(vistrel.shots, VIEW, 2, (600, 200))
    stop_sharing(gnome.stop_sharing)
    gnome.press_key(0xff0d)  # Return: Share Again, with the kept consent (no dialog)
    gnome.pointer_to(650, 250)
    expect_view(vistrel.shots, VIEW, 2, (650, 250))
    # The source alone goes: no portal session closes.
    stop_sharing(gnome.destroy_sources)
    time.sleep(1)  # the text is written as the box opens; it takes the keys once shown
    gnome.press_key(0xff09)  # Tab to End
    gnome.press_key(0x20)
    assert vistrel.proc.wait(10) == 0
    with open(vistrel.config_file) as f:
        assert len(f.read().split()) == 9, "the settings were not saved"


def test_a_portal_that_does_not_answer_is_said_within_seconds(gnome, shots, tmp_path):
    # The process that owns the portal's name (the rig's readiness check may have started it).
    portal = int(gnome.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus")
                 .GetConnectionUnixProcessID("org.freedesktop.portal.Desktop",
                                             dbus_interface="org.freedesktop.DBus"))
    token = gnome.seed_consent()
    os.kill(portal, signal.SIGSTOP)
    try:
        started = time.monotonic()
        program = Vistrel(gnome, str(tmp_path / "home"), token=token)
        assert time.monotonic() - started < 3, "the window waited for the portal"
        wait_for("the box", lambda: ASKS in program.log(), 8)
    finally:
        os.kill(portal, signal.SIGCONT)
    said = program.log()
    assert "has not answered the screen-sharing request" in said, said
    assert "no screen cast portal" not in said, said
    time.sleep(1)  # the text is written as the box opens; it takes the keys once shown
    gnome.press_key(0xff0d)  # Return: Share Again, now answered
    gnome.pointer_to(800, 600)  # away from the view, which mutter 48 opens in the middle
    expect_view(shots, VIEW, 2, (800, 600))
    program.proc.stop()


def test_a_refused_first_share_saves_and_keeps_no_hot_keys_waiting(gnome, tmp_path):
    home = home_dirs(str(tmp_path / "home"))
    write_settings(home, "[General]\nKeep1to1=True\n")
    program = Vistrel(gnome, home)  # no consent kept: the desktop's dialog asks
    # GNOME's portal has no hot keys for the rig's program: said while the dialog is up.
    wait_for("the hot keys' answer", lambda: "gives programs no global keys" in program.log(), 10)
    time.sleep(2)  # the dialog takes the keys once shown
    gnome.press_key(0xff1b)  # Escape: the user refuses
    wait_for("the box", lambda: "Sharing the screen was refused." in program.log(), 10)
    time.sleep(1)
    gnome.press_key(0xff0d)
    assert program.proc.wait(15) == 1, program.log()
    saved = settings_values(read_settings(program))
    assert len(saved) == 8 and saved["Keep1to1"] == "True", saved
