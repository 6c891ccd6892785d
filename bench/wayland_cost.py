#!/usr/bin/python3
"""What the Linux program costs as a Wayland client: its CPU beside the floor of any Qt
magnifier and a bare receiver of the same screen cast, on a headless desktop of the Wayland tests
(--desktop; gnome: one mutter of tests/support/mutter_rig.py, 1024 x 768; sway: the sway of
tests/support/wlroots_rig.py, its one headless output 1024 x 768 or --output-mode), with the pointer
still and moving, and what the compositor and the PipeWire daemon spend meanwhile.

  bench/wayland_cost.py [--desktop gnome|sway] [--seconds 10] [--runs 3] [--only REGEX]
                        [--vistrel PATH] [--probe PATH] [--floor PATH] [--compositor-floor PATH]
                        [--virtual-pointer PATH]
                        [--output-mode WxH] [--compare PATH] [--keep DIR]

Subjects, one after the other in every run (run 1 of each, then run 2, ...):
  none      nothing but the rig: what the compositor spends on the pointer itself
  receiver  tests/linux/wayland/screencast_probe with "-": the backend's own classes receiving every
            stream at 20 frames a second, its main thread asleep
  floor     bench/wayland_floor.cpp: that receiver and a 220 x 165 Qt window drawn from the
            stream at zoom 2 on every 50 ms tick that finds the pointer moved, nothing else
  vistrel   build/vistrel with XDG_SESSION_TYPE=wayland and a seeded consent token
  before    with --compare: another build of the program (an older one, say), started alike
On sway the program takes the compositor's own capture (no portal), and the subjects are:
  none      as above
  floor     bench/compositor_floor.cpp whole: a cursor session and an ext-image-copy-capture
            session of the whole output (at most 20 frames a second, each held until the output
            changed), drawn as the GNOME floor draws
  region    bench/compositor_floor.cpp region: the same, the pictures by wlr-screencopy's
            capture_output_region of the 110 x 83 pixels around the pointer, 20 a second
  vistrel, before  as above, without a token
  (all but none skipped, with the reason, where the compositor lacks those protocols)
Scenarios: (still) the pointer still, off the program's window; (moving) the pointer moving
3 pixels every 50 ms, 30 pixels to and fro, as relative motion through mutter's remote-desktop
interface (a mouse's path into the compositor), on sway by its seat command. CPU is the scheduler's account of every thread
(/proc/PID/task/*/schedstat, exact to the nanosecond, where /proc/PID/stat counts 10 ms ticks)
in ms per second of wall time; wake/s are the voluntary context switches of the subject's
threads. Each figure: the median of --runs runs, with min and max. The target: on GNOME the
program at most 1.1 times the floor (a bare receiver draws no window and cannot be matched); on
sway at most 1.5 times, the compositor's CPU counted with each.

A subject is a name in SUBJECTS and a Bench.start_NAME method; a desktop is a row of DESKTOPS:
the rig that makes it and what moves its pointer as a mouse would.

The rig refuses root (as the desktops do): run as root, the script builds what it needs, copies
it and itself where the ordinary user vistrel-test can read them (made when missing, as
tests/linux/wayland/run-suite.sh does) and measures as that user; it builds only the programs
whose paths were not given. The rig is the Wayland tests' own (tests/support, put on the path
here)."""

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
sys.path.insert(0, os.path.join(ROOT, "tests"))
USER = "vistrel-test"
BUS_NAME = "example.tarnwell.Vistrel"
DESKTOP_FILE = os.path.join("shells", "linux", "example.tarnwell.Vistrel.desktop")
HOME_POINT = (110, 690)  # where the pointer rests: bottom left, off the program's window
SUBJECTS = ("none", "receiver", "floor", "region", "vistrel", "before")
SCENARIOS = ("still", "moving")
# The programs a run needs: option, target, where the linux preset builds it.
PROGRAMS = (("vistrel", "vistrel", "vistrel"),
            ("probe", "screencast_probe", "tests/linux/wayland/screencast_probe"),
            ("floor", "vistrel_wayland_floor", "bench/vistrel_wayland_floor"),
            ("compositor_floor", "vistrel_compositor_floor", "bench/vistrel_compositor_floor"),
            ("virtual_pointer", "virtual_pointer", "tests/linux/wayland/virtual_pointer"))


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--desktop", choices=sorted(DESKTOPS), default="gnome")
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--only", default=".", help="subjects whose name matches")
    for option, _target, path in PROGRAMS:
        parser.add_argument("--" + option.replace("_", "-"), help=f"default: build/{path}")
    parser.add_argument("--output-mode", help="sway: the output's size, WxH")
    parser.add_argument("--compare", help="another build of the program, measured as before")
    parser.add_argument("--keep", help="copy the rig's logs here")
    args = parser.parse_args()
    # Built here, as root, unless given.
    args.build = [target for option, target, _path in PROGRAMS if not getattr(args, option)]
    for option, _target, path in PROGRAMS:
        setattr(args, option, getattr(args, option) or os.path.join(ROOT, "build", path))
    # before is measured only against a build to compare with.
    args.subjects = [s for s in SUBJECTS
                     if re.search(args.only, s) and (s != "before" or args.compare) and
                     s in DESKTOPS[args.desktop][4]]
    return args


