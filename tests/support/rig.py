"""What the Wayland tests' rigs share: a private runtime directory with a home and a session bus,
processes started in process groups of their own (each stopped with its group), the program's
environment there and the sign that it is up (program.py starts it), and the services every
desktop waits for: the bus, PipeWire, the portal and its consent store. wlroots_rig.py,
mutter_rig.py and kwin_rig.py build their desktops on it."""

import os
import shutil
import socket
import subprocess
import time
import uuid

import dbus

from . import program
from .program import BUS_NAME
from .xsession import Process, start_bus, wait_for


# The program's desktop file, installed in each rig as a package installs it: portals with a host
# app registry know a program only by a desktop file whose command is on the PATH (the source
# tree lies two folders above this one, also in the Wayland suite's copy).
DESKTOP_FILE = os.path.join(os.path.dirname(__file__), "..", "..", "shells", "linux",
                            "example.tarnwell.Vistrel.desktop")
PROGRAM_APP_ID = "example.tarnwell.Vistrel"
REGISTRY = "org.freedesktop.host.portal.Registry"


class RigFailure(Exception):
    pass


def quietly(condition):
    def attempt():
        try:
            return condition()
        except (dbus.DBusException, OSError, subprocess.SubprocessError, ValueError):
            return None

    return attempt


def _connects(path):
    with socket.socket(socket.AF_UNIX) as s:
        return s.connect(path) or True


class Rig:
    """A runtime directory of its own (mode 0700, a home inside it) and the environment that
    points there; subclasses start their processes in _start() and add to env first."""

    def __init__(self, run_dir, why_not_root, env):
        if os.geteuid() == 0:
            raise RigFailure(why_not_root)
        self.run = run_dir
        os.makedirs(run_dir, mode=0o700, exist_ok=True)
        os.chmod(run_dir, 0o700)
        home = os.path.join(run_dir, "home")
        os.makedirs(home, exist_ok=True)
        self.bus_address = "unix:path=" + os.path.join(run_dir, "bus")
        applications, bin_dir = os.path.join(run_dir, "share", "applications"), os.path.join(
            run_dir, "bin")
        for folder in (applications, bin_dir):
            os.makedirs(folder, exist_ok=True)
        shutil.copy(DESKTOP_FILE, applications)
        if program.VISTREL and not os.path.lexists(os.path.join(bin_dir, "vistrel")):
            os.symlink(program.VISTREL, os.path.join(bin_dir, "vistrel"))
        self.env = {
            "XDG_DATA_DIRS": os.path.join(run_dir, "share") + ":/usr/local/share:/usr/share",
            "PATH": bin_dir + ":" + os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "LANG": "C.UTF-8",
            "XDG_RUNTIME_DIR": run_dir,
            "DBUS_SESSION_BUS_ADDRESS": self.bus_address,
            **env,
        }
        self.processes = []
        try:
            self._start()
        except BaseException:
            self.stop()
            raise

    def spawn(self, name, argv, env=None):
        """Starts argv in a process group of its own, with its output in name.log."""
        process = Process(argv, env or self.env, os.path.join(self.run, name + ".log"), group=True)
        self.processes.append(process)
        return process

    def program_env(self, home):
        """The program's environment: a Wayland client of this desktop with the home's own
        directories, the runtime one (where the desktop's sockets are) excepted."""
        return {**self.env, **home, "XDG_RUNTIME_DIR": self.run, "XDG_SESSION_TYPE": "wayland"}

    def program_up(self, program):
        # Its bus name comes after the window and the screen cast.
        return self.bus.name_has_owner(BUS_NAME)

    def _start_bus(self):
        start_bus(self, os.path.join(self.run, "bus"))
        self.bus = wait_for("a connection to the session bus",
                            quietly(lambda: dbus.bus.BusConnection(self.bus_address)))

    def _wait_for_service(self, what, name, timeout=20):
        """Waits until name has an owner. Asking the service itself would D-Bus-activate a second
        copy where the first is not up yet, and GNOME's portal backend 48 reaches mutter over a
        service channel that two copies break for each other."""
        wait_for(what, quietly(lambda: self.bus.name_has_owner(name)), timeout)

    def _start_portal(self, backend, executable, env=None):
        """The portal's backend, then xdg-desktop-portal itself, each waited for. Started by hand,
        not by D-Bus activation, so that they get this environment."""
        self.spawn("portal-backend", [executable], env)
        self._wait_for_service("the portal backend", backend)
        self.spawn("portal", ["/usr/libexec/xdg-desktop-portal"])
        self._wait_for_service("the portal", "org.freedesktop.portal.Desktop")
        # xdg-desktop-portal 1.19 and later: the program names itself; before, it has no id.
        # Asked only now that the portal runs, so no second copy is activated.
        served = self.bus.get_object("org.freedesktop.portal.Desktop",
                                     "/org/freedesktop/portal/desktop").Introspect(
            dbus_interface="org.freedesktop.DBus.Introspectable")
        self.portal_registry = REGISTRY in served
        self.program_app_id = PROGRAM_APP_ID if self.portal_registry else ""

    def _start_pipewire(self, tag=""):
        """PipeWire, waited for, and WirePlumber; returns the moment PipeWire takes connections.
        The desktop's own PipeWire clients (the compositor, the portal) load no realtime module:
        PipeWire 1.x's asks the Realtime portal, which without RTKit on a system bus is the
        portal itself, and a portal that rebuilds its PipeWire context after a restart then
        waits on its own answer. The program, with a home of its own, keeps the default."""
        conf = os.path.join(self.env["HOME"], ".config", "pipewire", "client.conf.d")
        os.makedirs(conf, exist_ok=True)
        with open(os.path.join(conf, "no-rt.conf"), "w") as f:
            f.write("context.properties = { module.rt = false }\n")
        self.spawn("pipewire" + tag, ["pipewire"])
        # Connected to, not found: a PipeWire that was killed leaves its socket behind.
        wait_for("PipeWire", quietly(lambda: _connects(os.path.join(self.run, "pipewire-0"))))
        back = time.monotonic()
        self.spawn("wireplumber" + tag, ["wireplumber"])
        return back

    def _store_consent(self, data, app_id):
        """Puts a screen-cast consent as the desktop's portal backend keeps it (data: its GVariant
        text) in the permission store, under a new restore token, which it returns; for the
        program's id as the portal knows it unless app_id names another."""
        app_id = app_id or self.program_app_id
        token = str(uuid.uuid4())
        subprocess.run(["gdbus", "call", "--session", "--dest",
                        "org.freedesktop.impl.portal.PermissionStore", "--object-path",
                        "/org/freedesktop/impl/portal/PermissionStore", "--method",
                        "org.freedesktop.impl.portal.PermissionStore.Set", "screencast", "true",
                        token, f"@a{{sas}} {{'{app_id}': ['yes']}}", data],
                       env=self.env, check=True, capture_output=True, timeout=10)
        return token

    def stop(self):
        for process in reversed(self.processes):
            process.stop()
        self.processes = []
