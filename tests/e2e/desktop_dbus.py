#!/usr/bin/python3
"""Quimbo in a tray hosted over D-Bus (StatusNotifierItem), as KDE Plasma,
GNOME with AppIndicator, Xfce and waybar host it: a small watcher and host of
our own on a private session bus, on a bare X server.

  dbus-run-session -- /usr/bin/python3 tests/e2e/desktop_dbus.py path/to/quimbo

Checks: the item registers with the watcher; its tooltip is the label and
follows new passes; its icon pixmaps carry the label; Activate near the top
edge opens the panel just below the point, near the bottom edge just above
it, and a second Activate closes it; the watcher going away brings the strip
back, and a watcher coming back moves the item in again.
"""

import os
import signal
import subprocess
import sys
import tempfile
import time

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
# Qt reads the watcher's properties through its introspection data: they
# must be declared there, or Qt sees no tray.
WATCHER_XML = """
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>"""
WIDTH, HEIGHT = 1280, 800
PATIENCE = 10.0  # seconds: a busy machine is slow, a broken one never gets there


def run_watcher():
    """The watcher, which is also the host: it keeps the items registered."""
    items = []

    def call(conn, sender, path, iface, method, params, invocation):
        if method == "RegisterStatusNotifierItem":
            service = params.unpack()[0]
            # An item may give its object path alone: then it is on the sender.
            items.append(sender + service if service.startswith("/") else service)
            conn.emit_signal(None, path, iface, "StatusNotifierItemRegistered",
                             GLib.Variant("(s)", (items[-1],)))
        invocation.return_value(None)

    def get(conn, sender, path, iface, name):
        return {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
                "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
                "ProtocolVersion": GLib.Variant("i", 0)}[name]

    interface = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML).interfaces[0]
    Gio.bus_own_name(Gio.BusType.SESSION, WATCHER, Gio.BusNameOwnerFlags.NONE,
                     lambda conn, name: conn.register_object(WATCHER_PATH, interface, call, get, None),
                     None, None)
    GLib.MainLoop().run()


class Failed(Exception):
    pass


def wait_for(what, check):
    """The first true value of check(), or a failure naming `what`."""
    deadline = time.monotonic() + PATIENCE
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failed(what)
        time.sleep(0.1)


class Session:
    def __init__(self):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.watcher = None

    def call(self, name, path, iface, method, args=None, reply=None):
        try:
            return self.bus.call_sync(name, path, iface, method, args,
                                      GLib.VariantType(reply) if reply else None,
                                      Gio.DBusCallFlags.NONE, 2000, None).unpack()
        except GLib.Error:
            return None

    def owned(self, name):
        return self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                         "NameHasOwner", GLib.Variant("(s)", (name,)), "(b)")[0]

    def start_watcher(self):
        self.watcher = subprocess.Popen([sys.executable, __file__, "--watcher"])
        wait_for("the watcher did not take its name", lambda: self.owned(WATCHER))

    def stop_watcher(self):
        self.watcher.terminate()
        self.watcher.wait()
        wait_for("the watcher kept its name", lambda: not self.owned(WATCHER))

    def items(self):
        got = self.call(WATCHER, WATCHER_PATH, "org.freedesktop.DBus.Properties", "Get",
                        GLib.Variant("(ss)", (WATCHER, "RegisteredStatusNotifierItems")), "(v)")
        return got[0] if got else []

    def item(self, service):
        """The registered item's properties, by name."""
        name, _, path = service.partition("/")
        got = self.call(name, "/" + (path or "StatusNotifierItem"),
                        "org.freedesktop.DBus.Properties", "GetAll",
                        GLib.Variant("(s)", (ITEM,)), "(a{sv})")
        return got[0] if got else None

    def activate(self, service, x, y):
        name, _, path = service.partition("/")
        self.call(name, "/" + (path or "StatusNotifierItem"), ITEM, "Activate",
                  GLib.Variant("(ii)", (x, y)))


def xdotool(*args):
    done = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    return done.stdout.split() if done.returncode == 0 else []


def visible(title):
    found = xdotool("search", "--onlyvisible", "--name", "^%s$" % title)
    return found[0] if found else None


