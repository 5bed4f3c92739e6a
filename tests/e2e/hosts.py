#!/usr/bin/python3
"""Quimbo in real tray hosts that others wrote, end to end:

  hosts.py QUIMBO trayer   trayer's XEmbed tray on a bare X server (Xvfb)
  hosts.py QUIMBO sway     waybar under a headless sway, with XWayland and alone
  hosts.py QUIMBO gnome    GNOME Shell 43 on Xvfb, with its AppIndicator extension
  hosts.py QUIMBO lxqt     LXQt's panel on Xvfb, with its status notifier

Each start of quimbo checks what a user sees: the label legible on the bar
(WCAG contrast 3:1 against the bar's own colour, measured on a screenshot),
the panel opening beside the item and closing on a click outside, the item
following the tray as it goes and comes back, the exit status, and what the
host logs of the item. Under sway on Wayland, what the running quimbo may
still do is asked from inside it (on X11, desktop.py asks).

Run as root (as CI runs it), it makes an unprivileged user for the hosts
that refuse root, takes network and mount namespaces of its own so that its
displays are its own, and gives GNOME Shell a system bus of its own there;
the checks then run as that user, on a session bus of their own
(dbus-run-session).
"""

import ctypes
import json
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

from gi.repository import Gio, GLib
from PIL import Image

import harness
from harness import X, Run, check, confined, ends, passes, read, stat, wait_for, write, xvfb

USER = "quimbo-e2e"
IDLE_CPU = 0.5  # seconds of CPU in two passes while nothing changes: each takes milliseconds
WIDTH, HEIGHT = 1280, 720
BAR = 28  # waybar's height
MACHINE = 'FNum "ui8 " 01\nF0Ac "flt " = 1500\nTp01 "flt " = 61.5\n'
LABEL = "61° · 1500"
HOTTER = 'FNum "ui8 " 01\nF0Ac "flt " = 2500\nTp01 "flt " = 72.5\n'
PANEL = "Quimbo panel"
ITEM = "org.kde.StatusNotifierItem"
WATCHER = "org.kde.StatusNotifierWatcher"


def contrast(a, b):
    """The WCAG contrast ratio of two sRGB colours."""
    def luminance(colour):
        c = [v / 255 for v in colour[:3]]
        c = [v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4 for v in c]
        return 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2]
    high, low = sorted((luminance(a), luminance(b)), reverse=True)
    return (high + 0.05) / (low + 0.05)


class Bar:
    """A bar on a screenshot: its colour (the commonest in the box) and the
    pixels that stand out from it at 3:1, grouped into items by the gaps
    between them."""

    def __init__(self, image, box):
        self.image, self.box = image, box
        crop = image.convert("RGB").crop(box)
        self.colour = max(crop.getcolors(crop.width * crop.height))[1]
        self.legible = [(box[0] + x, box[1] + y) for y in range(crop.height)
                        for x in range(crop.width)
                        if contrast(crop.getpixel((x, y)), self.colour) >= 3]

    def items(self, gap=12):
        """(left, right) of each group, left to right."""
        groups = []
        for x in sorted({x for x, _ in self.legible}):
            if groups and x - groups[-1][1] <= gap:
                groups[-1][1] = x
            else:
                groups.append([x, x])
        return groups


def legible(what, shoot, box, ready=lambda bar: True):
    """The bar in `box` of shoot()'s screenshots, once at least 20 of its
    pixels stand out and it is ready(); saved where HOSTS_SCREENSHOTS says."""
    bar = wait_for(what + ": nothing on the bar stands out at 3:1", lambda: (
        lambda b: b if len(b.legible) >= 20 and ready(b) else None)(Bar(shoot(), box)))
    if os.environ.get("HOSTS_SCREENSHOTS"):  # for the README
        bar.image.crop(box).save(os.path.join(os.environ["HOSTS_SCREENSHOTS"], "".join(
            c if c.isalnum() else "-" for c in what) + ".png"))
    return bar


