#!/usr/bin/python3
"""What the Linux program costs as a Wayland client on GNOME: its CPU beside a bare receiver of
the same screen cast, on one headless mutter (the GNOME rig of the Wayland tests,
tests/support/mutter_rig.py, 1024 x 768), with the pointer still and moving, and what mutter and
the PipeWire daemon spend meanwhile.

  PYTHONPATH=tests bench/wayland_cost.py [--seconds 10] [--runs 3] [--only REGEX] [--vistrel PATH]
                                         [--probe PATH] [--floor PATH] [--compare PATH] [--keep DIR]

Subjects, one after the other in every run (run 1 of each, then run 2, ...):
  none      nothing but the rig: what the compositor spends on the pointer itself
  receiver  tests/linux/wayland/screencast_probe with "-": the backend's own classes receiving every
            stream at 20 frames a second, its main thread asleep
  floor     bench/wayland_floor.cpp: that receiver and a 220 x 165 Qt window drawn from the
            stream at zoom 2 on every 50 ms tick that finds the pointer moved, nothing else
  vistrel   build/vistrel with XDG_SESSION_TYPE=wayland and a seeded consent token
  before    with --compare: another build of the program (an older one, say), started alike
Scenarios: (still) the pointer still, off the program's window; (moving) the pointer moving
3 pixels every 50 ms, 30 pixels to and fro, as relative motion through mutter's remote-desktop
interface (a mouse's path into the compositor). CPU is the scheduler's account of every thread
(/proc/PID/task/*/schedstat, exact to the nanosecond, where /proc/PID/stat counts 10 ms ticks)
in ms per second of wall time; wake/s are the voluntary context switches of the subject's
threads. Each figure: the median of --runs runs, with min and max.

The rig refuses root (as the desktops do): run as root, the script builds what it needs, copies
it and itself where the ordinary user vistrel-test can read them (made when missing, as
tests/linux/wayland/run-suite.sh does) and measures as that user. The rig is the Wayland tests' own
(tests/support, hence the tests folder on PYTHONPATH; the staged run as that user gets it set)."""

import argparse
import os
import pwd
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
USER = "vistrel-test"
BUS_NAME = "example.tarnwell.Vistrel"
TARGET = 2.0  # the program at most twice the bare receiver
HOME_POINT = (110, 690)  # where the pointer rests: bottom left, off the program's window
SUBJECTS = ("none", "receiver", "floor", "vistrel", "before")
SCENARIOS = ("still", "moving")


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--only", default=".", help="subjects whose name matches")
    parser.add_argument("--vistrel", default=os.path.join(ROOT, "build", "vistrel"))
    parser.add_argument("--probe", default=os.path.join(ROOT, "build", "tests", "linux", "wayland",
                                                        "screencast_probe"))
    parser.add_argument("--floor", default=os.path.join(ROOT, "build", "bench",
                                                        "vistrel_wayland_floor"))
    parser.add_argument("--compare", help="another build of the program, measured as before")
    parser.add_argument("--keep", help="copy the rig's logs here")
    args = parser.parse_args()
    if not args.compare:
        args.only = f"(?!before$)(?:{args.only})"
    return args


# --- as root: build, stage, measure as the ordinary user ----------------------------------------

