#!/usr/bin/env python3
"""Checks that the folders of the program depend on each other one way.

Reads every #include "FOLDER/FILE" of the sources in the program's folders
and draws an edge from a file's folder to the included file's folder. It
fails when an edge runs up the layers (smc < monitor < ui, exporter <
platform's folders < tools, app) or when folders depend on each other in a
circle. With --graph, prints the edges.
  scripts/check-layers.py [--graph]
"""

import os
import re
import subprocess
import sys

LAYERS = {"smc": 0, "monitor": 1, "ui": 2, "exporter": 2, "platform": 3, "tools": 4, "app": 4}
INCLUDE = re.compile(r'^\s*#\s*(?:include|import)\s+"([^"]+)"', re.M)


def edges(root):
    files = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard", *LAYERS],
                           cwd=root, capture_output=True, text=True, check=True).stdout.split()
    found = {}
    for file in files:
        if not file.endswith((".cpp", ".h", ".mm")):
            continue
        with open(os.path.join(root, file), encoding="utf-8") as f:
            for included in INCLUDE.findall(f.read()):
                if included.split("/")[0] in LAYERS and os.path.dirname(included) != os.path.dirname(file):
                    found.setdefault((os.path.dirname(file), os.path.dirname(included)), file)
    return found


def circles(graph):
    """The folders that depend on themselves, through others (Tarjan)."""
    index, low, stack, on, found = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on.add(node)
        for to in graph.get(node, ()):
            if to not in index:
                visit(to)
                low[node] = min(low[node], low[to])
            elif to in on:
                low[node] = min(low[node], index[to])
        if low[node] == index[node]:
            component = []
            while not component or component[-1] != node:
                component.append(stack.pop())
                on.discard(component[-1])
            if len(component) > 1:
                found.append(sorted(component))

    for node in list(graph):
        if node not in index:
            visit(node)
    return found


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    found = edges(root)
    graph = {}
    for source, target in found:
        graph.setdefault(source, set()).add(target)
    faults = ["%s -> %s runs up the layers (%s)" % (s, t, f) for (s, t), f in sorted(found.items())
              if LAYERS[s.split("/")[0]] < LAYERS[t.split("/")[0]]]
    faults += ["these folders depend on each other: " + ", ".join(c) for c in circles(graph)]
    if "--graph" in sys.argv:
        for source in sorted(graph):
            print(source, "->", ", ".join(sorted(graph[source])))
    for fault in faults:
        print("FAIL:", fault)
    if not faults:
        print("%d folders, %d edges, one way" % (len(set(graph) | {t for ts in graph.values() for t in ts}),
                                                sum(map(len, graph.values()))))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