class VirtualPointer:
    """Clicks as a mouse makes them, through the compositor: a Wayland
    client of just enough wire protocol to drive wlroots' virtual pointer."""

    def __init__(self):
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.socket.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
        self.ids, self.buffer, globals_ = 1, b"", {}
        registry = self.send(1, 1, "n")
        for obj, opcode, body in self.roundtrip():
            if obj == registry and opcode == 0:
                length = struct.unpack("=I", body[4:8])[0]
                globals_[body[8:8 + length - 1].decode()] = struct.unpack("=I", body[:4])[0]
        manager = "zwlr_virtual_pointer_manager_v1"
        manager = self.send(registry, 0, "usun", globals_[manager], manager, 1)
        self.pointer = self.send(manager, 0, "un", 0)

    def send(self, obj, opcode, signature, *args):
        """Sends a request; returns the id of the object it makes, if any."""
        body, made, args = b"", None, list(args)
        for kind in signature:
            if kind == "n":
                self.ids += 1
                made = self.ids
                body += struct.pack("=I", made)
            elif kind == "u":
                body += struct.pack("=I", args.pop(0))
            else:
                text = args.pop(0).encode() + b"\0"
                body += struct.pack("=I", len(text)) + text + b"\0" * (-len(text) % 4)
        self.socket.sendall(struct.pack("=II", obj, (8 + len(body)) << 16 | opcode) + body)
        return made

    def roundtrip(self):
        """The events that come before the compositor has seen every request."""
        done = self.send(1, 0, "n")
        while True:
            while len(self.buffer) >= 8:
                obj, word = struct.unpack("=II", self.buffer[:8])
                if len(self.buffer) < word >> 16:
                    break
                body, self.buffer = self.buffer[8:word >> 16], self.buffer[word >> 16:]
                if obj == done:
                    return
                yield obj, word & 0xffff, body
            self.buffer += self.socket.recv(65536)

    def move(self, x, y, buttons=()):
        now = int(time.monotonic() * 1000) & 0xffffffff
        self.send(self.pointer, 1, "uuuuu", now, x, y, WIDTH, HEIGHT)
        for state in buttons:
            self.send(self.pointer, 4, "")
            self.send(self.pointer, 2, "uuu", now, 0x110, state)  # BTN_LEFT
        self.send(self.pointer, 4, "")
        list(self.roundtrip())

    def click(self, x, y):
        self.move(x, y, buttons=(1, 0))


class Session(Run):
    """The processes of one test, ended in reverse order, and the session
    bus they share."""

    def __init__(self, quimbo, work):
        super().__init__(work)
        self.quimbo_path = quimbo
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.machine = os.path.join(work, "machine")
        write(self.machine, MACHINE)

    def quimbo(self, **env):
        return self.start([self.quimbo_path], log="quimbo.log",
                          **{"QUIMBO_FRONTEND": "desktop", "QUIMBO_SMC_SIM": self.machine, **env})

    def end(self, process, expected="exit 143"):
        process.send_signal(signal.SIGTERM)
        ends(process, expected, process.program)

    def call(self, name, path, interface, method, args=None, reply=None):
        try:
            return self.bus.call_sync(name, path, interface, method, args,
                                      GLib.VariantType(reply) if reply else None,
                                      Gio.DBusCallFlags.NONE, 5000, None).unpack()
        except (GLib.Error, AttributeError):
            return None

    def properties(self, name, path, interface):
        got = self.call(name, path, "org.freedesktop.DBus.Properties", "GetAll",
                        GLib.Variant("(s)", (interface,)), "(a{sv})")
        return got[0] if got else {}

    def watcher(self):
        return self.properties(WATCHER, "/StatusNotifierWatcher", WATCHER)

    def wait_host(self, host):
        wait_for(host + " hosts no tray", lambda: self.watcher().get("IsStatusNotifierHostRegistered"))

    def item(self):
        """The item registered with the watcher: (bus name, path, its properties)."""
        for service in self.watcher().get("RegisteredStatusNotifierItems", []):  # NAME/PATH, or NAME@/PATH in GNOME's watcher
            name, path = service.split("@", 1) if "@" in service else service.split("/", 1)
            path = "/" + path.lstrip("/")
            properties = self.properties(name, path, ITEM)
            if properties.get("Id") == "quimbo":
                return name, path, properties
        return None

    def wait_label(self, label, ayatana=False):
        """The item once its tooltip (and, for hosts that draw it, its label) reads `label`."""
        def ready():
            found = self.item()
            return found if found and found[2]["ToolTip"][2] == (label or "Quimbo") and \
                found[2]["XAyatanaLabel"] == (label if ayatana else "") else None
        return wait_for("no item whose tooltip reads %r" % label, ready)

    def activate(self, item, x, y):
        self.call(item[0], item[1], ITEM, "Activate", GLib.Variant("(ii)", (x, y)))

    def pump(self):
        while GLib.MainContext.default().iteration(False):
            pass


