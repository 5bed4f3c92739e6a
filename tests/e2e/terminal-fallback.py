#!/usr/bin/env python3
"""How quimbo picks its front end where the desktop cannot be used, with and
without a terminal: a display it cannot use makes it say why in one line and
run in the terminal when there is one (where SIGHUP ends it with 129), and
fail when there is none or the desktop was asked for by name; a terminal
asked for without one, and an unknown QUIMBO_FRONTEND, are errors.

    terminal-fallback.py QUIMBO REASON MACHINE-FILE
"""
import os
import pty
import select
import signal
import subprocess
import sys
import time

quimbo, reason, machine = sys.argv[1:4]
LABEL = "57° · 2010"
base = dict(os.environ, DISPLAY=":9999", TERM="xterm-256color", LANG="C.UTF-8",
            QUIMBO_SMC_SIM=machine)
for name in ("QUIMBO_FRONTEND", "WAYLAND_DISPLAY"):
    base.pop(name, None)


def on_pty(**env):
    """Output and exit status of quimbo on a pseudo-terminal (None if it
    would not end); once it shows the label, it is sent SIGHUP, as by kill
    with the terminal still there."""
    pid, master = pty.fork()
    if pid == 0:
        os.execve(quimbo, [quimbo], dict(base, **env))
    seen = b""
    deadline = time.monotonic() + 20
    while LABEL.encode() not in seen and time.monotonic() < deadline:
        if select.select([master], [], [], 0.2)[0]:
            try:
                data = os.read(master, 4096)
            except OSError:  # quimbo ended
                break
            seen += data
    if LABEL.encode() in seen:
        os.kill(pid, signal.SIGHUP)
    deadline = time.monotonic() + 20
    while not (ended := os.waitpid(pid, os.WNOHANG))[0] and time.monotonic() < deadline:
        time.sleep(0.05)
    if not ended[0]:
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
    os.close(master)
    status = os.waitstatus_to_exitcode(ended[1]) if ended[0] else None
    return seen.decode("utf-8", "replace").replace("\r\n", "\n"), status


def without_tty(**env):
    """Standard error and exit status of quimbo with no terminal at all."""
    run = subprocess.run([quimbo], env=dict(base, **env), stdin=subprocess.DEVNULL,
                         capture_output=True, text=True, timeout=60)
    if run.stdout:
        fail.append(f"{env}: wrote {run.stdout!r} to standard output")
    return run.stderr, run.returncode


fail = []
text, status = on_pty()
first = text.split("\n", 1)[0]
if reason not in first or "running in the terminal" not in first or LABEL not in text:
    fail.append(f"with a terminal, no fallback: {text[-2000:]!r}")
if status != 128 + signal.SIGHUP:
    fail.append(f"SIGHUP with the terminal there: status {status}, not 129")

unknown = "quimbo: QUIMBO_FRONTEND must be terminal or desktop, not 'gui'\n"
cases = [
    ("the desktop asked for", on_pty(QUIMBO_FRONTEND="desktop"), 1, f"quimbo: {reason}"),
    ("no terminal", without_tty(), 1, f"quimbo: {reason}"),
    ("the terminal asked for without one", without_tty(QUIMBO_FRONTEND="terminal"), 1,
     "quimbo: the terminal front end needs a terminal on standard input and output\n"),
    ("an unknown front end", without_tty(QUIMBO_FRONTEND="gui"), 2, unknown),
]
for what, (said, status), expected_status, expected in cases:
    if status != expected_status or not said.startswith(expected) or said.count("\n") != 1:
        fail.append(f"{what}: status {status}, said {said!r}")

if fail:
    print("FAIL: " + "\n      ".join(fail))
    sys.exit(1)
print("the front end is chosen as documented:", first.strip())
