#!/usr/bin/python3
"""Quimbo in Wayland sessions, under a headless Weston compositor, on a
private session bus:

  dbus-run-session -- /usr/bin/python3 tests/e2e/desktop_wayland.py path/to/quimbo

- Wayland alone: quimbo shows its strip as a window of its own;
- Wayland with a tray hosted over D-Bus: the item is in that tray, natively
  (DISPLAY names no server, and is not used), and Activate opens the panel;
- Wayland with DISPLAY too and no such tray: the strip on XWayland's X server
  (here an Xvfb), where it can be placed at the top right.
Each start: quimbo shows its item, does not crash, and does not spin (its
CPU time stays flat while it waits), and SIGTERM ends it.
"""

import os
import re
import signal
import subprocess
import sys
import tempfile
import time

from desktop_dbus import Failed, Session, geometry, start_xvfb, visible, wait_for

IDLE_SECONDS = 3
IDLE_CPU = 0.5  # seconds of CPU while idle: a pass every 2 s takes milliseconds


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


class Quimbo:
    """A quimbo whose Wayland requests are logged (WAYLAND_DEBUG)."""

    def __init__(self, quimbo, work, **env):
        self.log = os.path.join(work, "wayland.log")
        with open(self.log, "w") as log:
            self.process = subprocess.Popen(
                [quimbo], stdout=log, stderr=subprocess.STDOUT,
                env=dict(os.environ, QUIMBO_FRONTEND="desktop", WAYLAND_DEBUG="client", **env))

    def requests(self):
        with open(self.log, errors="replace") as f:
            return f.read()

    def toplevel(self, title):
        """Whether a window with that title was made and given a buffer."""
        log = self.requests()
        shown = re.search(r'xdg_toplevel@\d+\.set_title\("%s"\)' % re.escape(title), log)
        return shown and "wl_surface" in log[shown.end():] and ".attach(wl_buffer" in log[shown.end():]

    def check_idle_and_stop(self):
        if self.process.poll() is not None:
            raise Failed("quimbo ended with status %d:\n%s" % (self.process.returncode, self.requests()[-2000:]))
        before = cpu_seconds(self.process.pid)
        time.sleep(IDLE_SECONDS)
        spent = cpu_seconds(self.process.pid) - before
        if spent > IDLE_CPU:
            raise Failed("quimbo spins: %.2f s of CPU in %d s" % (spent, IDLE_SECONDS))
        self.process.send_signal(signal.SIGTERM)
        if self.process.wait(timeout=10) != 128 + signal.SIGTERM:
            raise Failed("exit status %d after SIGTERM:\n%s" % (
                self.process.returncode, "\n".join(
                    line for line in self.requests().splitlines() if not line.startswith("["))))


def start_weston(work):
    socket = "wayland-quimbo"
    weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--socket=" + socket,
                               "--idle-time=0", "--log=" + os.path.join(work, "weston.log")],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for("weston did not open its socket",
             lambda: os.path.exists(os.path.join(work, socket)))
    return weston, socket


def check(quimbo, work, session, wayland):
    print("== Wayland alone: the strip is a window of its own")
    app = Quimbo(quimbo, work, WAYLAND_DISPLAY=wayland)
    wait_for("no strip window on Wayland", lambda: app.toplevel("Quimbo"))
    app.check_idle_and_stop()

    print("== Wayland with a tray over D-Bus: the item is in it, natively; Activate opens the panel")
    session.start_watcher()
    app = Quimbo(quimbo, work, WAYLAND_DISPLAY=wayland, DISPLAY=":9999")
    service = wait_for("the item did not register with the watcher", lambda: session.items())[0]
    session.activate(service, 100, 10)
    wait_for("no panel after Activate", lambda: app.toplevel("Quimbo panel"))
    if app.toplevel("Quimbo"):
        raise Failed("a strip beside the item in the tray")
    app.check_idle_and_stop()
    session.stop_watcher()

    print("== Wayland with DISPLAY and no such tray: the strip on XWayland, at the top right")
    xvfb, display = start_xvfb(1280, 800)
    try:
        app = Quimbo(quimbo, work, WAYLAND_DISPLAY=wayland, DISPLAY=display)
        os.environ["DISPLAY"] = display
        x, y, width, _ = geometry(wait_for("no strip on the X server", lambda: visible("Quimbo")))
        if y != 0 or x + width != 1280:
            raise Failed("the strip is at %d,%d, %d wide" % (x, y, width))
        app.check_idle_and_stop()
    finally:
        xvfb.kill()
        xvfb.wait()


def main():
    quimbo = os.path.realpath(sys.argv[1])
    os.environ.pop("DISPLAY", None)
    with tempfile.TemporaryDirectory() as work:
        os.environ["XDG_RUNTIME_DIR"] = work
        os.chmod(work, 0o700)
        os.environ["QUIMBO_SMC_SIM"] = os.path.join(work, "machine")
        with open(os.environ["QUIMBO_SMC_SIM"], "w") as f:
            f.write('FNum "ui8 " 01\nF0Ac "flt " = 1500\nTp01 "flt " = 61.5\n')
        weston, wayland = start_weston(work)
        session = Session()
        try:
            check(quimbo, work, session, wayland)
        except Failed as failure:
            print("FAIL:", failure)
            return 1
        finally:
            if session.watcher and session.watcher.poll() is None:
                session.watcher.kill()
            weston.terminate()
            weston.wait()
    print("all Wayland checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
