#!/usr/bin/env python3
"""Lists the functions of the program longer than a limit (60 lines), from
the line of the name to the closing brace; fails when there is one.

A careful brace counter over clang-formatted code: comments, strings and
preprocessor lines are blanked first; a brace opened at namespace or class
scope after a closing parenthesis (and what may follow one: const,
override, noexcept, a trailing return type, a constructor's initialisers)
opens a function, whose lambdas and blocks count with it.
  scripts/check-function-length.py [--limit N] [--all] [FILE...]
"""

import os
import re
import subprocess
import sys

FOLDERS = ("app", "smc", "monitor", "ui", "platform", "tools", "exporter")
SCOPE = re.compile(r"\b(namespace|class|struct|union|enum)\b|\bextern\s+\"C\"\s*$")
# What may stand between a function's parameters and its body.
AFTER_PARAMETERS = re.compile(
    r"\)\s*(const|override|final|noexcept|mutable|volatile|&|&&|\s|->\s*[\w:<>,*&\s]+|\[\[\w+\]\])*$")
INITIALISERS = re.compile(r"\)\s*(noexcept\s*)?:(?!:)")


def blank(text):
    """The text with comments, string and character literals and
    preprocessor lines blanked, line breaks kept."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i) or (c == "#" and text[:i].rstrip(" \t").endswith(("\n", "")) and
                                        (i == 0 or text[text.rfind("\n", 0, i) + 1:i].strip() == "")):
            end = i
            while True:  # to the end of the line, and of continued lines
                end = text.find("\n", end)
                if end < 0:
                    end = n
                    break
                if text[end - 1] != "\\" or text.startswith("//", i):
                    break
                end += 1
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif c == 'R' and text.startswith('R"', i):
            delimiter = text[i + 2:text.find("(", i)]
            end = text.find(")" + delimiter + '"', i) + len(delimiter) + 2
            out.append('""' + re.sub(r"[^\n]", " ", text[i + 2:end]))
            i = end
        elif c in "\"'" and not (c == "'" and i > 0 and text[i - 1].isalnum()):  # not 1'000
            end = i + 1
            while end < n and text[end] != c:
                end += 2 if text[end] == "\\" else 1
            out.append(c + " " * (end - i - 1) + c)
            i = end + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def functions(path):
    """(name, first line, last line) of each function in the file."""
    text = blank(open(path, encoding="utf-8").read())
    found, stack, header, start = [], [], "", None
    line = 1
    for c in text:
        if c == "\n":
            line += 1
        inside = any(kind == "function" for kind, *_ in stack)
        if c == "{":
            if inside:
                stack.append(("block",))
            elif SCOPE.search(header) and "(" not in header.split("=")[0]:
                stack.append(("scope",))
                header, start = "", None
            elif "(" in header and AFTER_PARAMETERS.search(header.rstrip()) and not header.rstrip().endswith("= )"):
                name = re.findall(r"([~\w:]+(?:operator\S*)?)\s*\(", header)
                stack.append(("function", name[0] if name else "?", start or line, header))
                header, start = "", None
            else:  # an initialiser: braces within a declaration
                stack.append(("init", header, start))
                header, start = "", None
        elif c == "}":
            if not stack:
                continue
            top = stack.pop()
            if top[0] == "function":
                found.append((top[1], top[2], line))
                header, start = "", None
            elif top[0] == "init":
                header, start = top[1] + "{}", top[2]  # the declaration goes on
            elif top[0] == "scope":
                header, start = "", None
        elif not inside:
            if c == ";":
                header, start = "", None
            elif not c.isspace() or header:
                if start is None and not c.isspace():
                    start = line
                header += c
            if header.endswith(("public:", "private:", "protected:")):
                header, start = "", None
    return found


def main():
    args = sys.argv[1:]
    limit = 60
    if "--limit" in args:
        at = args.index("--limit")
        limit = int(args[at + 1])
        del args[at:at + 2]
    show_all = "--all" in args
    args = [a for a in args if a != "--all"]
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    if not args:
        args = [f for f in subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard",
                                           *FOLDERS], cwd=root, capture_output=True, text=True,
                                          check=True).stdout.split() if f.endswith((".cpp", ".h", ".mm"))]
        os.chdir(root)
    long = []
    for path in args:
        for name, first, last in functions(path):
            length = last - first + 1
            if show_all or length > limit:
                long.append((length, "%s:%d: %s, %d lines" % (path, first, name, length)))
    for _, text in sorted(long, reverse=True):
        print(text)
    if show_all:
        return 0
    print("%d functions longer than %d lines" % (len(long), limit) if long else
          "no function longer than %d lines" % limit)
    return 1 if long else 0


if __name__ == "__main__":
    sys.exit(main())
