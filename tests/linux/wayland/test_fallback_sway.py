"""A Wayland session whose desktop shares no usable screen (sway before 1.11 shares no pointer
position): the program says why and what to do in one box, and once it is closed runs on as an
X11 program through XWayland, in the same process."""

import os

import pytest

from support.xsession import home_dirs, wait_for
from support.tray_user import TrayItem


def test_a_desktop_without_a_usable_screen_cast_is_told_and_the_program_goes_on_on_x11(
        sway, request, tmp_path):
    if not sway.lacks_capture():
        pytest.skip("this sway lets the program capture the screen itself")
    env = sway.program_env(home_dirs(str(tmp_path / "home")))
    env["QT_QPA_PLATFORM"] = "wayland"
    env["WAYLAND_DISPLAY"] = os.path.join(sway.run, sway.env["WAYLAND_DISPLAY"])
    process = sway.spawn("vistrel-fallback", [request.config.getoption("--vistrel")], env)

    def box():
        assert process.running()
        # The window shows first, the box over it.
        windows = [w for w in sway.windows() if w.get("pid") == process.pid]
        return len(windows) == 2 and max(windows, key=lambda w: w["id"]).get("focused")
    wait_for("the box that says why", box, 20)
    sway.type_keys("-k", "Return")
    wait_for("the program's tray item on X11",
             lambda: process.running() and TrayItem.of_process(sway.bus, process.pid), 20)
    with open(process.log, errors="replace") as f:
        said = f.read()
    assert said.count("Vistrel can not show the screen:") == 1, said
    assert "the pointer's position" in said and "X11 program" in said, said
    process.stop()
