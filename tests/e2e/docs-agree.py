#!/usr/bin/env python3
"""The manual page, --help and the README tell the same story: the same
environment variables, and every key of the terminal front end; and
quimbo-exporter's --help and manual page the same variables and options.

    docs-agree.py QUIMBO MAN-SOURCE README EXPORTER EXPORTER-MAN-SOURCE
"""
import re
import subprocess
import sys

quimbo, man_source, readme, exporter, exporter_man_source = sys.argv[1:6]


def usage(program):
    return subprocess.run([program, "--help"], capture_output=True, text=True, check=True).stdout


help_text = usage(quimbo)
man = open(man_source, encoding="utf-8").read()
readme_text = open(readme, encoding="utf-8").read()

fail = []


def variables(text):
    return set(re.findall(r"\bQUIMBO_[A-Z_]+", text))


documents = {"--help": help_text, "the manual page": man, "the README": readme_text}
reference = variables(man)
for name, text in documents.items():
    if variables(text) != reference:
        fail.append(f"{name} names {sorted(variables(text))}, the manual page {sorted(reference)}")

keys = ["Enter", "Space", "Escape", "Tab", "Up", "Down", "Page Up", "Page Down", "Home", "End",
        "Ctrl-Z", "wheel"]
for name in ("--help", "the manual page"):
    missing = [k for k in keys if k not in documents[name]]
    if missing:
        fail.append(f"{name} does not mention {missing}")

exporter_documents = {"quimbo-exporter --help": usage(exporter),
                      "quimbo-exporter(1)": open(exporter_man_source, encoding="utf-8").read()}
options = ["--textfile-directory", "--interval", "--once", "--help", "--version"]
for name, text in exporter_documents.items():
    if variables(text) != reference - {"QUIMBO_FRONTEND"}:
        fail.append(f"{name} names {sorted(variables(text))}")
    fail += [f"{name} does not mention {o}" for o in options if o not in text]

if fail:
    print("FAIL: " + "\n      ".join(fail))
    sys.exit(1)
print(f"the documents agree on {len(reference)} variables and {len(keys)} keys, "
      f"and quimbo-exporter's on {len(options)} options")
