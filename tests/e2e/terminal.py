#!/usr/bin/python3
"""Drives the real quimbo on a pseudo-terminal as a user and a terminal
would: keys and clicks, a rewritten machine file, short terminals, hang-ups,
signals, Ctrl-Z, a terminal that stops reading, 112 fans on hwmon and a chip
that comes later, refused terminals and arguments, and the terminal standing
in for a desktop that cannot be used. The terminal's modes are read back from
the terminal itself; what the running quimbo may still do, from inside it.

    tests/e2e/terminal.py QUIMBO MACHINE-FILE NO-DESKTOP-REASON
"""

import os
import shutil
import signal
import subprocess
import sys
import time

from harness import (CTRL_BACKSLASH, CTRL_C, CTRL_Q, CTRL_S, CTRL_Z, END, ESCAPE, LAPTOP_HWMON, check, confined,
                     ending, ends, hwmon, machine, main, read, signal_until_ended, stat, tampered, wait_for, write)

QUIMBO, MACHINE, NO_DESKTOP = os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2]), sys.argv[3]
LABEL = "57° · 2010"


def quimbo(run, shows="°", args=(QUIMBO,), panel=False, **options):
    """quimbo over the shipped laptop, once it shows `shows`, with its panel open if asked."""
    q = run.terminal(list(args), shows=shows, **dict(dict(QUIMBO_SMC_SIM=MACHINE), **options))
    if panel:
        open_panel(q)
    return q


def open_panel(q):
    q.send(b"\r")
    q.wait_for("Çıkış")


def writes_only_the_terminal(pid):
    """quimbo holds no socket, and nothing open for writing but its terminal,
    the screen's buffer in memory, and a pipe to itself for signals."""
    targets = {fd: os.readlink("/proc/%d/fd/%s" % (pid, fd)) for fd in os.listdir("/proc/%d/fd" % pid)}
    for fd, target in targets.items():
        check(not target.startswith("socket:"), "quimbo holds a socket: " + target)
        with open("/proc/%d/fdinfo/%s" % (pid, fd)) as info:
            writing = int(info.read().split("flags:")[1].split()[0], 8) & 3
        reads_too = target.startswith("pipe:") and list(targets.values()).count(target) > 1
        check(not writing or reads_too or target.startswith(("/dev/pts/", "anon_inode:"))
              or target == "/memfd:quimbo-screen (deleted)", "quimbo writes to " + target)


def panel_and_short_terminals(run):
    copy = run.path("machine")
    shutil.copy(MACHINE, copy)
    q = quimbo(run, LABEL, QUIMBO_SMC_SIM=copy)
    write(copy, machine(MACHINE, F1Ac='"flt " = 3333', Tp09='"flt " = 66.6'))
    q.wait_for("66° · 3333")  # the panel closed: the label alone changes
    q.click(0, q.screen.display[0].rindex("3"))  # the mouse, on the label's last digit
    q.wait_for("CPU", "48°C", "Fan 2", "1200–6241 RPM", "her 2 sn güncellenir", "66°C", "3333 RPM")
    write(copy, read(MACHINE))
    q.wait_for(LABEL, "57°C", "2010 RPM")  # and back
    writes_only_the_terminal(q.process.pid)
    confined(q.process.pid, copy, "the terminal")
    for rows in (15, 14):
        q.resize(rows, 80)
        wait_for("%d rows: no footer, or no mark of hidden fans" % rows, lambda: q.shows("Fan 1", "▼")
                 and "[ Çıkış ]" in q.screen.display[-2] and "╰" in q.screen.display[-1])
    q.send(b"\t")
    row = next(r for r, line in enumerate(q.screen.display) if "[ Çıkış ]" in line)
    wait_for("Tab did not focus Çıkış",
             lambda: (q.pump(), q.screen.buffer[row][q.screen.display[row].index("Ç")].reverse)[1])
    q.send(b"\r")
    q.ends("exit 0", "Tab and Enter at 14 rows")
    q.given_back("Çıkış at 14 rows")


