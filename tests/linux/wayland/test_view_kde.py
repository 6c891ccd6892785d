"""The program as a Wayland client on a headless Plasma (kwin_rig.py with its frame feed): its view
against the whole screen read back through the same ScreenCast portal, with the consent seeded
as KDE's portal keeps it and the pointer moved through KWin's fake input; and its hot keys,
bound through the GlobalShortcuts portal while the screen cast is open."""

import os
import time

from support.picture import expect_view
from support.wayland_view import VIEW, CastScreen


def test_view_matches_the_screen_to_the_pixel_where_the_pointer_goes(kwin_picture, start_vistrel,
                                                                     request, tmp_path):
    rig = kwin_picture
    shots = CastScreen(rig, request.config.getoption("--screencast-probe"),
                       str(tmp_path / "probe"))
    # A still picture under the view, every pixel unlike its neighbours.
    pattern = os.path.join(os.path.dirname(shots.probe), "pattern_window")
    rig.spawn("pattern", [pattern], dict(rig.env, QT_QPA_PLATFORM="wayland"))
    time.sleep(1)
    start_vistrel(rig, token=rig.seed_consent())
    # Away from the view, which KWin shows near the top left; the last two are clamped at the
    # right and bottom edges.
    for cursor in ((800, 120), (150, 650), (1020, 400), (600, 766)):
        rig.pointer_to(*cursor)
        expect_view(shots, VIEW, 2, cursor)

    # Alt+Space as kglobalaccel fires it: the view holds, then follows again. The two portal
    # sessions once shared a handle, and KDE's backend refused the hot keys' one.
    rig.invoke_shortcut("vistrel", "VBHotKey1")
    rig.pointer_to(800, 500)
    time.sleep(0.5)
    expect_view(shots, VIEW, 2, (600, 766))
    rig.invoke_shortcut("vistrel", "VBHotKey1")
    expect_view(shots, VIEW, 2, (800, 500))
