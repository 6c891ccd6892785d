"""Help from a program directory whose name is full of shell characters: the viewer gets the
exact path as its one argument and no shell runs the name's words."""

import os
import shutil
import time

from support.program import Vistrel, corner_home, fake_xdg_open, recorded
from support.xsession import TestFailure


def test_help_from_a_directory_full_of_shell_characters_runs_only_the_viewer(session, figure,
                                                                             vistrel_binary):
    parent = os.path.join(session.workdir, "shell")
    name = "-rf dir with 'single' \"double\" ;touch semicolon-marker; $(touch dollar-marker) " \
        "`touch backtick-marker` &touch amp-marker"
    app_dir = os.path.join(parent, name)
    os.makedirs(app_dir)
    binary = os.path.join(app_dir, "vistrel")
    shutil.copy2(vistrel_binary, binary)
    readme = os.path.join(app_dir, "readme.txt")
    with open(readme, "w") as f:
        f.write("help\n")
    work = os.path.join(parent, "cwd")
    os.makedirs(work)
    env, record = fake_xdg_open(session, "shell")
    # The stand-in records its arguments NUL-separated, so that the exact bytes are compared.
    with open(os.path.join(env["PATH"].split(os.pathsep)[0], "xdg-open"), "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s\\0" "$@" > "{record}.tmp"; mv "{record}.tmp" "{record}"\n')
    home = corner_home(session, "shellhome")
    v = Vistrel(session, home, command=[binary], env=env, name="shell")
    v.main_window()
    for _ in range(2):
        if os.path.exists(record):
            os.remove(record)
        v.menu_command("h")
        args = recorded(record)
        if args != readme + "\0":
            raise TestFailure(f"xdg-open got {args.split(chr(0))!r}, not the one path {readme!r}")
    time.sleep(0.5)
    markers = [os.path.join(d, m) for d in (work, app_dir, parent, home["HOME"], os.getcwd(), "/")
               for m in ("semicolon-marker", "dollar-marker", "backtick-marker", "amp-marker")]
    made = [m for m in markers if os.path.exists(m)]
    if made:
        raise TestFailure(f"a shell ran the path's words: {made}")
    v.stop()
    figure("help from a directory named " + repr(name) + ": xdg-open got the exact path as its "
           "one argument (twice), no marker file exists")
