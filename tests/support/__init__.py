"""Helpers of the pytest suites of the Linux program and of the scripts that measure it.

On X: xsession (a private Xvfb with its tray host or window manager, and the X tools that read
it), program (the program started there, its windows, boxes, menu and settings file) and
picture (the view checked pixel for pixel against the screen). On Wayland: rig (what every
headless desktop shares) and the desktops built on it, sway_rig, mutter_rig and kwin_rig,
wayland_view (the program as a Wayland client, its view checked through the screen cast) and
tray_user (a StatusNotifierItem seen as a tray host sees it). reliability holds the checks of
settings files that the reliability tests share.

pytest finds the package through tests/pytest.ini (pythonpath); a script run on its own needs
the tests folder on PYTHONPATH (PYTHONPATH=tests python3 tests/linux/x11/measure_cpu.py ...)."""