# --- as root: build, stage, measure as the ordinary user ----------------------------------------

def rerun_as_user(args):
    if args.build:
        subprocess.run(["cmake", "--preset", "linux"], cwd=ROOT, check=True,
                       stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", "build", "--target", *args.build, "-j2"], cwd=ROOT,
                       check=True, stdout=subprocess.DEVNULL)
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
        # The rigs install it, as a package does.
        os.makedirs(os.path.join(stage, os.path.dirname(DESKTOP_FILE)))
        shutil.copy(os.path.join(ROOT, DESKTOP_FILE), os.path.join(stage, DESKTOP_FILE))
        shutil.copy(args.vistrel, os.path.join(stage, "vistrel"))
        shutil.copy(args.probe, os.path.join(stage, "screencast_probe"))
        shutil.copy(args.floor, os.path.join(stage, "floor"))
        shutil.copy(args.compositor_floor, os.path.join(stage, "compositor_floor"))
        shutil.copy(args.virtual_pointer, os.path.join(stage, "virtual_pointer"))
        if args.compare:
            shutil.copy(args.compare, os.path.join(stage, "before"))
            argv_compare = ["--compare", os.path.join(stage, "before")]
        else:
            argv_compare = []
        subprocess.run(["chown", "-R", f"{USER}:", stage], check=True)
        argv = ["/usr/bin/python3", os.path.join(stage, "bench", "wayland_cost.py"),
                "--desktop", args.desktop, "--seconds", str(args.seconds), "--runs", str(args.runs), "--only", args.only,
                "--vistrel", os.path.join(stage, "vistrel"),
                "--probe", os.path.join(stage, "screencast_probe"),
                "--floor", os.path.join(stage, "floor"),
                "--compositor-floor", os.path.join(stage, "compositor_floor"),
                "--virtual-pointer", os.path.join(stage, "virtual_pointer"), *argv_compare]
        if args.output_mode:
            argv += ["--output-mode", args.output_mode]
        if args.keep:
            os.makedirs(args.keep, exist_ok=True)
            subprocess.run(["chown", f"{USER}:", args.keep], check=True)
            argv += ["--keep", os.path.abspath(args.keep)]
        return subprocess.run(
            ["runuser", "-u", USER, "--", "env", "-i", "PATH=" + os.environ["PATH"],
             f"HOME=/var/lib/{USER}", "LANG=C.UTF-8", "TMPDIR=" + os.environ.get("TMPDIR", "/tmp"), *argv], cwd=stage).returncode
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
    """Moves the pointer 3 pixels every 50 ms, 30 pixels to and fro, as a mouse would, until
    stopped; a desktop's mover says how in nudge()."""

    def __init__(self):
        super().__init__(daemon=True)
        self.halt = threading.Event()

    def run(self):
        step, dx, due = 3.0, 0.0, time.monotonic()
        while not self.halt.is_set():
            self.nudge(step)
            dx += step
            if abs(dx) >= 30:
                step = -step
            due += 0.05
            self.halt.wait(max(0.0, due - time.monotonic()))

    def stop(self):
        self.halt.set()
        self.join()


