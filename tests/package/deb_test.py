#!/usr/bin/env python3
"""The Debian package as a user meets it, in a clean root of a Debian release (12 unless --release
says another: 13, or testing's code name, forky; unpacked from the tarball that clean-root.sh
keeps): apt installs it with the runtime libraries only, the installed `vistrel` starts on Xvfb
with trayer (both on the host; the program in the root reaches them through the X socket), shows
the magnified screen, Help hands the installed readme.txt to the real xdg-open, Exit saves the
settings, and a purge leaves no file of the package but keeps the user's settings.

    PYTHONPATH=tests python3 tests/package/deb_test.py --deb vistrel_<version>_amd64.deb \
        --root-tar ROOT.tar --probe x11_probe [--release 13|forky] [--keep]

(PYTHONPATH: its helpers are the package tests/support; tests/package/CMakeLists.txt sets it.)
"""

import argparse
import fcntl
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from support import picture, program, xsession
from support.xsession import TestFailure, XSession, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))

USER_ID = 4242
# What a magnifier's runtime must not drag in: headers, compilers, linkers.
NOT_RUNTIME = re.compile(r"-dev$|^(gcc|g\+\+|cpp|clang|llvm|binutils|make|build-essential)(-[0-9.]+)?$")
SETTINGS = ("Top", "Left", "Height", "Width", "RefreshHigh", "RefreshAlways", "Keep1to1", "OnTop")


class Root:
    """An unpacked root and the means to run commands in it."""

    def __init__(self, tarball, path):
        self.path = path
        os.makedirs(path)
        subprocess.run(["tar", "-xf", tarball, "-C", path], check=True)
        shutil.copy("/etc/resolv.conf", os.path.join(path, "etc", "resolv.conf"))

    def host(self, path):
        return os.path.join(self.path, path.lstrip("/"))

    def argv(self, user, *command):
        return [os.path.join(HERE, "in-root.sh"), self.path, user, *command]

    def run(self, *command, user="0:0", check=True):
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive", LC_ALL="C.UTF-8")
        result = subprocess.run(self.argv(user, *command), env=env, capture_output=True, text=True)
        if check and result.returncode != 0:
            raise TestFailure(f"{' '.join(command)} failed ({result.returncode}):\n"
                              f"{result.stdout[-3000:]}{result.stderr[-3000:]}")
        return result.stdout

    def release(self):
        """The root's Debian release: VERSION_ID of its os-release, or the code name where there
        is none (testing)."""
        text = open(self.host("/etc/os-release")).read()
        found = re.search(r'^VERSION_ID="?([^"\n]*)', text, re.M) or \
            re.search(r'^VERSION_CODENAME="?([^"\n]*)', text, re.M)
        return found.group(1) if found else ""

    def packages(self):
        return set(self.run("dpkg-query", "-W", "-f", "${Package}\n").split())


