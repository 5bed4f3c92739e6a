#!/usr/bin/python3
"""The manual page, --help and the README tell the same story: the same
environment variables, and every key of the terminal front end; and
quimbo-exporter's --help and manual page the same variables and options.
The pages under docs/ name no variable the manual page lacks, the terminal's
page every key, the exporter's every option it runs with, and every link of
the README and the pages leads to a file.

    docs-agree.py QUIMBO MAN-SOURCE README EXPORTER EXPORTER-MAN-SOURCE
"""

import glob
import os
import re
import subprocess
import sys

from harness import check, main, read

QUIMBO, MAN, README, EXPORTER, EXPORTER_MAN = sys.argv[1:6]
DOCS = os.path.dirname(MAN)
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
    # The pages under docs/ agree with the manual page, and their links lead somewhere.
    pages = {path: read(path) for path in sorted(glob.glob(os.path.join(DOCS, "*.md")))}
    for path, text in pages.items():
        check(variables(text) <= reference, "%s names %s" % (path, sorted(variables(text) - reference)))
    terminal, exporter = read(os.path.join(DOCS, "terminal.md")), read(os.path.join(DOCS, "exporter.md"))
    check(all(k in terminal for k in KEYS), "docs/terminal.md lacks one of the keys %s" % KEYS)
    check(all(o in exporter for o in OPTIONS[:3]), "docs/exporter.md lacks one of the options %s" % OPTIONS[:3])
    for path, text in dict(pages, **{README: read(README)}).items():
        for target in re.findall(r"\]\(([^)#:]+)(?:#[^)]*)?\)", text):
            where = os.path.join(os.path.dirname(path), target)
            check(os.path.exists(where), "%s links to %s, which is not there" % (path, target))


main([("--help, the manual pages, the README and the pages under docs/ name the same variables, keys and"
       " options; the links of the README and the pages lead somewhere", agree)])
