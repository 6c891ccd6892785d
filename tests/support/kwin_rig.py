"""A private headless KDE Plasma compositor for the Wayland tests: its own runtime directory and
session bus, kwin_wayland on a 1024 x 768 virtual output at a scale (1 unless given; its global
shortcuts service inside), and the real portal stack (xdg-desktop-portal with its KDE backend)
for the GlobalShortcuts portal. Processes are stopped by their process groups (rig.py).

With a frame feed (the folder that holds kwin/effects/plugins/vistrel_frame_feed.so, built from
tests/linux/wayland/kwin_frame_feed) it also serves the ScreenCast portal with real pictures:
PipeWire and WirePlumber run, KWin composites with OpenGL on Mesa's software renderer without a
display (KWin refuses that renderer unless told to use it), and the effect makes the virtual
output send its frames to the screen cast, which KWin 5.27 does only for outputs on a DRM
device. The pointer then moves through KWin's fake-input protocol, which KWin offers only to
clients it trusts; the rig waives that check for its own compositor.

What differs between KWin 5.27 and 6 is said here and nowhere else: where a loaded script's D-Bus
object lives, what the scripts' list of windows is called, which kglobalaccel component KDE's
portal backend files a program's keys under, and whether it binds them without a dialog."""

import json
import os
import re
import shutil
import socket
import struct
import subprocess

from .rig import Rig, RigFailure
from .xsession import wait_for

PORTAL_KDE = "/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde"
# KDE finds a program's desktop file only through the applications menu, which a Plasma session
# has and a bare KF6 does not; then the shortcut settings show the file's name for the program.
APPLICATIONS_MENU = """<!DOCTYPE Menu PUBLIC "-//freedesktop//DTD Menu 1.0//EN"
 "http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd">
<Menu><Name>Applications</Name><DefaultAppDirs/><Include><All/></Include></Menu>
"""