def geometry(window):
    values = dict(line.split("=") for line in
                  subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                 capture_output=True, text=True).stdout.split())
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def start_xvfb(width, height):
    """A bare X server on a free display, and its name once it takes clients."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                             "%dx%dx24" % (width, height), "-nolisten", "tcp", "-noreset"],
                            pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as display:
        return xvfb, ":" + display.readline().strip()


def pixmaps_ok(pixmaps):
    """Non-empty ARGB pixmaps, each with ink in it."""
    return pixmaps and all(w > 0 and h > 0 and len(data) == w * h * 4 and any(data[0::4])
                           for w, h, data in pixmaps)


def check(session, machine):
    label = "61° · 1500"
    service = wait_for("the item did not register with the watcher", lambda: session.items())[0]
    props = wait_for("the item has no properties", lambda: session.item(service))
    tooltip = props["ToolTip"][2]
    if tooltip != label:
        raise Failed("the tooltip reads %r, not the label %r" % (tooltip, label))
    if not pixmaps_ok(props["IconPixmap"]):
        raise Failed("the icon has no ARGB pixmap with the label in it")
    if visible("Quimbo"):
        raise Failed("a strip beside the item in the tray")

    print("== the tooltip and the icon follow a new pass")
    with open(machine, "w") as f:
        f.write('FNum "ui8 " 01\nF0Ac "flt " = 2500\nTp01 "flt " = 72.5\n')
    later = wait_for("the tooltip did not follow the new pass",
                     lambda: (lambda p: p if p and p["ToolTip"][2] == "72° · 2500" else None)(
                         session.item(service)))
    if not pixmaps_ok(later["IconPixmap"]) or later["IconPixmap"] == props["IconPixmap"]:
        raise Failed("the icon did not change with the label")

    print("== Activate near the top edge opens the panel below the point, near the bottom above it")
    for x, y, below in ((640, 10, True), (900, HEIGHT - 10, False)):
        # Qt does not pass Activate's point on: the panel opens at the
        # pointer, which a host's click leaves at that point.
        xdotool("mousemove", str(x), str(y))
        session.activate(service, x, y)
        panel = wait_for("no panel after Activate(%d, %d)" % (x, y), lambda: visible("Quimbo panel"))
        px, py, pw, ph = geometry(panel)
        edge = py if below else py + ph
        if pw != 260 or abs(edge - y) > 2 or not (0 <= py and py + ph <= HEIGHT):
            raise Failed("Activate(%d, %d) opened the panel at %d,%d %dx%d" % (x, y, px, py, pw, ph))
        session.activate(service, x, y)
        wait_for("a second Activate did not close the panel", lambda: not visible("Quimbo panel"))

    print("== the watcher goes: the strip comes back; it returns: the item moves in again")
    session.stop_watcher()
    wait_for("no strip after the watcher went", lambda: visible("Quimbo"))
    session.start_watcher()
    service = wait_for("the item did not register with the new watcher", lambda: session.items())[0]
    wait_for("the strip stayed after the watcher came back", lambda: not visible("Quimbo"))
    if session.item(service)["ToolTip"][2] != "72° · 2500":
        raise Failed("the item in the new watcher lost its label")


def main():
    quimbo = os.path.realpath(sys.argv[1])
    with tempfile.TemporaryDirectory() as work:
        machine = os.path.join(work, "machine")
        with open(machine, "w") as f:
            f.write('FNum "ui8 " 01\nF0Ac "flt " = 1500\nTp01 "flt " = 61.5\n')
        xvfb, os.environ["DISPLAY"] = start_xvfb(WIDTH, HEIGHT)
        os.environ["XDG_RUNTIME_DIR"] = work
        session = Session()
        app = None
        try:
            session.start_watcher()
            print("== the item registers; its tooltip and icon carry the label; no strip")
            app = subprocess.Popen([quimbo], env=dict(os.environ, QUIMBO_FRONTEND="desktop",
                                                      QUIMBO_SMC_SIM=machine))
            check(session, machine)
            app.send_signal(signal.SIGTERM)
            if app.wait(timeout=PATIENCE) != 128 + signal.SIGTERM:
                raise Failed("exit status %d after SIGTERM" % app.returncode)
        except Failed as failure:
            print("FAIL:", failure)
            return 1
        finally:
            for process in (app, session.watcher, xvfb):
                if process and process.poll() is None:
                    process.kill()
                    process.wait()
    print("all D-Bus tray checks passed")
    return 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--watcher"]:
        run_watcher()
    else:
        sys.exit(main())