def beside(what, panel, x, y, below=True, bar=0):
    """The panel opened at (x, y): below it (or above), but not over a top
    bar `bar` pixels high, its left edge there unless the screen's edge
    pushed it aside."""
    px, py, pw, ph = panel
    edge = py - 1 if below else py + ph
    y = max(y, bar - 1) if below else y
    check(abs(edge - y) <= 1 and (px == x or px + pw == WIDTH) and py >= 0 and py + ph <= HEIGHT,
          "%s: Activate(%d, %d) opened the panel at %d,%d %dx%d" % (what, x, y, px, py, pw, ph))


def under_the_item(x, what, click, cx, top):
    """A click on the item at `cx` opens the panel at `top`, below it, and a click outside closes it."""
    panel = x.panel_opens(what + ", a click on the item", click)
    check(panel[1] == top and panel[0] <= cx <= panel[0] + panel[2],
          "%s: the panel at %s, not below the item at %d in a bar %d high" % (what, panel, cx, top))
    x.panel_closes(what + ", a click outside", lambda: x.click(400, 450))


def strip_back(x, what):
    """The strip, once it is back at the top right of the screen."""
    strip = wait_for("%s: no strip" % what, lambda: x.visible("Quimbo"))
    check(strip[1] == 0 and strip[0] + strip[2] == WIDTH, "%s: the strip came back at %s" % (what, strip))


