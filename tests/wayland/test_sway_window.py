"""sway's window control (shells/x11/sway_window_control.cpp) through sway_probe: the window it
asks for is where it asked, floating, sticky and of the size the program gave it, on Wayland and
on XWayland; and a socket where nothing answers gives no control instead of a hung start."""

import os
import socket

import pytest

from rig import wait_for


@pytest.fixture
def sway_probe(request):
    return os.path.join(os.path.dirname(request.config.getoption("--screencast-probe")),
                        "sway_probe")


def printed(process):
    with open(process.log) as f:
        return [line for line in f.read().splitlines() if line.startswith(("MOVE", "CONTROL"))]


@pytest.mark.parametrize("platform", ["wayland", "xcb"])
def test_sway_window_placed_sticky_and_sized(sway, sway_probe, tmp_path, platform):
    env = dict(sway.env, QT_QPA_PLATFORM=platform, DISPLAY=sway.display, HOME=str(tmp_path))
    probe = sway.spawn("sway-probe-" + platform, [sway_probe, "130", "250", "301", "203"], env)
    try:
        assert wait_for("the probe's answers", lambda: printed(probe)) == ["MOVE 1 ABOVE 1"]
        window = next(w for w in sway.windows() if w["pid"] == probe.pid)
    finally:
        probe.stop()
    assert window["type"] == "floating_con" and window["sticky"]
    # sway's rect leaves out the title bar: the frame's top is that much higher.
    frame = window["rect"]["x"], window["rect"]["y"] - window["deco_rect"]["height"]
    assert frame == (130, 250)
    assert (window["window_rect"]["width"], window["window_rect"]["height"]) == (301, 203)


def test_sway_window_control_needs_an_answering_sway(sway, sway_probe, tmp_path):
    silent = socket.socket(socket.AF_UNIX)
    silent.bind(str(tmp_path / "silent.sock"))
    silent.listen()
    for sock in (str(tmp_path / "silent.sock"), str(tmp_path / "missing.sock"), ""):
        env = dict(sway.env, QT_QPA_PLATFORM="wayland", HOME=str(tmp_path), SWAYSOCK=sock)
        probe = sway.spawn("sway-probe-none", [sway_probe, "0", "0", "100", "100"], env)
        assert probe.wait(10) == 1 and printed(probe) == ["CONTROL none"], sock
    silent.close()
