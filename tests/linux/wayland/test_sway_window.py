"""sway's window control (shells/linux/desktop/sway_window_control.cpp) through sway_probe: the window it
asks for is where it asked, floating, sticky and of the size the program gave it, on Wayland and
on XWayland; and a socket where nothing answers gives no control instead of a hung start."""

import os
import socket

import pytest

from support.xsession import wait_for


def run_probe(sway, request, tmp_path, env, *args):
    folder = os.path.dirname(request.config.getoption("--screencast-probe"))
    return sway.spawn("sway-probe", [os.path.join(folder, "sway_probe"), *args],
                      dict(sway.env, HOME=str(tmp_path), **env))


def answers(process):
    with open(process.log) as f:
        return [line for line in f if line.startswith(("MOVE", "CONTROL"))]


@pytest.mark.parametrize("platform", ["wayland", "xcb"])
def test_sway_window_placed_sticky_and_sized(sway, request, tmp_path, platform):
    env = {"QT_QPA_PLATFORM": platform, "DISPLAY": sway.display}
    probe = run_probe(sway, request, tmp_path, env, "130", "250", "301", "203")
    assert wait_for("the probe's answers", lambda: answers(probe)) == ["MOVE 1 ABOVE 1\n"]
    window = next(w for w in sway.windows() if w["pid"] == probe.pid)
    assert window["type"] == "floating_con" and window["sticky"]
    # sway's rect leaves out the title bar: the frame's top is that much higher.
    rect, title_bar = window["rect"], window["deco_rect"]["height"]
    assert (rect["x"], rect["y"] - title_bar) == (130, 250)
    assert (window["window_rect"]["width"], window["window_rect"]["height"]) == (301, 203)


def test_sway_window_control_gives_up_on_a_silent_socket(sway, request, tmp_path):
    with socket.socket(socket.AF_UNIX) as silent:
        silent.bind(str(tmp_path / "silent.sock"))
        silent.listen()
        env = {"QT_QPA_PLATFORM": "wayland", "SWAYSOCK": str(tmp_path / "silent.sock")}
        probe = run_probe(sway, request, tmp_path, env, "0", "0", "90", "90")
        assert probe.wait(10) == 1 and answers(probe) == ["CONTROL none\n"]
