#!/usr/bin/python3
"""The tray program in a desktop's tray, end to end: a StatusNotifierWatcher and host of our
own on a private session bus (run under xvfb-run and dbus-run-session) reads the item's tip and
menu the way a panel does, clicks "stop monitor" in the menu, and sees the tip and the label
change. A second start exits at once while the first runs on; SIGTERM ends the first as its
exit command does.

usage: tray_host_test.py ORVANTA ORVANTA_CLI
"""

import os
import signal
import subprocess
import sys
import tempfile
import time

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"


INTROSPECTION = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
 </interface>
 <interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/>
   <arg type="v" direction="out"/></method>
  <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
 </interface>
</node>"""


class Watcher(dbus.service.Object):
    """The smallest watcher a tray item accepts: it has a host and records the items."""

    def __init__(self, bus):
        self.items = []
        dbus.service.Object.__init__(self, bus, "/StatusNotifierWatcher")

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item names its bus name or only its object path.
        self.items.append((sender, service if service.startswith("/") else "/StatusNotifierItem"))
        self.StatusNotifierItemRegistered(service)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        # Qt reads the host's presence as a property, which it must find introspected.
        return INTROSPECTION

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(
                ["%s%s" % item for item in self.items], signature="s"),
            "IsStatusNotifierHostRegistered": True,
            "ProtocolVersion": dbus.Int32(0),
        }


def pump(condition, timeout, what):
    context = GLib.MainContext.default()
    deadline = time.monotonic() + timeout
    while True:
        while context.pending():
            context.iteration(False)
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            sys.exit("timed out waiting for " + what)
        time.sleep(0.02)


def labels(menu):
    """Each item of the menu's layout by its label: (id, properties)."""
    menu.AboutToShow(dbus.Int32(0), dbus_interface=MENU)
    _, layout = menu.GetLayout(dbus.Int32(0), dbus.Int32(-1), dbus.Array([], signature="s"),
                               dbus_interface=MENU)
    found = {}

    def walk(node):
        item_id, props, children = node
        if "label" in props:
            found[str(props["label"])] = (int(item_id), props)
        for child in children:
            walk(child)

    walk(layout)
    return found


def main():
    program, cli = sys.argv[1], sys.argv[2]
    home = tempfile.mkdtemp(prefix="orvanta-tray-")
    runtime = os.path.join(home, "run")
    os.mkdir(runtime, 0o700)
    env = dict(os.environ, ORVANTA_HOME=home, XDG_CONFIG_HOME=home + "/config",
               XDG_DATA_HOME=home + "/data", XDG_RUNTIME_DIR=runtime, ORVANTA_RAS="sim",
               ORVANTA_POLL_MS="50", QT_QPA_PLATFORM="xcb", LANG="C.UTF-8")
    env.pop("LC_ALL", None)
    env.pop("LC_MESSAGES", None)
    # Not the first run: the welcome box would wait for a click.
    subprocess.run([cli, "reg", "set", "HKCU\\Software\\Quorvex\\Orvanta", "@", "REG_SZ",
                    "Belvarro"], env=env, check=True)

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(WATCHER, bus)
    watcher = Watcher(bus)

    first = subprocess.Popen([program], env=env)
    try:
        sender, path = pump(lambda: watcher.items and watcher.items[0], 20, "the tray item")
        item = bus.get_object(sender, path)

        def title():
            tip = item.Get(ITEM, "ToolTip", dbus_interface=dbus.PROPERTIES_IFACE)
            return str(tip[2])

        pump(lambda: title() == "Orvanta - watching connections", 10, "the watching tip")
        menu = bus.get_object(sender, item.Get(ITEM, "Menu", dbus_interface=dbus.PROPERTIES_IFACE))
        items = labels(menu)
        assert "_Stop monitor" in items, items.keys()
        assert "_Open call list" in items, items.keys()
        display = items["Show _live display"][1]
        assert not display.get("enabled", True), "3203 enabled without a display"

        stop_id = items["_Stop monitor"][0]
        menu.Event(dbus.Int32(stop_id), "clicked", dbus.Int32(0, variant_level=1),
                   dbus.UInt32(0), dbus_interface=MENU)
        pump(lambda: title() == "Orvanta - monitor stopped", 10, "the stopped tip")
        assert "_Start monitor" in labels(menu), "the label did not follow the monitor"

        # The host's "activate" opens the main frame; until it exists, the program runs on.
        item.Activate(dbus.Int32(0), dbus.Int32(0), dbus_interface=ITEM)

        # A second start asks the first to come forward and exits at once.
        started = time.monotonic()
        second = subprocess.run([program], env=env, timeout=10)
        assert second.returncode == 0, second.returncode
        assert time.monotonic() - started < 2.0, "the second start took too long"
        time.sleep(0.2)
        assert first.poll() is None, "the first copy ended"

        # Monitoring again, a call comes up and the session ends: SIGTERM runs the exit
        # sequence, so the call is logged before the stop marker.
        menu.Event(dbus.Int32(labels(menu)["_Start monitor"][0]), "clicked",
                   dbus.Int32(0, variant_level=1), dbus.UInt32(0), dbus_interface=MENU)
        pump(lambda: title() == "Orvanta - watching connections", 10, "the watching tip again")
        subprocess.run([cli, "ras", "dial", "Demo ISP", "connected"], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        pump(lambda: title() == "Orvanta - connected to Demo ISP", 10, "the connected tip")
        time.sleep(1.2)  # a call of a whole second or more is logged
        first.send_signal(signal.SIGTERM)
        assert first.wait(timeout=15) == 0
        month = time.strftime("%Y %m").split()
        path = subprocess.run([cli, "log", "path", month[0], str(int(month[1]))], env=env,
                              check=True, capture_output=True, text=True).stdout.strip()
        dump = subprocess.run([cli, "log", "dump", path], env=env, check=True,
                              capture_output=True, text=True).stdout
        kinds = [line.split("\t")[0] + " " + line.split("\t")[7]
                 for line in dump.splitlines()]
        assert kinds == ["3 ", "4 ", "3 ", "0 Demo ISP", "4 "], kinds
    finally:
        if first.poll() is None:
            first.kill()
    print("tray host test passed")


if __name__ == "__main__":
    main()