def install(root, deb):
    shutil.copy(deb, root.host("/tmp"))
    inside = "/tmp/" + os.path.basename(deb)
    # What a default apt (with Recommends) would add, for the record; then the install itself
    # with Depends only, so that the run below proves they are enough.
    simulated = root.run("apt-get", "install", "-s", "-q", inside)
    with_recommends = sorted(re.findall(r"^Inst (\S+)", simulated, re.M))
    before = root.packages()
    t0 = time.monotonic()
    # The kept package cache may be shared with a run of another user of the machine, and apt
    # gives up at once on a locked cache: one install at a time.
    archives = os.environ.get("VISTREL_APT_ARCHIVES")
    with open(os.path.join(archives, "..", "install.lock") if archives else os.devnull, "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        root.run("apt-get", "install", "-y", "-q", "--no-install-recommends", inside)
    added = sorted(root.packages() - before)
    print(f"apt-get install: {len(added)} packages in {time.monotonic() - t0:.0f} s "
          f"({len(with_recommends)} with Recommends)")
    if "vistrel" not in added:
        raise TestFailure("apt-get did not install vistrel")
    unwanted = [p for p in added if NOT_RUNTIME.search(p)]
    if unwanted:
        raise TestFailure(f"the package pulls in build tools: {unwanted}")
    unwanted = [p for p in with_recommends if p.endswith("-dev")]
    if unwanted:
        raise TestFailure(f"with Recommends the package pulls in -dev packages: {unwanted}")
    return root.run("dpkg", "-L", "vistrel").split("\n")


def make_user(root):
    root.run("useradd", "--create-home", "--uid", str(USER_ID), "--user-group", "user")
    home = "/home/user"
    env = {"HOME": home, "XDG_CONFIG_HOME": home + "/.config", "XDG_RUNTIME_DIR": home + "/run",
           "XDG_DATA_HOME": home + "/.local/share", "XDG_CACHE_HOME": home + "/.cache",
           "PATH": "/usr/local/bin:/usr/bin:/bin", "LANG": "C.UTF-8",
           # Without a desktop, xdg-open hands files it has no handler for to $BROWSER.
           "BROWSER": home + "/bin/viewer"}
    user = f"{USER_ID}:{USER_ID}"
    root.run("mkdir", "-m", "700", "-p", env["XDG_RUNTIME_DIR"], user=user)
    root.run("mkdir", "-p", home + "/bin", user=user)
    with open(root.host(env["BROWSER"]), "w") as f:
        f.write('#!/bin/sh\nprintf "%s\\n" "$*" >>"$HOME/viewer-args"\n')
    os.chmod(root.host(env["BROWSER"]), 0o755)
    return env


def start_vistrel(session, root, env):
    """The installed command, as the user, in the root, with the user's environment only."""
    return program.Vistrel(session, None, command=root.argv(f"{USER_ID}:{USER_ID}",
                                                              "/usr/bin/vistrel"),
                           env=dict(env, DISPLAY=session.display))


def away_from(win):
    """A cursor position whose magnified surroundings do not include the window itself."""
    x = 200 if win.x + win.width // 2 > picture.SCREEN_W // 2 else 820
    y = 200 if win.y + win.height // 2 > picture.SCREEN_H // 2 else 560
    return x, y


def run_installed(session, root, env):
    v = start_vistrel(session, root, env)
    try:
        win = v.main_window(timeout=20)
        v.tray_icon()
        cursor = away_from(win)
        session.move(*cursor)
        picture.expect_view(session, win, 2, cursor, timeout=5)
        print(f"the installed vistrel shows the screen around {cursor} at zoom 2")

        v.menu_command("h")
        record = root.host(env["HOME"] + "/viewer-args")
        args = wait_for("xdg-open to start the viewer",
                        lambda: os.path.exists(record) and open(record).read(), 10)
        if args != "/usr/lib/vistrel/readme.txt\n":
            raise TestFailure(f"Help opened {args!r}, not the installed readme.txt")
        print("Help opened /usr/lib/vistrel/readme.txt through xdg-open")

        v.menu_command("x")
        if v.ended() != 0:
            raise TestFailure("Exit did not end the program normally")
    finally:
        if v.alive():
            v.stop()
    settings = root.host(env["XDG_CONFIG_HOME"] + "/Tarnwell/Vistrel.conf")
    values = program.settings_values(open(settings).read()) if os.path.exists(settings) else {}
    if sorted(values) != sorted(SETTINGS):
        raise TestFailure(f"Exit saved {sorted(values)}, not the eight settings")
    print(f"Exit saved the settings: {values}")
    return settings


def purge(root, files, settings):
    root.run("apt-get", "purge", "-y", "-q", "vistrel")
    left = [p for p in files if p and p != "/." and not os.path.isdir(root.host(p))
            and os.path.lexists(root.host(p))]
    left += [d for d in ("/usr/lib/vistrel", "/usr/share/doc/vistrel") if os.path.lexists(root.host(d))]
    if left:
        raise TestFailure(f"apt-get purge left files of the package: {left}")
    if not os.path.exists(settings):
        raise TestFailure("apt-get purge removed the user's settings")
    print(f"apt-get purge removed all {len([p for p in files if p])} paths; the user's settings stay")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--deb", required=True)
    parser.add_argument("--root-tar", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--release", default="12",
                        help="the root's Debian release (VERSION_ID, or testing's code name)")
    parser.add_argument("--keep", action="store_true", help="keep the work directory")
    options = parser.parse_args()
    xsession.PROBE = os.path.abspath(options.probe)
    work = tempfile.mkdtemp(prefix="vistrel-deb-")
    session = None
    ok = False
    try:
        started = time.monotonic()
        root = Root(options.root_tar, os.path.join(work, "root"))
        if root.release() != options.release:
            raise TestFailure(f"the root is Debian {root.release()!r}, not {options.release}")
        files = install(root, os.path.abspath(options.deb))
        env = make_user(root)
        session = XSession("trayer", workdir=os.path.join(work, "x"))
        session.run([xsession.PROBE, "pattern"])
        settings = run_installed(session, root, env)
        purge(root, files, settings)
        ok = True
        print(f"Debian package test passed on Debian {options.release} "
              f"({time.monotonic() - started:.0f} s)")
    except TestFailure as e:
        print(f"FAIL: {e}")
    finally:
        if session:
            session.stop()
        if ok and not options.keep:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print(f"work directory kept: {work}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
