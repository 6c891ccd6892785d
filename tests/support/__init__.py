"""Helpers of the pytest suites of the Linux program and of the scripts that measure it.

xsession: a private Xvfb with its tray host or window manager and the X tools that read it, and
what every session uses (Process, wait_for, homes). rig: what every headless Wayland desktop
shares; wlroots_rig (sway, labwc), mutter_rig and kwin_rig extend it. program: the program
started in either kind of session, its windows, boxes, menu and settings file. picture: the
view checked pixel for pixel against the screen, an X session's or a rig's as its screen cast
shows it (wayland_view). tray_user: a StatusNotifierItem seen as a tray host sees it.
reliability: the checks of settings files that the reliability tests share.

pytest finds the package through tests/pytest.ini (pythonpath); a script run on its own needs
the tests folder on PYTHONPATH (PYTHONPATH=tests python3 tests/linux/x11/measure_cpu.py ...)."""
