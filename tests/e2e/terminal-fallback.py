#!/usr/bin/env python3
"""Starts quimbo on a pseudo-terminal with a display set that it cannot use,
and checks that it says why in one line and runs in the terminal instead.

    terminal-fallback.py QUIMBO REASON MACHINE-FILE
"""
import os
import pty
import select
import signal
import sys
import time

quimbo, reason, machine = sys.argv[1:4]
env = dict(os.environ, DISPLAY=":9999", TERM="xterm-256color", LANG="C.UTF-8",
           QUIMBO_SMC_SIM=machine)
env.pop("QUIMBO_FRONTEND", None)
env.pop("WAYLAND_DISPLAY", None)

pid, master = pty.fork()
if pid == 0:
    os.execve(quimbo, [quimbo], env)

seen = b""
deadline = time.monotonic() + 20
while "57° · 2010".encode() not in seen and time.monotonic() < deadline:
    ready, _, _ = select.select([master], [], [], 0.2)
    if ready:
        try:
            seen += os.read(master, 4096)
        except OSError:
            break
text = seen.decode("utf-8", "replace")
os.kill(pid, signal.SIGTERM)
_, status = os.waitpid(pid, 0)

fail = []
first = text.split("\n", 1)[0]
if reason not in first or "running in the terminal" not in first:
    fail.append(f"the first line does not say why: {first!r}")
if "57° · 2010" not in text:
    fail.append("the terminal never showed the label")
if os.waitstatus_to_exitcode(status) != 128 + signal.SIGTERM:
    fail.append(f"exit status {os.waitstatus_to_exitcode(status)} after SIGTERM")
if fail:
    print("FAIL: " + "; ".join(fail))
    print(text[-2000:])
    sys.exit(1)
print("the terminal stands in for the desktop:", first.strip())
