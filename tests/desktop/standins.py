"""Stand-ins for the desktop's services on the session bus, for the tests of
the real player: a notification server, a screensaver and a status area
(StatusNotifierWatcher). Each call is written as one JSON line to the log
file; a test asks for a notification's action through tv.zaro.Test.StandIns.

    /usr/bin/python3 standins.py LOG [notifications] [screensaver] [status-area]

Prints "ready" on standard output once every name is taken.
"""

import json
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

LOG = open(sys.argv[1], "a", buffering=1)
WANTED = set(sys.argv[2:])


def log(**entry):
    LOG.write(json.dumps(entry) + "\n")


def plain(value):
    """D-Bus values as JSON can hold them."""
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, (dbus.Array, list, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.Byte, dbus.Int16, dbus.Int32, dbus.Int64, dbus.UInt16,
                          dbus.UInt32, dbus.UInt64)):
        return int(value)
    if isinstance(value, dbus.Double):
        return float(value)
    return str(value)


class Notifications(dbus.service.Object):
    IFACE = "org.freedesktop.Notifications"

    def __init__(self, bus):
        self.name = dbus.service.BusName(self.IFACE, bus)
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.next_id = 100

    @dbus.service.method(IFACE, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body", "icon-static"]

    @dbus.service.method(IFACE, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("stand-in", "zaro tests", "1.0", "1.2")

    @dbus.service.method(IFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        self.next_id += 1
        log(call="Notify", id=self.next_id, app=str(app), icon=str(icon), summary=str(summary),
            body=str(body), actions=plain(actions), hints=plain(hints))
        return self.next_id

    @dbus.service.method(IFACE, in_signature="u", out_signature="")
    def CloseNotification(self, id):
        log(call="CloseNotification", id=int(id))

    @dbus.service.signal(IFACE, signature="us")
    def ActionInvoked(self, id, key):
        pass


class ScreenSaver(dbus.service.Object):
    IFACE = "org.freedesktop.ScreenSaver"

    def __init__(self, bus):
        self.name = dbus.service.BusName(self.IFACE, bus)
        super().__init__(bus, "/org/freedesktop/ScreenSaver")
        self.next = 0

    @dbus.service.method(IFACE, in_signature="ss", out_signature="u")
    def Inhibit(self, app, reason):
        self.next += 1
        log(call="Inhibit", app=str(app), reason=str(reason), cookie=self.next)
        return self.next

    @dbus.service.method(IFACE, in_signature="u", out_signature="")
    def UnInhibit(self, cookie):
        log(call="UnInhibit", cookie=int(cookie))


class StatusNotifierWatcher(dbus.service.Object):
    IFACE = "org.kde.StatusNotifierWatcher"

    def __init__(self, bus):
        self.name = dbus.service.BusName(self.IFACE, bus)
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []

    @dbus.service.method(IFACE, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item is named by its service, or by a path on the caller's connection.
        item = str(sender) + str(service) if str(service).startswith("/") else str(service)
        self.items.append(item)
        log(call="RegisterStatusNotifierItem", service=str(service), sender=str(sender))
        self.StatusNotifierItemRegistered(item)

    @dbus.service.method(IFACE, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(IFACE, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    def _properties(self):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": True,
                "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return self._properties()[str(prop)]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self._properties()

    # Qt reads IsStatusNotifierHostRegistered through the interface it learns
    # by introspection, and dbus-python's own leaves the properties out.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s",
                         path_keyword="object_path", connection_keyword="connection")
    def Introspect(self, object_path, connection):
        xml = super().Introspect(object_path, connection)
        properties = ('<interface name="%s">'
                      '<property name="RegisteredStatusNotifierItems" type="as" access="read"/>'
                      '<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>'
                      '<property name="ProtocolVersion" type="i" access="read"/>' % self.IFACE)
        return xml.replace('<interface name="%s">' % self.IFACE, properties, 1)


class Control(dbus.service.Object):
    IFACE = "tv.zaro.Test.StandIns"

    def __init__(self, bus, notifications):
        self.name = dbus.service.BusName(self.IFACE, bus)
        super().__init__(bus, "/StandIns")
        self.notifications = notifications

    @dbus.service.method(IFACE, in_signature="us", out_signature="")
    def InvokeAction(self, id, key):
        self.notifications.ActionInvoked(id, key)


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    keep = []
    notifications = Notifications(bus) if "notifications" in WANTED else None
    keep.append(notifications)
    if "screensaver" in WANTED:
        keep.append(ScreenSaver(bus))
    if "status-area" in WANTED:
        keep.append(StatusNotifierWatcher(bus))
    keep.append(Control(bus, notifications))
    print("ready", flush=True)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
