#!/usr/bin/python3
"""Drives the real quimbo on a bare X server (Xvfb) as a user would, with
xdotool: the strip with the label at the top right of the screen, a click
that opens the panel below it and a click outside that closes it, SIGTERM
while the X server does not answer, the panel scrolled as a whole at a
scale of 2, and Çıkış. The panel's border, dividers and bars are read off
the screen at each scale. What the running quimbo may still do, asked from
inside it. A tray watcher on the session bus that does not answer, then
refuses the item, then loses its host: the strip all along. Real trays are
tried in hosts.py.

    tests/e2e/desktop.py QUIMBO MACHINE-FILE
"""

import itertools
import os
import signal
import subprocess
import sys
import threading

from gi.repository import Gio, GLib

from harness import (BESIDE, check, confined, ends, machine, main, read, signal_until_ended, tampered, wait_for,
                     write, xvfb)

QUIMBO, MACHINE = os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2])
WIDTH, HEIGHT = 800, 600


def quimbo(run, machine_file, before=(), **env):
    """quimbo on an X server of its own (its command line after `before`),
    and its strip: (the server, the process, the strip's geometry)."""
    x = xvfb(run, WIDTH, HEIGHT)
    process = run.start([*before, QUIMBO], log="quimbo.log", **dict(
        BESIDE, QUIMBO_FRONTEND="desktop", QUIMBO_SMC_SIM=machine_file, DISPLAY=x.display,
        XDG_RUNTIME_DIR=run.work, **env))
    return x, process, wait_for("no strip window", lambda: x.visible("Quimbo"))


