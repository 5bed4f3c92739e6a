#!/usr/bin/env python3
"""The manual page, --help and the README tell the same story: the same
environment variables, and every key of the terminal front end.

    docs-agree.py QUIMBO MAN-SOURCE README
"""
import re
import subprocess
import sys

quimbo, man_source, readme = sys.argv[1:4]
help_text = subprocess.run([quimbo, "--help"], capture_output=True, text=True, check=True).stdout
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

if fail:
    print("FAIL: " + "\n      ".join(fail))
    sys.exit(1)
print(f"the documents agree on {len(reference)} variables and {len(keys)} keys")