def rerun_as_user(args):
    subprocess.run(["cmake", "--preset", "linux"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "build", "--target", "vistrel", "screencast_probe",
                    "vistrel_wayland_floor", "-j2"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)
    try:
        pwd.getpwnam(USER)
    except KeyError:
        subprocess.run(["useradd", "--system", "--create-home", "--home-dir", f"/var/lib/{USER}",
                        "--shell", "/usr/sbin/nologin", USER], check=True)
    # The checkout may lie where the user can not read (under /root, for one).
    stage = tempfile.mkdtemp(prefix="vistrel-wayland-cost.")
    try:
        shutil.copytree(os.path.join(ROOT, "tests", "support"), os.path.join(stage, "tests", "support"),
                        ignore=shutil.ignore_patterns("__pycache__"))
        os.makedirs(os.path.join(stage, "bench"))
        shutil.copy(os.path.abspath(__file__), os.path.join(stage, "bench"))
        shutil.copy(args.vistrel, os.path.join(stage, "vistrel"))
        shutil.copy(args.probe, os.path.join(stage, "screencast_probe"))
        shutil.copy(args.floor, os.path.join(stage, "floor"))
        if args.compare:
            shutil.copy(args.compare, os.path.join(stage, "before"))
            argv_compare = ["--compare", os.path.join(stage, "before")]
        else:
            argv_compare = []
        subprocess.run(["chown", "-R", f"{USER}:", stage], check=True)
        argv = ["/usr/bin/python3", os.path.join(stage, "bench", "wayland_cost.py"),
                "--seconds", str(args.seconds), "--runs", str(args.runs), "--only", args.only,
                "--vistrel", os.path.join(stage, "vistrel"),
                "--probe", os.path.join(stage, "screencast_probe"),
                "--floor", os.path.join(stage, "floor"), *argv_compare]
        if args.keep:
            os.makedirs(args.keep, exist_ok=True)
            subprocess.run(["chown", f"{USER}:", args.keep], check=True)
            argv += ["--keep", os.path.abspath(args.keep)]
        return subprocess.run(
            ["runuser", "-u", USER, "--", "env", "-i", "PATH=" + os.environ["PATH"],
             f"HOME=/var/lib/{USER}", "LANG=C.UTF-8", "PYTHONPATH=" + os.path.join(stage, "tests"),
             "TMPDIR=" + os.environ.get("TMPDIR", "/tmp"), *argv], cwd=stage).returncode
    finally:
        shutil.rmtree(stage, ignore_errors=True)


# --- measuring ----------------------------------------------------------------------------------

def _sum_over_threads(pid, name, value):
    """value(text of /proc/PID/task/TID/name) summed over the process's live threads."""
    total = 0
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except FileNotFoundError:
        return 0
    for task in tasks:
        try:
            with open(f"/proc/{pid}/task/{task}/{name}") as f:
                total += value(f.read())
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def cpu_ns(pid):
    """CPU time of every live thread of the process, in ns."""
    return _sum_over_threads(pid, "schedstat", lambda text: int(text.split()[0]))


def wakeups(pid):
    """Voluntary context switches of every live thread of the process."""
    return _sum_over_threads(pid, "status", lambda text: int(
        re.search(r"^voluntary_ctxt_switches:\s*(\d+)", text, re.M).group(1)))


class Mover(threading.Thread):
    """Moves the pointer 3 pixels every 50 ms, 30 pixels to and fro, over a remote-desktop
    session and a bus connection of its own, until stopped."""

    def __init__(self, bus_address):
        super().__init__(daemon=True)
        import dbus
        bus = dbus.bus.BusConnection(bus_address)
        desktop = bus.get_object("org.gnome.Mutter.RemoteDesktop",
                                 "/org/gnome/Mutter/RemoteDesktop")
        self.session = bus.get_object("org.gnome.Mutter.RemoteDesktop", desktop.CreateSession(
            dbus_interface="org.gnome.Mutter.RemoteDesktop"))
        self.session.Start(dbus_interface="org.gnome.Mutter.RemoteDesktop.Session")
        self.halt = threading.Event()

    def run(self):
        step, dx, due = 3.0, 0.0, time.monotonic()
        while not self.halt.is_set():
            self.session.NotifyPointerMotionRelative(
                step, 0.0, dbus_interface="org.gnome.Mutter.RemoteDesktop.Session")
            dx += step
            if abs(dx) >= 30:
                step = -step
            due += 0.05
            self.halt.wait(max(0.0, due - time.monotonic()))

    def stop(self):
        self.halt.set()
        self.join()
        self.session.Stop(dbus_interface="org.gnome.Mutter.RemoteDesktop.Session")


class Bench:
    def __init__(self, rig, args):
        self.rig, self.args = rig, args
        self.mutter = self._pid_of("mutter")
        self.pipewire = self._pid_of("pipewire")
        self.results = []  # (subject, scenario, run, process ms/s, wake/s, mutter, pipewire)
        self.token_file = os.path.join(rig.run, "probe-token")
        with open(self.token_file, "w") as f:
            f.write(rig.seed_consent())

    def _pid_of(self, name):
        return next(p.pid for p in self.rig.processes
                    if os.path.basename(p.log) == name + ".log")

    def start(self, subject, run):
        if subject == "none":
            return None
        if subject == "receiver":
            # Longer than the two scenarios; stopped when they are over.
            process = self.rig._spawn(f"receiver{run}", [
                self.args.probe, str(4 * self.args.seconds + 30), self.token_file, "-"])
        elif subject == "floor":
            process = self.rig._spawn(f"floor{run}", [self.args.floor, self.token_file],
                                      dict(self.rig.env, QT_QPA_PLATFORM="wayland"))
        if subject in ("receiver", "floor"):
            time.sleep(2)
            if not process.running():
                raise SystemExit(f"the {subject} ended early: {open(process.log).read()}")
            return process
        home = os.path.join(self.rig.run, f"home-{subject}{run}")
        state = os.path.join(home, ".local", "state", "Tarnwell")
        os.makedirs(state, exist_ok=True)
        with open(os.path.join(state, "Vistrel.screencast-token"), "w") as f:
            f.write(self.rig.seed_consent())
        binary = self.args.compare if subject == "before" else self.args.vistrel
        process = self.rig._spawn(f"{subject}{run}", [binary],
                                  dict(self.rig.env, HOME=home, XDG_SESSION_TYPE="wayland"))
        deadline = time.monotonic() + 30
        while not self.rig.bus.name_has_owner(BUS_NAME):
            if not process.running() or time.monotonic() > deadline:
                process.stop()
                raise SystemExit(f"the program did not start: {open(process.log).read()}")
            time.sleep(0.1)
        time.sleep(1)
        return process

    def measure(self, subject, scenario, run, pid):
        seconds = self.args.seconds
        t0 = time.monotonic_ns()
        c0, m0, p0 = (cpu_ns(pid) if pid else 0), cpu_ns(self.mutter), cpu_ns(self.pipewire)
        w0 = wakeups(pid) if pid else 0
        time.sleep(seconds)
        t1 = time.monotonic_ns()
        c1, m1, p1 = (cpu_ns(pid) if pid else 0), cpu_ns(self.mutter), cpu_ns(self.pipewire)
        w1 = wakeups(pid) if pid else 0
        ms = (t1 - t0) / 1e6
        self.results.append((subject, scenario, run, (c1 - c0) / 1e6 / ms * 1000,
                             (w1 - w0) / ms * 1000, (m1 - m0) / 1e6 / ms * 1000,
                             (p1 - p0) / 1e6 / ms * 1000))

    def one(self, subject, run):
        process = self.start(subject, run)
        pid = process.pid if process else None
        try:
            self.rig.pointer_to(*HOME_POINT)
            time.sleep(1)
            self.measure(subject, "still", run, pid)
            mover = Mover(self.rig.bus_address)
            mover.start()
            time.sleep(0.5)
            self.measure(subject, "moving", run, pid)
            mover.stop()
        finally:
            if process:
                process.stop()
        time.sleep(1)


def figure(values):
    return f"{statistics.median(values):6.2f} ({min(values):5.2f}-{max(values):5.2f})"


def report(results, args):
    print(f"\nMedians of {args.runs} x {args.seconds:g} s (min-max); CPU in ms per second; "
          "wake/s of the subject's threads")
    print(f"{'scenario':9} {'subject':9} {'process':>20} {'wake/s':>7} {'mutter':>20} "
          f"{'pipewire':>20}")
    medians = {}
    for scenario in SCENARIOS:
        for subject in SUBJECTS:
            rows = [r for r in results if r[0] == subject and r[1] == scenario]
            if not rows:
                continue
            process, wake, mutter, pipewire = ([r[i] for r in rows] for i in (3, 4, 5, 6))
            medians[subject, scenario] = (statistics.median(process), statistics.median(mutter))
            shown = figure(process) if subject != "none" else f"{'-':>20}"
            print(f"{scenario:9} {subject:9} {shown} {statistics.median(wake):7.1f} "
                  f"{figure(mutter)} {figure(pipewire)}")
    print(f"\nprogram / receiver, process CPU (target: at most {TARGET:g}x); mutter beside:")
    for subject in ("floor", "vistrel", "before"):
        for scenario in SCENARIOS:
            if (subject, scenario) not in medians or ("receiver", scenario) not in medians:
                continue
            (program, program_mutter), (receiver, receiver_mutter) = (
                medians[subject, scenario], medians["receiver", scenario])
            if receiver > 0:
                ratio = program / receiver
                verdict = f"{ratio:.2f}x ({'met' if ratio <= TARGET else 'missed'})"
            else:
                # Nothing to compare with: a stray wake-up or two is all that may remain.
                verdict = "met" if program < 0.1 else "missed: the receiver spends nothing"
            print(f"  {subject:7} {scenario:7} {program:.2f} / {receiver:.2f} = {verdict}; "
                  f"mutter {program_mutter:.2f} against {receiver_mutter:.2f} ms/s")
    for scenario in SCENARIOS:
        if ("vistrel", scenario) in medians and medians.get(("floor", scenario), (0,))[0] > 0:
            print(f"  vistrel / floor, {scenario}: "
                  f"{medians['vistrel', scenario][0] / medians['floor', scenario][0]:.2f}x")


def measure_all(args):
    # Imported here: as root the script only stages, needing neither tests/ on its path nor D-Bus.
    from support.mutter_rig import MutterRig

    subjects = [s for s in SUBJECTS if re.search(args.only, s)]
    run_dir = tempfile.mkdtemp(prefix="vistrel-wcost.")
    rig = MutterRig(run_dir)
    try:
        bench = Bench(rig, args)
        time.sleep(2)  # the portal's and the session's start-up settle
        for run in range(1, args.runs + 1):
            for subject in subjects:
                print(f"run {run}: {subject}", file=sys.stderr, flush=True)
                bench.one(subject, run)
    finally:
        rig.stop()
        if args.keep:
            for name in os.listdir(run_dir):
                if name.endswith(".log"):
                    shutil.copy(os.path.join(run_dir, name), args.keep)
        shutil.rmtree(run_dir, ignore_errors=True)
    print(time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()),
          "load average " + " ".join(f"{load:.2f}" for load in os.getloadavg()))
    report(bench.results, args)
    return 0


def main():
    args = parse_args()
    for path in (args.vistrel, args.probe, args.floor):
        if os.geteuid() != 0 and not os.access(path, os.X_OK):
            raise SystemExit(f"{path} is missing: build it first (cmake --build build --target "
                             "vistrel screencast_probe vistrel_wayland_floor)")
    if os.geteuid() == 0:
        return rerun_as_user(args)
    return measure_all(args)


if __name__ == "__main__":
    sys.exit(main())