class GnomeMover(Mover):
    """Relative motion over a remote-desktop session of mutter's and a bus connection of its
    own (the rig's is the main thread's)."""

    def __init__(self, rig):
        super().__init__()
        import dbus
        bus = dbus.bus.BusConnection(rig.bus_address)
        desktop = bus.get_object("org.gnome.Mutter.RemoteDesktop",
                                 "/org/gnome/Mutter/RemoteDesktop")
        self.session = bus.get_object("org.gnome.Mutter.RemoteDesktop", desktop.CreateSession(
            dbus_interface="org.gnome.Mutter.RemoteDesktop"))
        self.session.Start(dbus_interface="org.gnome.Mutter.RemoteDesktop.Session")

    def nudge(self, dx):
        self.session.NotifyPointerMotionRelative(
            dx, 0.0, dbus_interface="org.gnome.Mutter.RemoteDesktop.Session")

    def stop(self):
        super().stop()
        self.session.Stop(dbus_interface="org.gnome.Mutter.RemoteDesktop.Session")


class SwayMover(Mover):
    """Absolute motion by the rig's virtual pointer, from where the bench rests the pointer."""

    def __init__(self, rig):
        super().__init__()
        self.rig, self.x = rig, HOME_POINT[0]

    def nudge(self, dx):
        self.x += dx
        self.rig.pointer_to(int(self.x), HOME_POINT[1])


# name: (the rig's module in tests/support and its class, the compositor's log name, its mover,
# its subjects, the target of the program against the floor, whether the compositor counts in it)
DESKTOPS = {
    "gnome": ("support.mutter_rig", "MutterRig", "mutter", GnomeMover,
              ("none", "receiver", "floor", "vistrel", "before"), 1.1, False),
    "sway": ("support.wlroots_rig", "WlrootsRig", "sway", SwayMover,
             ("none", "floor", "region", "vistrel", "before"), 1.5, True),
}


