#!/usr/bin/python3
"""Drives the real quimbo-exporter with Debian's Prometheus parts: what it
writes passes promtool and node_exporter's textfile collector serves it,
parsed by the text-format parser of Prometheus' library; a changed machine
reaches the first pass after the change; a reader never sees a partial file; a
directory that goes away is reported once and written again when it is back; a
write that fails half way (the file size limit) leaves the last file whole;
SIGTERM leaves that file and nothing else; bad input ends with status 2.
Another user's file where a temporary one could go, a kill while a file is
written, and bursts of signals change nothing; an exporter started before the
sensors' drivers reads them once they load. The running exporter can write
nothing else, nor read, connect or execute; where Landlock is missing it says
so in one line and writes as before. The alerting rules pass their own tests.

    tests/e2e/exporter.py QUIMBO-EXPORTER MACHINE-FILE
"""

import os
import re
import resource
import signal
import socket
import subprocess
import sys
import time
import urllib.request

from harness import (LAPTOP_HWMON, check, confined, ends, hwmon, machine, main, passes, read, signal_until_ended,
                     tampered, wait_for, write)

EXPORTER, MACHINE = os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2])
HERE = os.path.dirname(os.path.realpath(__file__))


def complete(text):
    """A complete file starts with the first metric and ends with the last."""
    return re.fullmatch(r"# HELP quimbo_smc_available .*\nquimbo_build_info\{.*\} 1\n", text, re.S)


def only_the_file(folder, what):
    check(os.listdir(folder) == ["quimbo.prom"], "%s: the folder holds %s" % (what, os.listdir(folder)))


def last_pass(prom):
    found = re.search(r"^quimbo_last_pass_timestamp_seconds (\S+)$", read(prom), re.M)
    return float(found.group(1)) if found else 0


def get(url):
    try:
        return urllib.request.urlopen(url, timeout=5).read().decode()
    except OSError:
        return ""


def textfiles(run):
    """The shipped machine copied into the scratch folder, and an empty folder
    for the exporter's file: (the folder, the file's path)."""
    write(run.path("machine"), read(MACHINE))
    os.makedirs(run.path("textfiles"))
    return run.path("textfiles"), run.path("textfiles/quimbo.prom")


def every_second(run, folder, log="exporter.log", before=(), **env):
    """The exporter running, a pass every second, over the copied machine."""
    return run.start([*before, EXPORTER, "--textfile-directory", folder, "--interval", "1"], log=log,
                     **dict(dict(QUIMBO_SMC_SIM=run.path("machine")), **env))


def exporter(run, *args, limits=(), before=(), **env):
    """One run of the exporter (its command line after `before`) to its end: (status, what it said)."""
    log = "exporter-%d.log" % len(run.processes)
    process = run.start([*before, EXPORTER, *args], log=log, limits=limits,
                        **dict(dict(QUIMBO_SMC_SIM=run.path("machine")), **env))
    return process.wait(timeout=30), read(run.path(log))


def once_and_bad_input(run):
    done = subprocess.run(["promtool", "test", "rules", os.path.join(HERE, "alerts.test.yml")],
                          capture_output=True, text=True)
    check(done.returncode == 0, "the alerting rules' tests fail: " + done.stdout + done.stderr)
    folder, prom = textfiles(run)
    for args, said in (("--interval 5", "--textfile-directory DIR is required"),
                       ("--textfile-directory %s/none" % run.work, "%s/none: No such file or directory" % run.work),
                       ("--textfile-directory " + run.path("machine"), "machine: is not a directory"),
                       ("--textfile-directory %s --interval 0" % folder,
                        "--interval takes a whole number of seconds from 1 to 86400, not '0'"),
                       ("--textfile-directory %s --port 9100" % folder, "unknown option '--port'"),
                       ("--textfile-directory", "--textfile-directory needs a value"),
                       ("--textfile-directory %s now" % folder, "unexpected argument 'now'")):
        status, out = exporter(run, *args.split())
        check(status == 2 and out.startswith("quimbo-exporter: ") and said in out
              and out.endswith("(see quimbo-exporter --help)\n"), "%r: status %d, said %r" % (args, status, out))
    check(not os.listdir(folder), "bad input wrote %s" % os.listdir(folder))

    old = os.umask(0o077)
    status, out = exporter(run, "--textfile-directory", folder, "--once")
    os.umask(old)
    check(status == 0, "--once: status %d, said %r" % (status, out))
    only_the_file(folder, "--once")
    check(os.stat(prom).st_mode & 0o777 == 0o644, "the file's mode is %o" % (os.stat(prom).st_mode & 0o777))
    done = subprocess.run(["promtool", "check", "metrics"], input=read(prom), capture_output=True, text=True)
    check(done.returncode == 0, "promtool check metrics: " + done.stdout + done.stderr)
    check('\nquimbo_temperature_celsius{group="cpu"} 57.79999923706055\n' in read(prom), "cpu: " + read(prom))
    before = read(prom)
    status, out = exporter(run, "--textfile-directory", folder, "--once", limits=((resource.RLIMIT_FSIZE, 1024),))
    check(status == 1 and "cannot be written: File too large" in out,
          "a write past the size limit: status %d, said %r" % (status, out))
    only_the_file(folder, "a failed write")
    check(read(prom) == before, "a failed write changed the file")

    # Where Landlock cannot be had, as strace makes its first call fail: the
    # file written all the same, and one line that says why.
    for error, why in (("ENOSYS", "this kernel has no Landlock"),
                       ("EOPNOTSUPP", "Landlock is turned off (the kernel's lsm= list)"),
                       ("EPERM", "Landlock's system calls are refused: Operation not permitted")):
        os.unlink(prom)
        status, out = exporter(run, "--textfile-directory", folder, "--once",
                               before=tampered("landlock_create_ruleset:error=" + error))
        check(status == 0 and out == "quimbo-exporter: runs unconfined: %s\n" % why and complete(read(prom)),
              "%s: status %d, said %r" % (error, status, out))