def hang_up(run):
    empty = run.path("no-sensors")
    os.makedirs(empty)
    for controlling in (False, True):
        how = "a hang-up %s" % ("with SIGHUP" if controlling else "in a session of its own")
        # The first without an SMC: its label is the thermometer alone.
        q = quimbo(run, None, controlling=controlling, **({} if controlling else dict(
            QUIMBO_SMC_SIM=None, QUIMBO_HWMON_ROOT=empty)))
        wait_for("no label", lambda: q.text().split("\n")[0].strip() == ("57° · 2010" if controlling else "♁"))
        open_panel(q)
        _, before = stat(q.process.pid)
        q.hang_up()
        # Not reaped yet: a zombie still tells the CPU time it used.
        wait_for("%s: still running" % how, lambda: stat(q.process.pid)[0] == "Z")
        used = stat(q.process.pid)[1] - before
        check(used < 50, "%s: %d CPU ticks after the hang-up" % (how, used))
        check(ending(q.process) == "exit 129", "%s: %s, not exit 129" % (how, ending(q.process)))


def endings(run):
    cases = [("Ctrl-C", lambda q: q.send(CTRL_C), "exit 130"),
             ("Ctrl-\\", lambda q: q.send(CTRL_BACKSLASH), "killed by SIGQUIT"),
             ("SIGTERM", lambda q: q.process.send_signal(signal.SIGTERM), "exit 143")]
    cases += [(s.name, lambda q, s=s: q.process.send_signal(s), "killed by " + s.name)
              for s in (signal.SIGABRT, signal.SIGSEGV, signal.SIGBUS, signal.SIGFPE, signal.SIGILL)]
    for how, end, expected in cases:
        q = quimbo(run, panel=True)
        check(q.raw() and q.private_mode(1000) and q.private_mode(25) is False,
              "%s: the terminal was not taken" % how)
        end(q)
        q.ends(expected, how)
        q.given_back(how)


def signals_while_it_ends(run):
    q = quimbo(run, args=[*tampered(), QUIMBO], panel=True)
    signal_until_ended(q.process, signal.SIGINT)
    q.ends("exit 130", "SIGINTs in a row, the signal mask slowed down")
    q.given_back("SIGINTs in a row")


def stop_and_continue(run):
    # SIGSTOP leaves the terminal as it was: a shell then resets it for a stopped job.
    for how, stop, after in (("Ctrl-Z", lambda q: q.send(CTRL_Z), lambda q: q.given_back("Ctrl-Z")),
                             ("SIGSTOP", lambda q: q.process.send_signal(signal.SIGSTOP),
                              lambda q: q.modes(q.initial_modes))):
        q = quimbo(run, panel=True)
        stop(q)
        wait_for("%s: not stopped" % how, lambda: stat(q.process.pid)[0] == "T")
        q.pump()
        after(q)
        q.screen.reset()  # what shows from here on is painted anew
        q.process.send_signal(signal.SIGCONT)
        q.wait_for(LABEL, "Fan 2", "[ Çıkış ]")
        wait_for("%s: not raw again after SIGCONT" % how, q.raw)
        check(q.private_mode(1000) and q.private_mode(25) is False, "%s: mouse or cursor not taken again" % how)
        q.send(ESCAPE)  # keys still work
        wait_for("%s: Escape left the panel open" % how, lambda: not q.shows("Çıkış"))
        check(q.process.poll() is None, "%s: ended" % how)


def a_terminal_that_stops_reading(run):
    copy, trace = run.path("machine"), run.path("trace")
    shutil.copy(MACHINE, copy)
    q = quimbo(run, panel=True, QUIMBO_SMC_SIM=copy, QUIMBO_SMC_TRACE=trace)
    q.send(CTRL_S)
    write(copy, machine(MACHINE, F1Ac='"flt " = 3333'))
    q.wait_for("57° · 3333", "3333 RPM")
    q.send(CTRL_Q)

    def stall():  # not read: the repaints of many resizes fill the terminal's buffer
        for i in range(400):
            q.set_size(25 - i % 2, 80)
            time.sleep(0.005)
    stall()
    traced = os.path.getsize(trace)
    wait_for("sampling stopped", lambda: os.path.getsize(trace) > traced)
    write(copy, machine(MACHINE, F1Ac='"flt " = 4444'))
    q.wait_for("57° · 4444", "4444 RPM")  # read again: the latest frame shows
    stall()
    q.process.send_signal(signal.SIGTERM)
    ends(q.process, "exit 143", "SIGTERM, the terminal not read", patience=2)  # nothing read meanwhile
    check(q.modes() == q.initial_modes, "terminal modes not restored: %r" % q.modes())


