#!/usr/bin/python3
"""Drives the real quimbo binary on a pseudo-terminal, as a terminal that
hangs up, sends signals, stops and continues it, is small, or stops reading
would.

    tests/e2e/terminal-pty.py path/to/quimbo path/to/machine-file

What quimbo writes is read through a terminal emulator (pyte), so the checks
are made against the screen a user would see; the terminal's modes are read
back from the terminal itself.
"""

import fcntl
import os
import pty
import re
import resource
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time

import pyte

QUIMBO = os.path.realpath(sys.argv[1])
MACHINE = os.path.realpath(sys.argv[2])
WAIT = 20  # seconds for anything to show up, generous for a busy machine
CTRL_C, CTRL_BACKSLASH, CTRL_Z, CTRL_S, CTRL_Q = b"\x03", b"\x1c", b"\x1a", b"\x13", b"\x11"
DOWN, PAGE_DOWN, END = b"\x1bOB", b"\x1b[6~", b"\x1bOF"


class Failure(Exception):
    pass


class Screen(pyte.Screen):
    """pyte's screen with the two scrolling commands it lacks, SU and SD,
    which curses uses to scroll part of the screen."""

    def scroll_up(self, count=1, *_):
        self._scroll(count, self.index, lambda margins: margins.bottom)

    def scroll_down(self, count=1, *_):
        self._scroll(count, self.reverse_index, lambda margins: margins.top)

    def _scroll(self, count, step, edge):
        row = self.cursor.y
        self.cursor.y = edge(self.margins or pyte.screens.Margins(0, self.lines - 1))
        for _ in range(count or 1):
            step()
        self.cursor.y = row


class Stream(pyte.ByteStream):
    csi = dict(pyte.ByteStream.csi, S="scroll_up", T="scroll_down")


def wait_until(condition, what, timeout=WAIT):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise Failure(what)
        time.sleep(0.02)