class KWinRig(Rig):
    def __init__(self, run_dir, frame_feed=None, scale=1):
        self.frame_feed, self.scale = frame_feed, scale
        super().__init__(run_dir, "run the tests as an ordinary user",
                         {"XDG_CURRENT_DESKTOP": "KDE", "XDG_SESSION_TYPE": "wayland",
                          "KDE_FULL_SESSION": "true", "WAYLAND_DISPLAY": "wayland-vistrel",
                          "XDG_CONFIG_DIRS": os.path.join(run_dir, "xdg") + ":/etc/xdg"})

    def _start(self):
        os.makedirs(os.path.join(self.run, "xdg", "menus"), exist_ok=True)
        with open(os.path.join(self.run, "xdg", "menus", "applications.menu"), "w") as f:
            f.write(APPLICATIONS_MENU)
        self._start_bus()
        env = self.env
        if self.frame_feed:
            self._start_pipewire()
            env = dict(self.env, LIBGL_ALWAYS_SOFTWARE="1", KWIN_COMPOSE="O2",
                       EGL_PLATFORM="surfaceless", QT_PLUGIN_PATH=self.frame_feed,
                       KWIN_WAYLAND_NO_PERMISSION_CHECKS="1")
        # Debian's kwin_wayland carries a file capability (cap_sys_resource) that a container's
        # bounding set may lack, and then exec fails; a plain copy runs anywhere. Its name stays:
        # KWin's own Qt platform plugin refuses a binary of another name.
        if self.scale != 1:
            self._store_output_scale()
        kwin = os.path.join(self.run, "kwin_wayland")
        shutil.copyfile(shutil.which("kwin_wayland") or "/usr/bin/kwin_wayland", kwin)
        os.chmod(kwin, 0o700)
        # Without the session bus: KWin 6 asks the portal for settings even to say its version.
        version = subprocess.run([kwin, "--version"], env={"PATH": self.env["PATH"],
                                                           "HOME": self.env["HOME"]},
                                 capture_output=True, text=True, timeout=30).stdout  # "kwin 6.3.6"
        found = re.search(r"kwin (\d+)\.(\d+)", version)
        self.major, minor = int(found.group(1)), int(found.group(2))
        # KDE's portal backend 6.7 answers no BindShortcuts within 20 s: at the call it sets up a
        # Qt Quick window (its log shows EGL starting then), which nothing here can answer.
        self.binds_without_dialog = (self.major, minor) < (6, 7)
        # The scripts' list of windows, a JavaScript expression.
        self.window_list = "workspace.windowList()" if self.major >= 6 else "workspace.clientList()"
        self.kwin = self.spawn("kwin", [kwin, "--virtual", "--width", "1024", "--height", "768",
                                         "--socket", self.env["WAYLAND_DISPLAY"],
                                         "--scale", str(self.scale), "--no-lockscreen"], env)
        self._wait_for_service("kwin's D-Bus interface", "org.kde.KWin", 30)
        self._wait_for_service("kwin's global shortcuts", "org.kde.kglobalaccel", 10)
        self._start_portal("org.freedesktop.impl.portal.desktop.kde", PORTAL_KDE,
                           dict(self.env, QT_QPA_PLATFORM="wayland"))

    def _store_output_scale(self):
        """KWin 6 makes its virtual output scale times as large, then takes the scale from its
        output settings, which it would make at 1: they are stored first. KWin 5.27 reads none."""
        mode = {"width": round(1024 * self.scale), "height": round(768 * self.scale)}
        setup = {"outputs": [{"enabled": True, "outputIndex": 0, "position": {"x": 0, "y": 0}}]}
        os.makedirs(os.path.join(self.env["HOME"], ".config"), exist_ok=True)
        with open(os.path.join(self.env["HOME"], ".config", "kwinoutputconfig.json"), "w") as f:
            json.dump([{"name": "outputs", "data": [{"connectorName": "Virtual-0", "mode": mode,
                                                     "scale": self.scale}]},
                       {"name": "setups", "data": [setup]}], f)

    def shortcut_component(self, session_token):
        """The kglobalaccel component that holds a GlobalShortcuts session's keys: the program's
        desktop id where the portal knows it (Plasma's shortcut settings then show the desktop
        file's name); else 5.27 names it after the session's token, and 6 adds "token_"."""
        if self.program_app_id:
            return self.program_app_id
        return session_token if self.major < 6 else "token_" + session_token

    def shortcut_keys(self, component):
        """The component's name as the shortcut settings show it, and its actions with their
        keys."""
        shortcuts = self.bus.get_object("org.kde.kglobalaccel",
                                        "/component/" + re.sub(r"\W", "_", component))
        name = shortcuts.Get("org.kde.kglobalaccel.Component", "friendlyName",
                             dbus_interface="org.freedesktop.DBus.Properties")
        return str(name), {str(info[0]): list(info[6]) for info in shortcuts.allShortcutInfos(
            dbus_interface="org.kde.kglobalaccel.Component")}

    def seed_consent(self, app_id=""):
        """Stores the consent a person gives by sharing the screen with "remember" on, as KDE's
        portal backend keeps it (the chosen outputs by position, in a QDataStream of a
        QVariantMap); returns the restore token that the program then holds."""
        def qstring(text):
            return struct.pack(">I", len(text) * 2) + text.encode("utf-16-be")
        # {"outputs": [QVariant(QString "0x0")]}: QVariantList is type 9, QString 10, not null.
        payload = (struct.pack(">I", 1) + qstring("outputs") + struct.pack(">IBI", 9, 0, 1)
                   + struct.pack(">IB", 10, 0) + qstring("0x0"))
        return self._store_consent(
            "<('KDE', uint32 1, <[%s]>)>" % ", ".join(f"byte {b}" for b in payload), app_id)

    def pointer_to(self, x, y):
        """Moves the pointer to x, y through org_kde_kwin_fake_input, spoken on the Wayland
        socket by hand (its requests are few: no library needed); returns once KWin has it."""
        if not hasattr(self, "_fake_input"):
            self._fake_input = _FakeInput(os.path.join(self.run, self.env["WAYLAND_DISPLAY"]))
        self._fake_input.move(x, y)

    def stop(self):
        if hasattr(self, "_fake_input"):
            self._fake_input.sock.close()
            del self._fake_input
        super().stop()

    def invoke_shortcut(self, component, action):
        """Fires a bound shortcut through kglobalaccel, as its key handler does on a press."""
        self.bus.get_object("org.kde.kglobalaccel",
                            "/component/" + re.sub(r"\W", "_", component)).invokeShortcut(
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
        path = f"/Scripting/Script{script}" if self.major >= 6 else f"/{script}"
        self.bus.get_object("org.kde.KWin", path).run(dbus_interface="org.kde.kwin.Script")

        def printed():
            with open(self.kwin.log, errors="replace") as f:
                f.seek(before)
                lines = re.findall(r"^js: (.*)$", f.read(), re.M)
            return lines if any(line == "done" for line in lines) else None

        try:
            return wait_for(f"the script {name}", printed)
        finally:
            scripting.unloadScript(name, dbus_interface="org.kde.kwin.Scripting")


class _FakeInput:
    """A Wayland client with one global bound: KWin's fake input. Wire format: object id, then
    size << 16 | opcode, then the arguments in 32-bit words (strings with length and NUL, padded;
    fixed point as 24.8)."""

    DISPLAY, REGISTRY = 1, 2

    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.sock.settimeout(10)
        self.last_id = self.REGISTRY  # the server takes new ids only in order
        self._send(self.DISPLAY, 1, struct.pack("<I", self.REGISTRY))  # get_registry
        names = {}
        for sender, opcode, body in self._roundtrip():
            if sender == self.REGISTRY and opcode == 0:  # global: name, interface, version
                name, length = struct.unpack_from("<II", body)
                names[body[8:8 + length - 1].decode()] = name
        if "org_kde_kwin_fake_input" not in names:
            raise RigFailure("KWin offers no fake input to the rig")
        self.fake = self._new_id()
        interface = self._string("org_kde_kwin_fake_input")
        self._send(self.REGISTRY, 0, struct.pack("<I", names["org_kde_kwin_fake_input"])
                   + interface + struct.pack("<II", 4, self.fake))  # bind, version 4
        self._send(self.fake, 0, self._string("vistrel tests") + self._string("the rig"))
        self._roundtrip()

    def _new_id(self):
        self.last_id += 1
        return self.last_id

    @staticmethod
    def _string(text):
        data = text.encode() + b"\0"
        return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)

    def _send(self, target, opcode, args):
        self.sock.sendall(struct.pack("<II", target, (8 + len(args)) << 16 | opcode) + args)

    def _roundtrip(self):
        """wl_display.sync on a fresh id; the events that came before its done."""
        callback = self._new_id()
        self._send(self.DISPLAY, 0, struct.pack("<I", callback))
        events, data = [], b""
        while True:
            while len(data) >= 8:
                sender, word = struct.unpack_from("<II", data)
                if len(data) < word >> 16:
                    break
                body, data = data[8:word >> 16], data[word >> 16:]
                if sender == self.DISPLAY and word & 0xFFFF == 0:  # error
                    raise RigFailure(f"KWin refused the fake input: {body!r}")
                if sender == callback:
                    return events
                events.append((sender, word & 0xFFFF, body))
            chunk = self.sock.recv(65536)
            if not chunk:
                raise RigFailure("KWin closed the fake-input connection")
            data += chunk

    def move(self, x, y):
        self._send(self.fake, 9, struct.pack("<ii", int(x * 256), int(y * 256)))  # absolute
        self._roundtrip()
