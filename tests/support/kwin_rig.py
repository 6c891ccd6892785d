"""A private headless KDE Plasma compositor for the Wayland tests: its own runtime directory and
session bus, kwin_wayland on a 1024 x 768 virtual output (its global shortcuts service inside),
and the real portal stack (xdg-desktop-portal with its KDE backend) for the GlobalShortcuts
portal. Processes are stopped by their process groups (rig.py)."""

import os
import re
import shutil

from .rig import Rig, wait_for

PORTAL_KDE = "/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde"


class KWinRig(Rig):
    def __init__(self, run_dir):
        super().__init__(run_dir, "run the tests as an ordinary user",
                         {"XDG_CURRENT_DESKTOP": "KDE", "XDG_SESSION_TYPE": "wayland",
                          "KDE_FULL_SESSION": "true", "WAYLAND_DISPLAY": "wayland-vistrel"})

    def _start(self):
        self._start_bus()
        # Debian's kwin_wayland carries a file capability (cap_sys_resource) that a container's
        # bounding set may lack, and then exec fails; a plain copy runs anywhere.
        kwin = os.path.join(self.run, "kwin_wayland")
        shutil.copyfile(shutil.which("kwin_wayland") or "/usr/bin/kwin_wayland", kwin)
        os.chmod(kwin, 0o700)
        self.kwin = self._spawn("kwin", [kwin, "--virtual", "--width", "1024", "--height", "768",
                                         "--socket", self.env["WAYLAND_DISPLAY"],
                                         "--no-lockscreen"])
        self._wait_for_service("kwin's D-Bus interface", "org.kde.KWin", "/KWin", 30)
        self._wait_for_service("kwin's global shortcuts", "org.kde.kglobalaccel", "/kglobalaccel",
                               10)
        self._start_portal("org.freedesktop.impl.portal.desktop.kde", PORTAL_KDE,
                           dict(self.env, QT_QPA_PLATFORM="wayland"))

    def invoke_shortcut(self, component, action):
        """Fires a bound shortcut through kglobalaccel, as its key handler does on a press."""
        self.bus.get_object("org.kde.kglobalaccel", "/component/" + component).invokeShortcut(
            action, dbus_interface="org.kde.kglobalaccel.Component")

    def run_script(self, name, text):
        """Loads a KWin script, runs it and unloads it; returns the lines it printed."""
        path = os.path.join(self.run, name + ".js")
        with open(path, "w") as f:
            f.write(text)
        scripting = self.bus.get_object("org.kde.KWin", "/Scripting")
        before = os.path.getsize(self.kwin.log)
        script = scripting.loadScript(path, name, signature="ss",
                                      dbus_interface="org.kde.kwin.Scripting")
        self.bus.get_object("org.kde.KWin", f"/{script}").run(dbus_interface="org.kde.kwin.Script")

        def printed():
            with open(self.kwin.log, errors="replace") as f:
                f.seek(before)
                lines = re.findall(r"^js: (.*)$", f.read(), re.M)
            return lines if any(line == "done" for line in lines) else None

        try:
            return wait_for(f"the script {name}", printed)
        finally:
            scripting.unloadScript(name, dbus_interface="org.kde.kwin.Scripting")
