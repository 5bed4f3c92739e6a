#!/usr/bin/python3
"""The manual page, --help and the README tell the same story: the same
environment variables, and every key of the terminal front end; and
quimbo-exporter's --help and manual page the same variables and options.

    docs-agree.py QUIMBO MAN-SOURCE README EXPORTER EXPORTER-MAN-SOURCE
"""

import re
import subprocess
import sys

from harness import check, main, read

QUIMBO, MAN, README, EXPORTER, EXPORTER_MAN = sys.argv[1:6]
KEYS = ["Enter", "Space", "Escape", "Tab", "Up", "Down", "Page Up", "Page Down", "Home", "End", "Ctrl-Z", "wheel"]
OPTIONS = ["--textfile-directory", "--interval", "--once", "--help", "--version"]


def usage(program):
    return subprocess.run([program, "--help"], capture_output=True, text=True, check=True).stdout


def variables(text):
    return set(re.findall(r"\bQUIMBO_[A-Z_]+", text))


def agree(run):
    reference = variables(read(MAN))
    quimbo = {"--help": usage(QUIMBO), "the manual page": read(MAN)}
    exporter = {"quimbo-exporter --help": usage(EXPORTER), "quimbo-exporter(1)": read(EXPORTER_MAN)}
    for name, text in dict(quimbo, **exporter, README=read(README)).items():
        wanted = reference - {"QUIMBO_FRONTEND"} if name in exporter else reference
        check(variables(text) == wanted, "%s names %s, not %s" % (name, sorted(variables(text)), sorted(wanted)))
    for name, text in quimbo.items():
        check(all(k in text for k in KEYS), "%s lacks one of the keys %s" % (name, KEYS))
    for name, text in exporter.items():
        check(all(o in text for o in OPTIONS), "%s lacks one of the options %s" % (name, OPTIONS))


main([("--help, the manual pages and the README name the same variables, keys and options", agree)])
