"""The program on wlroots desktops (sway and labwc; two outputs side by side, at scale 1 and 2)
as the session starts it, which is a Wayland client there that takes the pointer and the picture
from the compositor itself: its view against grim's picture of every output, over a native
Wayland window, over the desktop and across the outputs' border; the pointer moved and clicked
through the rig's virtual pointer, Alt+V typed into the compositor's binding of readme.txt, and
the settings saved at SIGTERM. Coordinates are the outputs' buffer pixels."""

import os
import time

from support.picture import expect_view
from support.program import read_settings, settings_values, write_settings
from support.wayland_view import CLIENT_H, CLIENT_W
from support.xsession import home_dirs, pixel, wait_for


def test_view_exact_clicks_zoom_alt_v_holds_and_sigterm_saves(wlroots, start_vistrel, request,
                                                              tmp_path):
    rig = wlroots
    # A still picture over the whole first output, a native Wayland window (the desktop's colour
    # could not tell one place from another); the second output shows the desktop.
    rig.focus_output(0)
    rig.spawn("pattern", [os.path.join(os.path.dirname(request.config.getoption(
        "--screencast-probe")), "pattern_window")], dict(rig.env, QT_QPA_PLATFORM="wayland"))
    wait_for("the pattern over the first output", lambda: all(
        pixel(shot, x, y) != pixel(shot, x + 1, y) for shot in [rig.screenshot()]
        for x, y in ((1, 1), (rig.width - 3, rig.height - 2))))

    # The view on the second output, clear of the places looked at, and Always on Top: sway
    # puts it at the stored place, labwc where the pointer is.
    home = home_dirs(str(tmp_path / "home"))
    stored = (rig.width // rig.scale + 150, 100)
    write_settings(home, f"[General]\nLeft={stored[0] * 15}\nTop={stored[1] * 15}\nOnTop=True\n")
    rig.focus_output(1)
    program = start_vistrel(rig, "3", home=home)
    if rig.compositor == "sway":
        # sway lets the program have its place, its size and its view above other windows.
        def placed():
            w = next((w for w in rig.windows() if w["pid"] == program.proc.pid), None)
            return w and (w["rect"]["x"], w["rect"]["y"] - w["deco_rect"]["height"],
                          w["window_rect"]["width"], w["window_rect"]["height"], w["sticky"])
        wait_for("the view at its place, of its size, above others",
                 lambda: placed() == (*stored, CLIENT_W, CLIENT_H, True))

    # Over the window (where the view is found: the desktop is all one colour), across the
    # border (the window's part and the desktop's), at the far corner of the desktop.
    rig.pointer_to(150, 600)
    place = expect_view(rig, (CLIENT_W * rig.scale, CLIENT_H * rig.scale), 2, (150, 600))
    for cursor in ((rig.width, 300), (2 * rig.width - 2, rig.height - 2)):
        rig.pointer_to(*cursor)
        expect_view(rig, place, 2, cursor)
    # A left click on the view zooms in.
    rig.click(place.x + 10, place.y + 10)
    rig.pointer_to(200, 200)
    expect_view(rig, place, 3, (200, 200))

    # Alt+V freezes the view, and after a second holds its picture for the 3 seconds of the
    # command line: the view freed from the bus within them stays, and follows only after them.
    pressed = time.monotonic()
    rig.type_keys("-M", "alt", "-k", "v", "-m", "alt")
    time.sleep(2)
    program.call("ToggleFreeze")
    rig.pointer_to(600, 600)
    time.sleep(max(0.0, pressed + 3.2 - time.monotonic()))
    expect_view(rig, place, 3, (200, 200), timeout=0.5)
    expect_view(rig, place, 3, (600, 600))

    assert program.end() == 0
    saved = settings_values(read_settings(program))
    assert set(saved) == {"Top", "Left", "Height", "Width", "RefreshHigh", "RefreshAlways",
                          "Keep1to1", "OnTop"}, saved
    # Where the compositor places the window itself, the stored place stays as stored.
    assert (int(saved["Left"]), int(saved["Top"]), saved["OnTop"]) == (
        stored[0] * 15, stored[1] * 15, "True"), saved
