"""Twenty copies started at once, also over the lock of a killed copy: one runs, the others
show the already-running box and end."""

import os
import re

from support.program import Vistrel, corner_home
from support.reliability import term_and_wait
from support.xsession import TestFailure, wait_for


def windows_by_pid(session):
    """{pid: set of window types} for every viewable window of the tree."""
    found = {}
    for w in session.find(wm_class=None):
        pid = re.search(r"= (\d+)", session.prop(w.id, "_NET_WM_PID"))
        if pid:
            kind = session.prop(w.id, "_NET_WM_WINDOW_TYPE")
            found.setdefault(int(pid.group(1)), []).append((w, kind))
    return found


def test_twenty_copies_at_once_leave_one_running_also_over_a_dead_copys_lock(session, figure):
    home = corner_home(session, "twenty")
    dead = Vistrel(session, home, name="dead")
    dead.main_window()
    dead.proc.kill()
    dead.proc.wait()
    if not os.listdir(home["XDG_RUNTIME_DIR"]):
        raise TestFailure("the killed copy left no lock to take over")
    copies = [Vistrel(session, home, name=f"copy{i}") for i in range(20)]
    pids = {c.proc.pid: c for c in copies}
    state = {}

    def settled():
        state.clear()
        for pid, wins in windows_by_pid(session).items():
            if pid not in pids:
                continue
            for w, kind in wins:
                if "UTILITY" in kind:
                    state.setdefault(pid, {})["main"] = w
                elif "DIALOG" in kind and w.name == "Vistrel":
                    state.setdefault(pid, {})["box"] = w
        ended = [p for p, c in pids.items() if not c.alive()]
        if ended:
            raise TestFailure(f"copies ended before their box was answered: {ended}")
        return len(state) == 20 and all(len(s) == 1 for s in state.values())
    wait_for("every copy to show its main window or the already-running box", settled, 60, 0.5)
    running = [p for p, s in state.items() if "main" in s]
    if len(running) != 1:
        raise TestFailure(f"{len(running)} copies run with a main window, not 1")
    boxes = [(pid, s["box"]) for pid, s in state.items() if "box" in s]
    for i, (pid, box) in enumerate(boxes):
        if i in (0, len(boxes) - 1):
            text = pids[pid].box_text(box)
            if "Vistrel is already running." not in text:
                raise TestFailure(f"copy {pid} shows another box: {text!r}")
        pids[pid].press(box, "Return")
    for pid, c in pids.items():
        if pid != running[0] and c.ended(20) != 0:
            raise TestFailure(f"copy {pid} ended with {c.proc.returncode}")
    survivor = pids[running[0]]
    if not survivor.alive():
        raise TestFailure("the running copy ended")
    survivor.proc.kill()
    survivor.proc.wait()
    after = Vistrel(session, home, name="after")
    after.main_window()
    term_and_wait(after)
    # A dead copy's lock whose process number now belongs to another program is taken over too.
    other = session.spawn("sleep", ["sleep", "60"])
    lock = os.path.join(home["XDG_RUNTIME_DIR"], "vistrel.lock")
    with open(lock, "w") as f:
        f.write(f"{other.pid}\nvistrel\n{os.uname().nodename}\n")
    reused = Vistrel(session, home, name="reused")
    reused.main_window()
    term_and_wait(reused)
    other.stop()
    figure("single instance: 20 copies started at once over a killed copy's lock: 1 ran, 19 "
           "showed the already-running box and ended with status 0; the next start after a "
           "kill -9 ran, also when the dead copy's process number belonged to another program")
