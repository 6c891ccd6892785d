"""The session manager's log-off (tests/linux/reliability/session_manager.cpp): the program
saves and ends as through Exit, also while a modal dialog is open."""

import os
import select
import subprocess
import time

from support.program import Vistrel, corner_home, read_settings, write_settings
from support.reliability import valid_values
from support.xsession import TestFailure

HERE = os.path.dirname(os.path.abspath(__file__))


class SessionManager:
    """tests/linux/reliability/session_manager.cpp, built into the work directory and started."""

    def __init__(self, session):
        binary = os.path.join(session.workdir, "session_manager")
        if not os.path.exists(binary):
            session.run(["c++", "-std=c++20", "-O1", "-o", binary,
                         os.path.join(HERE, "session_manager.cpp"), "-lSM", "-lICE"], timeout=120)
        self.proc = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.pending = b""
        session.procs.append(self.proc)
        self.events = []
        first = self.next_event()
        if not first.startswith("SESSION_MANAGER="):
            raise TestFailure(f"the session manager said {first!r}")
        self.address = first.split("=", 1)[1]

    def next_event(self, timeout=10):
        deadline = time.monotonic() + timeout
        while b"\n" not in self.pending:
            ready, _, _ = select.select([self.proc.stdout], [], [],
                                        max(0.0, deadline - time.monotonic()))
            chunk = os.read(self.proc.stdout.fileno(), 4096) if ready else b""
            if not chunk:
                raise TestFailure(f"the session manager said nothing more after {self.events}")
            self.pending += chunk
        line, self.pending = self.pending.split(b"\n", 1)
        self.events.append(line.decode())
        return self.events[-1]

    def wait_event(self, event, timeout=10):
        deadline = time.monotonic() + timeout
        while event not in self.events:
            self.next_event(max(0.1, deadline - time.monotonic()))

    def logout(self):
        self.proc.stdin.write(b"logout\n")
        self.proc.stdin.flush()


def test_the_session_managers_logout_saves_like_exit(session, figure):
    manager = SessionManager(session)
    home = corner_home(session, "logout", "RefreshHigh=-1\nOnTop=  0\n")
    v = Vistrel(session, home, env={"SESSION_MANAGER": manager.address}, name="logout")
    v.main_window()
    manager.wait_event("registered")
    manager.logout()
    if v.ended(10) != 0:
        raise TestFailure(f"the log-off ended the program with {v.proc.returncode}")
    manager.wait_event("lost")
    if "save-yourself" not in manager.events:
        raise TestFailure(f"the session manager did not ask: {manager.events}")
    values = valid_values(read_settings(v))
    if (values["Top"], values["Left"], values["RefreshHigh"], values["OnTop"]) != \
            ("0", "0", "True", "False"):
        raise TestFailure(f"the log-off did not save like Exit: {values}")
    # The same while a modal dialog runs its own event loop (About open).
    manager = SessionManager(session)
    write_settings(home, "[General]\nTop=0\nLeft=0\nKeep1to1=-1\n")
    v = Vistrel(session, home, env={"SESSION_MANAGER": manager.address}, name="logout-about")
    v.main_window()
    manager.wait_event("registered")
    v.menu_command("a")
    v.box("About")
    manager.logout()
    if v.ended(10) != 0:
        raise TestFailure(f"the log-off with About open ended with {v.proc.returncode}")
    manager.wait_event("lost")
    if valid_values(read_settings(v))["Keep1to1"] != "True":
        raise TestFailure("the log-off with About open did not save")
    figure(f"log-off through a session manager, also with the About dialog open: the program "
           f"saved and ended (events: {', '.join(manager.events[1:])}); SIGTERM: in the crash "
           "loop and the hostile runs")