class Bench:
    def __init__(self, rig, args, compositor, mover):
        self.rig, self.args, self.mover = rig, args, mover
        self.compositor = self._pid_of(compositor)
        self.pipewire = self._pid_of("pipewire")
        self.results = []  # (subject, scenario, run, process ms/s, wake/s, compositor, pipewire)
        self.token_file = os.path.join(rig.run, "probe-token")
        self.seeded = hasattr(rig, "seed_consent")
        if self.seeded:
            with open(self.token_file, "w") as f:
                f.write(rig.seed_consent())

    def _pid_of(self, name):
        return next((p.pid for p in self.rig.processes
                     if os.path.basename(p.log) == name + ".log"), None)

    def lacking(self):
        """Why the compositor capture's subjects cannot run here, or None."""
        check = subprocess.run([self.args.compositor_floor, "check"], capture_output=True,
                               text=True, env=dict(self.rig.env, QT_QPA_PLATFORM="wayland"))
        return check.stdout.strip() or check.stderr.strip() if check.returncode else None

    def _helper(self, subject, process):
        time.sleep(2)
        if not process.running():
            raise SystemExit(f"the {subject} ended early: {open(process.log).read()}")
        return process

    def start_none(self, run):
        return None

    def start_receiver(self, run):
        # Longer than the two scenarios; stopped when they are over.
        return self._helper("receiver", self.rig.spawn(f"receiver{run}", [
            self.args.probe, str(4 * self.args.seconds + 30), self.token_file, "-"]))

    def start_floor(self, run, subject="floor"):
        argv = ([self.args.compositor_floor, "whole" if subject == "floor" else subject]
                if not self.seeded else [self.args.floor, self.token_file])
        return self._helper(subject, self.rig.spawn(f"{subject}{run}", argv,
                                                    dict(self.rig.env, QT_QPA_PLATFORM="wayland")))

    def start_region(self, run):
        return self.start_floor(run, "region")

    def start_vistrel(self, run, binary=None, subject="vistrel"):
        home = os.path.join(self.rig.run, f"home-{subject}{run}")
        state = os.path.join(home, ".local", "state", "Tarnwell")
        os.makedirs(state, exist_ok=True)
        # As after the first start: the box that says how to reach the menu without a tray would
        # come first, and the share only once it is answered.
        open(os.path.join(state, "Vistrel.no-tray-notice-shown"), "w").close()
        if self.seeded:
            with open(os.path.join(state, "Vistrel.screencast-token"), "w") as f:
                f.write(self.rig.seed_consent())
        process = self.rig.spawn(f"{subject}{run}", [binary or self.args.vistrel],
                                 dict(self.rig.env, HOME=home, XDG_SESSION_TYPE="wayland",
                                      **({} if self.seeded else {"QT_QPA_PLATFORM": "wayland"})))
        deadline = time.monotonic() + 30
        while not self.rig.bus.name_has_owner(BUS_NAME):
            if not process.running() or time.monotonic() > deadline:
                process.stop()
                raise SystemExit(f"the program did not start: {open(process.log).read()}")
            time.sleep(0.1)
        time.sleep(1)
        return process

    def start_before(self, run):
        return self.start_vistrel(run, self.args.compare, "before")

    def measure(self, subject, scenario, run, pid):
        seconds = self.args.seconds
        t0 = time.monotonic_ns()
        pipewire = self.pipewire or self.compositor  # none on sway: its figures are not shown
        c0, m0, p0 = (cpu_ns(pid) if pid else 0), cpu_ns(self.compositor), cpu_ns(pipewire)
        w0 = wakeups(pid) if pid else 0
        time.sleep(seconds)
        t1 = time.monotonic_ns()
        c1, m1, p1 = (cpu_ns(pid) if pid else 0), cpu_ns(self.compositor), cpu_ns(pipewire)
        w1 = wakeups(pid) if pid else 0
        ms = (t1 - t0) / 1e6
        self.results.append((subject, scenario, run, (c1 - c0) / 1e6 / ms * 1000,
                             (w1 - w0) / ms * 1000, (m1 - m0) / 1e6 / ms * 1000,
                             (p1 - p0) / 1e6 / ms * 1000))

    def one(self, subject, run):
        process = getattr(self, "start_" + subject)(run)
        pid = process.pid if process else None
        try:
            self.rig.pointer_to(*HOME_POINT)
            time.sleep(1)
            self.measure(subject, "still", run, pid)
            mover = self.mover(self.rig)
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