def check_trayer(session):
    x = xvfb(session, WIDTH, HEIGHT)
    env = dict(DISPLAY=x.display, DBUS_SESSION_BUS_ADDRESS=None)
    quimbo = session.quimbo(**env)
    wait_for("no strip before the tray", lambda: x.visible("Quimbo"))
    for tint, name in ((None, "trayer, light"), ("0x333333", "trayer, dark")):
        tint = ["--tint", tint, "--transparent", "true", "--alpha", "0"] if tint else []
        trayer = session.start(["trayer", "--edge", "top", "--align", "right", "--widthtype",
                                "request", "--height", "24", *tint], log="trayer.log", **env)
        tx, ty, tw, th = wait_for("%s: no icon in the tray" % name,
                                  lambda: (lambda g: g if g and g[2] >= 16 else None)(x.visible("panel")))
        wait_for("%s: the strip stayed beside the icon" % name, lambda: not x.visible("Quimbo"))
        legible(name + ", the icon", x.shot, (tx, ty, tx + tw, ty + th))
        panel = x.panel_opens(name, lambda: x.click(tx + tw // 2, ty + th // 2))
        check(panel[1] >= ty + th - 2 and panel[0] + panel[2] <= WIDTH,
              "%s: the panel at %s, the tray at %d,%d %dx%d" % (name, panel, tx, ty, tw, th))
        x.panel_closes(name + ", a click outside", lambda: x.click(300, 500))
        session.end(trayer, None)
        strip_back(x, name + " went")
    session.end(quimbo)


def start_sway(session):
    """A headless sway with XWayland, once it is up: its X server and a pointer."""
    config, env_file = session.path("sway.conf"), session.path("sway.env")
    write(config, "output HEADLESS-1 resolution %dx%d\nxwayland force\n"
          "exec env > %s.part && mv %s.part %s\n" % (WIDTH, HEIGHT, env_file, env_file, env_file))
    session.start(["sway", "-c", config], log="sway.log", WLR_BACKENDS="headless",
                  WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1")
    wait_for("sway did not start", lambda: os.path.exists(env_file))
    with open(env_file) as f:
        env = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    os.environ.update(WAYLAND_DISPLAY=env["WAYLAND_DISPLAY"], SWAYSOCK=env["SWAYSOCK"])
    wait_for("XWayland did not start", lambda: os.path.exists(
        "/tmp/.X11-unix/X" + env["DISPLAY"].lstrip(":")))
    return X(env["DISPLAY"]), VirtualPointer()


def start_waybar(session, colour):
    config, style = session.path("waybar.json"), session.path("waybar-%s.css" % colour)
    write(config, '{"layer": "top", "position": "top", "height": %d, "modules-right": ["tray"],'
          ' "tray": {"icon-size": 22}}' % BAR)
    write(style, "* { font-family: DejaVu Sans; font-size: 13px; }\nwindow#waybar { background: #%s; }\n" % colour)
    return session.start(["waybar", "-c", config, "-s", style], log="waybar.log")


def grim(session):
    path = session.path("shot.png")
    subprocess.run(["grim", path], check=True)
    return Image.open(path)


def sway_window(title):
    """sway's node of the window with that title, or None."""
    nodes = [json.loads(subprocess.run(["swaymsg", "-t", "get_tree"], capture_output=True).stdout)]
    while nodes:
        node = nodes.pop()
        if node.get("name") == title:
            return node
        nodes += node.get("nodes", []) + node.get("floating_nodes", [])
    return None


def check_sway(session):
    x, pointer = start_sway(session)
    waybar = start_waybar(session, "333333")
    session.wait_host("waybar")
    trace = session.path("trace")
    quimbo = session.quimbo(DISPLAY=x.display, QUIMBO_SMC_TRACE=trace)
    for colour in ("333333", "eeeeee"):
        name = "waybar on #%s" % colour
        item = session.wait_label(LABEL)
        pointer.move(WIDTH // 2, HEIGHT // 2)  # sway draws the pointer into screenshots
        check(not x.visible("Quimbo"), "%s: a strip beside the item" % name)
        left, right = legible(name + ", the icon", lambda: grim(session), (0, 0, WIDTH, BAR)).items()[-1]
        centre = ((left + right) // 2, 14)
        desktop = grim(session).getpixel((400, 500))
        panel = x.panel_opens(name, lambda: session.activate(item, *centre))
        beside(name, panel, *centre, bar=BAR)
        # On the screen too, and with it the clear window beneath it.
        wait_for(name + ": the panel is not on the screen", lambda: grim(session).getpixel(
            (panel[0] + panel[2] // 2, panel[1] + panel[3] // 2)) != desktop)
        x.panel_closes(name + ", a click outside", lambda: pointer.click(400, 500))
        # Apart by more than GTK's double-click distance: waybar activates
        # the item on each press of a double click too.
        # waybar's point is within the item: the panel opens below the bar's right end.
        panel = x.panel_opens(name + ", a click on the item", lambda: pointer.click(centre[0] - 4, 10))
        check(panel[1] == BAR and panel[0] + panel[2] == WIDTH,
              "%s: a click on the item opened the panel at %s" % (name, panel))
        x.panel_closes(name + ", a second click on the item", lambda: pointer.click(centre[0] + 4, 18))
        beside(name + " at the bottom", x.panel_opens(name, lambda: session.activate(item, 900, 710)),
               900, 710, below=False)
        x.panel_closes(name, lambda: session.activate(item, 900, 710))
        if colour == "333333":  # confined on X11 as desktop.py asks; on Wayland below
            print("== idle, the item signals only when its label changes, and quimbo does not spin")
            heard = []  # the names of the item's signals as they come
            session.bus.signal_subscribe(item[0], ITEM, None, item[1], None, 0, lambda *args: heard.append(args[4]))
            before, spent = passes(trace), stat(quimbo.pid)[1]
            wait_for("no two sampling passes", lambda: passes(trace) >= before + 2)
            session.pump()
            check(not heard, "the item sent %s while its label stayed" % heard)
            spent = stat(quimbo.pid)[1] - spent
            check(spent / os.sysconf("SC_CLK_TCK") <= IDLE_CPU, "quimbo spins: %d ticks of CPU in two passes" % spent)
            write(session.machine, HOTTER)
            session.wait_label("72° · 2500")
            session.pump()
            check(sorted(set(heard)) == ["NewIcon", "NewToolTip"], "a new label sent %s" % heard)
            write(session.machine, MACHINE)
            print("== waybar goes: the strip at the top right, on XWayland; it comes back light")
            session.end(waybar, None)
            strip_back(x, "waybar went")
            waybar = start_waybar(session, "eeeeee")
            wait_for("the strip stayed after waybar came back", lambda: not x.visible("Quimbo"))
    session.end(quimbo)

    print("== Wayland alone: the item in waybar, the panel and the strip windows of their own")
    # Under AddressSanitizer, leaks with whole stacks: Mesa's EGL reaches
    # its allocations through the sanitizers' runtime, where the fast
    # unwinder stops before Mesa.
    sanitizer = os.environ.get("ASAN_OPTIONS")
    quimbo = session.quimbo(DISPLAY=None, **({"ASAN_OPTIONS": sanitizer + ":fast_unwind_on_malloc=0"}
                                              if sanitizer else {}))
    item = session.wait_label(LABEL)
    session.activate(item, 1260, 14)
    wait_for("no panel with the focus on Wayland", lambda: (sway_window(PANEL) or {}).get("focused"))
    confined(quimbo.pid, session.machine, "Wayland")
    pointer.click(100, 500)
    wait_for("a click outside left the panel open", lambda: not sway_window(PANEL))
    session.end(waybar, None)
    wait_for("no strip on Wayland after waybar went", lambda: sway_window("Quimbo"))
    session.end(quimbo)


def check_gnome(session):
    x = xvfb(session, WIDTH, HEIGHT)
    subprocess.run(["gsettings", "set", "org.gnome.shell", "enabled-extensions",
                    "['ubuntu-appindicators@ubuntu.com']"], check=True)
    session.start(["gnome-shell", "--x11", "--replace"], log="gnome-shell.log", DISPLAY=x.display)
    session.wait_host("GNOME Shell")
    # The shell opens with the overview, where the top bar is clear: it is
    # left for the desktop as soon as it shows.
    shell = ("org.gnome.Shell", "/org/gnome/Shell", "org.freedesktop.DBus.Properties")
    overview = lambda: session.properties(*shell[:2], "org.gnome.Shell").get("OverviewActive")
    wait_for("no overview at the start", overview)
    session.call(*shell, "Set", GLib.Variant("(ssv)", ("org.gnome.Shell", "OverviewActive",
                                                       GLib.Variant("b", False))))
    wait_for("the overview stays open", lambda: overview() is False)
    right = (WIDTH // 2 + 100, 0, WIDTH, 24)  # right of the clock
    shot = x.shot().convert("RGB")
    rows = [max(shot.crop((0, y, WIDTH, y + 1)).getcolors(WIDTH))[1] for y in range(HEIGHT)]
    bottom = next(y for y in range(HEIGHT) if rows[y] != rows[0])
    before = len(Bar(x.shot(), right).items())

    def item_in_bar(what, wide):
        """The item's centre once it shows, drawn to the end."""
        shots = [None]

        def settled(bar):
            shots.append(bar.image.crop(bar.box).tobytes())
            return shots[-1] == shots[-2] and len(bar.items()) > before
        left, right_edge = legible(what, x.shot, right[:3] + (bottom,), settled).items()[0]
        check((right_edge - left > 50) == wide, "%s: the item is %d pixels wide" % (what, right_edge - left))
        return (left + right_edge) // 2, bottom // 2

    quimbo = session.quimbo(DISPLAY=x.display)
    session.wait_label(LABEL, ayatana=True)
    cx, cy = item_in_bar("GNOME: the label in the top bar", wide=True)
    # The extension activates an item without a menu on its first click,
    # and from then on on a double click: at its second press, which a hand
    # holds a moment, and the panel's grab has to wait for the release.
    click = lambda: x.click(cx, cy)
    under_the_item(x, "GNOME, the first time", click, cx, bottom)
    x.panel_opens("GNOME, a double click", lambda: x.run(
        "mousemove", cx, cy, "click", 1, "sleep", 0.1, "mousedown", 1, "sleep", 0.2, "mouseup", 1))
    time.sleep(1)  # read, as a user does before the next click
    x.panel_closes("GNOME, a click on the item", click)
    x.run("mousemove", 400, 400)
    session.end(quimbo)
    wait_for("the item stayed in the bar after quimbo ended",
             lambda: not session.watcher()["RegisteredStatusNotifierItems"])

    print("== without an SMC: the thermometer alone, legible")
    os.makedirs(session.path("no-sensors"))
    quimbo = session.quimbo(QUIMBO_SMC_SIM=None, DISPLAY=x.display, QUIMBO_HWMON_ROOT=session.path("no-sensors"))
    session.wait_label("", ayatana=True)
    item_in_bar("GNOME: the thermometer in the top bar", wide=False)
    session.end(quimbo)


def check_lxqt(session):
    x = xvfb(session, WIDTH, HEIGHT)
    os.makedirs(session.path("lxqt"))
    write(session.path("lxqt/panel.conf"), "[General]\npanels=top\n[top]\nplugins=notifier\nposition=Top\n"
          "panelSize=%d\niconSize=22\n[notifier]\ntype=statusnotifier\n" % BAR)
    session.start(["openbox"], log="openbox.log", DISPLAY=x.display)  # as LXQt runs it
    session.start(["lxqt-panel"], log="lxqt-panel.log", DISPLAY=x.display, XDG_CONFIG_HOME=session.work)
    session.wait_host("LXQt's panel")
    wait_for("openbox keeps no room for LXQt's panel", lambda: "= 0, %d," % BAR in subprocess.run(
        ["xprop", "-display", x.display, "-root", "_NET_WORKAREA"], capture_output=True, text=True).stdout)
    quimbo = session.quimbo(DISPLAY=x.display)
    session.wait_label(LABEL)
    left, right = legible("LXQt, the icon", x.shot, (0, 0, WIDTH, BAR)).items()[-1]
    cx = (left + right) // 2
    under_the_item(x, "LXQt", lambda: x.click(cx, BAR // 2), cx, BAR)
    session.end(quimbo)
    errors = [line for line in read(session.path("lxqt-panel.log")).splitlines() if "Error on DBus" in line]
    check(not errors, "LXQt's panel logged:\n" + "\n".join(errors))


CHECKS = {"trayer": check_trayer, "sway": check_sway, "gnome": check_gnome, "lxqt": check_lxqt}


def as_user(args):
    """The command as USER (made when missing), where root runs this."""
    if os.getuid() != 0:
        return args
    if subprocess.run(["id", USER], capture_output=True).returncode != 0:
        subprocess.run(["useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", USER])
    return ["runuser", "-u", USER, "--", *args]


def private_namespaces(system_bus):
    """Sockets of this process's own, as root: a network namespace (abstract
    sockets) and a mount namespace with a /tmp/.X11-unix of its own (path
    sockets), so that the hosts' X servers and compositors take display
    numbers that no other test and no desktop beside holds, whatever runs
    at the same time. With `system_bus`, a system bus of its own too, and
    no logind: GNOME Shell needs the one and takes the session from the
    other when it is there."""
    if ctypes.CDLL(None, use_errno=True).unshare(0x20000 | 0x40000000) != 0:  # CLONE_NEWNS, CLONE_NEWNET
        raise OSError(ctypes.get_errno(), "unshare")
    subprocess.run(["mount", "--make-rprivate", "/"], check=True)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "mode=1777", "tmpfs", "/tmp/.X11-unix"], check=True)
    if not system_bus:
        return None
    for folder in ("/run/systemd", "/run/dbus"):
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["mount", "-t", "tmpfs", "tmpfs", folder], check=True)
    bus = subprocess.Popen(["dbus-daemon", "--system", "--nofork", "--nopidfile"])
    wait_for("no system bus", lambda: os.path.exists("/run/dbus/system_bus_socket"))
    return bus


def main():
    if sys.argv[1] == "--inside":  # as the user the hosts run as, on a session bus of its own
        host, quimbo = sys.argv[2:4]
        harness.main([("quimbo in " + host, CHECKS[host])], lambda work: Session(quimbo, work))
    quimbo, host = os.path.realpath(sys.argv[1]), sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="quimbo-hosts-") as work:
        for part in ("bin", "lib", "share"):  # the program and its module, where the user can read them
            shutil.copytree(os.path.join(os.path.dirname(os.path.dirname(quimbo)), part),
                            os.path.join(work, "q", part))
        bus = private_namespaces(system_bus=host == "gnome") if os.getuid() == 0 else None
        try:
            os.makedirs(os.path.join(work, "run"), mode=0o700)
            args = as_user(["env", "HOME=" + work, "XDG_RUNTIME_DIR=" + os.path.join(work, "run"),
                            "dbus-run-session", "--", sys.executable, os.path.realpath(__file__),
                            "--inside", host, os.path.join(work, "q/bin/quimbo")])
            if os.getuid() == 0:
                subprocess.run(["chown", "-R", USER + ":", work], check=True)
            environment = {k: os.environ[k] for k in ("PATH", "LANG", "ASAN_OPTIONS", "UBSAN_OPTIONS",
                                                      "HOSTS_SCREENSHOTS") if k in os.environ}
            if "suppressions=" in os.environ.get("LSAN_OPTIONS", ""):  # read by the user too
                shutil.copy(os.environ["LSAN_OPTIONS"].split("suppressions=")[1].split(":")[0],
                            os.path.join(work, "lsan.supp"))
                environment["LSAN_OPTIONS"] = "suppressions=" + os.path.join(work, "lsan.supp")
            return subprocess.run(args, env=environment).returncode
        finally:
            if bus:
                bus.terminate()
                bus.wait()


if __name__ == "__main__":
    sys.exit(main())
