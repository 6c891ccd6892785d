"""A private headless GNOME compositor for the Wayland backend's tests: its own runtime directory
and session bus, PipeWire with WirePlumber, mutter with 1024 x 768 virtual monitors (one, or
several side by side), and the real portal stack (xdg-desktop-portal with its GNOME backend).
The consent that a person gives once in the "Screen Share" dialog, for every monitor, is seeded
in the permission store, as the desktop keeps it under a restore token. Processes are stopped by
their process groups (rig.py)."""

import os
import re
import subprocess
import time

import dbus
import pytest

from .rig import Rig
from .xsession import wait_for


class MutterRig(Rig):
    """monitors of 1024 x 768 logical pixels, each scale times as many physical ones. Tests give
    places in physical pixels, the pixels of the screen casts' pictures."""

    def __init__(self, run_dir, monitors=1, scale=1):
        self.monitors, self.scale = monitors, scale
        self.width, self.height = round(1024 * scale), round(768 * scale)
        # Qt programs D-Bus starts run here, as on the desktop: KDE's portal backend, for one.
        # GNOME's portal backend 48 offers no screen cast outside a Wayland session.
        super().__init__(run_dir, "run the tests as an ordinary user",
                         {"XDG_CURRENT_DESKTOP": "GNOME", "XDG_SESSION_TYPE": "wayland",
                          "GSETTINGS_BACKEND": "memory",
                          "WAYLAND_DISPLAY": "wayland-vistrel", "QT_QPA_PLATFORM": "wayland"})

    def _start(self):
        self._start_bus()
        self._start_pipewire()
        self.spawn("mutter", ["mutter", "--headless", "--wayland", "--no-x11",
                               "--wayland-display=" + self.env["WAYLAND_DISPLAY"],
                               *["--virtual-monitor", f"{self.width}x{self.height}"] * self.monitors])
        self._wait_for_service("mutter's screen cast", "org.gnome.Mutter.ScreenCast", timeout=30)
        if self.scale != 1:
            self._apply_scale()
        self._start_portal("org.freedesktop.impl.portal.desktop.gnome",
                           "/usr/libexec/xdg-desktop-portal-gnome")

    def pictures_of_every_monitor(self):
        """Headless mutter 48 never sends a picture of a virtual monitor other than the last, in
        the pointer-as-metadata mode (why: docs/linux.md, "Headless mutter 48")."""
        version = subprocess.run(["mutter", "--version"], capture_output=True, text=True,
                                 timeout=10).stdout.split()
        major = int(version[1].split(".")[0]) if len(version) > 1 else 0
        return self.monitors == 1 or major < 48

    def require_a_picture_of_every_monitor(self):
        if not self.pictures_of_every_monitor():
            pytest.skip("headless mutter 48 sends no picture of its first virtual monitor")

    def _display_config(self):
        config = self.bus.get_object("org.gnome.Mutter.DisplayConfig",
                                     "/org/gnome/Mutter/DisplayConfig")
        return config, config.GetCurrentState(dbus_interface="org.gnome.Mutter.DisplayConfig")

    def _apply_scale(self):
        """Every monitor at scale, side by side, in the layout mode mutter runs: mutter 48's
        default is the logical one (1), where places count in logical pixels; mutter 43 knows
        only the physical one (2)."""
        config, (serial, monitors, _logical, props) = self._display_config()
        logical = props.get("layout-mode", 2) == 1
        if self.scale % 1 and not logical:
            pytest.skip("mutter 43 has fractional scales only in its experimental logical layout")
        step = self.width / (self.scale if logical else 1)
        layout = [(dbus.Int32(round(i * step)), dbus.Int32(0), dbus.Double(self.scale),
                   dbus.UInt32(0), i == 0,
                   [(m[0][0], next(mode[0] for mode in m[1] if mode[6].get("is-current")), {})])
                  for i, m in enumerate(monitors)]
        config.ApplyMonitorsConfig(serial, dbus.UInt32(1), layout, {},
                                   dbus_interface="org.gnome.Mutter.DisplayConfig")
        wait_for("the monitors at their scale", lambda: all(
            float(m[2]) == self.scale for m in self._display_config()[1][2]))

    def seed_consent(self, app_id="", only=None):
        """Stores the consent a person gives by sharing the screen (every monitor, or the one
        numbered only) with "remember" on; returns the restore token the program then holds."""
        _serial, monitors, _logical, _props = self._display_config()[1]
        shared = ", ".join(f"(uint32 {i}, uint32 1, <'{':'.join(m[0][1:])}'>)"
                           for i, m in enumerate(monitors) if only in (None, i))
        return self._store_consent(
            f"<('GNOME', uint32 1, <(int64 0, int64 0, [{shared}])>)>", app_id)

    def _remote_session(self):
        if not hasattr(self, "_remote"):
            desktop = self.bus.get_object("org.gnome.Mutter.RemoteDesktop",
                                          "/org/gnome/Mutter/RemoteDesktop")
            path = desktop.CreateSession(dbus_interface="org.gnome.Mutter.RemoteDesktop")
            self._remote = self.bus.get_object("org.gnome.Mutter.RemoteDesktop", path)
            self._remote.Start(dbus_interface="org.gnome.Mutter.RemoteDesktop.Session")
        return self._remote

    def pointer_to(self, x, y):
        """Moves the pointer through mutter's remote-desktop interface: to the corner, then by
        x, y (physical pixels; mutter counts moves in logical ones in either layout mode). A move that would leave every monitor stops at the edge of the pointer's own, so
        with monitors side by side it steps one pixel over to the left one before each jump."""
        session = "org.gnome.Mutter.RemoteDesktop.Session"
        remote = self._remote_session()
        for _ in range(self.monitors - 1):
            remote.NotifyPointerMotionRelative(-5000.0, -5000.0, dbus_interface=session)
            remote.NotifyPointerMotionRelative(-1.0, 0.0, dbus_interface=session)
        remote.NotifyPointerMotionRelative(-5000.0, -5000.0, dbus_interface=session)
        remote.NotifyPointerMotionRelative(x / self.scale, y / self.scale,
                                           dbus_interface=session)

    def click(self, x, y, button=0x110):
        """A press and release of a pointer button (Linux input code, left by default) at x, y."""
        self.pointer_to(x, y)
        session = "org.gnome.Mutter.RemoteDesktop.Session"
        for pressed in (True, False):
            self._remote_session().NotifyPointerButton(button, pressed, dbus_interface=session)

    def press_key(self, keysym):
        """A press and release of a key (X keysym) for the focused window. The first key makes
        mutter's virtual keyboard, which clients learn of too late for that key: a Shift first."""
        session = "org.gnome.Mutter.RemoteDesktop.Session"
        for key in ([] if hasattr(self, "_keyboard") else [0xffe1]) + [keysym]:
            for pressed in (True, False):
                self._remote_session().NotifyKeyboardKeysym(key, pressed, dbus_interface=session)
            time.sleep(0.5)
        self._keyboard = True

    def restart_pipewire(self, down=1.0):
        """Ends PipeWire and WirePlumber as an update does, and starts them again after down
        seconds; returns the moment PipeWire takes connections again."""
        for process in [p for p in self.processes
                        if os.path.basename(p.log).startswith(("pipewire", "wireplumber"))]:
            process.stop()
            self.processes.remove(process)
        time.sleep(down)
        return self._start_pipewire(f"-{time.monotonic_ns()}")

    def stop_sharing(self):
        """Makes mutter end its screen casts, as "stop sharing" does (its Stop answers only the
        portal): without its PipeWire client mutter closes them, and the portal the sessions."""
        clients = subprocess.run(["pw-cli", "ls", "Client"], env=self.env, check=True,
                                 timeout=10, capture_output=True, text=True).stdout
        for client in clients.split("\tid ")[1:]:
            if 'application.name = "mutter"' in client:
                # Not checked: the client of a cast that is ending may be gone already.
                subprocess.run(["pw-cli", "destroy", client.split(",")[0]], env=self.env,
                               timeout=10, capture_output=True)

    def destroy_sources(self, last=False):
        """Destroys mutter's screen-cast source nodes in PipeWire (or, last, the last monitor's):
        mutter keeps its cast and the portal its session, so only PipeWire tells a client that
        its stream lost its source."""
        def one_cast():  # by serial, which PipeWire never gives twice; a screenshot's may linger
            nodes = subprocess.run(["pw-cli", "ls", "Node"], env=self.env, check=True,
                                   timeout=10, capture_output=True, text=True).stdout
            found = sorted((int(re.search(r'object.serial = "(\d+)"', node)[1]), node.split(",")[0])
                           for node in nodes.split("\tid ")[1:]
                           if 'media.class = "Stream/Output/Video"' in node
                           and 'node.name = "mutter"' in node)
            return found if len(found) == self.monitors else None
        found = wait_for("one cast's sources", one_cast, 10, 0.2)
        for _serial, node in found[-1:] if last else found:
            subprocess.run(["pw-cli", "destroy", node], env=self.env, timeout=10,
                           capture_output=True)


def run_probe(rig, probe, token_file, prefix, moves=(), seconds=3):
    """Runs the screen-cast probe on the rig for seconds, moving the pointer meanwhile; its
    output (streams, cursor positions) when it ended well."""
    process = subprocess.Popen([probe, str(seconds), token_file, prefix], env=rig.env, text=True,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    time.sleep(min(1.5, seconds / 2))
    for x, y in moves:
        rig.pointer_to(x, y)
        time.sleep(0.25)
    out, err = process.communicate(timeout=30)
    assert process.returncode == 0, err
    return out