def report(results, args, compositor, target, with_compositor, has_pipewire):
    print(f"\nMedians of {args.runs} x {args.seconds:g} s (min-max); CPU in ms per second; "
          "wake/s of the subject's threads")
    print(f"{'scenario':9} {'subject':9} {'process':>20} {'wake/s':>7} {compositor:>20} "
          + (f"{'pipewire':>20}" if has_pipewire else ""))
    medians = {}
    for scenario in SCENARIOS:
        for subject in SUBJECTS:
            rows = [r for r in results if r[0] == subject and r[1] == scenario]
            if not rows:
                continue
            process, wake, desktop, pipewire = ([r[i] for r in rows] for i in (3, 4, 5, 6))
            medians[subject, scenario] = (statistics.median(process), statistics.median(desktop))
            shown = figure(process) if subject != "none" else f"{'-':>20}"
            print(f"{scenario:9} {subject:9} {shown} {statistics.median(wake):7.1f} "
                  f"{figure(desktop)} {figure(pipewire) if has_pipewire else ''}")
    counted = f"process + {compositor}" if with_compositor else "process"
    print(f"\nprogram / floor, {counted} CPU (target: at most {target:g}x); the bare receiver and "
          f"{compositor} beside:")
    for subject in ("vistrel", "before"):
        for scenario in SCENARIOS:
            if (subject, scenario) not in medians or ("floor", scenario) not in medians:
                continue
            (program, program_desktop), (floor, floor_desktop) = (
                medians[subject, scenario], medians["floor", scenario])
            if with_compositor:
                program, floor = program + program_desktop, floor + floor_desktop
            if floor > 0:
                ratio = program / floor
                verdict = f"{ratio:.2f}x ({'met' if ratio <= target else 'missed'})"
            else:
                # Nothing to compare with: a stray wake-up or two is all that may remain.
                verdict = "met" if program < 0.1 else "missed: the floor spends nothing"
            receiver = medians.get(("receiver", scenario), (None,))[0]
            beside = f"receiver {receiver:.2f}, " if receiver is not None else ""
            print(f"  {subject:7} {scenario:7} {program:.2f} / {floor:.2f} = {verdict}; {beside}"
                  f"{compositor} {program_desktop:.2f} against {floor_desktop:.2f} ms/s")
    # A program that shows nothing costs nothing: figures of one that never got the screen would
    # pass every target (the first start's box once held the share back unnoticed).
    if medians.get(("vistrel", "moving"), (1,))[0] == 0:
        raise SystemExit("the program spent nothing while the pointer moved: it shows no screen")
    for scenario in SCENARIOS:
        if ("region", scenario) in medians and ("floor", scenario) in medians:
            (region, region_desktop), (whole, whole_desktop) = (medians["region", scenario],
                                                                medians["floor", scenario])
            print(f"  region / whole output, {scenario}: client {region:.2f} / {whole:.2f}, "
                  f"{compositor} {region_desktop:.2f} / {whole_desktop:.2f}, both "
                  f"{region + region_desktop:.2f} / {whole + whole_desktop:.2f} ms/s")


def measure_all(args):
    import importlib

    module, rig_class, compositor, mover, _subjects, target, with_compositor = DESKTOPS[
        args.desktop]
    from support import program

    # The rig links the program into its PATH, where a portal with an app registry looks.
    program.VISTREL = os.path.abspath(args.vistrel)
    run_dir = tempfile.mkdtemp(prefix="vistrel-wcost.")
    rig_type = getattr(importlib.import_module(module), rig_class)
    # sway's rig holds the seat's pointer device (headless sway has none) for the whole run.
    rig = (rig_type(run_dir, args.virtual_pointer, x11_program=False) if args.desktop == "sway"
           else rig_type(run_dir))
    try:
        if args.output_mode:
            # One argument: swaymsg would take a separate --custom for an option of its own.
            rig.swaymsg("command", f"output HEADLESS-1 mode --custom {args.output_mode}")
            mode = rig.swaymsg("get_outputs")[0]["current_mode"]
            print(f"output {mode['width']}x{mode['height']}", flush=True)
        bench = Bench(rig, args, compositor, mover)
        why = bench.lacking() if args.desktop == "sway" else None
        if why:
            print(f"the compositor capture's subjects skipped: {why}", flush=True)
            args.subjects = [s for s in args.subjects if s == "none"]
        time.sleep(2)  # the portal's and the session's start-up settle
        for run in range(1, args.runs + 1):
            for subject in args.subjects:
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
    report(bench.results, args, compositor, target, with_compositor, bench.pipewire)
    return 0


def main():
    args = parse_args()
    for path in (args.vistrel, args.probe, args.floor, args.compositor_floor, args.virtual_pointer):
        if os.geteuid() != 0 and not os.access(path, os.X_OK):
            raise SystemExit(f"{path} is missing: build it first (cmake --build build --target "
                             "vistrel screencast_probe vistrel_wayland_floor "
                             "vistrel_compositor_floor virtual_pointer)")
    if os.geteuid() == 0:
        return rerun_as_user(args)
    return measure_all(args)


if __name__ == "__main__":
    sys.exit(main())
