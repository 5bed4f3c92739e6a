#!/usr/bin/python3
"""Drives the real quimbo and quimbo-snapshot where files are concerned: the
panel drawn the same under Turkish and German locales (whose decimal
separator is a comma), special files refused at once as machine file and
trace, a machine file rewritten slowly never taken half written, a refused
rewrite told once the terminal is given back, and a trace that cannot be
written.

    tests/e2e/files.py QUIMBO QUIMBO-SNAPSHOT|none MACHINE-FILE
"""

import filecmp
import os
import resource
import signal
import subprocess
import sys
import threading
import time

from harness import check, machine, main, passes, read, wait_for, write

QUIMBO, SNAPSHOT, MACHINE = os.path.realpath(sys.argv[1]), sys.argv[2], os.path.realpath(sys.argv[3])
LOCALES = ("tr_TR.UTF-8", "de_DE.UTF-8")


def snapshots(run):
    installed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower().split()
    for locale in LOCALES:
        check(locale.lower().replace("utf-8", "utf8") in installed,
              "the locale %s is missing: scripts/install-deps.sh generates it" % locale)
    for locale in ("C.UTF-8",) + LOCALES:
        done = subprocess.run([SNAPSHOT, MACHINE, run.path(locale + ".png")], capture_output=True, text=True,
                              env=dict(os.environ, LC_ALL=locale, XDG_RUNTIME_DIR=run.work))
        check(done.returncode == 0, "no snapshot under %s: %s" % (locale, done.stderr))
        check(filecmp.cmp(run.path("C.UTF-8.png"), run.path(locale + ".png"), shallow=False),
              "the panel under %s differs" % locale)


def special_files(run):
    fifo, target = run.path("fifo"), run.path("target")
    os.mkfifo(fifo)
    write(target, "keep\n")
    os.symlink(target, run.path("planted"))
    os.symlink(run.path("nothing-yet"), run.path("dangling"))
    trace = "quimbo: %s: cannot be opened for the trace: %s"
    cases = [([QUIMBO], dict(QUIMBO_SMC_SIM=fifo), "quimbo: %s: is not a regular file" % fifo),
             ([QUIMBO], dict(QUIMBO_SMC_TRACE=fifo), trace % (fifo, "is not a regular file"))]
    cases += [([QUIMBO], dict(QUIMBO_SMC_TRACE=run.path(link)), trace % (run.path(link), "is a symbolic link"))
              for link in ("planted", "dangling")]
    if SNAPSHOT != "none":
        cases.append(([SNAPSHOT, fifo, run.path("o.png")], {}, "quimbo-snapshot: %s: is not a regular file" % fifo))
    for args, env, expected in cases:  # a wait of 30 s ends in TimeoutExpired, a failure too
        env = {**os.environ, "LC_ALL": "C", "XDG_RUNTIME_DIR": run.work, "QUIMBO_SMC_SIM": MACHINE, **env}
        done = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=30, env=env)
        check(done.returncode != 0 and done.stdout + done.stderr == expected + "\n",
              "status %d, said %r, not %r" % (done.returncode, done.stdout + done.stderr, expected))
    check(read(target) == "keep\n" and not os.path.exists(run.path("nothing-yet")), "written through a link")


def on_a_copy(run, **options):
    """quimbo on a terminal over a copy of the shipped laptop, once it shows
    its label: (the terminal, the copy's path, the trace's)."""
    copy, trace = run.path("machine"), run.path("trace")
    write(copy, read(MACHINE))
    return run.terminal([QUIMBO], shows="57° · 2010", QUIMBO_SMC_SIM=copy, QUIMBO_SMC_TRACE=trace, **options), \
        copy, trace


def rewrites(run):
    q, copy, trace = on_a_copy(run, LC_ALL="tr_TR.UTF-8")
    q.send(b"\r")
    q.wait_for("38°C")  # the SSD, on the file's last line
    for value in (4444, 5555):
        def slowly():  # in place, a line at a time, for longer than a pass
            with open(copy, "w") as f:
                for line in machine(MACHINE, F1Ac='"flt " = %d' % value).splitlines(True):
                    f.write(line)
                    f.flush()
                    time.sleep(0.1)
        writer = threading.Thread(target=slowly)
        writer.start()
        while writer.is_alive():
            text = q.text()
            check(not text.strip() or "38°C" in text and any("57° · %s" % rpm in text for rpm in (2010, 4444, 5555)),
                  "taken half written")
        q.wait_for("57° · %d" % value)
    write(copy, machine(MACHINE, F1Ac='"flt " = 5555').replace("\nF1Ac ", "\nXYZF1Ac "))
    seen = passes(trace)
    wait_for("no three passes", lambda: passes(trace) >= seen + 3)
    check(q.shows("57° · 5555") and not q.shows("quimbo:"), "the refused rewrite shows on the running terminal")
    q.process.send_signal(signal.SIGTERM)
    q.ends("exit 143", "SIGTERM")
    check(q.modes() == q.initial_modes, "terminal modes not restored")
    line = [text.split(" ")[0] for text in read(MACHINE).splitlines()].index("F1Ac") + 1
    told = "quimbo: %s:%d: the key XYZF1Ac is not exactly four characters; the machine stays as it was" % (copy, line)
    check(q.output.decode().count(told) == 1, "not told once at the end")


def an_unwritable_trace(run):
    q, copy, trace = on_a_copy(run, stderr="err.log", limits=((resource.RLIMIT_FSIZE, 8192),),
                               ignore=(signal.SIGXFSZ,))
    told = "quimbo: %s: cannot be written: File too large; the trace stops here\n" % trace
    wait_for("no report of the trace", lambda: read(run.path("err.log")))
    write(copy, machine(MACHINE, F1Ac='"flt " = 3333'))
    q.wait_for("57° · 3333")
    check(read(run.path("err.log")) == told, "standard error holds %r" % read(run.path("err.log")))


checks = [
    ("a FIFO as machine file, a link or a FIFO as trace: an error at once, nothing written", special_files),
    ("a machine file rewritten slowly is never taken half written; a refused rewrite is told"
     " once the terminal is given back", rewrites),
    ("a trace that cannot be written stops with one message; sampling goes on", an_unwritable_trace),
]
main(([("quimbo-snapshot draws the same panel under %s as in C" % " and ".join(LOCALES), snapshots)]
      if SNAPSHOT != "none" else []) + checks)