def fans_on_hwmon(run):
    root = hwmon(run.path("hwmon"), LAPTOP_HWMON)
    q = quimbo(run, "61° · 1500", panel=True, QUIMBO_SMC_SIM=None, QUIMBO_HWMON_ROOT=root)
    q.wait_for("61°C", "Fan 1", "1500 RPM", "0–0 RPM")
    # A chip that comes once quimbo runs, in a folder of its own, is found
    # at a rescan. w83795g after thinkpad: its fans come second.
    hwmon(run.path("hwmon"), dict(w83795g={"fan%d_input" % n: 1000 + n for n in range(1, 112)}),
          first=len(LAPTOP_HWMON))
    q.wait_for("Fan 2")
    q.send(END)
    q.wait_for("Fan 110", "1109 RPM")
    check(not q.shows("Fan 111"), "a fan without a key of its own")
    q.send(CTRL_C)
    q.ends("exit 130", "Ctrl-C")


def refusals(run):
    for term, reason in (("dumb", "cannot place the cursor"), ("vt999", "is not a known terminal type")):
        q = quimbo(run, None, TERM=term)
        q.ends("exit 1", "TERM=" + term)
        check(q.shows("quimbo: the terminal cannot be used: TERM=%s %s" % (term, reason)), "TERM=" + term)
    q = quimbo(run, None, QUIMBO_FRONTEND="desktop", DISPLAY=":9999")  # asked for by name: no stand-in
    q.ends("exit 1", "the desktop asked for")
    check(q.text().startswith("quimbo: " + NO_DESKTOP), "the desktop asked for: %r" % q.text())
    bad = run.path("bad.machine")  # a key of five characters
    write(bad, 'FNum "ui8 " 01\nF0Acc "flt " = 1\n')
    cases = [([], dict(QUIMBO_SMC_SIM=bad), 1, "quimbo: %s:2: the key F0Acc is not exactly four characters" % bad),
             (["--bogus"], {}, 2, "quimbo: unexpected argument '--bogus'"),
             (["--version"], {}, 0, "quimbo 0."),
             ([], dict(DISPLAY=":9999"), 1, "quimbo: " + NO_DESKTOP),
             ([], dict(QUIMBO_FRONTEND="terminal"), 1,
              "quimbo: the terminal front end needs a terminal on standard input and output\n"),
             ([], dict(QUIMBO_FRONTEND="gui"), 2, "quimbo: QUIMBO_FRONTEND must be terminal or desktop, not 'gui'\n")]
    for args, env, status, said in cases:  # no terminal: one line, and the status
        environment = {k: v for k, v in {**os.environ, "QUIMBO_SMC_SIM": MACHINE, **env}.items()
                       if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QUIMBO_FRONTEND") or k in env}
        done = subprocess.run([QUIMBO, *args], env=environment, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=60)
        out = done.stdout + done.stderr
        check(done.returncode == status and out.startswith(said) and out.count("\n") == 1,
              "%s %s: status %d, said %r" % (args, env, done.returncode, out))


def a_display_that_cannot_be_used(run):
    q = quimbo(run, LABEL, QUIMBO_FRONTEND=None, DISPLAY=":9999")
    first = q.output.decode(errors="replace").split("\n", 1)[0]
    check(NO_DESKTOP in first and "running in the terminal" in first, "it does not say why: %r" % first)
    q.process.send_signal(signal.SIGHUP)  # as kill does, the terminal still there
    q.ends("exit 129", "SIGHUP")


main([
    ("the label follows a rewritten machine file, and a click on it opens the panel, which follows it too,"
     " there and back; nothing but the terminal is written to, nor can be; 15 and 14 rows keep the footer,"
     " where Tab and Enter press Çıkış", panel_and_short_terminals),
    ("a hang-up ends quimbo with 129 at once; without an SMC the label is a thermometer", hang_up),
    ("every way out gives the terminal back", endings),
    ("SIGINTs that come while it ends leave its status as it is", signals_while_it_ends),
    ("Ctrl-Z, SIGSTOP and SIGCONT: back raw and repainted", stop_and_continue),
    ("Ctrl-S is a key; a terminal that reads no more holds neither sampling nor SIGTERM",
     a_terminal_that_stops_reading),
    ("112 fans on hwmon, 111 on a chip that comes once quimbo runs, of which the first 110 have keys of their"
     " own", fans_on_hwmon),
    ("TERM=dumb, an unknown TERM, the desktop asked for where it cannot be used, a machine file with a key of"
     " five characters, an unknown argument or front end, and no terminal: refused in one line, saying which",
     refusals),
    ("a display that cannot be used: the terminal stands in, saying why", a_display_that_cannot_be_used),
])
