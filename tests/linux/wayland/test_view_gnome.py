"""The program as a Wayland client on a headless GNOME compositor: its view against the whole
screen read back through the same ScreenCast, the pointer moved and clicked through mutter's
remote-desktop interface, the two hot-key actions through the session bus, the settings saved at
the end, and a second start that asks nothing."""

import os
import re
import time

import pytest

from support.mutter_rig import run_probe
from support.picture import BLACK, expect_view
from support.wayland_view import CLIENT_H, CLIENT_W, VIEW, CastScreen
from support.xsession import TestFailure, pixel, wait_for


def show_pattern(rig, shots, tmp_path):
    """A still picture under the view, on every monitor: the compositor's background changes at
    every repaint."""
    pattern = os.path.join(os.path.dirname(shots.probe), "pattern_window")
    for monitor in reversed(range(rig.monitors)):
        # mutter opens a window where the pointer is
        rig.pointer_to(monitor * rig.width + rig.width // 2, rig.height // 2)
        rig.spawn(f"pattern{monitor}", [pattern], dict(rig.env, QT_QPA_PLATFORM="wayland"))
        time.sleep(1)
    # The last monitor's, far from where the view opens.
    x, y = rig.monitors * rig.width - 100, rig.height - 68
    # A Qt window's first frame at scale 2 takes over 10 s on a machine busy with builds.
    wait_for("the pattern on every monitor", lambda: pixel(shots.screenshot(), x, y)
             == bytes(((x * 7) & 255, (y * 5) & 255, ((x // 37) * 50 + (y // 29) * 90) & 255)),
             30)


def test_view_follows_clicks_and_bus_and_a_second_start_asks_nothing(gnome, start_vistrel,
                                                                      request, tmp_path):
    shots = CastScreen(gnome, request.config.getoption("--screencast-probe"),
                       str(tmp_path / "probe"))
    show_pattern(gnome, shots, tmp_path)
    home = str(tmp_path / "home")
    vistrel = start_vistrel(gnome, home=home, token=gnome.seed_consent())

    gnome.pointer_to(150, 600)
    view = expect_view(shots, VIEW, 2, (150, 600))
    gnome.pointer_to(800, 120)
    expect_view(shots, VIEW, 2, (800, 120))

    # A left click on the view zooms in.
    gnome.click(view.x + 10, view.y + 10)
    gnome.pointer_to(700, 500)
    expect_view(shots, VIEW, 3, (700, 500))

    vistrel.call("ToggleFreeze")
    gnome.pointer_to(300, 650)
    time.sleep(0.5)
    expect_view(shots, VIEW, 3, (700, 500))
    vistrel.call("ToggleFreeze")
    expect_view(shots, VIEW, 3, (300, 650))
    vistrel.end()
    # KDE's portal failed the hot keys
    assert "Bind the desktop's own shortcuts" in vistrel.log(), "not the hint but a box"
    with open(vistrel.config_file) as f:
        saved = dict(line.split("=", 1) for line in f.read().split()[1:])
    # The place is the defined one: a GNOME client can neither read nor set it.
    assert (saved["Left"], saved["Top"]) == ("3075", "3135"), saved
    margins = (int(saved["Width"]) // 15 - CLIENT_W, int(saved["Height"]) // 15 - CLIENT_H)

    # The stored place stays as stored, the size applies; the token the first start kept opens
    # the screen cast again without a dialog.
    with open(vistrel.config_file, "w") as f:
        f.write("[General]\nLeft=9000\nTop=6000\nWidth=4500\nHeight=3600\n")
    again = start_vistrel(gnome, home=home)
    gnome.pointer_to(500, 700)
    client = (300 - margins[0], 240 - margins[1])
    expect_view(shots, client, 2, (500, 700))
    again.end()
    with open(vistrel.config_file) as f:
        saved = dict(line.split("=", 1) for line in f.read().split()[1:])
    assert [saved[k] for k in ("Left", "Top", "Width", "Height")] == [
        "9000", "6000", "4500", "3600"], saved


def test_two_monitors_each_on_its_own_stream_with_its_own_pointer_reports(gnome_two_monitors,
                                                                          request, tmp_path):
    rig = gnome_two_monitors
    rig.require_a_picture_of_every_monitor()
    shots = CastScreen(rig, request.config.getoption("--screencast-probe"),
                       str(tmp_path / "probe"))
    # One PipeWire connection for both streams: over two connections on the one remote, PipeWire
    # linked one stream at most and neither received anything.
    out = run_probe(rig, shots.probe, shots.file, str(tmp_path / "probe"),
                    moves=((300, 200), (1600, 500)))
    assert sorted(re.findall(r"^STREAM \d+ (.*)$", out, re.M)) == [
        "0 0 1024 768", "1024 0 1024 768"], out
    counts = re.findall(r"^COUNTS (\d+) (\d+)$", out, re.M)
    assert len(counts) == 2 and all(int(a) + int(b) > 0 for a, b in counts), out
    assert re.findall(r"^CURSOR (\d+ \d+)$", out, re.M)[-1] == "1600 500", out


@pytest.mark.parametrize("desktop, cursors", [
    # On each monitor, across the border, at the far corner.
    ("gnome_two_monitors", ((300, 600), (1500, 300), (1024, 400), (1020, 100), (2047, 767))),
    # Physical pixels at scale 2, which mutter 48 lays out in logical ones: the middle (below
    # the view, which mutter 48 opens in the centre), the right edge, the top right corner.
    ("gnome_scale_2", ((1024, 1300), (2046, 900), (2046, 0))),
    # The same at 1.5, in whole logical pixels (mutter moves the pointer in logical ones).
    ("gnome_scale_15", ((768, 975), (1533, 675), (1533, 0))),
], ids=["two monitors", "scale 2", "scale 1.5"])
def test_view_exact_on_each_monitor_across_the_border_and_at_the_far_edge(
        desktop, cursors, start_vistrel, request, tmp_path):
    rig = request.getfixturevalue(desktop)
    rig.require_a_picture_of_every_monitor()
    shots = CastScreen(rig, request.config.getoption("--screencast-probe"),
                       str(tmp_path / "probe"))
    show_pattern(rig, shots, tmp_path)
    vistrel = start_vistrel(rig, token=rig.seed_consent())
    # The view in physical pixels, a half rounded up as Qt rounds it.
    client = (int(CLIENT_W * rig.scale + 0.5), int(CLIENT_H * rig.scale + 0.5))
    for cursor in cursors:
        rig.pointer_to(*cursor)
        expect_view(shots, client, 2, cursor, cut=int(rig.scale % 1 > 0))
    vistrel.end()


def test_a_monitor_without_a_picture_says_so_on_the_view(gnome_two_monitors, start_vistrel,
                                                          request, tmp_path):
    rig = gnome_two_monitors
    if rig.pictures_of_every_monitor():
        pytest.skip("this mutter sends a picture of every monitor")
    # The screenshots see the last monitor, where the view opens; it shows the border.
    shots = CastScreen(rig, request.config.getoption("--screencast-probe"),
                       str(tmp_path / "probe"))
    with open(shots.file, "w") as f:
        f.write(rig.seed_consent(only=1))
    rig.pointer_to(1536, 384)
    vistrel = start_vistrel(rig, token=rig.seed_consent())
    wait_for("the window's title bar", lambda: b"\xff" * 300 in shots.screenshot()[2])
    # Due 3 s after the cast opens. Headless mutter 50, unlike 48, sends the first monitor's
    # picture in about half of the runs (measured in the Debian testing root): nothing to note.
    try:
        wait_for("the late picture said", lambda: "has sent no picture" in vistrel.log(), 8)
    except TestFailure:
        pytest.skip("this time mutter sent a picture of the first monitor too")
    rig.pointer_to(1000, 600)

    def noted():  # a row through the view's black part, with white letters in it
        width, height, rgb = shots.screenshot()
        rows = (rgb[(y * width + rig.width) * 3:(y + 1) * width * 3] for y in range(height))
        return any(BLACK * 50 in row and max(row) > 200 for row in rows)
    wait_for("a note on the view where the first monitor sends no picture", noted, 10, 0.5)


def test_one_monitor_gone_is_named_and_the_other_still_zooms(gnome_two_monitors, start_vistrel,
                                                             request, tmp_path):
    rig = gnome_two_monitors
    rig.require_a_picture_of_every_monitor()
    shots = CastScreen(rig, request.config.getoption("--screencast-probe"), str(tmp_path / "p"))
    show_pattern(rig, shots, tmp_path)
    rig.pointer_to(300, 300)  # the view opens on the left monitor, where the pointer is
    vistrel = start_vistrel(rig, token=rig.seed_consent())
    rig.pointer_to(300, 600)
    view = expect_view(shots, VIEW, 2, (300, 600))
    rig.destroy_sources(last=True)
    wait_for("the box", lambda: "the monitor at 1024,0 (1024x768) with" in vistrel.log())
    time.sleep(1)  # the text is written as the box opens; it takes the keys once shown
    rig.press_key(0xff1b)  # Escape: put off
    rig.click(view.x + 10, view.y + 10)  # on the left monitor's part: zooms, asks nothing
    rig.pointer_to(700, 500)
    expect_view(shots, VIEW, 3, (700, 500))