def with_prometheus(run):
    (folder, prom), trace, copy = textfiles(run), run.path("trace"), run.path("machine")
    process = every_second(run, folder, QUIMBO_SMC_TRACE=trace)
    with socket.socket() as free:
        free.bind(("127.0.0.1", 0))
        node = free.getsockname()[1]
    run.start(["prometheus-node-exporter", "--collector.disable-defaults", "--collector.textfile",
               "--collector.textfile.directory=" + folder, "--web.listen-address=127.0.0.1:%d" % node],
              log="node.log")
    metrics = wait_for("node_exporter does not serve the file", lambda: (
        lambda m: m if "\nquimbo_temp" in m else None)(get("http://127.0.0.1:%d/metrics" % node)))
    check('\nquimbo_temperature_celsius{group="gpu"} 48.900001525878906\n' in metrics
          and "\nnode_textfile_scrape_error 0\n" in metrics, "node_exporter serves: " + metrics)

    confined(process.pid, copy, "the exporter")

    seen, reads = time.time(), 0
    while last_pass(prom) < seen + 2:  # a reader, over and over while three passes replace the file
        content = read(prom)
        check(complete(content), "a reader saw a partial file after %d reads: %r" % (reads, content))
        reads += 1
    print("   %d complete reads over three passes" % reads)
    write(copy, machine(MACHINE, Tp09='"flt " = 77.5'))
    changed = time.time()
    wait_for("no pass after the change", lambda: last_pass(prom) > changed)
    check('\nquimbo_temperature_celsius{group="cpu"} 77.5\n' in read(prom), "the first pass after the change lacks it")

    os.rename(folder, run.path("away"))  # for three passes
    away = passes(trace) + 3
    wait_for("no three passes while the folder was away", lambda: passes(trace) >= away)
    os.rename(run.path("away"), folder)
    back = time.time()
    wait_for("not written again after the folder came back", lambda: last_pass(prom) > back)
    check(read(run.path("exporter.log")).count("cannot be created") == 1, "not reported once")

    process.send_signal(signal.SIGTERM)
    ends(process, "exit 0", "SIGTERM")
    only_the_file(folder, "after SIGTERM")
    check(complete(read(prom)), "the file left is not complete")


def names_kills_and_bursts(run):
    (folder, prom), killed = textfiles(run), run.path("killed")
    os.makedirs(killed)
    exporter(run, "--textfile-directory", killed, "--once", before=tampered("write:signal=KILL"))
    check(os.listdir(killed) == [], "killed at its first write, that of the file, it left %s" % os.listdir(killed))

    # Started once the name it would have taken is another's: here a
    # directory, which not even root can unlink.
    process = every_second(run, folder, before=["sh", "-c", 'read go && exec "$0" "$@"'],
                           popen=dict(stdin=subprocess.PIPE))
    planted = ".quimbo.prom.%d.tmp" % process.pid
    os.mkdir(os.path.join(folder, planted))
    since = time.time()
    process.stdin.write(b"go\n")
    process.stdin.close()
    wait_for("another's file at its temporary name keeps it from writing", lambda: last_pass(prom) >= since)
    signal_until_ended(process, signal.SIGHUP)
    ends(process, "exit 0", "SIGHUPs in a row")

    since = time.time()
    slowed = every_second(run, folder, "tampered.log", tampered())
    wait_for("no pass under strace", lambda: last_pass(prom) >= since)
    signal_until_ended(slowed, signal.SIGHUP)
    ends(slowed, "exit 0", "SIGHUPs in a row, the signal mask slowed down")
    check(sorted(os.listdir(folder)) == sorted(["quimbo.prom", planted]),
          "after the SIGHUPs, the folder holds %s" % os.listdir(folder))


def before_the_sensors(run):
    (folder, prom), root = textfiles(run), run.path("sys")
    classes = os.path.join(root, "class", "hwmon")
    os.makedirs(classes)
    os.makedirs(os.path.join(root, "devices"))  # as /sys/devices is there before any driver loads
    every_second(run, folder, QUIMBO_SMC_SIM=None, QUIMBO_HWMON_ROOT=classes)
    wait_for("no pass without sensors", lambda: "\nquimbo_smc_available 0\n" in read(prom))
    hwmon(root, LAPTOP_HWMON)
    wait_for("the sensors that appeared are never read", lambda: "\nquimbo_smc_available 1\n" in read(prom)
             and '\nquimbo_fan_speed_rpm{fan="1"} 1500\n' in read(prom))


main([
    ("the alerting rules; bad input; --once: one complete file readable by all, that promtool accepts,"
     " and a failed write keeps it", once_and_bad_input),
    ("running every second, with node_exporter; a folder away for three passes; SIGTERM",
     with_prometheus),
    ("a kill while writing leaves nothing; another's file at a temporary name does not stop it; SIGHUPs in a"
     " row end it with 0, also when they come while it ends", names_kills_and_bursts),
    ("started before the sensors' drivers load: they are read once they appear", before_the_sensors),
])