def open_panel(x, strip):
    sx, sy, sw, sh = strip
    panel = x.panel_opens("a click on the strip", lambda: x.click(sx + sw // 2, sy + sh // 2))
    check(panel[1] == sy + sh, "the panel at %s, not right below the strip at %s" % (panel, strip))
    return panel


def lines(x, panel):
    """What a person would look for, read off the screen: "framed" when the
    panel's outermost pixels are all of one colour that its inside lacks,
    then, top to bottom, "|" for each divider (rows of that colour across
    the middle) and "=" for each progress bar (white rows in its empty part)."""
    image = x.settled((panel[0], panel[1], panel[0] + panel[2], panel[1] + panel[3]))
    width, height = image.size
    pixel = image.load()
    edge = pixel[0, 0]
    sides = [(x_, y) for x_ in (0, width - 1) for y in range(height)]
    sides += [(x_, y) for y in (0, height - 1) for x_ in range(width)]
    framed = all(pixel[p] == edge for p in sides) and pixel[4, height // 2] != edge

    def mark(y):
        if all(pixel[x_, y] == edge for x_ in range(width * 3 // 10, width * 7 // 10)):
            return "|"
        return "=" if pixel[width * 11 // 20, y] == (255, 255, 255) else ""
    # Past the border's own rows, two at a scale of 2; one mark for each run of rows.
    marks = "".join(m for m, _ in itertools.groupby(map(mark, range(2, height - 2))))
    return ("framed " if framed else "unframed ") + marks


def strip_and_panel(run):
    copy, trace = run.path("machine"), run.path("trace")
    write(copy, read(MACHINE))
    x, process, strip = quimbo(run, copy, QUIMBO_SMC_TRACE=trace)
    check(strip[1] == 0 and strip[0] + strip[2] == WIDTH and strip[2] > 60, "the strip at %s" % (strip,))
    panel = open_panel(x, strip)
    check(panel[2] == 260 and panel[3] > 300, "the panel is %dx%d" % panel[2:])
    check(lines(x, panel) == "framed |==||", "the panel shows %r, not its border, three dividers and two bars"
          % lines(x, panel))
    confined(process.pid, copy, "the desktop on X11")
    x.panel_closes("a click outside", lambda: x.click(100, 500))
    # Once a pass has read the new speed (3333.0 as the SMC's float: 00 50 50 45),
    # the label's repaint waits on the stopped server.
    x.server.send_signal(signal.SIGSTOP)
    write(copy, machine(MACHINE, F1Ac='"flt " = 3333'))
    wait_for("no pass read the new speed", lambda: "00505045" in read(trace))
    process.send_signal(signal.SIGTERM)
    ends(process, "exit 143", "SIGTERM with the X server stopped", patience=2)
    x.server.send_signal(signal.SIGCONT)


def signals_while_it_ends(run):
    x, process, strip = quimbo(run, MACHINE, before=tampered())
    open_panel(x, strip)
    signal_until_ended(process, signal.SIGINT)
    ends(process, "exit 130", "SIGINTs in a row, the signal mask slowed down")


def scrolled(run):
    x, process, strip = quimbo(run, MACHINE, QT_SCALE_FACTOR="2")
    panel = open_panel(x, strip)
    check(panel[1] + panel[3] <= HEIGHT and panel[3] > 400, "at a scale of 2 the panel is at %s" % (panel,))
    check(lines(x, panel) == "framed |==|", "at a scale of 2 the panel shows %r" % lines(x, panel))
    x.click(panel[0] + panel[2] // 2, panel[1] + panel[3] // 2, "--repeat", 5, 5)  # the wheel
    check(lines(x, panel) == "framed |==||", "scrolled at a scale of 2: %r" % lines(x, panel))
    # Çıkış sits at the bottom right, inside the 12-point padding, at a scale of 2.
    x.click(panel[0] + panel[2] - 2 * (12 + 30), panel[1] + panel[3] - 2 * (12 + 12))
    ends(process, "exit 0", "Çıkış")


WATCHER = "org.kde.StatusNotifierWatcher"


class Watcher:
    """A StatusNotifierWatcher of the check's own on the bus at `address`. It
    answers a call with what `answers` holds for its method's name (for a
    property's read, the property's): values, or an error's name; a call it
    has no answer for it holds until it is given one. Calls reach it on
    GDBus's thread."""

    def __init__(self, address, **answers):
        self.bus = Gio.DBusConnection.new_for_address_sync(address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
                                                           | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
        self.lock, self.held, self.offered, self.answers = threading.Lock(), [], None, answers
        self.bus.add_filter(self.filter)
        owned = self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                   "RequestName", GLib.Variant("(su)", (WATCHER, 4)), None, 0, -1).unpack()
        check(owned == (1,), "the watcher's name is taken")

    @staticmethod
    def member(message):
        body = message.get_body()
        return body[1] if message.get_member() == "Get" else message.get_member()

    def filter(self, bus, message, incoming):
        if not incoming or message.get_message_type() != Gio.DBusMessageType.METHOD_CALL:
            return message
        with self.lock:
            self.held.append(message)
            if message.get_member() == "RegisterStatusNotifierItem":
                self.offered = (message.get_sender(), message.get_body()[0])
        self.answer()
        return None

    def answer(self, **answers):
        """Answers the held calls it has an answer for, and from now on with these too."""
        with self.lock:
            self.answers.update(answers)
            due = [m for m in self.held if self.member(m) in self.answers]
            self.held = [m for m in self.held if m not in due]
        for message in due:
            answer = self.answers[self.member(message)]
            if isinstance(answer, str):
                reply = Gio.DBusMessage.new_method_error_literal(message, answer, "refused")
            else:
                reply = Gio.DBusMessage.new_method_reply(message)
                reply.set_body(answer)
            self.bus.send_message(reply, Gio.DBusSendMessageFlags.NONE)

    def holds(self):
        with self.lock:
            return [self.member(m) for m in self.held]

    def announce(self, change="Registered"):
        self.bus.emit_signal(None, "/StatusNotifierWatcher", WATCHER, "StatusNotifierHost" + change, None)


def exported(bus, name, path):
    """Whether `name` answers for an item at `path`."""
    try:
        bus.call_sync(name, path, "org.freedesktop.DBus.Properties", "Get",
                      GLib.Variant("(ss)", ("org.kde.StatusNotifierItem", "Id")), None, 0, 5000, None)
        return True
    except GLib.Error:
        return False


def host(present):
    return {"IsStatusNotifierHostRegistered": GLib.Variant("(v)", (GLib.Variant("b", present),))}


def silent_tray(run):
    bus = run.start(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + run.path("bus"),
                     "--print-address"], popen=dict(stdout=subprocess.PIPE, text=True))
    address = bus.stdout.readline().strip()  # once it takes connections
    check(address, "no session bus")
    watcher = Watcher(address)
    x, process, strip = quimbo(run, MACHINE, DBUS_SESSION_BUS_ADDRESS=address)
    wait_for("quimbo asked the watcher nothing", watcher.holds)
    for _ in range(20):  # hosts announced, each a question left open
        watcher.announce()
    open_panel(x, strip)
    x.panel_closes("a click outside, the watcher silent", lambda: x.click(100, 500))

    print("== a host, but the item refused: the strip stays")
    watcher.answer(**host(True))
    offered = wait_for("the item was not offered", lambda: watcher.offered)
    check(x.visible("Quimbo"), "the strip went before the watcher took the item")
    watcher.answer(RegisterStatusNotifierItem="org.freedesktop.DBus.Error.Failed")
    wait_for("the refused item stayed on the bus", lambda: not exported(watcher.bus, *offered))
    check(x.visible("Quimbo"), "no strip after the watcher refused the item")
    watcher.bus.close_sync()

    print("== a watcher that takes it: the item leaves the strip; its host goes: the strip again")
    watcher = Watcher(address, RegisterStatusNotifierItem=GLib.Variant("()", ()), **host(True))
    wait_for("the strip stayed beside the item", lambda: not x.visible("Quimbo"))
    check(exported(watcher.bus, *watcher.offered), "the item is not on the bus")
    watcher.answer(**host(False))
    watcher.announce("Unregistered")
    wait_for("no strip after the host went", lambda: x.visible("Quimbo"))
    process.send_signal(signal.SIGTERM)
    ends(process, "exit 143", "SIGTERM")


main([
    ("the strip at the top right, the panel below it with its border, dividers and bars, closed by a click"
     " outside; nothing else read, written, connected to or executed; SIGTERM ends quimbo within 2 seconds while"
     " the X server is stopped", strip_and_panel),
    ("SIGINTs in a row, also while quimbo ends, end it with 130", signals_while_it_ends),
    ("a tray watcher that does not answer: the strip at once, and the panel on a click; the item goes into the"
     " tray only once the watcher takes it, and back to the strip when its host goes", silent_tray),
    ("at a scale of 2 on a screen 600 high the panel scrolls as a whole, both fans whole, then to Çıkış, which"
     " ends quimbo", scrolled),
])