class Quimbo:
    """quimbo in a session of its own on a fresh pseudo-terminal. With
    `controlling`, the terminal is the session's controlling terminal, so its
    keys send signals and its hang-up sends SIGHUP; without, nothing does."""

    def __init__(self, machine=MACHINE, rows=24, cols=80, controlling=True, trace=None):
        self.master, slave = pty.openpty()
        self.set_size(rows, cols)
        self.tty = os.ttyname(slave)
        self.initial_modes = termios.tcgetattr(slave)
        self.screen = Screen(cols, rows)
        self.stream = Stream(self.screen)
        self.output = bytearray()
        self.status = None
        env = dict(os.environ, LANG="C.UTF-8", TERM="xterm-256color",
                   QUIMBO_FRONTEND="terminal", QUIMBO_SMC_SIM=machine)
        if trace:
            env["QUIMBO_SMC_TRACE"] = trace
        self.pid = os.fork()
        if self.pid == 0:
            try:
                os.setsid()
                if controlling:
                    fcntl.ioctl(slave, termios.TIOCSCTTY, 0)
                for fd in (0, 1, 2):
                    os.dup2(slave, fd)
                resource.setrlimit(resource.RLIMIT_CORE, (0, 0))  # no core files left behind
                os.execve(QUIMBO, [QUIMBO], env)
            finally:
                os._exit(127)
        os.close(slave)
        self.wait_for("°")

    # The terminal's side.
    def set_size(self, rows, cols):
        fcntl.ioctl(self.master, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))

    def resize(self, rows, cols):
        self.set_size(rows, cols)  # the kernel sends SIGWINCH
        self.screen.resize(rows, cols)
        self.screen.reset()  # what shows from here on is painted anew

    def send(self, data):
        os.write(self.master, data)

    def click(self, row, col, button=0):
        self.send(b"\x1b[<%d;%d;%dM" % (button, col + 1, row + 1))

    def hang_up(self):
        os.close(self.master)
        self.master = None

    def modes(self, new=None):
        """The terminal's modes, after setting them to `new` if given."""
        fd = os.open(self.tty, os.O_RDWR | os.O_NOCTTY)
        try:
            if new:
                termios.tcsetattr(fd, termios.TCSANOW, new)
            return termios.tcgetattr(fd)
        finally:
            os.close(fd)

    def raw(self):
        lflag = self.modes()[3]
        return not lflag & (termios.ICANON | termios.ECHO)

    # What quimbo wrote.
    def pump(self, timeout=0.02):
        if self.master is None:
            return
        while select.select([self.master], [], [], timeout)[0]:
            try:
                data = os.read(self.master, 65536)
            except OSError:  # the other end closed: quimbo is gone
                return
            if not data:
                return
            self.output += data
            self.stream.feed(data)
            timeout = 0

    def text(self):
        self.pump()
        return "\n".join(self.screen.display)

    def shows(self, *texts):
        screen = self.text()
        return all(t in screen for t in texts)

    def wait_for(self, *texts):
        wait_until(lambda: self.shows(*texts), "never showed %r" % (texts,))

    def wait_gone(self, text):
        wait_until(lambda: text not in self.text(), "still shows %r" % text)

    def row_of(self, text):
        self.pump()
        return next(r for r, line in enumerate(self.screen.display) if text in line)

    def private_mode(self, mode):
        """Whether the last DEC private mode sequence for `mode` set it."""
        state = None
        for params, action in re.findall(rb"\x1b\[\?([\d;]+)([hl])", bytes(self.output)):
            if str(mode).encode() in params.split(b";"):
                state = action == b"h"
        return state

    # The process.
    def state(self):
        with open("/proc/%d/stat" % self.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return fields[0], int(fields[11]) + int(fields[12])  # state, CPU ticks

    def running(self):
        if self.status is None:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                self.status = status
        return self.status is None

    def wait_exit(self):
        wait_until(lambda: (self.pump(), not self.running())[1], "quimbo did not end")
        self.pump()
        return self.status

    def kill(self):
        if self.running():
            os.kill(self.pid, signal.SIGKILL)
            os.waitpid(self.pid, 0)
        if self.master is not None:
            os.close(self.master)

    def dump(self):
        return "--- screen:\n" + self.text() if self.master is not None else ""


def describe(status):
    if status is None:
        return "still running"
    if os.WIFSIGNALED(status):
        return "killed by %s" % signal.Signals(os.WTERMSIG(status)).name
    return "exit %d" % os.WEXITSTATUS(status)


def check(condition, what):
    if not condition:
        raise Failure(what)


def check_given_back(q, how):
    check(q.modes() == q.initial_modes, "%s: terminal modes not restored: %r" % (how, q.modes()))
    check(q.private_mode(25) is True, "%s: the cursor is still hidden" % how)
    check(not q.private_mode(1000), "%s: mouse reporting is still on" % how)
    check(not q.private_mode(1049), "%s: still on the alternate screen" % how)


def open_panel(q):
    q.send(b"\r")
    q.wait_for("Çıkış")


def footer_in_view(q):
    return "[ Çıkış ]" in q.screen.display[-2] and "╰" in q.screen.display[-1]


def hang_up():
    for controlling in (False, True):
        how = "a hang-up %s" % ("with SIGHUP" if controlling else "in a session of its own")
        q = Quimbo(controlling=controlling)
        try:
            open_panel(q)
            _, before = q.state()
            q.hang_up()
            # Not reaped yet: a zombie still tells the CPU time it used.
            try:
                wait_until(lambda: q.state()[0] == "Z", "")
            except Failure:
                raise Failure("%s: still running, %d CPU ticks later"
                              % (how, q.state()[1] - before))
            used = q.state()[1] - before
            check(used < 50, "%s: %d CPU ticks after the hang-up" % (how, used))
            status = q.wait_exit()
            check(os.WIFEXITED(status) and os.WEXITSTATUS(status) == 129,
                  "%s: %s, not exit 129" % (how, describe(status)))
        finally:
            q.kill()


def endings():
    cases = [
        ("Ctrl-C", lambda q: q.send(CTRL_C), "exit 130"),
        ("Ctrl-\\", lambda q: q.send(CTRL_BACKSLASH), "killed by SIGQUIT"),
        ("SIGTERM", lambda q: os.kill(q.pid, signal.SIGTERM), "exit 143"),
    ] + [(s.name, lambda q, s=s: os.kill(q.pid, s), "killed by " + s.name)
         for s in (signal.SIGABRT, signal.SIGSEGV, signal.SIGBUS, signal.SIGFPE, signal.SIGILL)]
    for how, end, expected in cases:
        q = Quimbo()
        try:
            open_panel(q)
            check(q.raw() and q.private_mode(1000) and q.private_mode(25) is False,
                  "%s: the terminal was not taken" % how)
            end(q)
            status = q.wait_exit()
            check(describe(status) == expected, "%s: %s, not %s" % (how, describe(status), expected))
            check_given_back(q, how)
        finally:
            q.kill()


def stop_and_continue():
    for how in ("Ctrl-Z", "SIGSTOP"):
        q = Quimbo()
        try:
            open_panel(q)
            if how == "Ctrl-Z":
                q.send(CTRL_Z)
            else:
                os.kill(q.pid, signal.SIGSTOP)
            wait_until(lambda: q.state()[0] == "T", "%s: not stopped" % how)
            q.pump()
            if how == "Ctrl-Z":
                check_given_back(q, how)
            else:
                q.modes(q.initial_modes)  # as a shell does for a stopped job
            q.screen.reset()  # what shows from here on is painted anew
            os.kill(q.pid, signal.SIGCONT)
            q.wait_for("57° · 2010", "Fan 2", "[ Çıkış ]")
            wait_until(q.raw, "%s: not raw again after SIGCONT" % how)
            check(q.private_mode(1000) and q.private_mode(25) is False,
                  "%s: mouse or cursor not taken again" % how)
            q.send(b"\x1b")  # keys still work
            q.wait_gone("Çıkış")
            check(q.running(), "%s: ended" % how)
        finally:
            q.kill()


def focus_and_short_terminals():
    q = Quimbo()
    try:
        open_panel(q)
        q.send(b"\t")
        label = q.row_of("57° · 2010")
        q.click(label, q.screen.display[label].index("57°"))
        q.wait_gone("Çıkış")
        check(q.running(), "a click on the label ended quimbo: %s" % describe(q.status))
        q.send(b"\r")  # opens again, with nothing focused: Enter closes it
        q.wait_for("Çıkış")
        q.send(b"\r")
        q.wait_gone("Çıkış")
        check(q.running(), "the focus outlived the panel: %s" % describe(q.status))

        # Too short for the whole panel: the footer stays, a mark says fans
        # are hidden, and Tab then Enter press Çıkış.
        open_panel(q)
        for rows in (15, 14):
            q.resize(rows, 80)
            wait_until(lambda: q.shows("Fan 1", "▼") and footer_in_view(q),
                       "%d rows: no footer, or no mark of hidden fans" % rows)
        q.send(b"\t")
        row = q.row_of("[ Çıkış ]")
        focused = lambda: q.screen.buffer[row][q.screen.display[row].index("Ç")].reverse
        wait_until(lambda: (q.pump(), focused())[1], "Tab did not focus Çıkış")
        q.send(b"\r")
        status = q.wait_exit()
        check(describe(status) == "exit 0", "Tab, Enter at 14 rows: %s" % describe(status))
        check_given_back(q, "Çıkış at 14 rows")
    finally:
        q.kill()


def a_terminal_that_stops_reading(directory):
    machine, trace = os.path.join(directory, "stalled.machine"), os.path.join(directory, "trace")
    shutil.copy(MACHINE, machine)
    q = Quimbo(machine, trace=trace)
    try:
        open_panel(q)
        q.send(CTRL_S)
        subprocess.run(["sed", "-i", 's/^F1Ac .*/F1Ac "flt " = 3333/', machine], check=True)
        q.wait_for("57° · 3333", "3333 RPM")
        q.send(CTRL_Q)

        def stall():  # not read: the repaints of many resizes fill the terminal's buffer
            for i in range(400):
                q.set_size(25 - i % 2, 80)
                time.sleep(0.005)
        stall()
        traced = os.path.getsize(trace)
        wait_until(lambda: os.path.getsize(trace) > traced, "sampling stopped")
        subprocess.run(["sed", "-i", 's/^F1Ac .*/F1Ac "flt " = 4444/', machine], check=True)
        q.wait_for("57° · 4444", "4444 RPM")  # read again: the latest frame shows
        stall()
        os.kill(q.pid, signal.SIGTERM)
        wait_until(lambda: not q.running(), "still running 2 s after SIGTERM", timeout=2)
        check(describe(q.status) == "exit 143", "SIGTERM: %s, not exit 143" % describe(q.status))
        check(q.modes() == q.initial_modes, "terminal modes not restored: %r" % q.modes())
    finally:
        q.kill()


def many_fans(directory):
    fans = 12
    machine = os.path.join(directory, "twelve-fans.machine")
    with open(machine, "w") as f:
        f.write('FNum "ui8 " %02x\nTp01 "flt " = 57.8\n' % fans)
        for i in range(fans):
            key = lambda suffix: ("F%d%s" % (i, suffix))[-4:]  # F10Ac is the key 10Ac
            f.write('%s "flt " = %d\n%s "flt " = 1000\n%s "flt " = 6000\n'
                    % (key("Ac"), 1100 + 100 * i, key("Mn"), key("Mx")))
    q = Quimbo(machine, rows=40)
    try:
        open_panel(q)
        last = lambda: q.screen.display[-1]
        check(q.shows("Quimbo", "CPU", "Fan 1", "[ Çıkış ]", "▼") and not q.shows("Fan 12"),
              "the panel does not fit 40 rows")
        check("╰" in last(), "the panel's box does not end on the last row: %r" % last())
        for key in (DOWN, PAGE_DOWN):
            top = q.text()
            q.send(key)
            wait_until(lambda: q.text() != top, "%r did not scroll" % key)
        q.click(10, 50, button=65)  # the wheel
        q.send(END)
        q.wait_for("Fan 12", "2200 RPM", "1000–6000 RPM", "▲")
        check(q.shows("Quimbo", "57°C", "Ortam", "her 2 sn güncellenir", "[ Çıkış ]")
              and not q.shows("▼") and not q.shows("Fan 1 "),
              "scrolled to the end, the header, the footer or the marks are wrong")
        check(q.row_of("57° · 2200") == 0, "the label moved")

        q.resize(8, 60)  # fewer rows than the header and footer need
        wait_until(lambda: q.shows("Quimbo") and "57° · 2200" in q.screen.display[0]
                   and footer_in_view(q), "a small terminal: no label, panel or footer")
        check(q.running(), "a small terminal ended quimbo: %s" % describe(q.status))
    finally:
        q.kill()


def main():
    checks = [
        ("a hang-up ends quimbo with 129 at once", hang_up),
        ("every way out gives the terminal back", endings),
        ("Ctrl-Z, SIGSTOP and SIGCONT: back raw and repainted", stop_and_continue),
        ("a click on the label with Çıkış focused closes the panel; 15 and 14 rows keep the footer",
         focus_and_short_terminals),
        ("twelve fans in 40 rows scroll between header and footer", lambda: many_fans(work)),
        ("Ctrl-S is a key; a terminal that reads no more holds neither sampling nor SIGTERM",
         lambda: a_terminal_that_stops_reading(work)),
    ]
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for title, run in checks:
            print("==", title, flush=True)
            try:
                run()
            except Failure as failure:
                print("FAIL:", failure, flush=True)
                failures += 1
    if failures:
        sys.exit(1)
    print("all pseudo-terminal checks passed")


if __name__ == "__main__":
    main()
