"""What a user does with a StatusNotifierItem through the host, done over D-Bus: find the item a
process registered with the watcher, read its properties, activate it, read its dbusmenu
layout and click an entry, as swaybar, KDE's or GNOME's host would."""

import dbus

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
PROPERTIES = "org.freedesktop.DBus.Properties"


class Entry:
    def __init__(self, ident, props):
        self.id = int(ident)
        self.type = str(props.get("type", "standard"))
        # dbusmenu marks the access key with "_"; the program's captions use "&".
        self.label = str(props.get("label", "")).replace("_", "")
        self.enabled = bool(props.get("enabled", True))
        self.checkmark = str(props.get("toggle-type", "")) == "checkmark"
        self.checked = self.checkmark and int(props.get("toggle-state", 0)) == 1

    def __repr__(self):
        return f"<{self.id} {self.type} {self.label!r} enabled={self.enabled} checked={self.checked}>"


class TrayItem:
    def __init__(self, bus, service, path):
        self.bus = bus
        self.service = service
        self.object = bus.get_object(service, path)

    @staticmethod
    def of_process(bus, pid):
        """The item that process pid registered with the watcher, or None."""
        daemon = bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus")
        watcher = bus.get_object(WATCHER, "/StatusNotifierWatcher")
        for entry in watcher.Get(WATCHER, "RegisteredStatusNotifierItems",
                                 dbus_interface=PROPERTIES):
            service, _, path = str(entry).partition("/")
            if daemon.GetConnectionUnixProcessID(service, dbus_interface="org.freedesktop.DBus") == pid:
                return TrayItem(bus, service, "/" + path)
        return None

    def prop(self, name):
        return self.object.Get(ITEM, name, dbus_interface=PROPERTIES)

    def tooltip_title(self):
        _icon, _pixmaps, title, _text = self.prop("ToolTip")
        return str(title)

    def icon_pixmaps(self):
        """[(width, height, ARGB32 bytes in network order)]"""
        return [(int(w), int(h), bytes(data)) for w, h, data in self.prop("IconPixmap")]

    def activate(self):
        self.object.Activate(0, 0, dbus_interface=ITEM)

    def _menu(self):
        return self.bus.get_object(self.service, self.prop("Menu"))

    def menu(self):
        """The top-level entries, in order, after telling the menu it is about to show."""
        menu = self._menu()
        menu.AboutToShow(0, dbus_interface=MENU)
        _revision, (_root, _props, children) = menu.GetLayout(0, -1, dbus.Array([], "s"),
                                                              dbus_interface=MENU)
        return [Entry(child[0], child[1]) for child in children]

    def click(self, label):
        entry = next(e for e in self.menu() if e.label == label)
        self._menu().Event(entry.id, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                           dbus_interface=MENU)
