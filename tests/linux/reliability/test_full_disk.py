"""A full and a read-only disk under the settings: the file is kept byte for byte, nothing is
left beside it, and the next close with room writes every value."""

import os
import subprocess

import pytest

from support.program import Vistrel, read_settings
from support.reliability import config_path, stray_files, term_and_wait, unchanged_after_a_run, \
    valid_values
from support.xsession import TestFailure, new_home


class Mount:
    """A small tmpfs of its own for the settings (size in KiB); unmounted at the end."""

    def __init__(self, where, size_k):
        self.where = where
        os.makedirs(where, exist_ok=True)
        subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size_k}k,mode=0700", "tmpfs", where],
                       check=True)

    def remount(self, options):
        subprocess.run(["mount", "-o", f"remount,{options}", self.where], check=True)

    def close(self):
        subprocess.run(["umount", "-l", self.where], check=False)


GOOD = "[General]\nTop=0\nLeft=15\nHeight=2475\nWidth=3300\nRefreshHigh=True\n" \
       "RefreshAlways=False\nKeep1to1=False\nOnTop=False\n; a comment\n"


def fill(directory):
    """Fills the file system of directory until a write fails."""
    fd = os.open(os.path.join(directory, "filler"), os.O_WRONLY | os.O_CREAT, 0o600)
    try:
        while True:
            os.write(fd, b"\0" * 4096)
    except OSError:
        pass
    finally:
        os.close(fd)


@pytest.mark.needs_root("mounting small file systems")
def test_full_and_read_only_disks_keep_the_file_and_a_later_close_writes(session, figure):
    for kind in ("full", "read-only"):
        home = new_home(session.workdir, kind)
        mount = Mount(home["XDG_CONFIG_HOME"], 256)
        try:
            os.makedirs(os.path.join(home["XDG_CONFIG_HOME"], "Tarnwell"))

            def prepare(path):
                with open(path, "w") as f:
                    f.write(GOOD)
                if kind == "full":
                    fill(os.path.dirname(path))
                else:
                    mount.remount("ro")

            def applied(v, win):
                # The readable settings were applied: the window is at the stored place.
                if (win.x, win.y) != (1, 0):
                    raise TestFailure(f"{kind}: the stored place was not applied: {win}")

            unchanged_after_a_run(session, home, kind, prepare, applied)
            directory = os.path.dirname(config_path(home))
            if kind == "full":
                if stray_files(directory) != ["filler"]:
                    raise TestFailure(f"files left on the full disk: {stray_files(directory)}")
                os.remove(os.path.join(directory, "filler"))
            else:
                mount.remount("rw")
            # With room again, the next close writes every value.
            v = Vistrel(session, home, name=kind + "-again")
            v.main_window()
            term_and_wait(v)
            values = valid_values(read_settings(v))
            if values["Top"] != "0" or values["Left"] != "15" or values["RefreshHigh"] != "True" \
                    or "; a comment" not in read_settings(v):
                raise TestFailure(f"{kind}: the later close wrote {values}")
        finally:
            mount.close()
    # Neither disk can even hold a new settings file: the program starts on defaults.
    home = new_home(session.workdir, "read-only-empty")
    mount = Mount(home["XDG_CONFIG_HOME"], 64)
    try:
        mount.remount("ro")
        v = Vistrel(session, home, name="read-only-empty")
        v.main_window()
        term_and_wait(v)
        if os.listdir(home["XDG_CONFIG_HOME"]):
            raise TestFailure("something was written to the read-only disk")
    finally:
        mount.close()
    figure("full disk and read-only disk: the file kept byte for byte, no temporary file left, "
           "the program ran and closed normally, the next close with room wrote every value; "
           "a read-only disk without settings: started on defaults")
